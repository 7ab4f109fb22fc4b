#include "FileSystemPath.h"

#include <wx/strconv.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool ToFileSystemPath(const wxString& path, std::string* bytes)
{
    const wxCharBuffer buffer = path.mb_str(*wxConvFileName);
    if (!buffer.data() || (buffer.length() == 0 && !path.empty()))
        return false;
    // Text that has no true byte form (a lone surrogate, say) may still convert to some
    // bytes; only bytes that read back as the same text name the file the user chose.
    if (wxString(buffer.data(), *wxConvFileName, buffer.length()) != path)
        return false;
    bytes->assign(buffer.data(), buffer.length());
    return true;
}

bool FromFileSystemPath(const char* bytes, wxString* path)
{
    const wxString text(bytes, *wxConvFileName);
    std::string back;
    if (!ToFileSystemPath(text, &back) || back != bytes)
        return false;  // not UTF-8: the text would name another file
    *path = text;
    return true;
}

bool CheckOutputFolder(const std::string& path, vq::FailureDetail* problem)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    struct stat info {};
    std::string reason;
    if (stat(folder.c_str(), &info) != 0)
        reason = errno == ENOENT ? "no such folder" : std::strerror(errno);
    else if (!S_ISDIR(info.st_mode))
        reason = "not a folder";
    else if (access(folder.c_str(), W_OK | X_OK) != 0)
        reason = std::string("cannot create files in it (") + std::strerror(errno) + ")";
    else
        return true;
    *problem = {folder, reason + ", so the output " + name + " cannot be written"};
    return false;
}

std::string Utf8(const wxString& text)
{
    return std::string(text.utf8_str());
}

#include "FileSystemPath.h"

#include <wx/strconv.h>

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

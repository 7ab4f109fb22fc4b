#include "VessarQuilixApp.h"

#include "VessarQuilixGUI.h"
#include "WindowOptions.h"

#include "VqVersion.h"

#include <wx/filename.h>
#include <wx/image.h>

#include <cstdio>
#include <cstring>

wxIMPLEMENT_APP_NO_MAIN(VessarQuilixApp);

namespace {

// Answers --help and --version; -1 when the program is to start its window.
int AnswerOnTerminal(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0)
            break;
        const vq::Option* option = WindowOption(arg);
        if (option && std::strcmp(option->name, "help") == 0) {
            std::fputs(kWindowUsage, stdout);
            return vq::kExitOk;
        }
        if (option && std::strcmp(option->name, "version") == 0) {
            std::printf("%s %s\n", kWindowProgram, vq::kVersionString);
            return vq::kExitOk;
        }
        if (arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "%s: unknown option %s\n%s", kWindowProgram, arg, kWindowUsage);
            return vq::kExitUsage;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    const int answered = AnswerOnTerminal(argc, argv);
    return answered >= 0 ? answered : wxEntry(argc, argv);
}

bool VessarQuilixApp::OnInit()
{
    // The base class's OnInit would parse the command line: the files are taken here.
    for (int i = 1; i < argc; ++i) {
        const wxString arg = argv[i];
        if (arg != "--")
            m_takeFiles.Add(wxFileName(arg).GetAbsolutePath());
    }
    wxImage::AddHandler(new wxPNGHandler);
    VessarQuilixGUI* window = new VessarQuilixGUI();
    window->Show();
    if (!m_takeFiles.empty())
        window->OpenTakeFiles(m_takeFiles);
    return true;
}

#include "VessarQuilixApp.h"

#include "VessarQuilixGUI.h"

#include "VqVersion.h"

#include <wx/filename.h>
#include <wx/image.h>

#include <cstdio>
#include <cstring>

wxIMPLEMENT_APP_NO_MAIN(VessarQuilixApp);

namespace {

const char* const kUsage =
    "Usage: vessarquilix [FILE...]\n"
    "Opens the VessarQuilix window, which converts the A-format recordings of a tetrahedral\n"
    "microphone to B-format and decodes them (5.1, stereo, UHJ, headphones).\n"
    "\n"
    "FILE...  the take to open: its one file, its front and rear files (takeF.wav takeR.wav)\n"
    "         or its four mono files (takeFLU.wav takeFRD.wav takeBLD.wav takeBRU.wav)\n"
    "\n"
    "  -h, --help     show this help and quit\n"
    "  -V, --version  show the version and quit\n"
    "\n"
    "Batch conversions from the command line: vessarquilix-convert --help\n";

// Answers --help and --version; -1 when the program is to start its window.
int AnswerOnTerminal(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0)
            break;
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "-V") == 0 || std::strcmp(arg, "--version") == 0) {
            std::printf("vessarquilix %s\n", vq::kVersionString);
            return 0;
        }
        if (arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "vessarquilix: unknown option %s\n%s", arg, kUsage);
            return 2;
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

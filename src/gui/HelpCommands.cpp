// Help > Contents and Help > About of the main window.
#include "VessarQuilixGUI.h"

#include "VessarQuilixIcons.h"

#include "VQParams.h"
#include "VqVersion.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

namespace {

// The logo's size in the About box.
constexpr int kAboutIconSize = 64;

}  // namespace

wxAboutDialogInfo VessarQuilixGUI::AboutInfo()
{
    wxAboutDialogInfo info;
    info.SetName("VessarQuilix");
    info.SetVersion(vq::kVersionString);
    info.SetDescription("A to B format/5.1 converter (four channels filtering tool).");
    info.SetCopyright("(C) 2026 The VessarQuilix developers");
    info.SetIcon(VessarQuilixIconBundle().GetIconOfExactSize(kAboutIconSize));
    return info;
}

void VessarQuilixGUI::OnAbout(wxCommandEvent&)
{
    wxAboutBox(AboutInfo(), this);
}

void VessarQuilixGUI::OnHelpContents(wxCommandEvent&)
{
    // A relative documentation directory is taken from the working directory of now.
    wxFileName page(m_params->GetDocsDir(), "VessarQuilix.html");
    page.MakeAbsolute();
    const wxString path = page.GetFullPath();
    if (!page.FileExists()) {
        ShowMessage("VessarQuilix Help",
                    "The user guide is not where the program looks for it:\n" + path +
                        "\n\nSet the folder that holds VessarQuilix.html in File > Preferences > Directories.",
                    wxOK | wxICON_WARNING);
        return;
    }
    if (!OpenHelpPage(path))
        ShowMessage("VessarQuilix Help", "No web browser could be started. Open the user guide in one:\n" + path,
                    wxOK | wxICON_INFORMATION);
}

bool VessarQuilixGUI::OpenHelpPage(const wxString& path)
{
    // A failure is told in the window's own words, without the toolkit's log box.
    wxLogNull quiet;
    return LaunchBrowser(wxFileName::FileNameToURL(wxFileName(path)));
}

bool VessarQuilixGUI::LaunchBrowser(const wxString& url)
{
    return wxLaunchDefaultBrowser(url);
}

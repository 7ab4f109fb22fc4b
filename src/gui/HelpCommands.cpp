// Help > Contents and Help > About of the main window.
#include "VessarQuilixGUI.h"

#include "VQParams.h"
#include "VqVersion.h"

#include <wx/filename.h>
#include <wx/utils.h>

wxAboutDialogInfo VessarQuilixGUI::AboutInfo()
{
    wxAboutDialogInfo info;
    info.SetName("VessarQuilix");
    info.SetVersion(vq::kVersionString);
    info.SetDescription("A to B format/5.1 converter (four channels filtering tool).");
    info.SetCopyright("(C) 2026 The VessarQuilix developers");
    return info;
}

void VessarQuilixGUI::OnAbout(wxCommandEvent&)
{
    wxAboutBox(AboutInfo());
}

void VessarQuilixGUI::OnHelpContents(wxCommandEvent&)
{
    // A relative documentation directory is taken from the working directory of now.
    wxFileName page(m_params->GetDocsDir() + "/" + "VessarQuilix.html");
    page.MakeAbsolute();
    OpenHelpPage(page.GetFullPath());
}

void VessarQuilixGUI::OpenHelpPage(const wxString& path)
{
    wxLaunchDefaultBrowser(path);
}

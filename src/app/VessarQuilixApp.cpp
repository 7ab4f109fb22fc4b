#include "VessarQuilixApp.h"

#include "VessarQuilixGUI.h"

#include <wx/image.h>

wxIMPLEMENT_APP(VessarQuilixApp);

bool VessarQuilixApp::OnInit()
{
    // The base class's OnInit would parse the command line; the program takes no options.
    wxImage::AddHandler(new wxPNGHandler);
    VessarQuilixGUI* window = new VessarQuilixGUI();
    window->Show();
    return true;
}

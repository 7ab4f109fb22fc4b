// VessarQuilixApp: the application object. It makes PNG data decodable and opens the
// main window, with the take named on the command line when there is one; the settings are
// loaded by the window itself. --help and --version are answered on the terminal before
// the toolkit starts, so that they need no display.
#pragma once

#include <wx/app.h>
#include <wx/arrstr.h>

class VessarQuilixApp : public wxApp {
public:
    bool OnInit() override;

private:
    wxArrayString m_takeFiles;  // the files named on the command line, absolute
};

// VessarQuilixApp: the application object. It makes PNG data decodable and opens the
// main window; the settings are loaded by the window itself. Command-line arguments are
// ignored: the program has its own converter for the command line.
#pragma once

#include <wx/app.h>

class VessarQuilixApp : public wxApp {
public:
    bool OnInit() override;
};

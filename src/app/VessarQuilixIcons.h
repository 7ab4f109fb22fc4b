// The window icons: the logo at 16, 24, 32, 48, 64 and 128 pixels from the compiled-in XPM
// images, for SetIcons on the main window and the preferences dialog.
#pragma once

#include <wx/iconbndl.h>

// Built from the 16-pixel image first, then the larger ones in increasing order.
wxIconBundle VessarQuilixIconBundle();

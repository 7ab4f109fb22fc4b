#include "VessarQuilixIcons.h"

#include "EmbeddedArt.h"

#include <wx/icon.h>

wxIconBundle VessarQuilixIconBundle()
{
    wxIconBundle bundle;
    for (const vq::EmbeddedIcon& icon : vq::kWindowIcons)
        bundle.AddIcon(wxIcon(icon.xpm));
    return bundle;
}

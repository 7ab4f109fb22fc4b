#include "TakeNames.h"

#include <wx/filename.h>

wxString RearFileName(const wxString& frontPath)
{
    wxFileName name(frontPath);
    wxString base = name.GetName();
    if (base.empty() || (base.Last() != 'F' && base.Last() != 'f'))
        return wxEmptyString;
    base.Last() = base.Last() == 'F' ? 'R' : 'r';
    name.SetName(base);
    return name.GetFullPath();
}

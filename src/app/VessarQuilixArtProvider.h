// VessarQuilixArtProvider: serves the program's own pictures, compiled in as PNG data, by
// art id ("conv_small", "label_b_alpha", "vessarquilix_16x16", "check_16x16", ...). The
// main window pushes one onto the toolkit's provider stack before it creates any control
// (wxArtProvider::Push; the toolkit deletes it at shutdown). Ids it does not have go on to
// the toolkit's own providers. Decoding needs the PNG handler (wxImage::AddHandler).
#pragma once

#include <wx/artprov.h>

class VessarQuilixArtProvider : public wxArtProvider {
public:
    ~VessarQuilixArtProvider() override;

protected:
    // The picture of `id` (matched case-sensitively) at its own size, whatever the client
    // and the size asked for; wxNullBitmap when the program has no picture of that id.
    wxBitmap CreateBitmap(const wxArtID& id, const wxArtClient& client, const wxSize& size) override;
};

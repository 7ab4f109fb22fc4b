#include "VessarQuilixArtProvider.h"

#include "EmbeddedArt.h"

#include <wx/image.h>
#include <wx/mstream.h>

VessarQuilixArtProvider::~VessarQuilixArtProvider() = default;

wxBitmap VessarQuilixArtProvider::CreateBitmap(const wxArtID& id, const wxArtClient&, const wxSize&)
{
    for (std::size_t i = 0; i < vq::kEmbeddedImageCount; ++i) {
        const vq::EmbeddedImage& image = vq::kEmbeddedImages[i];
        if (id != image.id)
            continue;
        wxMemoryInputStream stream(image.data, image.size);
        const wxImage decoded(stream, wxBITMAP_TYPE_ANY);
        return decoded.IsOk() ? wxBitmap(decoded) : wxNullBitmap;
    }
    return wxNullBitmap;
}

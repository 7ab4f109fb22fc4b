// The window beside the main one that shows where the sound of the take just converted comes
// from (DirectionMapDrawing.h). It stays open while the user works on; a later conversion
// shows its own map in it.
#pragma once

#include "spatial/DirectionMapLevels.h"

#include <wx/bitmap.h>
#include <wx/dialog.h>

class wxStaticBitmap;

class DirectionsDialog : public wxDialog {
public:
    explicit DirectionsDialog(wxWindow* parent);

    // Shows the map of the take `takeName`.
    void ShowMap(const vq::DirectionMapLevels& levels, const wxString& takeName);
    // What it shows.
    const wxBitmap& Picture() const { return m_picture; }

private:
    wxStaticBitmap* m_view;
    wxBitmap m_picture;
};

// The engine of a B-format take as the conversion run uses it: its progress goes to the
// run's progress view, with the run's message unless the engine says otherwise.
#pragma once

#include "VQProgressAdaptor.h"

#include "surround/Surrounder.h"

class VessarSurrounder : public VQProgressAdaptor<Surrounder> {
public:
    VessarSurrounder(VQProgressView* view, const wxString& message, double openingAngle, int outputFileCount)
        : VQProgressAdaptor<Surrounder>(view, message, openingAngle, outputFileCount)
    {
    }
};

// The convolution engine as the conversion run uses it: its progress goes to the record's
// progress view, with the run's message ("Converting to B-Format...") unless the engine
// says otherwise.
#pragma once

#include "VQProgressAdaptor.h"

#include "convolver/QConvolver.h"

class VessarQConvolver : public VQProgressAdaptor<QConvolver> {
public:
    VessarQConvolver(int outputFileCount, VQProgressView* view, const wxString& message = "Converting to B-Format...")
        : VQProgressAdaptor<QConvolver>(view, message, outputFileCount)
    {
    }
};

// The 5.1 decoder as the conversion run uses it: its progress goes to the record's progress
// view, as "Converting to 5.1 format..." unless the decoder says otherwise.
#pragma once

#include "VQProgressAdaptor.h"

#include "surround/Surrounder.h"

class VessarSurrounder : public VQProgressAdaptor<Surrounder> {
public:
    VessarSurrounder(double openingAngle, int outputFileCount, VQProgressView* view)
        : VQProgressAdaptor<Surrounder>(view, "Converting to 5.1 format...", openingAngle, outputFileCount)
    {
    }
};

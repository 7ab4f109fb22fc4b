// The decoding equations of the 5.1 decoder as one matrix: every output channel is a
// weighted sum of W, X and Y, with the channel's gain folded into its weights. Directions
// follow the B-format convention: X points to the front, Y to the left.
#pragma once

namespace vq {

// Output channels in the order the files carry them.
enum SurroundChannel : int { kLeft, kRight, kCentre, kLfe, kLeftSurround, kRightSurround, kSurroundChannels };

struct DecodeMatrix {
    double w[kSurroundChannels] = {};
    double x[kSurroundChannels] = {};
    double y[kSurroundChannels] = {};
};

// Half of the opening angle between L and R, in degrees: L points there, R to its mirror.
double FrontAngle(double openingAngle);
// Direction of Ls in degrees (Rs mirrors it): 130 for the usual opening angle of 60.
double RearAngle(double openingAngle);

// openingAngle in degrees, gain the linear factor of every channel. The LFE row stays
// zero: that channel comes from the low-pass of W, not from the matrix.
DecodeMatrix MakeDecodeMatrix(double openingAngle, double gain);

}  // namespace vq

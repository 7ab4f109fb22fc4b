#include "common/OutputLayout.h"

#include <algorithm>
#include <cstdio>

namespace vq {

namespace {

constexpr double kSqrtTwo = 1.4142135623730951;

// Speaker bits of the WAVE channel mask.
constexpr unsigned kFrontLeft = 0x1, kFrontRight = 0x2, kFrontCentre = 0x4, kLowFrequency = 0x8, kBackLeft = 0x10,
                   kBackRight = 0x20;

OutputFile File(const char* suffix, const char* title, std::vector<OutputChannel> channels, unsigned mask = 0)
{
    return OutputFile{suffix, title, std::move(channels), mask};
}

const OutputLayout kNone;

const OutputLayout kFuMaOne = {
    File("_WXYZ", "s W-X-Y-Z", {{kSignalW, 1}, {kSignalX, 1}, {kSignalY, 1}, {kSignalZ, 1}})};
// The stereo pairs carry X before W and Z before Y, as such files always have.
const OutputLayout kFuMaTwo = {File("_XW", "s X-W", {{kSignalX, 1}, {kSignalW, 1}}),
                               File("_ZY", "s Z-Y", {{kSignalZ, 1}, {kSignalY, 1}})};
const OutputLayout kFuMaFour = {File("_W", " W", {{kSignalW, 1}}), File("_X", " X", {{kSignalX, 1}}),
                                File("_Y", " Y", {{kSignalY, 1}}), File("_Z", " Z", {{kSignalZ, 1}})};

// AmbiX, named so that its files are never taken for Furse-Malham ones: ACN channel order W, Y, Z, X; SN3D makes W
// sqrt(2) times the Furse-Malham W, and leaves X, Y, Z as they are at first order.
const OutputLayout kAmbiXOne = {
    File("_AmbiX", "s W-Y-Z-X (AmbiX)", {{kSignalW, kSqrtTwo}, {kSignalY, 1}, {kSignalZ, 1}, {kSignalX, 1}})};
const OutputLayout kAmbiXFour = {
    File("_AmbiX_W", " W (AmbiX)", {{kSignalW, kSqrtTwo}}), File("_AmbiX_Y", " Y (AmbiX)", {{kSignalY, 1}}),
    File("_AmbiX_Z", " Z (AmbiX)", {{kSignalZ, 1}}), File("_AmbiX_X", " X (AmbiX)", {{kSignalX, 1}})};

const OutputLayout kSurroundOne = {
    File("_5.1", "s LF-RF-CF-Sub-LR-RR",
         {{kSignalL, 1}, {kSignalR, 1}, {kSignalC, 1}, {kSignalLfe, 1}, {kSignalLs, 1}, {kSignalRs, 1}},
         kFrontLeft | kFrontRight | kFrontCentre | kLowFrequency | kBackLeft | kBackRight)};
const OutputLayout kSurroundThree = {
    File("_LR", "s LF-RF", {{kSignalL, 1}, {kSignalR, 1}}, kFrontLeft | kFrontRight),
    File("_CLfe", "s CF-Lfe", {{kSignalC, 1}, {kSignalLfe, 1}}, kFrontCentre | kLowFrequency),
    File("_LsRs", "s LR-RR", {{kSignalLs, 1}, {kSignalRs, 1}}, kBackLeft | kBackRight)};
const OutputLayout kSurroundSix = {
    File("_L", " LF", {{kSignalL, 1}}, kFrontLeft),   File("_R", " RF", {{kSignalR, 1}}, kFrontRight),
    File("_C", " CF", {{kSignalC, 1}}, kFrontCentre), File("_Lfe", " Lfe", {{kSignalLfe, 1}}, kLowFrequency),
    File("_Ls", " LR", {{kSignalLs, 1}}, kBackLeft),  File("_Rs", " RR", {{kSignalRs, 1}}, kBackRight)};

const OutputLayout kStereo = {File("_stereo", "s L-R (stereo)", {{0, 1}, {1, 1}}, kFrontLeft | kFrontRight)};
const OutputLayout kUhj = {File("_UHJ", "s L-R (UHJ)", {{0, 1}, {1, 1}}, kFrontLeft | kFrontRight)};
const OutputLayout kBinaural = {File("_binaural", "s L-R (headphones)", {{0, 1}, {1, 1}}, kFrontLeft | kFrontRight)};

}  // namespace

const OutputLayout& TwoChannelLayout(TwoChannelDecode decode)
{
    return decode == TwoChannelDecode::Uhj ? kUhj : decode == TwoChannelDecode::Binaural ? kBinaural : kStereo;
}

const OutputLayout& BFormatLayout(BFormatConvention convention, int fileCount)
{
    if (convention == BFormatConvention::AmbiX)
        return fileCount == 1 ? kAmbiXOne : fileCount == 4 ? kAmbiXFour : kNone;
    return fileCount == 1 ? kFuMaOne : fileCount == 2 ? kFuMaTwo : fileCount == 4 ? kFuMaFour : kNone;
}

const OutputLayout& SurroundLayout(int fileCount)
{
    return fileCount == 1 ? kSurroundOne : fileCount == 3 ? kSurroundThree : fileCount == 6 ? kSurroundSix : kNone;
}

std::string DefaultOutputName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "out_%03d.wav", index);
    return name;
}

int SignalCount(const OutputLayout& layout)
{
    int count = 0;
    for (const OutputFile& file : layout)
        for (const OutputChannel& channel : file.channels)
            count = std::max(count, channel.signal + 1);
    return count;
}

}  // namespace vq

// A take's start as timecode: the time of day of its time reference with the frame of that
// second, worked out by hand for the rates cameras use; and the rate a recorder's iXML states.
#include "deliver/Timecode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Timecode, TheTimeOfDayAndTheFrameOfItsSecond)
{
    struct Case {
        std::uint64_t samples;
        int sampleRate;
        vq::FrameRate rate;
        const char* timecode;
    };
    const Case cases[] = {
        {172800000, 48000, {25, 1}, "01:00:00:00"},                  // an hour at 48 kHz
        {172800000 + 24000, 48000, {25, 1}, "01:00:00:12"},          // half a second: 12.5 frames
        {172800000 + 47999, 48000, {25, 1}, "01:00:00:24"},          // the last frame of the second
        {172800000 + 24000, 48000, {30000, 1001}, "01:00:00:15"},    // 29.97 counts 30 (NDF)
        {172800000 + 24000, 48000, {24000, 1001}, "01:00:00:12"},    // 23.976 counts 24
        {(13 * 3600 + 59 * 60 + 58) * 96000ULL + 95999, 96000, {50, 1}, "13:59:58:49"},
        {24ULL * 3600 * 44100 + 44100, 44100, {25, 1}, "00:00:01:00"},  // past midnight: the next day
        {0, 48000, {60, 1}, "00:00:00:00"},
        {172800000, 0, {25, 1}, ""},
        {172800000, 48000, {0, 1}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vq::TimecodeOf(c.samples, c.sampleRate, c.rate), c.timecode)
            << c.samples << " at " << c.sampleRate << ", " << c.rate.Text();
}

TEST(Timecode, TheRateARecordersIxmlStates)
{
    const auto ixml = [](const std::string& text) { return std::vector<unsigned char>(text.begin(), text.end()); };
    const auto rate = vq::IxmlTimecodeRate(
        ixml("<BWFXML><SPEED><TIMECODE_RATE>30000/1001</TIMECODE_RATE><TIMECODE_FLAG>NDF</TIMECODE_FLAG>"
             "</SPEED></BWFXML>"));
    ASSERT_TRUE(rate);
    EXPECT_EQ(rate->Text(), "30000/1001");
    EXPECT_EQ(vq::IxmlTimecodeRate(ixml("<SPEED><TIMECODE_RATE>25</TIMECODE_RATE></SPEED>"))->Text(), "25");
    for (const char* unreadable : {"<BWFXML><SCENE>12</SCENE></BWFXML>", "<TIMECODE_RATE>fast</TIMECODE_RATE>",
                                   "<TIMECODE_RATE>25/0</TIMECODE_RATE>", "<TIMECODE_RATE>25/1", ""})
        EXPECT_FALSE(vq::IxmlTimecodeRate(ixml(unreadable))) << unreadable;
}

}  // namespace

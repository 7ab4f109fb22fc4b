// The Directions button: hidden until a conversion has made the map of its take, then a
// window beside the main one with the picture of it, its loudest point where the sound was.
#include "WindowDriver.h"

#include "DirectionMapDrawing.h"
#include "DirectionsDialog.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <cmath>

using namespace vqtest;

namespace {

// Furse-Malham B-format of noise from one direction, in a file whose header says so.
void WriteBFormatFromDirection(const std::string& path, double azimuth, double elevation)
{
    const std::array<Signal, 4> wxyz = FromDirection(Noise(48000, 7, 0.3), azimuth, elevation);
    std::vector<double> frames;
    for (std::size_t n = 0; n < wxyz[0].size(); ++n)
        for (const Signal& channel : wxyz)
            frames.push_back(channel[n]);
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 4;
    info.format = SF_FORMAT_WAVEX | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(sf_command(file, SFC_WAVEX_SET_AMBISONIC, nullptr, SF_AMBISONIC_B_FORMAT), SF_AMBISONIC_B_FORMAT);
    ASSERT_EQ(sf_writef_double(file, frames.data(), sf_count_t(wxyz[0].size())), sf_count_t(wxyz[0].size()));
    sf_close(file);
}

class Directions : public WindowTest {};

TEST_F(Directions, AfterAConversionTheButtonShowsTheMapOfTheTake)
{
    WriteBFormatFromDirection(work.File("left.amb"), 90.0, 0.0);
    Open();
    Type(window->m_fluFrdText, work.File("left.amb"));
    EXPECT_FALSE(window->m_directionsButton->IsShown()) << "no map before a conversion";
    Click(window->m_convertButton);
    ASSERT_TRUE(ProcessUntil([&] { return !window->messages.empty(); }));
    ASSERT_TRUE(window->m_directionsButton->IsShown()) << window->messages[0].text;
    // On screen beside Convert, not laid out beyond the edge of its panel.
    const wxRect button = window->m_directionsButton->GetRect();
    const wxSize panel = window->m_directionsButton->GetParent()->GetClientSize();
    EXPECT_TRUE(wxRect(panel).Contains(button)) << button.x << "," << button.y << " " << button.width << "x"
                                                << button.height << " in " << panel.x << "x" << panel.y;
    EXPECT_GT(button.x, window->m_convertButton->GetRect().GetRight());

    Click(window->m_directionsButton);
    const DirectionsDialog* dialog = window->Directions();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ProcessUntil([&] { return dialog->IsShown(); }));
    EXPECT_EQ(dialog->GetTitle(), "VessarQuilix: Directions of left");
    // The loudest pixel of the map stands where the sound came from: azimuth 90 (the left),
    // elevation 0, to a few degrees, in the scale's colour of the loudest direction.
    const wxImage picture = dialog->Picture().ConvertToImage();
    const wxRect area = vqgui::DirectionMapArea();
    ASSERT_TRUE(wxRect(0, 0, picture.GetWidth(), picture.GetHeight()).Contains(area));
    int best = -1, bestX = 0, bestY = 0;
    for (int y = area.y; y < area.GetBottom(); ++y)
        for (int x = area.x; x < area.GetRight(); ++x) {
            const int brightness = picture.GetRed(x, y) + picture.GetGreen(x, y) + picture.GetBlue(x, y);
            if (brightness > best)
                best = brightness, bestX = x, bestY = y;
        }
    // Laid out as a 360-degree frame: +180 at the left edge, the front in the middle.
    EXPECT_LT(bestX, area.x + area.width / 2) << "the left is on the left";
    const double azimuth = 180.0 - (bestX - area.x + 0.5) * 360.0 / area.width;
    const double elevation = 90.0 - (bestY - area.y + 0.5) * 180.0 / area.height;
    EXPECT_NEAR(azimuth, 90.0, 6.0);
    EXPECT_NEAR(elevation, 0.0, 6.0);
    const std::array<double, 3> loudest = vq::DirectionScaleColour(0.0);
    EXPECT_NEAR(picture.GetRed(bestX, bestY), 255.0 * loudest[0], 12.0);
    EXPECT_NEAR(picture.GetBlue(bestX, bestY), 255.0 * loudest[2], 12.0);
    // Far from it, the quiet end of the scale.
    const std::array<double, 3> quiet = vq::DirectionScaleColour(-vq::kDirectionScaleDb);
    const int farX = area.x + area.width * 3 / 4, farY = area.y + area.height / 2;  // azimuth -90
    EXPECT_NEAR(picture.GetRed(farX, farY), 255.0 * quiet[0], 12.0);

    // A conversion that fails takes the button away: the map would be of another take.
    Type(window->m_fluFrdText, work.File("missing.amb"));
    Click(window->m_convertButton);
    ASSERT_TRUE(ProcessUntil([&] { return window->messages.size() == 2; }));
    EXPECT_FALSE(window->m_directionsButton->IsShown());
}

}  // namespace

// What the run delivers besides the sound files, asked for through the request: the map kept
// for the window, and the settings the run refuses before it creates anything.
#include "JobFixture.h"

#include "ConversionRun.h"
#include "DecodeModes.h"

#include "common/EngineStatus.h"
#include "spatial/DirectionMapLevels.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

vq::ConversionRequest RequestOf(JobSetup& setup)
{
    VQParams params(nullptr);
    setup.Configure(params);
    return params.Request();
}

TEST(Deliveries, TheRunKeepsTheMapOfTheTakeAndMeasuresEveryOutput)
{
    JobSetup setup(24000);
    vq::ConversionRequest request = RequestOf(setup);
    request.map.keep = true;
    const vq::ConversionResult result = vq::RunConversion(request, vq::RunViews{&setup.view, nullptr});
    ASSERT_EQ(result.status, vq::kStatusOk) << result.Message();
    ASSERT_TRUE(result.directionMap);
    EXPECT_EQ(result.directionMap->map.size(), std::size_t(vq::DirectionMap::kAzimuths) * vq::DirectionMap::kElevations);
    EXPECT_GT(result.directionMap->stripColumns, 0);
    ASSERT_EQ(result.outputs.size(), result.written.size());
    ASSERT_EQ(result.outputs.size(), 1u);
    EXPECT_TRUE(result.outputs[0].loudness);
    EXPECT_EQ(result.outputs[0].frames, result.outputFrames);
    EXPECT_GE(result.filterDelay, 0);
    EXPECT_FALSE(result.programmeLoudness) << "one file is its own programme";
}

TEST(Deliveries, SettingsThatCannotBeDeliveredFailBeforeAnythingIsCreated)
{
    // At 16 kHz the map's default band (to 4 kHz) fits, one to 9 kHz does not.
    JobSetup setup(16000, 32, 16000);
    struct Case {
        const char* name;
        std::function<void(vq::ConversionRequest&)> change;
        int status;
    };
    const vq::DecodeMode* stereo = vq::DecodeModeNamed("stereo");
    const Case cases[] = {
        {"band above half the rate", [](vq::ConversionRequest& r) { r.map.data = "map.csv", r.map.highHz = 9000.0; },
         vq::kDirectionMapFailed},
        {"band upside down", [](vq::ConversionRequest& r) { r.map.keep = true, r.map.lowHz = 500.0, r.map.highHz = 400.0; },
         vq::kDirectionMapFailed},
        {"map into a missing folder", [](vq::ConversionRequest& r) { r.map.data = "nowhere/map.csv"; },
         vq::kOutputOpenFailed},
        {"normalising B-format", [](vq::ConversionRequest& r) { r.decode.normalize = true; }, vq::kBadParameter},
        {"normalising with autorange",
         [&](vq::ConversionRequest& r) { r.decode.mode = stereo, r.decode.normalize = true, r.decode.autorange = true; },
         vq::kBadParameter},
    };
    for (const Case& c : cases) {
        vq::ConversionRequest request = RequestOf(setup);
        c.change(request);
        const vq::ConversionResult result = vq::RunConversion(request, vq::RunViews{&setup.view, nullptr});
        EXPECT_EQ(result.status, c.status) << c.name << ": " << result.Message();
        for (const wxString& file : vq::WrittenFiles(request))
            EXPECT_FALSE(fs::exists(std::string(file.utf8_str()))) << c.name;
        EXPECT_FALSE(fs::exists(setup.File("map.csv"))) << c.name;
    }
}

}  // namespace

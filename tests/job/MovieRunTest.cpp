// A movie for 360-degree video through the record and the run: what a movie cannot hold is
// refused naming the movie, a cancel at any stage and a movie helper that cannot run leave
// nothing behind, hidden files included.
#include "ConversionRun.h"
#include "DecodeModes.h"
#include "JobFixture.h"

#include "common/EngineStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

// The movie helper the run starts: the one of this build, or `path`.
class ScopedMovieHelper {
public:
    explicit ScopedMovieHelper(const std::string& path = VQ_MOVIE_HELPER_PATH)
    {
        setenv("VESSARQUILIX_MOVIE_HELPER", path.c_str(), 1);
    }
    ~ScopedMovieHelper() { unsetenv("VESSARQUILIX_MOVIE_HELPER"); }
};

std::vector<std::string> Listing(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A record asking for an AmbiX MOV of the set-up's take.
void AskForMovie(JobSetup& setup, VQParams& p)
{
    setup.Configure(p);
    p.m_convention = vq::BFormatConvention::AmbiX;
    p.m_movie = "mov";
    p.UpdateOutputNames();
}

TEST(MovieRun, WrittenUnderItsNameWithTheStagesOfTheRun)
{
    ScopedMovieHelper helper;
    JobSetup setup;
    VQParams p(nullptr);
    AskForMovie(setup, p);
    EXPECT_EQ(std::string(p.GetOutputPath(0).utf8_str()), "take_AmbiX.mov");
    ASSERT_TRUE(p.Convert()) << p.GetErrorMessage();
    EXPECT_EQ(p.m_result.written, std::vector<wxString>{"take_AmbiX.mov"});
    EXPECT_EQ(setup.view.stages,
              (std::vector<std::string>{"VessarQuilix|Converting to B-Format...", "VessarQuilix|Writing the movie..."}));
    EXPECT_EQ(setup.view.open, 0);
    EXPECT_EQ(Listing(setup.dir.Path()),
              (std::vector<std::string>{"filters", "takeF.wav", "takeR.wav", "take_AmbiX.mov"}));
}

struct FormCase {
    const char* name;
    std::function<void(VQParams&)> change;  // what the request asks beyond an AmbiX MOV
    const char* reason;
};

void PrintTo(const FormCase& c, std::ostream* os)
{
    *os << c.name;
}

class MovieForm : public testing::TestWithParam<FormCase> {};

// The window offers a movie only for AmbiX B-format in one file; a request that asks for
// another is refused naming the movie before anything is created.
TEST_P(MovieForm, RefusedNamingTheMovie)
{
    ScopedMovieHelper helper;
    JobSetup setup;
    VQParams p(nullptr);
    AskForMovie(setup, p);
    const std::vector<std::string> before = Listing(setup.dir.Path());
    GetParam().change(p);
    vq::ConversionRequest request = p.Request();
    request.outputs.container = vq::ContainerNamed("mp4");
    request.outputNames.clear();  // named after the take, as an MP4
    const vq::ConversionResult result = vq::RunConversion(request, vq::RunViews{});
    EXPECT_EQ(result.status, vq::kBadParameter);
    EXPECT_EQ(fs::path(result.failure.path).extension(), ".mp4") << result.failure.path;
    EXPECT_NE(result.failure.reason.find(GetParam().reason), std::string::npos) << result.failure.reason;
    EXPECT_EQ(Listing(setup.dir.Path()), before);
}

const FormCase kForms[] = {
    {"FuMa", [](VQParams& p) { p.m_convention = vq::BFormatConvention::FuMa; }, "not FuMa"},
    {"FourFiles", [](VQParams& p) { p.m_fileLayout = 0; }, "in one file, not in 4"},
    {"Decode", [](VQParams& p) { p.m_outputMode = vq::DecodeModeIndex("binaural"); }, "not binaural"},
};
INSTANTIATE_TEST_SUITE_P(Requests, MovieForm, testing::ValuesIn(kForms), CaseName());

// A cancel while the B-format is computed, or while the movie is muxed, leaves no movie and
// no hidden audio file.
TEST(MovieRun, ACancelAtEitherStageLeavesNothing)
{
    ScopedMovieHelper helper;
    for (int stage : {1, 2}) {
        JobSetup setup;
        VQParams p(nullptr);
        AskForMovie(setup, p);
        const std::vector<std::string> before = Listing(setup.dir.Path());
        setup.view.cancelInStage = stage;
        EXPECT_TRUE(p.Convert());
        EXPECT_EQ(p.m_status, vq::kStatusCancelled) << "stage " << stage;
        EXPECT_EQ(setup.view.stages.size(), static_cast<std::size_t>(stage));
        EXPECT_EQ(setup.view.open, 0);
        EXPECT_EQ(Listing(setup.dir.Path()), before) << "stage " << stage;
    }
}

TEST(MovieRun, AHelperThatCannotRunIsNamed)
{
    ScopedMovieHelper helper("/nonexistent/vessarquilix-movie");
    JobSetup setup;
    VQParams p(nullptr);
    AskForMovie(setup, p);
    const std::vector<std::string> before = Listing(setup.dir.Path());
    EXPECT_FALSE(p.Convert());
    EXPECT_EQ(p.m_status, vq::kMovieWriterUnavailable);
    const std::string message(p.GetErrorMessage().utf8_str());
    EXPECT_NE(message.find("/nonexistent/vessarquilix-movie: No such file or directory"), std::string::npos) << message;
    EXPECT_EQ(Listing(setup.dir.Path()), before);
}

}  // namespace

// Several takes in one call: how the arguments pair into takes, the outputs of each, a
// failure among them, the output folder, existing outputs, and conversions run at once.
#include "CommandFixture.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kFloat = {"--filters", "filters", "--format", "float"};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class BatchCommand : public CommandTest {
protected:
    void ExpectConverted(const std::string& output, const std::array<Signal, 4>& capsules) const
    {
        ASSERT_TRUE(fs::exists(File(output))) << output;
        const auto expected = Expected(capsules);
        const auto actual = ReadWxyz(File(output));
        for (int j = 0; j < 4; ++j)
            EXPECT_LT(MaxAbsDifference(actual[j], expected[j]), 1e-6) << output << " output " << j;
    }
};

// What a shell makes of "take*F.wav": every front file, each converted as its own take.
TEST_F(BatchCommand, TwoTakesOfAGlobAreConvertedOneAfterTheOther)
{
    const auto first = WriteTake("take", 3000, 1);
    const auto second = WriteTake("take2", 2500, 2);
    const CommandResult r = Convert(With(kFloat, {"takeF.wav", "take2F.wav"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectConverted("take_WXYZ.wav", first);
    ExpectConverted("take2_WXYZ.wav", second);
    EXPECT_TRUE(Contains(r.err, "take 1/2: Converting to B-Format...\n")) << r.err;
    EXPECT_TRUE(Contains(r.err, "take 2/2: Converting to B-Format...\n")) << r.err;
    EXPECT_TRUE(Contains(WithoutLoudness(r.out), "Wrote take_WXYZ.wav\nWrote take2_WXYZ.wav\n")) << r.out;
    EXPECT_TRUE(Contains(WithoutLoudness(r.out), "Summary: 2 of 2 takes done.\n  done      takeF.wav\n  done      take2F.wav\n"))
        << r.out;
}

TEST_F(BatchCommand, AFailingTakeLeavesTheOthersConvertedAndExitsWithOne)
{
    const auto first = WriteTake("a", 2000, 3);
    WriteTake("b", 2000, 4);
    const auto third = WriteTake("c", 2000, 5);
    fs::remove(File("bR.wav"));
    const CommandResult r = Convert(With(kFloat, {"aF.wav", "bF.wav", "cF.wav"}));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    ExpectConverted("a_WXYZ.wav", first);
    ExpectConverted("c_WXYZ.wav", third);
    EXPECT_FALSE(fs::exists(File("b_WXYZ.wav")));
    EXPECT_TRUE(Contains(r.err, "take 2/3 (bF.wav) failed:\nSelected file doesn't exist.\nbR.wav: no such file\n"))
        << r.err;
    EXPECT_TRUE(Contains(WithoutLoudness(r.out),
                         "Summary: 2 of 3 takes done.\n  done      aF.wav\n"
                         "  failed    bF.wav: Selected file doesn't exist. bR.wav: no such file\n"
                         "  done      cF.wav\n"))
        << r.out;
    const CommandResult quiet = Convert(With(kFloat, {"-qy", "aF.wav", "bF.wav"}));
    EXPECT_EQ(quiet.exitCode, 1);
    EXPECT_TRUE(quiet.out.empty()) << "no summary when quiet: " << quiet.out;
    EXPECT_TRUE(Contains(quiet.err, "bR.wav: no such file")) << "failures are told all the same";
}

TEST_F(BatchCommand, ArgumentsPairIntoTakes)
{
    WriteTake("take", 1000, 6);
    WriteTake("take2", 1000, 7);
    WriteChannels(File("other.wav"), {Noise(1000, 8), Noise(1000, 9)});
    WriteChannels(File("quad.wav"), {Noise(1000, 1), Noise(1000, 2), Noise(1000, 3), Noise(1000, 4)});
    fs::copy_file(File("quad.wav"), File("quadF.wav"));
    fs::copy_file(File("takeR.wav"), File("quadR.wav"));
    fs::create_directory(File("sub"));
    fs::copy_file(File("takeF.wav"), File("sub/takeF.wav"));
    fs::copy_file(File("takeR.wav"), File("sub/takeR.wav"));
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::vector<std::string> outputs;  // written, for a success
        std::string message;               // part of standard error, for a usage error
    };
    const Case cases[] = {
        {{"takeF.wav", "takeR.wav"}, 0, {"take_WXYZ.wav"}, ""},
        {{"takeF.wav", "takeR.wav", "take2F.wav"}, 0, {"take_WXYZ.wav", "take2_WXYZ.wav"}, ""},
        {{"takeF.wav", "take2F.wav"}, 0, {"take_WXYZ.wav", "take2_WXYZ.wav"}, ""},
        {{"quad.wav", "takeF.wav"}, 0, {"quad_WXYZ.wav", "take_WXYZ.wav"}, ""},
        {{"--rear", "other.wav", "takeF.wav"}, 0, {"take_WXYZ.wav"}, ""},
        {{"takeF.wav", "take.wav"}, 2, {}, "cannot tell the rear file (BLD+BRU) of 'take.wav'"},
        {{"takeR.wav"}, 2, {}, "cannot tell the rear file (BLD+BRU) of 'takeR.wav'"},
        {{"takeF.wav", "./takeR.wav"}, 2, {}, "cannot tell the rear file (BLD+BRU) of './takeR.wav'"},
        {{"--rear", "other.wav", "takeF.wav", "take2F.wav"}, 2, {}, "--rear names the rear file of a single take"},
        {{"--rear", "other.wav", "quad.wav"}, 2, {}, "'quad.wav' holds a whole take in four channels: it takes no rear file"},
        {{"quadF.wav", "quadR.wav"}, 2, {}, "'quadF.wav' holds a whole take in four channels: it takes no rear file ('quadR.wav')"},
        {{"-o", "x.wav", "takeF.wav", "take2F.wav"}, 2, {}, "-o names the outputs of a single take"},
        {{"-o", "x.wav", "-d", "sub", "takeF.wav"}, 2, {}, "give either -o"},
        {{"takeF.wav", "sub/takeF.wav"}, 2, {}, "the takes 'takeF.wav' and 'sub/takeF.wav' would both write"},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const std::string& a : c.args)
            joined += a + " ";
        const auto before = Listing();
        const CommandResult r = Convert(With(kFloat, c.args));
        EXPECT_EQ(r.exitCode, c.exitCode) << joined << "\n" << r.err;
        for (const std::string& output : c.outputs) {
            EXPECT_TRUE(fs::exists(File(output))) << joined << output;
            fs::remove(File(output));
        }
        if (c.exitCode == 2) {
            EXPECT_TRUE(Contains(r.err, "vessarquilix-convert: " + c.message)) << joined << "\n" << r.err;
            EXPECT_EQ(Listing(), before) << joined << ": nothing is written after a usage error";
        }
    }
}

TEST_F(BatchCommand, OutputDirectoryHoldsTheOutputsOfEveryTake)
{
    const auto first = WriteTake("take", 1500, 10);
    const auto second = WriteTake("take2", 1500, 11);
    fs::create_directory(File("out"));
    const CommandResult r = Convert(With(kFloat, {"-d", "out", "takeF.wav", "take2F.wav"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectConverted("out/take_WXYZ.wav", first);
    ExpectConverted("out/take2_WXYZ.wav", second);
    EXPECT_FALSE(fs::exists(File("take_WXYZ.wav")));

    const CommandResult missing = Convert(With(kFloat, {"--output-dir=nowhere", "takeF.wav"}));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(Contains(missing.err, "nowhere: no such folder, so the output take_WXYZ.wav cannot be written"))
        << missing.err;
    EXPECT_FALSE(Contains(missing.err, "Converting")) << "it fails before any stage begins";
}

TEST_F(BatchCommand, ExistingOutputsAreReplacedOnlyWithForce)
{
    const auto take = WriteTake("take", 1200, 12);
    WriteChannels(File("take_WXYZ.wav"), {Signal(10, 0.25)}, 48000, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const std::string before = Bytes("take_WXYZ.wav");
    const CommandResult refused = Convert(With(kFloat, {"takeF.wav"}));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "An output file already exists and was left as it is.\n"
              "take_WXYZ.wav: give --force (-y) to replace it\n");
    EXPECT_EQ(Bytes("take_WXYZ.wav"), before);
    for (const char* force : {"--force", "-y"}) {
        const CommandResult replaced = Convert(With(kFloat, {force, "takeF.wav"}));
        EXPECT_EQ(replaced.exitCode, 0) << force << replaced.err;
        ExpectConverted("take_WXYZ.wav", take);
    }
}

TEST_F(BatchCommand, HelpDescribesBatches)
{
    const CommandResult r = Convert({"-h"});
    ASSERT_EQ(r.exitCode, 0);
    for (const char* part :
         {"[options] TAKE...", "takeF.wav goes with takeR.wav", "-d, --output-dir DIR", "--rear FILE", "-y, --force",
          "recordings/*F.wav", "xargs -0 -n 1 -P", "  1    a take failed", "  130  cancelled"})
        EXPECT_TRUE(Contains(r.out, part)) << part;
}

// Conversions started at once from one directory, in either mode, give what they give one
// after the other: they share no file.
TEST_F(BatchCommand, ConversionsRunAtOnceEqualTheSameRunOneAfterTheOther)
{
    for (const char* mode : {"b-format", "5.1"}) {
        TempDir together, apart;
        for (const TempDir* dir : {&together, &apart}) {
            fs::copy(work.File("filters"), dir->File("filters"));
            unsigned seed = 20;
            for (const char* name : {"oneF.wav", "oneR.wav", "twoF.wav", "twoR.wav"})
                WriteNoiseFile(dir->File(name), 2, 200000, ++seed, 0.3);
        }
        const auto args = [mode](const std::string& take) {
            return std::vector<std::string>{VQ_CONVERT_PATH, "-q", "--filters", "filters", "--mode", mode, take};
        };
        const CommandRunner inTogether(together.Path(), home.Path());
        auto one = std::async(std::launch::async, [&] { return inTogether.Run(args("oneF.wav")); });
        auto two = std::async(std::launch::async, [&] { return inTogether.Run(args("twoF.wav")); });
        const CommandResult r1 = one.get(), r2 = two.get();
        ASSERT_EQ(r1.exitCode, 0) << mode << r1.err;
        ASSERT_EQ(r2.exitCode, 0) << mode << r2.err;
        const CommandRunner inApart(apart.Path(), home.Path());
        ASSERT_EQ(inApart.Run(args("oneF.wav")).exitCode, 0);
        ASSERT_EQ(inApart.Run(args("twoF.wav")).exitCode, 0);
        const std::string suffix = std::string(mode) == "5.1" ? "_5.1.wav" : "_WXYZ.wav";
        for (const char* take : {"one", "two"}) {
            const Audio a = ReadAudio(together.File(take + suffix));
            const Audio b = ReadAudio(apart.File(take + suffix));
            EXPECT_GT(a.samples.size(), 0u);
            EXPECT_EQ(a.info.channels, b.info.channels);
            EXPECT_TRUE(a.samples == b.samples) << mode << " " << take;
        }
    }
}

}  // namespace

namespace {

// What a shell makes of "session/*.wav" with a take of four mono files (in the glob's order,
// BLD, BRU, FLU, FRD) beside a B-format take: two takes, each of its own kind.
TEST_F(BatchCommand, FourMonoFilesAndABFormatFileAreTakesOfTheirOwnKinds)
{
    const auto capsules = WriteTake("pair", 2000, 7);
    const char* const names[4] = {"mono_FLU.wav", "mono_FRD.wav", "mono_BLD.wav", "mono_BRU.wav"};
    for (int k = 0; k < 4; ++k)
        WriteChannels(File(names[k]), {capsules[static_cast<std::size_t>(k)]});
    const auto b = Expected(capsules);
    WriteChannels(File("field.wav"), {b[0], b[1], b[2], b[3]});
    fs::create_directory(File("out"));

    const CommandResult r = Convert(With(kFloat, {"--input-format", "fuma", "--gain", "0", "-d", "out",
                                                  "mono_BLD.wav", "mono_BRU.wav", "mono_FLU.wav", "mono_FRD.wav",
                                                  "field.wav"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(WithoutLoudness(r.out), "Summary: 2 of 2 takes done.\n  done      mono_FLU.wav\n  done      field.wav\n"))
        << r.out;
    const auto fromMono = ReadWxyz(File("out/mono_WXYZ.wav"));
    const auto fromField = ReadWxyz(File("out/field_WXYZ.wav"));
    const auto expected = Expected(capsules);
    for (int j = 0; j < 4; ++j) {
        // The mono take at 0 dB against -3 dB: the same signal, louder by 3 dB.
        Signal louder = expected[j];
        for (double& s : louder)
            s *= std::pow(10.0, 3.0 / 20.0);
        EXPECT_LT(MaxAbsDifference(fromMono[j], louder), 1e-6) << j;
        EXPECT_LT(MaxAbsDifference(fromField[j], expected[j]), 1e-6) << "a B-format take passes as it is: " << j;
    }

    const CommandResult lone = Convert(With(kFloat, {"mono_FRD.wav"}));
    EXPECT_EQ(lone.exitCode, 2);
    EXPECT_TRUE(Contains(lone.err, "'mono_FRD.wav' is a mono file: a take of four mono files is given by its FLU file"))
        << lone.err;
    const CommandResult badFormat = Convert(With(kFloat, {"--input-format", "bformat", "field.wav"}));
    EXPECT_EQ(badFormat.exitCode, 2) << badFormat.err;
}

}  // namespace

namespace {

TEST_F(BatchCommand, DecodersAreTheModesOwn)
{
    WriteTake("take", 1500, 8);
    const CommandResult parametric = Convert(With(kFloat, {"--mode", "binaural", "--decoder", "parametric", "takeF.wav"}));
    EXPECT_EQ(parametric.exitCode, 0) << parametric.err;
    EXPECT_TRUE(fs::exists(File("take_binaural.wav")));
    const CommandResult wrong = Convert(With(kFloat, {"--mode", "binaural", "--decoder", "energy", "takeF.wav"}));
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(Contains(wrong.err, "--decoder energy is not a decoder of --mode binaural (linear, parametric)"))
        << wrong.err;
    const CommandResult none = Convert(With(kFloat, {"--mode", "uhj", "--decoder", "linear", "takeF.wav"}));
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(Contains(none.err, "--decoder linear is not a decoder of --mode uhj (it has one decoder)")) << none.err;
}

}  // namespace

namespace {

// What the designer wrote into a matrix: a title and key=value lines in the INFO chunk.
void Describe(const std::string& path, const char* title, const char* fields)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_RDWR, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(sf_set_string(file, SF_STR_TITLE, title), 0);
    EXPECT_EQ(sf_set_string(file, SF_STR_COMMENT, fields), 0);
    sf_close(file);
}

TEST_F(BatchCommand, FiltersInfoTellsWhatEachMatrixWasDesignedFor)
{
    WriteFilterMatrix(File("filters/FilterMatrix_96000.wav"), RandomFilterMatrix(kTaps, 5), 96000);
    Describe(File("filters/FilterMatrix_96000.wav"), "preset sps200: 14.7 mm subcardioid",
             "design=preset sps200\ndelay_frames=7\ndate=2026-12-01");
    const CommandResult r = Convert({"--filters", "filters", "--filters-info"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "Filter matrices in filters:\nFilterMatrix_48000.wav: no description\n  48000 Hz, " +
                                    std::to_string(kTaps) + " taps, delay "))
        << r.out;
    EXPECT_TRUE(Contains(r.out, "FilterMatrix_96000.wav: preset sps200: 14.7 mm subcardioid\n  96000 Hz, " +
                                    std::to_string(kTaps) + " taps, delay 7 frames (stored in the matrix)\n"
                                    "  design: preset sps200\n  date: 2026-12-01\n"))
        << r.out;
    EXPECT_EQ(Convert({"--filters", "nowhere", "--filters-info"}).exitCode, 1);
    EXPECT_EQ(Convert({"--filters-info", "takeF.wav"}).exitCode, 2);
}

}  // namespace

namespace {

// A take whose header says B-format, read as capsules as asked: converted, with a warning
// naming the file.
TEST_F(BatchCommand, ATakeReadAgainstItsHeaderIsConvertedWithAWarning)
{
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 4;
    info.format = SF_FORMAT_WAVEX | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(File("field.amb").c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    sf_command(file, SFC_WAVEX_SET_AMBISONIC, nullptr, SF_AMBISONIC_B_FORMAT);
    const std::vector<float> frames(4 * 1000, 0.1f);
    sf_writef_float(file, frames.data(), 1000);
    sf_close(file);
    const CommandResult r = Convert(With(kFloat, {"--input-format", "a-format", "field.amb"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "Warning: field.amb: its header marks it as Ambisonic B-format")) << r.err;
    EXPECT_TRUE(fs::exists(File("field_WXYZ.wav")));
}

}  // namespace

namespace {

// A recorder's poly file: a stereo mix in channels 1 and 2, the capsules in 3 to 6.
TEST_F(BatchCommand, APolyFileIsConvertedFromTheChannelsNamed)
{
    const auto capsules = WriteTake("pair", 2000, 9);
    std::vector<Signal> poly = {Noise(2000, 77, 0.2), Noise(2000, 78, 0.2)};
    poly.insert(poly.end(), capsules.begin(), capsules.end());
    WriteChannels(File("poly.wav"), poly);

    const CommandResult r = Convert(With(kFloat, {"--channels", "3,4,5,6", "poly.wav"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectConverted("poly_WXYZ.wav", capsules);

    const CommandResult unnamed = Convert(With(kFloat, {"-y", "poly.wav"}));
    EXPECT_EQ(unnamed.exitCode, 1);
    EXPECT_TRUE(Contains(unnamed.err, "poly.wav: 6 channels: say which four hold the capsules (--channels, for "
                                      "example --channels 3,4,5,6)"))
        << unnamed.err;
    const CommandResult missing = Convert(With(kFloat, {"-y", "--channels", "3,4,5,9", "poly.wav"}));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(Contains(missing.err, "6 channels: it has no channel 9")) << missing.err;
    EXPECT_EQ(Convert(With(kFloat, {"--channels", "3,4,4,5", "poly.wav"})).exitCode, 2);
}

}  // namespace

namespace {

TEST_F(BatchCommand, AFileThatIsNoSoundFileFailsAsATakeOfItsOwn)
{
    const auto capsules = WriteTake("take", 1500, 10);
    std::ofstream(File("notes.wav")) << "not a sound file";
    const CommandResult r = Convert(With(kFloat, {"notes.wav", "takeF.wav"}));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.out, "  failed    notes.wav: Error opening input file for reading. notes.wav: ")) << r.out;
    ExpectConverted("take_WXYZ.wav", capsules);
}

}  // namespace

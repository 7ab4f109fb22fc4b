// The direction map of a take: its peaks where the sources were, turned with the sound field,
// the strip of azimuth over time, and the files it is written to, read back by a parser of
// their own (the CSV rows; the PNG's chunks, checksums and image data through zlib).
#include "bformat/FieldRotation.h"
#include "common/EngineStatus.h"
#include "spatial/DirectionMap.h"
#include "spatial/DirectionMapFiles.h"
#include "spatial/SpatialProbe.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using vqtest::Signal;
using vqtest::WXYZ;

constexpr int kRate = vqtest::kSpatialRate;
constexpr std::int64_t kSecond = 48000;

struct Direction {
    double azimuth, elevation;
};

double AngleBetween(const Direction& a, const Direction& b)
{
    const std::array<double, 3> u = vqtest::UnitVector(a.azimuth, a.elevation);
    const std::array<double, 3> v = vqtest::UnitVector(b.azimuth, b.elevation);
    return std::acos(std::clamp(u[0] * v[0] + u[1] * v[1] + u[2] * v[2], -1.0, 1.0)) * 180.0 / vqtest::kPi;
}

// Two noises played in turn, a second each, from `first` and then `second`.
WXYZ TwoSourcesInTurn(const Direction& first, const Direction& second)
{
    WXYZ field = vqtest::Silence(2 * kSecond);
    Signal a = vqtest::Noise(2 * kSecond, 61), b = vqtest::Noise(2 * kSecond, 62);
    std::fill(a.begin() + kSecond, a.end(), 0.0);
    std::fill(b.begin(), b.begin() + kSecond, 0.0);
    vqtest::AddPlaneWave(field, a, first.azimuth, first.elevation);
    vqtest::AddPlaneWave(field, b, second.azimuth, second.elevation);
    return field;
}

void Feed(vq::DirectionMap& map, const WXYZ& field)
{
    ASSERT_EQ(map.Prepare(kRate, 4096), vq::kStatusOk);
    const std::int64_t frames = static_cast<std::int64_t>(field[0].size());
    for (std::int64_t done = 0; done < frames; done += 4096) {
        const double* in[4];
        for (int k = 0; k < 4; ++k)
            in[k] = field[k].data() + done;
        map.Add(in, std::min<std::int64_t>(4096, frames - done));
    }
    ASSERT_EQ(map.Finish(), vq::kStatusOk);
}

struct Peak {
    Direction where;
    double levelDb;
};

// The loudest grid point within 30 degrees of `near`.
Peak PeakNear(const vq::DirectionMap& map, const Direction& near)
{
    Peak best{{0, 0}, -1e9};
    for (int e = 0; e < vq::DirectionMap::kElevations; ++e)
        for (int a = 0; a < vq::DirectionMap::kAzimuths; ++a) {
            const Direction d{vq::DirectionMap::Azimuth(a), vq::DirectionMap::Elevation(e)};
            if (AngleBetween(d, near) <= 30.0 && map.LevelDb(a, e) > best.levelDb)
                best = {d, map.LevelDb(a, e)};
        }
    return best;
}

// Median level over the half of the sphere facing away from `source`, each grid point
// weighted by the area it stands for (cos elevation).
double MedianOppositeDb(const vq::DirectionMap& map, const Direction& source)
{
    std::vector<std::pair<double, double>> levels;  // level, weight
    double total = 0.0;
    for (int e = 0; e < vq::DirectionMap::kElevations; ++e)
        for (int a = 0; a + 1 < vq::DirectionMap::kAzimuths; ++a) {  // -180 and 180 once
            const Direction d{vq::DirectionMap::Azimuth(a), vq::DirectionMap::Elevation(e)};
            if (AngleBetween(d, source) <= 90.0)
                continue;
            const double weight = std::max(std::cos(d.elevation * vqtest::kPi / 180.0), 1e-3);
            levels.emplace_back(map.LevelDb(a, e), weight);
            total += weight;
        }
    std::sort(levels.begin(), levels.end());
    double sum = 0.0;
    for (const auto& [level, weight] : levels)
        if ((sum += weight) >= total / 2)
            return level;
    return levels.back().first;
}

void ExpectPeaksAt(const vq::DirectionMap& map, const std::vector<Direction>& sources)
{
    for (const Direction& source : sources) {
        SCOPED_TRACE("source at " + std::to_string(source.azimuth) + ", " + std::to_string(source.elevation));
        const Peak peak = PeakNear(map, source);
        EXPECT_LE(AngleBetween(peak.where, source), 6.0)
            << "peak at " << peak.where.azimuth << ", " << peak.where.elevation;
        EXPECT_GE(peak.levelDb - MedianOppositeDb(map, source), 6.0);
    }
}

TEST(DirectionMap, PeaksStandWhereTwoSourcesPlayedInTurn)
{
    vq::DirectionMap map;
    Feed(map, TwoSourcesInTurn({60, 20}, {-120, -10}));
    ExpectPeaksAt(map, {{60, 20}, {-120, -10}});
}

TEST(DirectionMap, AQuarterTurnOfTheFieldMovesThePeaksAQuarterTurn)
{
    WXYZ field = TwoSourcesInTurn({60, 20}, {-120, -10});
    vq::DirectionMap before;
    Feed(before, field);
    vq::FieldRotation::FromDegrees(90, 0, 0)
        .Apply(field[1].data(), field[2].data(), field[3].data(), static_cast<std::int64_t>(field[0].size()));
    vq::DirectionMap after;
    Feed(after, field);
    ExpectPeaksAt(after, {{150, 20}, {-30, -10}});
    for (const Direction& source : {Direction{60, 20}, Direction{-120, -10}}) {
        const Peak from = PeakNear(before, source);
        const Peak to = PeakNear(after, {source.azimuth + 90, source.elevation});
        EXPECT_NEAR(vqtest::AngleBetween(to.where.azimuth, from.where.azimuth + 90), 0.0, 1e-9);
        EXPECT_EQ(to.where.elevation, from.where.elevation);
    }
}

TEST(DirectionMap, StripFollowsTheSourcesOverTime)
{
    vq::DirectionMap map;
    Feed(map, TwoSourcesInTurn({60, 20}, {-120, -10}));
    ASSERT_GT(map.StripColumns(), 4);
    EXPECT_NEAR(map.StripColumns() * map.ColumnSeconds(), 2.0, map.ColumnSeconds());
    for (int column = 0; column < map.StripColumns(); ++column) {
        const double time = (column + 0.5) * map.ColumnSeconds();
        if (std::fabs(time - 1.0) < 0.1 || time > 1.9)
            continue;  // where one source gives way to the other, and the end
        int loudest = 0;
        for (int bin = 1; bin < vq::DirectionMap::kStripAzimuths; ++bin)
            if (map.StripLevelDb(column, bin) > map.StripLevelDb(column, loudest))
                loudest = bin;
        const double azimuth = -180.0 + vq::DirectionMap::kStepDegrees * loudest;
        EXPECT_LE(vqtest::AngleBetween(azimuth, time < 1.0 ? 60.0 : -120.0), 4.0) << "at " << time << " s";
    }
}

TEST(DirectionMap, RefusesABandOutsideTheRecordingAndStepsOutOfOrder)
{
    EXPECT_EQ(vq::DirectionMap(4000, 200).Prepare(kRate, 1024), vq::kBadParameter);
    EXPECT_EQ(vq::DirectionMap(200, 30000).Prepare(kRate, 1024), vq::kBadParameter);
    EXPECT_EQ(vq::DirectionMap().Prepare(0, 1024), vq::kBadParameter);
    vq::DirectionMap map;
    EXPECT_EQ(map.Finish(), vq::kBadState);
    ASSERT_EQ(map.Prepare(kRate, 1024), vq::kStatusOk);
    vqtest::TempDir dir;
    vq::FailureDetail detail;
    EXPECT_EQ(vq::WriteDirectionMapCsv(map, dir.File("map.csv"), &detail), vq::kBadState);
    EXPECT_EQ(vq::WriteDirectionMapPng(map, dir.File("map.png"), &detail), vq::kBadState);
    EXPECT_EQ(map.Finish(), vq::kStatusOk);
    EXPECT_EQ(map.Finish(), vq::kBadState);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The map of two sources in turn, and a folder for its files.
class DirectionMapFiles : public testing::Test {
protected:
    using Writer = int (*)(const vq::DirectionMap&, const std::string&, vq::FailureDetail*);

    void SetUp() override { Feed(map, TwoSourcesInTurn({60, 20}, {-120, -10})); }

    // What `write` puts in the file `name`.
    std::string Written(Writer write, const std::string& name)
    {
        vq::FailureDetail detail;
        EXPECT_EQ(write(map, dir.File(name), &detail), vq::kStatusOk) << detail.reason;
        return ReadFile(dir.File(name));
    }

    vq::DirectionMap map;
    vqtest::TempDir dir;
};

TEST_F(DirectionMapFiles, CsvHoldsEveryGridPointWithItsLevel)
{
    std::istringstream lines(Written(vq::WriteDirectionMapCsv, "map.csv"));
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "azimuth,elevation,level_db");
    int rows = 0;
    double loudest = -1e9;
    while (std::getline(lines, line)) {
        double azimuth = 0, elevation = 0, level = 0;
        char tail = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf%c", &azimuth, &elevation, &level, &tail), 3) << line;
        const int a = rows % vq::DirectionMap::kAzimuths, e = rows / vq::DirectionMap::kAzimuths;
        ASSERT_EQ(azimuth, -180.0 + 2.0 * a) << line;
        ASSERT_EQ(elevation, -90.0 + 2.0 * e) << line;
        ASSERT_NEAR(level, map.LevelDb(a, e), 0.005) << line;
        ASSERT_LE(level, 0.0);
        ASSERT_GE(level, vq::DirectionMap::kFloorDb);
        loudest = std::max(loudest, level);
        ++rows;
    }
    EXPECT_EQ(rows, 181 * 91);
    EXPECT_EQ(loudest, 0.0);
}

std::uint32_t BigEndian(const std::string& bytes, std::size_t at)
{
    return std::uint32_t(std::uint8_t(bytes[at])) << 24 | std::uint32_t(std::uint8_t(bytes[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(bytes[at + 2])) << 8 | std::uint32_t(std::uint8_t(bytes[at + 3]));
}

TEST_F(DirectionMapFiles, PictureIsAPngOfTheStatedSize)
{
    // The PNG structure: the signature, then chunks (length, type, data, CRC of type and data).
    const std::string png = Written(vq::WriteDirectionMapPng, "map.png");
    ASSERT_GT(png.size(), 8u);
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::string imageData, firstType;
    std::uint32_t width = 0, height = 0;
    int depth = 0, colourType = -1, interlace = -1;
    std::size_t at = 8;
    std::string type;
    while (at + 12 <= png.size() && type != "IEND") {
        const std::uint32_t length = BigEndian(png, at);
        ASSERT_LE(at + 12 + length, png.size());
        type = png.substr(at + 4, 4);
        const std::string data = png.substr(at + 8, length);
        const uLong crc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4);
        EXPECT_EQ(BigEndian(png, at + 8 + length), crc) << type;
        if (firstType.empty())
            firstType = type;
        if (type == "IHDR") {
            ASSERT_EQ(length, 13u);
            width = BigEndian(data, 0);
            height = BigEndian(data, 4);
            depth = std::uint8_t(data[8]);
            colourType = std::uint8_t(data[9]);
            interlace = std::uint8_t(data[12]);
        } else if (type == "IDAT") {
            imageData += data;
        }
        at += 12 + length;
    }
    EXPECT_EQ(firstType, "IHDR");
    EXPECT_EQ(type, "IEND");
    EXPECT_EQ(at, png.size());
    EXPECT_EQ(width, std::uint32_t(vq::kDirectionPictureWidth));
    EXPECT_EQ(height, std::uint32_t(vq::kDirectionPictureHeight));
    EXPECT_EQ(depth, 8);
    ASSERT_TRUE(colourType == 2 || colourType == 6) << colourType;  // RGB or RGBA
    EXPECT_EQ(interlace, 0);

    // The image data inflates to one filter byte and the pixels per row.
    const std::size_t pixelBytes = colourType == 2 ? 3 : 4;
    std::vector<Bytef> pixels(height * (1 + width * pixelBytes) + 1);
    uLongf size = static_cast<uLongf>(pixels.size());
    ASSERT_EQ(uncompress(pixels.data(), &size, reinterpret_cast<const Bytef*>(imageData.data()),
                         static_cast<uLong>(imageData.size())),
              Z_OK);
    EXPECT_EQ(size, height * (1 + width * pixelBytes));
}

TEST_F(DirectionMapFiles, AFolderThatIsNotThereIsReportedWithThePath)
{
    const std::string path = dir.File("missing/map.csv");
    for (Writer write : {vq::WriteDirectionMapCsv, vq::WriteDirectionMapPng}) {
        vq::FailureDetail detail;
        EXPECT_EQ(write(map, path, &detail), vq::kOutputOpenFailed);
        EXPECT_EQ(detail.path, path);
        EXPECT_FALSE(detail.reason.empty());
    }
}

using DirectionMapFilesDeathTest = DirectionMapFiles;

TEST_F(DirectionMapFilesDeathTest, AWriteTheDiskRefusesLeavesTheEarlierFile)
{
    // A file-size limit makes the disk refuse writes past 16 KiB (both files are larger), as a
    // full disk would.
    for (const auto& [write, name] : {std::pair<Writer, std::string>{vq::WriteDirectionMapCsv, "map.csv"},
                                      {vq::WriteDirectionMapPng, "map.png"}}) {
        const std::string path = dir.File(name);
        std::ofstream(path) << "earlier\n";
        auto run = [&, write = write] {
            vqtest::LimitFileSize(16 * 1024);
            vq::FailureDetail detail;
            const int status = write(map, path, &detail);
            std::fprintf(stderr, "status=%d path=%s\n", status, detail.path.c_str());
            std::exit(0);
        };
        EXPECT_EXIT(run(), testing::ExitedWithCode(0), "status=522 path=" + path);
        EXPECT_EQ(ReadFile(path), "earlier\n");
        std::filesystem::remove(path);
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "no temporary is left behind";
    }
}

}  // namespace

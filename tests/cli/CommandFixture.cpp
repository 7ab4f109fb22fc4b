#include "CommandFixture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace vqtest {

CommandTest::CommandTest() : runner(work.Path(), home.Path())
{
    filters = RandomFilterMatrix(kTaps, 90);
    fs::create_directory(work.File("filters"));
    WriteFilterMatrix(work.File("filters/FilterMatrix_48000.wav"), filters);
}

CommandResult CommandTest::Convert(std::vector<std::string> args, const RunOptions& options) const
{
    args.insert(args.begin(), VQ_CONVERT_PATH);
    return runner.Run(args, options);
}

std::array<Signal, 4> CommandTest::WriteTake(const std::string& name, std::int64_t frames, unsigned seed) const
{
    std::array<Signal, 4> capsules;
    for (int k = 0; k < 4; ++k)
        capsules[k] = Noise(frames, seed * 4 + k, 0.4);
    WriteAFormat(work.File(name + "F.wav"), work.File(name + "R.wav"), capsules);
    return capsules;
}

void CommandTest::WriteLongTake(const std::string& name) const
{
    const std::int64_t frames = 48000 * 60;
    WriteNoiseFile(work.File(name + "F.wav"), 2, frames, 1);
    WriteNoiseFile(work.File(name + "R.wav"), 2, frames, 2);
}

std::array<Signal, 4> CommandTest::Expected(const std::array<Signal, 4>& capsules) const
{
    return ExpectedOutputs(capsules, filters, std::pow(10.0, -3.0 / 20.0),
                           static_cast<std::int64_t>(capsules[0].size()) + kTaps);
}

std::vector<std::string> CommandTest::Listing() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(work.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string CommandTest::Bytes(const std::string& name) const
{
    std::ifstream in(work.File(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string WithoutLoudness(const std::string& out)
{
    std::istringstream lines(out);
    std::string line, listed;
    while (std::getline(lines, line)) {
        const std::size_t told = line.rfind(": ");
        if ((line.rfind("Wrote ", 0) == 0 || line.rfind("  done ", 0) == 0) && told != std::string::npos &&
            (line.find(" LUFS", told) != std::string::npos || line.find("silent", told) != std::string::npos ||
             line.find("dBTP", told) != std::string::npos))
            line.erase(told);
        listed += line + "\n";
    }
    return listed;
}

std::array<Signal, 4> ReadWxyz(const std::string& path)
{
    const Audio audio = ReadAudio(path);
    return {audio.Channel(0), audio.Channel(1), audio.Channel(2), audio.Channel(3)};
}

}  // namespace vqtest

// Publishing outputs: a name taken while a run writes is never replaced without leave, the
// outputs of a writer appear together or not at all, and a run killed mid-write leaves no
// file behind where the file system has unnamed files.
#include "common/EngineStatus.h"
#include "common/OutputWriter.h"
#include "common/PendingFile.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vqtest;
namespace fs = std::filesystem;

namespace {

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> Listing(const TempDir& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool UnnamedFilesWork(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_TMPFILE | O_RDWR, 0600);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

// Opens a writer of the four mono B-format files a.wav .. d.wav and writes a little to them.
void OpenAndWrite(vq::OutputWriter& writer, const TempDir& dir, bool replace)
{
    vq::WriterOptions options;
    options.replace = replace;
    const std::vector<std::string> names = {dir.File("a.wav"), dir.File("b.wav"), dir.File("c.wav"), dir.File("d.wav")};
    vq::FailureDetail detail;
    ASSERT_EQ(writer.Open(vq::BFormatLayout(vq::BFormatConvention::FuMa, 4), names, options, 100, 100, &detail),
              vq::kStatusOk);
    const Signal signal = Noise(100, 1, 0.25);
    const double* signals[4] = {signal.data(), signal.data(), signal.data(), signal.data()};
    ASSERT_EQ(writer.Write(signals, 100, &detail), vq::kStatusOk);
}

TEST(Publish, ANameTakenDuringTheRunIsKeptAndNoOutputAppears)
{
    TempDir dir;
    vq::OutputWriter writer;
    OpenAndWrite(writer, dir, /*replace=*/false);
    // Another program creates c.wav while this run writes.
    std::ofstream(dir.File("c.wav")) << "someone else's result";
    vq::FailureDetail detail;
    EXPECT_EQ(writer.Commit(&detail), vq::kOutputExists);
    EXPECT_EQ(detail.path, dir.File("c.wav"));
    EXPECT_EQ(Bytes(dir.File("c.wav")), "someone else's result");
    EXPECT_EQ(Listing(dir), std::vector<std::string>{"c.wav"}) << "a.wav and b.wav are taken back, nothing is left";
}

TEST(Publish, WithLeaveToReplaceTheNewFilesReplaceTheOld)
{
    TempDir dir;
    vq::OutputWriter writer;
    OpenAndWrite(writer, dir, /*replace=*/true);
    std::ofstream(dir.File("c.wav")) << "an earlier result";
    vq::FailureDetail detail;
    ASSERT_EQ(writer.Commit(&detail), vq::kStatusOk) << detail.reason;
    EXPECT_EQ(Listing(dir), (std::vector<std::string>{"a.wav", "b.wav", "c.wav", "d.wav"}));
    EXPECT_EQ(ReadAudio(dir.File("c.wav")).info.frames, 100);
}

TEST(Publish, AKilledRunLeavesNothingBehindWhereUnnamedFilesExist)
{
    TempDir dir;
    if (!UnnamedFilesWork(dir.Path()))
        GTEST_SKIP() << "this file system has no unnamed files: a killed run leaves its hidden temporaries";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        vq::PendingFile file;
        const bool created = file.Create(dir.File("out.wav"), nullptr) == vq::kStatusOk;
        const bool wrote = created && write(file.Descriptor(), "data", 4) == 4;
        if (write(ready[1], wrote ? "y" : "n", 1) != 1)
            _exit(1);
        pause();  // killed here, mid-run
        _exit(0);
    }
    char answer = 'n';
    ASSERT_EQ(read(ready[0], &answer, 1), 1);
    EXPECT_EQ(answer, 'y');
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_TRUE(Listing(dir).empty());
}

}  // namespace

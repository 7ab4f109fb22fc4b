// SOFA files are parsed in a child process: a parser that hangs, crashes or is cancelled
// ends as a status with a reason, the transfer back is checked whole, and a batch reads a
// file once.
#include "SofaFixture.h"

#include "binaural/SofaHrirs.h"
#include "binaural/SofaReader.h"
#include "common/ChildProcess.h"
#include "common/EngineStatus.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

vqtest::SofaContent SmallSet()
{
    vqtest::SofaContent content;
    content.taps = 16;
    for (int az = 0; az < 360; az += 90)
        content.measurements.push_back({double(az), 0.0, {1, 2}, {1.0, 0.5}});
    return content;
}

TEST(ChildProcess, AWorkThatNeverEndsIsStoppedByTheTimeLimitOrACancel)
{
    const auto sleepForever = [](int) {
        for (;;)
            pause();
        return 0;
    };
    vq::ChildLimits limits;
    limits.seconds = 0.3;
    std::string output, reason;
    Clock::time_point start = Clock::now();
    EXPECT_EQ(vq::RunInChild(sleepForever, limits, {}, &output, &reason), vq::ChildOutcome::TimedOut);
    EXPECT_EQ(reason, "timed out after 0.3 s");
    EXPECT_LT(SecondsSince(start), 5.0);

    limits.seconds = 60.0;
    start = Clock::now();
    const auto cancelSoon = [start] { return SecondsSince(start) < 0.2; };
    EXPECT_EQ(vq::RunInChild(sleepForever, limits, cancelSoon, &output, &reason), vq::ChildOutcome::Cancelled);
    EXPECT_LT(SecondsSince(start), 5.0) << "a cancel does not wait for the time limit";
}

TEST(ChildProcess, TheOutcomeTellsACrashAFailureAndAResultApart)
{
    std::string output, reason;
    const vq::ChildLimits limits;
    EXPECT_EQ(vq::RunInChild([](int) -> int { std::abort(); }, limits, {}, &output, &reason),
              vq::ChildOutcome::Crashed);
    EXPECT_NE(reason.find("crashed"), std::string::npos) << reason;
    EXPECT_EQ(vq::RunInChild([](int) { return 3; }, limits, {}, &output, &reason), vq::ChildOutcome::Failed);
    const auto answer = [](int fd) { return write(fd, "answer", 6) == 6 ? 0 : 1; };
    EXPECT_EQ(vq::RunInChild(answer, limits, {}, &output, &reason), vq::ChildOutcome::Done);
    EXPECT_EQ(output, "answer");
    vq::ChildLimits small;
    small.outputBytes = 3;
    EXPECT_EQ(vq::RunInChild(answer, small, {}, &output, &reason), vq::ChildOutcome::Failed);
    EXPECT_TRUE(output.empty());
}

TEST(SofaReader, TheTransferIsTakenWholeOrNotAtAll)
{
    vq::SofaContents sent;
    sent.measurements = 2;
    sent.receivers = 2;
    sent.taps = 3;
    sent.rates = {44100.0};
    sent.positions = {1, 0, 0, 0, 1, 0};
    sent.responses.assign(12, 0.25f);
    sent.delays = {1, 2};
    const std::string bytes = vq::EncodeSofaContents(sent);
    vq::SofaContents received;
    ASSERT_TRUE(vq::DecodeSofaContents(bytes, &received));
    EXPECT_EQ(received.taps, 3u);
    EXPECT_EQ(received.responses, sent.responses);
    EXPECT_EQ(received.delays, sent.delays);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(vq::DecodeSofaContents(bytes.substr(0, cut), &received)) << cut;
    EXPECT_FALSE(vq::DecodeSofaContents(bytes + "x", &received));
    std::string huge = bytes;
    huge[24] = '\x7F';  // the rates' count, now far beyond the bytes that follow
    EXPECT_FALSE(vq::DecodeSofaContents(huge, &received));
}

TEST(SofaReader, AFileIsParsedOnceUntilItChanges)
{
    vqtest::TempDir dir;
    const std::string path = dir.File("head.sofa");
    vqtest::WriteSofa(path, SmallSet());
    const int before = vq::SofaParserRuns();
    for (int take = 0; take < 3; ++take) {
        vq::SofaHrirs hrirs;
        ASSERT_EQ(hrirs.Load(path), vq::kStatusOk) << hrirs.Reason();
        EXPECT_EQ(hrirs.Measurements(), 4);
    }
    EXPECT_EQ(vq::SofaParserRuns(), before + 1);

    vqtest::SofaContent more = SmallSet();
    more.measurements.push_back({0.0, 90.0, {1, 1}, {1.0, 1.0}});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a modification time of its own
    vqtest::WriteSofa(path, more);
    vq::SofaHrirs changed;
    ASSERT_EQ(changed.Load(path), vq::kStatusOk) << changed.Reason();
    EXPECT_EQ(changed.Measurements(), 5);
    EXPECT_EQ(vq::SofaParserRuns(), before + 2);
}

TEST(SofaReader, AParseThatDoesNotEndNamesTheFileAndTheLimit)
{
    vqtest::TempDir dir;
    const std::string path = dir.File("slow.sofa");
    vqtest::WriteSofa(path, SmallSet());
    vq::ChildLimits none;
    none.seconds = 0.0;  // the child is never waited for
    vq::SofaHrirs hrirs;
    EXPECT_EQ(hrirs.Load(path, {}, none), vq::kHrtfUnreadable);
    EXPECT_EQ(hrirs.Reason(), path + " (timed out after 0 s)");
    EXPECT_EQ(hrirs.Load(path, [] { return false; }), vq::kStatusCancelled);
    EXPECT_EQ(hrirs.Measurements(), 0);
}

}  // namespace

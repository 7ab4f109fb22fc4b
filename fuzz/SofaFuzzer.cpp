// libFuzzer target of the SOFA reader. The first byte chooses what the rest is:
// - bit 0 clear: a SOFA file. It is written under a name of its own (the reader keeps the
//   last file it read by name, size and time) and loaded by SofaHrirs::Load, which has
//   libmysofa parse it in a child process with a short time limit (ReadSofa) and then checks
//   what came back; HRIRs it accepts go through BinauralDecoder at the rate of bits 1-3,
//   for one block. The file is removed after.
// - bit 0 set: the transfer the child sends back, decoded directly (DecodeSofaContents).
//   A transfer it accepts must encode to the very same bytes again.
// The time limit of the child stays far below libFuzzer's -timeout, so every child is
// waited for before an input ends. A fault of libmysofa in the child is what the child is
// for: it dies of it as in the program, and the parent reports the file unreadable.
#include "ScratchDir.h"

#include "binaural/BinauralDecoder.h"
#include "binaural/SofaHrirs.h"
#include "binaural/SofaReader.h"
#include "common/EngineStatus.h"

#include <pthread.h>
#include <sanitizer/common_interface_defs.h>
#include <signal.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kBlockFrames = 256;

void DecodeOneBlock(const std::shared_ptr<const vq::SofaHrirs>& hrirs, int sampleRate)
{
    vq::BinauralDecoder decoder(hrirs);
    if (decoder.Prepare(sampleRate, kBlockFrames) != vq::kStatusOk)
        return;
    std::vector<double> bformat[4], ears[2];
    for (int j = 0; j < 4; ++j)
        for (std::int64_t t = 0; t < kBlockFrames; ++t)
            bformat[j].push_back(std::sin(0.01 * double(t) * (j + 1)));
    for (std::vector<double>& ear : ears)
        ear.resize(kBlockFrames);
    const double* in[4] = {bformat[0].data(), bformat[1].data(), bformat[2].data(), bformat[3].data()};
    double* out[2] = {ears[0].data(), ears[1].data()};
    decoder.Decode(in, out, kBlockFrames);
}

void LoadFile(const std::string& bytes, std::uint8_t settings)
{
    static unsigned long long count = 0;
    const std::string name = "hrirs-" + std::to_string(count++) + ".sofa";
    vqfuzz::WriteScratchFile(name, bytes);
    vq::ChildLimits limits;
    limits.seconds = 2.0;
    limits.memoryBytes = 256ull << 20;
    limits.outputBytes = 64ull << 20;
    auto hrirs = std::make_shared<vq::SofaHrirs>();
    if (hrirs->Load(vqfuzz::ScratchPath(name), {}, limits) == vq::kStatusOk) {
        const int rates[] = {8000, 22050, 44100, 48000, 96000, 192000, 384000, 768000};
        DecodeOneBlock(hrirs, rates[(settings >> 1) & 7]);
    }
    std::remove(vqfuzz::ScratchPath(name).c_str());
}

void DecodeTransfer(const std::string& bytes)
{
    vq::SofaContents contents;
    if (vq::DecodeSofaContents(bytes, &contents) && vq::EncodeSofaContents(contents) != bytes) {
        std::fprintf(stderr, "vq-fuzz: an accepted transfer does not encode to its own bytes\n");
        std::abort();
    }
}

// In every child: the deadly signals as a program has them, and no death callback, so that
// the fuzzer's handlers, inherited with the fork, do not file the input as a crash of the
// fuzzer from within the child (AddressSanitizer still prints its report there).
void PlainChild()
{
    for (int sig : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT})
        signal(sig, SIG_DFL);
    __sanitizer_set_death_callback(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return pthread_atfork(nullptr, nullptr, PlainChild);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 1)
        DecodeTransfer(rest);
    else
        LoadFile(rest, data[0]);
    return 0;
}

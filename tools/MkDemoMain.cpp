// vessarquilix-mkdemo: writes a short simulated A-format recording of a few sources around
// a tetrahedral microphone, to try the converter on.
#include "ToolOptions.h"
#include "common/EngineStatus.h"
#include "common/OutputFiles.h"
#include "StatusTable.h"
#include "VqVersion.h"
#include "demo/DemoRecording.h"
#include "demo/DemoScene.h"
#include "filters/MicrophonePresets.h"

#include <cstdio>
#include <string>

using namespace vq;

namespace {

constexpr const char* kProgram = "vessarquilix-mkdemo";

void PrintHelp()
{
    std::printf(
        "Usage: %s [options]\n"
        "Writes a %.0f-second A-format recording at %d Hz, simulated for a tetrahedral\n"
        "microphone: a plucked string in front, wood knocks to the left, bells high behind\n"
        "on the right, surf low in front on the right, then a buzzing fly once around.\n"
        "The capsules FLU and FRD go to <name>F.wav, BLD and BRU to <name>R.wav (24 bits).\n"
        "\n"
        "%s"
        "  --name NAME          file names NAMEF.wav and NAMER.wav (default demo)\n"
        "%s"
        "\n"
        "Exit status:\n"
        "  0    done\n"
        "  1    a file exists (without --force) or cannot be written\n"
        "  2    the command line is wrong\n"
        "\n"
        "Examples:\n"
        "  $ %s --out my-demo\n"
        "  $ %s --name take --radius 10 --out my-demo\n",
        kProgram, kDemoSeconds, kDemoRate, kMicrophoneHelp, kOutputHelp, kProgram, kProgram);
}

}  // namespace

int main(int argc, char** argv)
{
    CommandLine args(kProgram, MkDemoOptionList(), argc, argv);
    ToolOptions options;
    std::string name = "demo";
    const auto takeName = [&]() {
        if (args.Text(&name) && (name.empty() || name.find('/') != std::string::npos))
            args.BadValue("a file name without a directory");
    };
    if (!ParseToolOptions(args, &options, takeName))
        return kExitUsage;
    if (options.help) {
        PrintHelp();
        return kExitOk;
    }
    if (options.version) {
        std::printf("%s %s\n", kProgram, kVersionString);
        return kExitOk;
    }
    if (options.listPresets) {
        PrintPresets(stdout);
        return kExitOk;
    }

    const std::string front = options.out + "/" + name + "F.wav";
    const std::string rear = options.out + "/" + name + "R.wav";
    if (!ReadyToWrite(kProgram, options, {front, rear}))
        return kExitFailure;
    const int status = WriteDemo(RenderDemo(ArrayModel(options.geometry)), front, rear);
    if (status != kStatusOk) {
        std::fprintf(stderr, "%s: %s\n", kProgram, StatusMessage(status).c_str());
        return kExitFailure;
    }
    std::printf("%s, %s: %.0f s at %d Hz\n", front.c_str(), rear.c_str(), kDemoSeconds, kDemoRate);
    return kExitOk;
}

// vq-shell-completion DIR: writes the bash completion of the four programs into DIR, one
// script named after each, from the options they declare (build time; installed to
// share/bash-completion/completions).
#include "ShellCompletion.h"

#include "ConvertOptions.h"
#include "DecodeModes.h"
#include "ToolOptions.h"
#include "WindowOptions.h"

#include "common/Containers.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The extensions of the sound files the programs write, which they read too, and the other
// names the same kinds of file go by.
std::vector<std::string> SoundExtensions()
{
    std::vector<std::string> extensions;
    for (const vq::Container& container : vq::Containers())
        if (!container.movie)
            extensions.push_back(container.extension);
    extensions.insert(extensions.end(), {"rf64", "bwf", "aif"});
    return extensions;
}

// --decoder offers the decoders of the --mode given.
vq::DependentWords DecodersOfMode()
{
    vq::DependentWords decoders{"decoder", "mode", {}};
    for (const vq::DecodeMode& mode : vq::DecodeModes()) {
        std::vector<std::string> names;
        for (const vq::DecoderChoice& decoder : mode.decoders)
            names.push_back(decoder.name);
        decoders.byValue.emplace_back(mode.name, names);
    }
    return decoders;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: vq-shell-completion DIR\n");
        return vq::kExitUsage;
    }
    using vq::ValueKind;
    const vq::ProgramCommandLine programs[] = {
        {kWindowProgram, WindowOptionList(), ValueKind::kSoundFile, {}},
        {kConvertProgram, ConvertOptionList(), ValueKind::kSoundFile, {DecodersOfMode()}},
        {"vessarquilix-mkfilters", vq::MkFiltersOptionList(), ValueKind::kOther, {}},
        {"vessarquilix-mkdemo", vq::MkDemoOptionList(), ValueKind::kOther, {}},
    };
    for (const vq::ProgramCommandLine& program : programs) {
        const std::string path = std::string(argv[1]) + "/" + program.program;
        std::ofstream file(path);
        file << vq::BashCompletion(program, SoundExtensions());
        if (!file.flush()) {
            std::fprintf(stderr, "vq-shell-completion: cannot write %s\n", path.c_str());
            return vq::kExitFailure;
        }
    }
    return vq::kExitOk;
}

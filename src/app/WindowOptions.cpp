#include "WindowOptions.h"

#include <string>

std::vector<vq::Option> WindowOptionList()
{
    return {{"help", 'h', false}, {"version", 'V', false}};
}

const vq::Option* WindowOption(const char* arg)
{
    static const std::vector<vq::Option> options = WindowOptionList();
    for (const vq::Option& option : options)
        if (arg == "--" + std::string(option.name) || (option.letter && arg == std::string{'-', option.letter}))
            return &option;
    return nullptr;
}

const char* const kWindowUsage =
    "Usage: vessarquilix [FILE...]\n"
    "Opens the VessarQuilix window, which converts the A-format recordings of a tetrahedral\n"
    "microphone to B-format and decodes them (5.1, stereo, UHJ, headphones).\n"
    "\n"
    "FILE...  the take to open: its one file, its front and rear files (takeF.wav takeR.wav)\n"
    "         or its four mono files (takeFLU.wav takeFRD.wav takeBLD.wav takeBRU.wav)\n"
    "\n"
    "  -h, --help     show this help and quit\n"
    "  -V, --version  show the version and quit\n"
    "\n"
    "Batch conversions from the command line: vessarquilix-convert --help\n"
    "\n"
    "Exit status:\n"
    "  0    the window was closed, or --help or --version answered\n"
    "  2    an unknown option (the window does not open)\n"
    "\n"
    "Examples:\n"
    "  $ vessarquilix\n"
    "  $ vessarquilix takeF.wav\n"
    "  $ vessarquilix takeFLU.wav takeFRD.wav takeBLD.wav takeBRU.wav\n";

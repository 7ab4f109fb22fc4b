// The kinds of sound file the program writes, as data: the name users give them, the file
// extension, libsndfile's container code and what each can hold.
#pragma once

#include <string>
#include <vector>

namespace vq {

enum class SampleFormat { Pcm16, Pcm24, Float };

struct Container {
    const char* name;         // as on the command line: "wav", "amb", "w64", "caf", "aiff", "flac"
    const char* extension;    // without the dot
    const char* description;  // for file dialogs: "WAV", "FuMa B-format (.amb)", ...
    int type;                 // libsndfile's container (SF_FORMAT_WAVEX, ...)
    bool holdsFloat;          // false: 16 and 24 bits only (FLAC)
    bool ambisonic;           // Ambisonic B-format header (.amb): Furse-Malham B-format only
};

const std::vector<Container>& Containers();
// The container of a name or of a file extension (any case); null when unknown.
const Container* ContainerNamed(const std::string& name);
const Container* ContainerForExtension(const std::string& extension);
// The container a libsndfile format code and the Ambisonic flag stand for; WAV by default.
const Container& ContainerOf(int format, bool ambisonic);

// The libsndfile format code of a container with a sample format.
int FormatCode(const Container& container, SampleFormat sample);
SampleFormat SampleFormatOf(int format);
// The sample format that keeps the precision of a take of this libsndfile format: 16-bit
// for 16 bits or fewer, 24-bit for 24, float for float, double and 32-bit integers (24-bit
// when the container holds no float); 16-bit when the format tells none.
SampleFormat SampleFormatKeeping(int takeFormat, const Container& container);
// "pcm16", "pcm24", "float"; false for another name.
bool ParseSampleFormat(const std::string& name, SampleFormat* sample);

}  // namespace vq

// The kinds of take, as data: how many files a take is, what each holds, how the first
// file names the others and what the outputs are named after. Naming a take's first file,
// dropping files, pairing the command line's arguments and naming the outputs all read this
// table; a new kind of take is one row (and, when it is B-format, nothing else: B-format
// takes skip the filters).
#pragma once

#include "ConversionRequest.h"

#include <wx/string.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vq {

struct TakeKind {
    const char* name;         // "a-format", "front-rear", "four-mono", "b-format"
    const char* description;  // what the take is, for messages: "one 4-channel A-format file"
    int files;                // files of a take
    int channelsPerFile;
    bool bformat;              // W, X, Y, Z: no filters
    const char* roles[4];      // what each file holds: "FLU + FRD", "BLD + BRU"
    // The other files of a take, from the first file's path; empty entries where the name
    // does not tell them.
    std::vector<wxString> (*companions)(const wxString& first);
    // What the outputs are named after, from the first file's path.
    wxString (*takeName)(const wxString& first);
};

const std::vector<TakeKind>& TakeKinds();
// The row of a name ("a-format", "front-rear", "four-mono", "b-format"); it must be one.
const TakeKind& TakeKindNamed(const std::string& name);

// The ways of reading a 4-channel take's channels: the names of --input-format and of the
// settings file, and the labels of the window's "Read as" choice.
struct InputFormatChoice {
    InputFormat format;
    const char* name;   // "auto", "a-format", "fuma", "ambix"
    const char* label;  // "Read as its header says", ...
};
const std::vector<InputFormatChoice>& InputFormatChoices();
// The place of a format in the choices.
int InputFormatIndex(InputFormat format);

// What the first file of a take says about it, from its header.
struct FirstFileHeader {
    bool readable = false;
    int channels = 0;
    int sampleRate = 0;
    bool ambisonic = false;  // WAVE-EX with the Ambisonic B-format sub-format (.amb)
    std::int64_t frames = 0;  // as the header gives them
};
FirstFileHeader ReadFirstFileHeader(const wxString& path);

// The kind of take that begins with a file of this header, for the input format asked:
// 4 channels are A-format capsules or (by the header, or asked) B-format, 2 a front file,
// 1 the first of four mono files. Null when no kind takes such a file (unreadable, or
// another channel count). `warning`, when given, receives what the user should know: a
// B-format header on a file asked to be read as capsules.
const TakeKind* KindOfTake(const FirstFileHeader& header, InputFormat asked, const wxString& path,
                           std::string* warning = nullptr);
// The kind of a request's take (by its first file); null as above.
const TakeKind* KindOfTake(const ConversionRequest& request, std::string* warning = nullptr);
// The B-format convention a B-format take is read in.
BFormatConvention ConventionOfTake(const FirstFileHeader& header, InputFormat asked);

// The rear file of a front file: the final "F" of the name before its extension becomes
// "R", in the same case (takeF.wav -> takeR.wav, takef.wav -> taker.wav); only the file's
// name changes, never its directory. Empty when the name does not end in "F" or "f".
wxString RearFileName(const wxString& frontPath);

}  // namespace vq

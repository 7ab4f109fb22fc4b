// Reading a SOFA file (AES69) without trusting it: libmysofa parses it in a child process
// (common/ChildProcess.h) with a time and a memory limit, and hands back the arrays it
// found. A file that hangs, crashes or exhausts the parser becomes a status with a reason;
// the program itself never runs the parser. The last file read is kept, by path, size and
// modification time, so a batch of takes reads it once.
//
// What comes back is what the file holds, checked for nothing beyond consistent sizes of
// the transfer: the callers judge whether it suits them (two ears, four capsules, ...).
#pragma once

#include "common/ChildProcess.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vq {

struct SofaContents {
    int loadError = 0;   // libmysofa's code of the load: MYSOFA_OK (0) when it read the file
    int checkError = 0;  // libmysofa's verdict on free-field HRIRs for two ears: MYSOFA_OK when they are
    unsigned measurements = 0, receivers = 0, taps = 0;  // M, R, N
    std::vector<double> rates;      // Data.SamplingRate
    std::vector<float> positions;   // SourcePosition, Cartesian (X front, Y left, Z up) when 3 x M
    std::vector<float> responses;   // Data.IR: [measurement][receiver][tap]
    std::vector<float> delays;      // Data.Delay: empty, R values, or M x R values
};

// Reads `path`. kStatusOk (then `contents` holds the file's arrays; loadError may still say
// that libmysofa could not read it), kHrtfOpenFailed (the file cannot be opened),
// kHrtfUnreadable (the parser hung, crashed or ran out of memory) or kStatusCancelled.
// `reason` says why in words.
int ReadSofa(const std::string& path, const ChildLimits& limits, const std::function<bool()>& keepGoing,
             std::shared_ptr<const SofaContents>* contents, std::string* reason);

// The transfer between the child and the parent, apart for the tests and the fuzz target:
// false when `bytes` is not a whole, consistent transfer.
std::string EncodeSofaContents(const SofaContents& contents);
bool DecodeSofaContents(const std::string& bytes, SofaContents* contents);

// How many times the parser has been started in this process (the cache saves the rest).
int SofaParserRuns();

}  // namespace vq

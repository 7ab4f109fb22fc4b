#include "TakeParts.h"

#include "FileSystemPath.h"
#include "StatusTable.h"

#include "common/EngineStatus.h"
#include "common/JoinedSoundFile.h"
#include "deliver/RecorderMetadata.h"

#include <wx/filename.h>

#include <cctype>
#include <cstdint>
#include <cstdio>

namespace vq {

namespace {

// The time reference (samples since midnight) of a file's bext chunk; false when it has none.
bool TimeReferenceOf(const std::string& path, std::uint64_t* samples)
{
    std::vector<MetadataWarning> ignored;  // the first part's are reported where it is read
    const RecorderMetadata metadata = ReadRecorderMetadata(path, &ignored);
    if (!metadata.bext)
        return false;
    *samples = metadata.bext->TimeReference();
    return true;
}

// How many frames `next` starts after `expected` (negative: before), on a clock that goes
// round at midnight: a recording that runs past midnight starts its next day at 0.
std::int64_t FramesApart(std::uint64_t next, std::uint64_t expected, int rate)
{
    const std::int64_t day = std::int64_t(rate) * 86400;
    std::int64_t apart = static_cast<std::int64_t>(next - expected);
    if (day <= 0)
        return apart;
    apart %= day;
    if (apart > day / 2)
        apart -= day;
    if (apart <= -day / 2)
        apart += day;
    return apart;
}

// Whether the time references of two files, where both have one, follow on.
bool TimesFollowOn(const wxString& previous, std::int64_t previousFrames, const wxString& next, int rate)
{
    std::string before, after;
    std::uint64_t start = 0, nextStart = 0;
    if (!ToFileSystemPath(previous, &before) || !ToFileSystemPath(next, &after) ||
        !TimeReferenceOf(before, &start) || !TimeReferenceOf(after, &nextStart))
        return true;
    return FramesApart(nextStart, start + static_cast<std::uint64_t>(previousFrames), rate) == 0;
}

// A name cut into runs of digits and runs of anything else.
std::vector<wxString> NameRuns(const wxString& name)
{
    std::vector<wxString> runs;
    bool digits = false;
    for (const wxUniChar c : name) {
        const bool digit = c.IsAscii() && std::isdigit(static_cast<unsigned char>(c.GetValue())) != 0;
        if (runs.empty() || digit != digits)
            runs.emplace_back();
        runs.back() += c;
        digits = digit;
    }
    return runs;
}

bool IsCounter(const wxString& run, unsigned long long* value)
{
    return !run.empty() && run.length() <= 18 && run[0].IsAscii() &&
           std::isdigit(static_cast<unsigned char>(run[0].GetValue())) != 0 && run.ToULongLong(value, 10);
}

// Whether two names are one name with a counter that goes up by one from the first to the second.
bool NamesCountUp(const wxString& previous, const wxString& next)
{
    const std::vector<wxString> a = NameRuns(previous);
    const std::vector<wxString> b = NameRuns(next);
    if (a.size() != b.size())
        return false;
    int counters = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i])
            continue;
        unsigned long long from = 0, to = 0;
        if (!IsCounter(a[i], &from) || !IsCounter(b[i], &to) || to != from + 1)
            return false;
        ++counters;
    }
    return counters == 1;
}

}  // namespace

int CheckPartsAgree(const std::vector<std::vector<wxString>>& parts, const TakeKind& kind, InputFormat asked,
                    FailureDetail* detail)
{
    if (parts.empty())
        return kStatusOk;
    const std::vector<wxString>& first = parts.front();
    std::vector<FirstFileHeader> headers;
    for (const wxString& file : first)
        headers.push_back(ReadFirstFileHeader(file));
    for (std::size_t p = 1; p < parts.size(); ++p) {
        const wxString& start = parts[p].front();
        const FirstFileHeader header = ReadFirstFileHeader(start);
        // A file no kind takes is left to the engine, which says what is wrong with it.
        const TakeKind* partKind = KindOfTake(header, asked, start);
        if (partKind && partKind != &kind) {
            *detail = {Utf8(start), std::string(partKind->description) + ", the first part (" + Utf8(first.front()) +
                                        ") " + kind.description};
            return kPartsDisagree;
        }
        for (std::size_t f = 0; f < parts[p].size() && f < headers.size(); ++f) {
            const FirstFileHeader file = f == 0 ? header : ReadFirstFileHeader(parts[p][f]);
            if (!file.readable || !headers[f].readable)
                continue;
            const std::string other = ", the first part (" + Utf8(first[f]) + ") ";
            if (file.sampleRate != headers[f].sampleRate) {
                *detail = {Utf8(parts[p][f]), std::to_string(file.sampleRate) + " Hz" + other +
                                                  std::to_string(headers[f].sampleRate) + " Hz"};
                return kPartsDisagree;
            }
            if (file.channels != headers[f].channels) {
                *detail = {Utf8(parts[p][f]), std::to_string(file.channels) + " channels" + other +
                                                  std::to_string(headers[f].channels)};
                return kPartsDisagree;
            }
        }
    }
    return kStatusOk;
}

std::vector<std::string> PartTimingWarnings(const JoinedSoundFile& parts)
{
    std::vector<std::string> warnings;
    const int rate = parts.Info().samplerate;
    for (std::size_t p = 1; p < parts.PartCount(); ++p) {
        const std::string& before = parts.Paths()[p - 1];
        const std::string& part = parts.Paths()[p];
        std::uint64_t start = 0, previousStart = 0;
        if (!TimeReferenceOf(before, &previousStart) || !TimeReferenceOf(part, &start))
            continue;
        const std::int64_t apart =
            FramesApart(start, previousStart + static_cast<std::uint64_t>(parts.PartFrames(p - 1)), rate);
        if (apart == 0)
            continue;
        const std::int64_t frames = apart > 0 ? apart : -apart;
        char milliseconds[32];
        std::snprintf(milliseconds, sizeof milliseconds, "%.1f ms", rate > 0 ? 1000.0 * double(frames) / rate : 0.0);
        const std::string count = std::to_string(frames) + " frames";
        warnings.push_back(part + ": by its time reference it starts " + count + " (" + milliseconds + ") " +
                           (apart > 0 ? "after " : "before ") + before + " ends: " +
                           (apart > 0 ? "a gap of " + count + ", which the joined take closes"
                                      : "an overlap of " + count + ", which the joined take plays twice") +
                           "; check that the parts are one recording");
    }
    return warnings;
}

bool LooksLikeNextPart(const wxString& previous, const wxString& next)
{
    const wxFileName a(previous), b(next);
    if (a.GetPath() != b.GetPath() || !NamesCountUp(a.GetFullName(), b.GetFullName()))
        return false;
    const FirstFileHeader before = ReadFirstFileHeader(previous);
    const FirstFileHeader after = ReadFirstFileHeader(next);
    if (!before.readable || !after.readable || before.sampleRate != after.sampleRate ||
        before.channels != after.channels)
        return false;
    return TimesFollowOn(previous, before.frames, next, before.sampleRate);
}

std::vector<std::pair<std::size_t, std::size_t>> SplitRecordingRuns(const std::vector<wxString>& firsts)
{
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (std::size_t begin = 0; begin < firsts.size();) {
        std::size_t end = begin + 1;
        while (end < firsts.size() && LooksLikeNextPart(firsts[end - 1], firsts[end]))
            ++end;
        if (end - begin >= 2)
            runs.emplace_back(begin, end);
        begin = end;
    }
    return runs;
}

}  // namespace vq

#include "deliver/OutputMetadata.h"

#include "common/EngineStatus.h"
#include "deliver/FileBytes.h"
#include "deliver/FlacComments.h"
#include "deliver/MetadataText.h"
#include "deliver/RiffChunks.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>

namespace vq {

namespace {

const char kChunksKept[] =
    "bext (time reference, description, originator and its reference, date and time, the coding history with "
    "one line added for the conversion) and iXML, as recorded";

void Fail(FailureDetail* detail, const std::string& path, const std::string& reason)
{
    if (detail) {
        detail->path = path;
        detail->reason = reason;
    }
}

// Digits where a "yyyy-mm-dd" or "hh:mm:ss" field has them; the separators may be any.
bool HasDigitsAt(const std::string& text, std::initializer_list<int> positions, std::size_t length)
{
    if (text.size() != length)
        return false;
    for (const int p : positions)
        if (!std::isdigit(static_cast<unsigned char>(text[p])))
            return false;
    return true;
}

// The recording's date (and time) in ISO 8601 where the fields have the standard's layout,
// the date as recorded otherwise.
std::string RecordingDate(const BroadcastExtension& bext)
{
    const std::string date = bext.OriginationDate();
    const std::string time = bext.OriginationTime();
    if (!HasDigitsAt(date, {0, 1, 2, 3, 5, 6, 8, 9}, 10))
        return date;
    std::string iso = date.substr(0, 4) + "-" + date.substr(5, 2) + "-" + date.substr(8, 2);
    if (HasDigitsAt(time, {0, 1, 3, 4, 6, 7}, 8))
        iso += "T" + time.substr(0, 2) + ":" + time.substr(3, 2) + ":" + time.substr(6, 2);
    return iso;
}

VorbisComments FlacCommentsOf(const BroadcastExtension& bext)
{
    VorbisComments comments;
    const std::pair<const char*, std::string> fields[] = {{"DESCRIPTION", bext.Description()},
                                                          {"ORIGINATOR", bext.Originator()},
                                                          {"DATE", RecordingDate(bext)}};
    for (const auto& field : fields)
        if (!field.second.empty())
            comments.emplace_back(field.first, AsUtf8(field.second));
    comments.emplace_back("TIME_REFERENCE", std::to_string(bext.TimeReference()));
    return comments;
}

std::vector<ChunkToAdd> ChunksOf(const OutputMetadata& metadata, std::vector<unsigned char>* bext)
{
    std::vector<ChunkToAdd> chunks;
    if (metadata.recorder.bext) {
        *bext = metadata.recorder.bext->Body(metadata.historyLine);
        chunks.push_back({"bext", bext});
    }
    if (!metadata.recorder.ixml.empty())
        chunks.push_back({"iXML", &metadata.recorder.ixml});
    return chunks;
}

// What libsndfile stores itself in AIFF and CAF files.
bool SetSoundFileStrings(SNDFILE* file, const RecorderMetadata& recorder)
{
    bool ok = true;
    if (recorder.bext) {
        const std::pair<int, std::string> strings[] = {{SF_STR_COMMENT, recorder.bext->Description()},
                                                       {SF_STR_ARTIST, recorder.bext->Originator()},
                                                       {SF_STR_DATE, RecordingDate(*recorder.bext)}};
        for (const auto& s : strings)
            if (!s.second.empty())
                ok = ok && sf_set_string(file, s.first, AsUtf8(s.second).c_str()) == 0;
    }
    if (ok && !recorder.ixml.empty()) {
        SF_CHUNK_INFO chunk{};
        std::memcpy(chunk.id, "iXML", 4);
        chunk.id_size = 4;
        chunk.datalen = static_cast<unsigned>(recorder.ixml.size());
        chunk.data = const_cast<unsigned char*>(recorder.ixml.data());
        ok = sf_set_chunk(file, &chunk) == SF_ERR_NO_ERROR;
    }
    return ok;
}

// libsndfile stamps the PEAK chunk of float WAV and AIFF files with the time of writing.
bool IsFloat(int format)
{
    const int codec = format & SF_FORMAT_SUBMASK;
    return codec == SF_FORMAT_FLOAT || codec == SF_FORMAT_DOUBLE;
}

// A float WAV's PEAK chunk is left out. libsndfile adds none to RF64 files, and asked to leave
// it out of one, it adds one: ask only here. An AIFF file keeps it, its stamp cleared when the
// file is complete: libsndfile writes an AIFF header at creation, with the chunk, and asked
// to leave it out it writes a shorter one when it closes the file, behind which the first
// header's tail stays, read as samples, in a file of fewer frames than the chunk has bytes.
bool LeavesPeakOut(int format)
{
    const int container = format & SF_FORMAT_TYPEMASK;
    return (container == SF_FORMAT_WAV || container == SF_FORMAT_WAVEX) && IsFloat(format);
}

bool IsFloatAiff(int format)
{
    return (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_AIFF && IsFloat(format);
}

// Sets the time stamp of the finished AIFF file's PEAK chunk to 0 (its chunks: an ID and a
// big-endian size, padded to an even length).
bool ClearAiffPeakStamp(int fd)
{
    unsigned char header[12];
    std::uint64_t length = 0;
    if (!ReadAt(fd, 0, header, 12) || std::memcmp(header, "FORM", 4) != 0 || !FileLength(fd, &length))
        return false;
    for (std::uint64_t at = 12; at + 8 <= length;) {
        if (!ReadAt(fd, at, header, 8))
            return false;
        const std::uint64_t size = std::uint64_t(header[4]) << 24 | Be24(header + 5);
        if (std::memcmp(header, "PEAK", 4) == 0) {
            static const unsigned char zero[4] = {0, 0, 0, 0};
            return size >= 8 && WriteAt(fd, at + 12, zero, 4);
        }
        at += 8 + size + (size & 1);
    }
    return true;  // no PEAK chunk: nothing stamped
}

}  // namespace

const std::vector<MetadataKept>& MetadataKeptTable()
{
    static const std::vector<MetadataKept> kTable = {
        {SF_FORMAT_WAV, "WAV", MetadataRoute::RiffChunks, kChunksKept},
        {SF_FORMAT_WAVEX, "WAV, AMB", MetadataRoute::RiffChunks, kChunksKept},
        {SF_FORMAT_RF64, "RF64", MetadataRoute::RiffChunks, kChunksKept},
        {SF_FORMAT_W64, "W64", MetadataRoute::RiffChunks, kChunksKept},
        {SF_FORMAT_FLAC, "FLAC", MetadataRoute::VorbisComments,
         "Vorbis comments DESCRIPTION, ORIGINATOR, DATE and TIME_REFERENCE (samples since midnight); "
         "no coding history and no iXML"},
        {SF_FORMAT_AIFF, "AIFF", MetadataRoute::SoundFileStrings,
         "the description as its annotation, the originator as its author, and the iXML chunk; no time reference"},
        {SF_FORMAT_CAF, "CAF", MetadataRoute::SoundFileStrings,
         "the description as its comment, the originator as its artist, the date, and the iXML chunk; "
         "no time reference"},
    };
    return kTable;
}

const MetadataKept* MetadataKeptFor(int format)
{
    for (const MetadataKept& row : MetadataKeptTable())
        if (row.type == (format & SF_FORMAT_TYPEMASK))
            return &row;
    return nullptr;
}

int PrepareOutputMetadata(SNDFILE* file, int format, const OutputMetadata& metadata, FailureDetail* detail)
{
    // SFC_SET_ADD_PEAK_CHUNK answers whether a PEAK chunk will be written.
    if (!file || (LeavesPeakOut(format) && sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE) != SF_FALSE)) {
        Fail(detail, "", "libsndfile cannot leave out its time-stamped PEAK chunk");
        return kOutputOpenFailed;
    }
    const MetadataKept* row = MetadataKeptFor(format);
    if (!row || metadata.recorder.Empty())
        return kStatusOk;
    try {
        bool ok = true;
        if (row->route == MetadataRoute::SoundFileStrings)
            ok = SetSoundFileStrings(file, metadata.recorder);
        else if (row->route == MetadataRoute::VorbisComments && metadata.recorder.bext)
            ok = sf_set_string(file, SF_STR_COMMENT, FlacReservation(FlacCommentsOf(*metadata.recorder.bext)).c_str()) == 0;
        if (!ok) {
            Fail(detail, "", std::string("libsndfile cannot store the recording's metadata: ") + sf_strerror(file));
            return kOutputOpenFailed;
        }
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    return kStatusOk;
}

std::uint64_t TrailingMetadataBytes(int format, const OutputMetadata& metadata)
{
    const MetadataKept* row = MetadataKeptFor(format);
    if (!row || row->route != MetadataRoute::RiffChunks)
        return 0;
    std::vector<unsigned char> bext;
    return AddedBytes(ChunksOf(metadata, &bext));
}

int CompleteOutputMetadata(int fd, const std::string& name, int format, const OutputMetadata& metadata,
                           FailureDetail* detail)
{
    if (IsFloatAiff(format) && !ClearAiffPeakStamp(fd)) {
        Fail(detail, name, "its PEAK chunk's time stamp cannot be cleared: " + LastSystemError());
        return kOutputWriteFailed;
    }
    const MetadataKept* row = MetadataKeptFor(format);
    if (!row || metadata.recorder.Empty())
        return kStatusOk;
    try {
        std::string reason;
        std::vector<unsigned char> bext;
        bool ok = true;
        if (row->route == MetadataRoute::RiffChunks)
            ok = AddChunks(fd, ChunksOf(metadata, &bext), &reason);
        else if (row->route == MetadataRoute::VorbisComments && metadata.recorder.bext)
            ok = SetFlacComments(fd, FlacCommentsOf(*metadata.recorder.bext), &reason);
        if (!ok) {
            Fail(detail, name, "the recording's metadata cannot be added: " + reason);
            return kOutputWriteFailed;
        }
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    return kStatusOk;
}

int CompleteOutputMetadata(const std::string& path, const std::string& name, int format,
                           const OutputMetadata& metadata, FailureDetail* detail)
{
    const MetadataKept* row = MetadataKeptFor(format);
    if ((!row || metadata.recorder.Empty()) && !IsFloatAiff(format))
        return kStatusOk;
    const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        Fail(detail, name, std::strerror(errno));
        return kOutputWriteFailed;
    }
    const int status = CompleteOutputMetadata(fd, name, format, metadata, detail);
    if (close(fd) != 0 && status == kStatusOk) {
        Fail(detail, name, std::strerror(errno));
        return kOutputWriteFailed;
    }
    return status;
}

OutputMetadata MetadataOfOutput(const CarriedMetadata& carried, int format, int channels, int sampleRate)
{
    OutputMetadata output;
    output.recorder = carried.recorder;
    if (!carried.recorder.bext)
        return output;  // the coding history is the bext chunk's
    CodingHistoryEntry entry;
    entry.sampleRate = sampleRate;
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_16:
        entry.wordLength = 16;
        break;
    case SF_FORMAT_PCM_24:
        entry.wordLength = 24;
        break;
    case SF_FORMAT_DOUBLE:
        entry.wordLength = 64;
        break;
    default:
        entry.wordLength = 32;
        break;
    }
    entry.mode = channels == 1 ? "mono" : channels == 2 ? "stereo" : std::to_string(channels) + "chn";
    entry.version = carried.version;
    entry.detail = carried.detail;
    output.historyLine = FormatCodingHistoryLine(entry);
    return output;
}

}  // namespace vq

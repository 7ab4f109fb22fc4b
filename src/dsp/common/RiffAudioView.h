// libsndfile 1.2 misreads some sound files of the RIFF family: it refuses an RF64 file in
// which an odd-sized chunk before the data is followed by its pad byte ("No 'data' chunk
// marker"), and reads the chunks after the data of a Wave64 file as samples. The program
// reads the chunks itself (deliver/RiffChunks.h), so such a file is handed to libsndfile as
// a view of what it can read: a header made here, the file's format chunk, and the file's
// data chunk bounded by the chunk's own size. Every other chunk is left out of the view.
#pragma once

#include "deliver/RiffChunks.h"

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vq {

class RiffAudioView {
public:
    RiffAudioView() = default;
    ~RiffAudioView();
    RiffAudioView(const RiffAudioView&) = delete;
    RiffAudioView& operator=(const RiffAudioView&) = delete;

    // Opens `path` for reading and finds its format and data chunks. False when it is no
    // WAV, RF64 or Wave64 file of integer or float samples with both.
    bool Open(const std::string& path);

    // The frames the data chunk holds (as far as the file goes).
    std::int64_t Frames() const { return m_frames; }
    // Whether whole chunks follow the data chunk to the end of the file: a reader that takes
    // the file's end for the data's reads them as samples.
    bool ChunksFollowData() const { return m_chunksFollow; }

    // libsndfile's handle of the view, which must outlive it; null when libsndfile cannot
    // read it either (sf_strerror(nullptr) says why).
    SNDFILE* OpenSoundFile(SF_INFO* info);

private:
    static sf_count_t Length(void* self);
    static sf_count_t Seek(sf_count_t offset, int whence, void* self);
    static sf_count_t Read(void* data, sf_count_t count, void* self);
    static sf_count_t Write(const void* data, sf_count_t count, void* self);
    static sf_count_t Tell(void* self);

    int m_fd = -1;
    std::vector<unsigned char> m_header;  // the view up to the data's first byte
    std::uint64_t m_dataOffset = 0;       // where the data lies in the file
    std::uint64_t m_dataBytes = 0;
    std::uint64_t m_position = 0;  // in the view
    std::int64_t m_frames = 0;
    bool m_chunksFollow = false;
};

}  // namespace vq

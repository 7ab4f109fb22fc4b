#include "common/OutputWriter.h"

#include "common/EngineStatus.h"
#include "common/SoundFileOutput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace vq {

namespace {

// libsndfile's speaker ids for the bits of a WAVE channel mask, lowest bit first.
const int kSpeakerIds[] = {SF_CHANNEL_MAP_LEFT, SF_CHANNEL_MAP_RIGHT,     SF_CHANNEL_MAP_CENTER,
                           SF_CHANNEL_MAP_LFE,  SF_CHANNEL_MAP_REAR_LEFT, SF_CHANNEL_MAP_REAR_RIGHT};

int IntegerBits(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_PCM_32:
        return 32;
    default:
        return 0;  // float, double or a compressed format: libsndfile converts the doubles
    }
}

bool IsWave(int format)
{
    const int container = format & SF_FORMAT_TYPEMASK;
    return container == SF_FORMAT_WAVEX || container == SF_FORMAT_RF64;
}

void Fail(FailureDetail* detail, const std::string& path, const std::string& reason)
{
    if (detail) {
        detail->path = path;
        detail->reason = reason;
    }
}

// libsndfile writes the quad speaker mask into every 4-channel WAVE-EX header, and has no
// way to write none: B-format is no loudspeaker feed, so the mask is cleared in the
// finished file. Walks the chunks to "fmt " (RIFF and RF64 alike).
bool ClearWaveChannelMask(int fd)
{
    unsigned char chunk[8];
    off_t at = 12;
    while (pread(fd, chunk, 8, at) == 8) {
        const std::uint32_t size = chunk[4] | chunk[5] << 8 | chunk[6] << 16 | std::uint32_t(chunk[7]) << 24;
        at += 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            unsigned char fmt[24];
            const ssize_t wanted = size >= 24 ? 24 : 16;
            if (size < 16 || pread(fd, fmt, static_cast<std::size_t>(wanted), at) != wanted)
                return false;
            if (size < 24 || fmt[0] != 0xFE || fmt[1] != 0xFF)
                return true;  // a plain format chunk names no speakers
            static const unsigned char zero[4] = {0, 0, 0, 0};
            return pwrite(fd, zero, 4, at + 20) == 4;
        }
        at += static_cast<off_t>(size) + (size & 1);
    }
    return false;
}

}  // namespace

OutputWriter::~OutputWriter()
{
    Discard();
}

int OutputWriter::Open(const OutputLayout& layout, const std::vector<std::string>& names, const WriterOptions& options,
                       std::int64_t frames, std::int64_t maxFrames, FailureDetail* detail)
{
    Discard();
    m_options = options;
    m_integer = IntegerBits(options.format) > 0;
    m_scale = 1.0;
    m_offset = 0.0;
    m_peak = m_sum = 0.0;
    m_clipped = m_samples = 0;
    std::size_t widest = 1;
    for (const OutputFile& file : layout)
        widest = std::max(widest, file.channels.size());
    try {
        const std::size_t samples = static_cast<std::size_t>(std::max<std::int64_t>(maxFrames, 1)) * widest;
        m_interleaved.assign(samples, 0.0);
        m_integers.assign(m_integer ? samples : 0, 0);
        m_files.resize(layout.size());
        m_fileClipped.assign(layout.size(), 0);
    } catch (const std::bad_alloc&) {
        m_files.clear();
        return kOutOfMemory;
    }
    m_loudness.Clear();
    if (options.measureLoudness && m_loudness.Prepare(layout, options.sampleRate, maxFrames) != kStatusOk)
        return kOutOfMemory;
    if (m_integer)
        m_quantizer.Configure(IntegerBits(options.format), options.dither);

    for (std::size_t i = 0; i < layout.size(); ++i) {
        File& file = m_files[i];
        file.layout = &layout[i];
        file.finalName = i < names.size() ? names[i] : std::string();
        SF_INFO info{};
        info.samplerate = options.sampleRate;
        info.channels = static_cast<int>(layout[i].channels.size());
        file.metadata = MetadataOfOutput(options.metadata, options.format, info.channels, options.sampleRate);
        // The chunks added after the data count towards a WAV header's 32-bit limit too.
        info.format = FormatForLength(options.format, info.channels, frames,
                                      kMaxWavDataBytes - TrailingMetadataBytes(options.format, file.metadata));
        file.format = info.format;
        if (file.finalName.empty() || !sf_format_check(&info)) {
            Fail(detail, file.finalName, "this sample format cannot be written in this kind of file");
            return kOutputOpenFailed;
        }
        file.pending = std::make_unique<PendingFile>();
        const int status = file.pending->Create(file.finalName, detail);
        if (status != kStatusOk)
            return status;
        // The descriptor stays the pending file's: libsndfile must not close it.
        file.handle = sf_open_fd(file.pending->Descriptor(), SFM_WRITE, &info, SF_FALSE);
        if (!file.handle) {
            Fail(detail, file.finalName, sf_strerror(nullptr));
            return kOutputOpenFailed;
        }
        if (PrepareOutputMetadata(file.handle, info.format, file.metadata, detail) != kStatusOk) {
            detail->path = file.finalName;
            return kOutputOpenFailed;
        }
        bool ok = true;
        if (IsWave(info.format) && layout[i].channelMask != 0) {
            std::vector<int> map;
            for (int bit = 0; bit < 6; ++bit)
                if (layout[i].channelMask & (1u << bit))
                    map.push_back(kSpeakerIds[bit]);
            ok = static_cast<int>(map.size()) == info.channels &&
                 sf_command(file.handle, SFC_SET_CHANNEL_MAP_INFO, map.data(),
                            static_cast<int>(map.size() * sizeof(int)));
        }
        if (ok && options.ambisonicHeader)
            ok = sf_command(file.handle, SFC_WAVEX_SET_AMBISONIC, nullptr, SF_AMBISONIC_B_FORMAT) ==
                 SF_AMBISONIC_B_FORMAT;
        if (!ok) {
            Fail(detail, file.finalName, "libsndfile cannot label its channels");
            return kOutputOpenFailed;
        }
    }
    return kStatusOk;
}

void OutputWriter::SetScale(double scale, double offset)
{
    m_scale = scale;
    m_offset = offset;
}

int OutputWriter::Rewind(FailureDetail* detail)
{
    for (File& file : m_files)
        if (sf_seek(file.handle, 0, SEEK_SET) != 0) {
            Fail(detail, file.finalName, sf_strerror(file.handle));
            return kOutputWriteFailed;
        }
    m_peak = m_sum = 0.0;
    m_clipped = m_samples = 0;
    std::fill(m_fileClipped.begin(), m_fileClipped.end(), 0);
    if (m_integer)
        m_quantizer.Configure(IntegerBits(m_options.format), m_options.dither);
    if (m_loudness.Restart() != kStatusOk) {
        Fail(detail, m_files.empty() ? std::string() : m_files.front().finalName,
             "no memory to measure its loudness again");
        return kOutOfMemory;
    }
    return kStatusOk;
}

int OutputWriter::Write(const double* const signals[], std::int64_t frames, FailureDetail* detail)
{
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        const int status = WriteFile(i, signals, frames, detail);
        if (status != kStatusOk)
            return status;
    }
    if (m_loudness.AddProgramme(signals, frames, m_scale, m_offset) != kStatusOk) {
        Fail(detail, m_files.front().finalName, "its loudness could not be measured");
        return kOutputWriteFailed;
    }
    return kStatusOk;
}

int OutputWriter::WriteFile(std::size_t index, const double* const signals[], std::int64_t frames,
                            FailureDetail* detail)
{
    File& file = m_files[index];
    const std::vector<OutputChannel>& channels = file.layout->channels;
    const std::size_t width = channels.size();
    const std::int64_t piece = static_cast<std::int64_t>(m_interleaved.size() / width);
    double peak = m_peak;
    for (std::int64_t start = 0; start < frames; start += piece) {
        const std::int64_t count = std::min(piece, frames - start);
        for (std::size_t c = 0; c < width; ++c) {
            const double* in = signals[channels[c].signal] + start;
            const double factor = m_scale * channels[c].weight;
            const double offset = m_offset;
            double* out = m_interleaved.data() + c;
            // Four running peaks and sums: four short dependency chains, not one long one.
            double peaks[4] = {peak, 0.0, 0.0, 0.0}, sums[4] = {0.0, 0.0, 0.0, 0.0};
            std::int64_t n = 0;
            for (; n + 4 <= count; n += 4)
                for (int k = 0; k < 4; ++k) {
                    const double v = factor * in[n + k] - offset;
                    out[(n + k) * width] = v;
                    peaks[k] = std::max(peaks[k], std::fabs(v));
                    sums[k] += v;
                }
            for (; n < count; ++n) {
                const double v = factor * in[n] - offset;
                out[n * width] = v;
                peaks[0] = std::max(peaks[0], std::fabs(v));
                sums[0] += v;
            }
            peak = std::max(std::max(peaks[0], peaks[1]), std::max(peaks[2], peaks[3]));
            m_sum += (sums[0] + sums[1]) + (sums[2] + sums[3]);
        }
        const std::int64_t samples = count * static_cast<std::int64_t>(width);
        if (m_integer) {
            const std::int64_t clipped = m_quantizer.Quantize(m_interleaved.data(), m_integers.data(), samples);
            m_clipped += clipped;
            m_fileClipped[index] += clipped;
            // The file is measured as it holds the samples: clipped, rounded and dithered.
            if (m_options.measureLoudness)
                for (std::int64_t i = 0; i < samples; ++i)
                    m_interleaved[static_cast<std::size_t>(i)] = m_integers[static_cast<std::size_t>(i)] / 2147483648.0;
        }
        if (m_loudness.AddFile(index, m_interleaved.data(), count) != kStatusOk) {
            Fail(detail, file.finalName, "its loudness could not be measured");
            return kOutputWriteFailed;
        }
        const sf_count_t written = m_integer ? sf_writef_int(file.handle, m_integers.data(), count)
                                             : sf_writef_double(file.handle, m_interleaved.data(), count);
        if (written != count) {
            Fail(detail, file.finalName, sf_strerror(file.handle));
            return kOutputWriteFailed;
        }
        m_samples += samples;
    }
    m_peak = peak;
    return kStatusOk;
}

std::vector<OutputFigures> OutputWriter::Figures() const
{
    std::vector<OutputFigures> figures(m_fileClipped.size());
    for (std::size_t i = 0; i < figures.size(); ++i) {
        figures[i].clippedSamples = m_fileClipped[i];
        figures[i].loudness = m_loudness.File(i);
    }
    return figures;
}

int OutputWriter::Commit(FailureDetail* detail)
{
    int status = Finish(detail);
    if (status == kStatusOk)
        status = Publish(detail);
    Discard();
    return status;
}

int OutputWriter::Finish(FailureDetail* detail)
{
    int status = kStatusOk;
    const bool wave = IsWave(FormatForLength(m_options.format, 1, 0));
    for (File& file : m_files) {
        if (!file.handle)
            continue;
        // A FLAC file gets its header with its first frames: one with none needs it now.
        if (status == kStatusOk && m_samples == 0 && (m_options.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC)
            sf_command(file.handle, SFC_UPDATE_HEADER_NOW, nullptr, 0);
        const bool closed = sf_close(file.handle) == 0;
        file.handle = nullptr;
        if (status != kStatusOk)
            continue;
        if (!closed) {
            Fail(detail, file.finalName, "the file could not be completed");
            status = kOutputWriteFailed;
        } else if (wave && file.layout->channelMask == 0 && !ClearWaveChannelMask(file.pending->Descriptor())) {
            Fail(detail, file.finalName, "its header could not be completed");
            status = kOutputWriteFailed;
        } else {
            status = CompleteOutputMetadata(file.pending->Descriptor(), file.finalName, file.format, file.metadata,
                                            detail);
        }
    }
    return status;
}

int OutputWriter::Publish(FailureDetail* detail)
{
    for (File& file : m_files) {
        const int status = file.pending->Publish(m_options.replace, detail);
        if (status != kStatusOk) {
            Unpublish();
            return status;
        }
        file.published = true;
    }
    return kStatusOk;
}

void OutputWriter::Unpublish()
{
    // Without replacing, a published file is one this writer created a moment ago: taking
    // it away again leaves the folder as it was before the run. A replaced file is gone.
    if (m_options.replace)
        return;
    for (File& file : m_files)
        if (file.published)
            std::remove(file.finalName.c_str());
}

void OutputWriter::Discard()
{
    for (File& file : m_files) {
        if (file.handle)
            sf_close(file.handle);
        file.pending.reset();  // removes what was not published
    }
    m_files.clear();
}

}  // namespace vq

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

std::string Directory(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
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
bool ClearWaveChannelMask(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (!f)
        return false;
    unsigned char chunk[8];
    bool cleared = false;
    if (std::fseek(f, 12, SEEK_SET) == 0) {
        while (std::fread(chunk, 1, 8, f) == 8) {
            const long size = static_cast<long>(chunk[4] | chunk[5] << 8 | chunk[6] << 16 | unsigned(chunk[7]) << 24);
            if (std::memcmp(chunk, "fmt ", 4) == 0) {
                unsigned char fmt[24];
                const bool read = size >= 16 && std::fread(fmt, 1, size >= 24 ? 24 : 16, f) == (size >= 24 ? 24u : 16u);
                if (read && size >= 24 && fmt[0] == 0xFE && fmt[1] == 0xFF) {
                    static const unsigned char zero[4] = {0, 0, 0, 0};
                    cleared = std::fseek(f, -4, SEEK_CUR) == 0 && std::fwrite(zero, 1, 4, f) == 4;
                } else {
                    cleared = read;  // a plain format chunk names no speakers
                }
                break;
            }
            if (std::fseek(f, size + (size & 1), SEEK_CUR) != 0)
                break;
        }
    }
    return std::fclose(f) == 0 && cleared;
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
    } catch (const std::bad_alloc&) {
        m_files.clear();
        return kOutOfMemory;
    }
    if (m_integer)
        m_quantizer.Configure(IntegerBits(options.format), options.dither);

    for (std::size_t i = 0; i < layout.size(); ++i) {
        File& file = m_files[i];
        file.layout = &layout[i];
        file.finalName = i < names.size() ? names[i] : std::string();
        SF_INFO info{};
        info.samplerate = options.sampleRate;
        info.channels = static_cast<int>(layout[i].channels.size());
        info.format = FormatForLength(options.format, info.channels, frames);
        if (file.finalName.empty() || !sf_format_check(&info)) {
            Fail(detail, file.finalName, "this sample format cannot be written in this kind of file");
            return kOutputOpenFailed;
        }
        // A hidden temporary in the destination's directory, so that the rename is atomic.
        std::string pattern = Directory(file.finalName) + "/." + BaseName(file.finalName) + ".XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const int fd = mkstemp(buffer.data());
        if (fd < 0) {
            Fail(detail, file.finalName, std::strerror(errno));
            return kOutputOpenFailed;
        }
        file.temporary = buffer.data();
        // mkstemp makes the file private; an output gets the permissions any new file gets.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
        file.handle = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
        if (!file.handle) {
            Fail(detail, file.finalName, sf_strerror(nullptr));
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
    if (m_integer)
        m_quantizer.Configure(IntegerBits(m_options.format), m_options.dither);
    return kStatusOk;
}

int OutputWriter::Write(const double* const signals[], std::int64_t frames, FailureDetail* detail)
{
    for (File& file : m_files) {
        const int status = WriteFile(file, signals, frames, detail);
        if (status != kStatusOk)
            return status;
    }
    return kStatusOk;
}

int OutputWriter::WriteFile(File& file, const double* const signals[], std::int64_t frames, FailureDetail* detail)
{
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
        sf_count_t written;
        if (m_integer) {
            m_clipped += m_quantizer.Quantize(m_interleaved.data(), m_integers.data(), samples);
            written = sf_writef_int(file.handle, m_integers.data(), count);
        } else {
            written = sf_writef_double(file.handle, m_interleaved.data(), count);
        }
        if (written != count) {
            Fail(detail, file.finalName, sf_strerror(file.handle));
            return kOutputWriteFailed;
        }
        m_samples += samples;
    }
    m_peak = peak;
    return kStatusOk;
}

int OutputWriter::Commit(FailureDetail* detail)
{
    int status = kStatusOk;
    for (File& file : m_files) {
        const bool closed = sf_close(file.handle) == 0;
        file.handle = nullptr;
        if (status != kStatusOk)
            continue;
        const bool wave = IsWave(FormatForLength(m_options.format, 1, 0));
        if (!closed) {
            Fail(detail, file.finalName, "the file could not be completed");
            status = kOutputWriteFailed;
        } else if (wave && file.layout->channelMask == 0 && !ClearWaveChannelMask(file.temporary)) {
            Fail(detail, file.finalName, "its header could not be completed");
            status = kOutputWriteFailed;
        } else if (std::rename(file.temporary.c_str(), file.finalName.c_str()) != 0) {
            Fail(detail, file.finalName, std::strerror(errno));
            status = kOutputWriteFailed;
        } else {
            file.temporary.clear();
        }
    }
    Discard();
    return status;
}

void OutputWriter::Discard()
{
    for (File& file : m_files) {
        if (file.handle)
            sf_close(file.handle);
        if (!file.temporary.empty())
            std::remove(file.temporary.c_str());
    }
    m_files.clear();
}

}  // namespace vq

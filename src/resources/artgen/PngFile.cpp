#include "PngFile.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <vector>

namespace artgen {

namespace {

using Bytes = std::vector<std::uint8_t>;

void AppendBigEndian(Bytes* out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<std::uint8_t>(value >> shift));
}

// A chunk: length, type, data, and the CRC of type and data.
void AppendChunk(Bytes* out, const char type[4], const Bytes& data)
{
    AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out->data() + typeStart, static_cast<uInt>(out->size() - typeStart));
    AppendBigEndian(out, static_cast<std::uint32_t>(crc));
}

// Each row is stored with filter type 0 (none) before the whole is compressed.
bool CompressRows(const Canvas& canvas, Bytes* compressed)
{
    const int channels = canvas.HasAlpha() ? 4 : 3;
    const std::vector<std::uint8_t>& rgba = canvas.Rgba();
    Bytes rows;
    for (int y = 0; y < canvas.Height(); ++y) {
        rows.push_back(0);
        for (int x = 0; x < canvas.Width(); ++x) {
            const std::uint8_t* pixel = &rgba[(static_cast<std::size_t>(y) * canvas.Width() + x) * 4];
            rows.insert(rows.end(), pixel, pixel + channels);
        }
    }
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    compressed->resize(size);
    if (compress2(compressed->data(), &size, rows.data(), static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION) != Z_OK)
        return false;
    compressed->resize(size);
    return true;
}

}  // namespace

bool WritePng(const Canvas& canvas, const std::string& path)
{
    Bytes header;
    AppendBigEndian(&header, static_cast<std::uint32_t>(canvas.Width()));
    AppendBigEndian(&header, static_cast<std::uint32_t>(canvas.Height()));
    const std::uint8_t bitDepth = 8;
    const std::uint8_t colourType = canvas.HasAlpha() ? 6 : 2;     // truecolour with or without alpha
    header.insert(header.end(), {bitDepth, colourType, 0, 0, 0});  // deflate, adaptive filters, no interlace

    Bytes imageData;
    if (!CompressRows(canvas, &imageData))
        return false;

    Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    AppendChunk(&file, "IHDR", header);
    AppendChunk(&file, "IDAT", imageData);
    AppendChunk(&file, "IEND", {});

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace artgen

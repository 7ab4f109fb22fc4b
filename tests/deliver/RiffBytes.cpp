#include "deliver/RiffBytes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace vqtest {

namespace {

const unsigned char kW64Tail[12] = {0xF3, 0xAC, 0xD3, 0x11, 0x8C, 0xD1, 0x00, 0xC0, 0x4F, 0x8E, 0xDB, 0x8A};
const unsigned char kW64Riff[16] = {'r', 'i', 'f', 'f', 0x2E, 0x91, 0xCF, 0x11, 0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0, 0};

void Put(Bytes& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::uint64_t Get(const Bytes& in, std::size_t at, int bytes)
{
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | in.at(at + i);
    return value;
}

void PutChunk(Bytes& out, Wave kind, const std::string& id, const Bytes& body, std::uint64_t declared = 0)
{
    out.insert(out.end(), id.begin(), id.end());
    if (kind == Wave::Wave64) {
        out.insert(out.end(), kW64Tail, kW64Tail + 12);
        Put(out, (declared ? declared : body.size()) + 24, 8);
    } else {
        Put(out, declared ? declared : body.size(), 4);
    }
    out.insert(out.end(), body.begin(), body.end());
    const std::size_t align = kind == Wave::Wave64 ? 8 : 2;
    out.resize((out.size() + align - 1) / align * align, 0);
}

}  // namespace

Bytes RecorderFile(Wave kind, const std::vector<RawChunk>& before, const std::vector<RawChunk>& after, int frames)
{
    return RecorderFile(kind, before, after, std::vector<std::int16_t>(static_cast<std::size_t>(frames) * 4, 0));
}

Bytes RecorderFile(Wave kind, const std::vector<RawChunk>& before, const std::vector<RawChunk>& after,
                   const std::vector<std::int16_t>& samples)
{
    const std::size_t frames = samples.size() / 4;
    Bytes fmt;
    Put(fmt, 1, 2);
    Put(fmt, 4, 2);
    Put(fmt, 48000, 4);
    Put(fmt, 48000 * 8, 4);
    Put(fmt, 8, 2);
    Put(fmt, 16, 2);
    Bytes data;
    for (const std::int16_t sample : samples)
        Put(data, static_cast<std::uint16_t>(sample), 2);

    Bytes file;
    if (kind == Wave::Wave64) {
        file.assign(kW64Riff, kW64Riff + 16);
        Put(file, 0, 8);
        file.insert(file.end(), {'w', 'a', 'v', 'e'});
        file.insert(file.end(), kW64Tail, kW64Tail + 12);
    } else {
        const std::string magic = kind == Wave::Rf64 ? "RF64" : "RIFF";
        file.assign(magic.begin(), magic.end());
        Put(file, kind == Wave::Rf64 ? 0xFFFFFFFF : 0, 4);
        file.insert(file.end(), {'W', 'A', 'V', 'E'});
        if (kind == Wave::Rf64) {
            Bytes ds64;
            Put(ds64, 0, 8);  // the RIFF size, filled in below
            Put(ds64, data.size(), 8);
            Put(ds64, frames, 8);
            Put(ds64, 0, 4);
            PutChunk(file, kind, "ds64", ds64);
        }
    }
    PutChunk(file, kind, "fmt ", fmt);
    for (const RawChunk& c : before)
        PutChunk(file, kind, c.id, c.body, c.declaredSize);
    if (kind == Wave::Rf64) {
        file.insert(file.end(), {'d', 'a', 't', 'a', 0xFF, 0xFF, 0xFF, 0xFF});
        file.insert(file.end(), data.begin(), data.end());
    } else {
        PutChunk(file, kind, "data", data);
    }
    for (const RawChunk& c : after)
        PutChunk(file, kind, c.id, c.body, c.declaredSize);

    Bytes size;
    if (kind == Wave::Wave64) {
        Put(size, file.size(), 8);
        std::copy(size.begin(), size.end(), file.begin() + 16);
    } else {
        Put(size, file.size() - 8, kind == Wave::Rf64 ? 8 : 4);
        std::copy(size.begin(), size.end(), file.begin() + (kind == Wave::Rf64 ? 20 : 4));
    }
    return file;
}

Bytes BextBody(const std::string& description, const std::string& originator, std::uint64_t timeReference,
               const std::string& history)
{
    Bytes body(602, 0);
    std::copy(description.begin(), description.end(), body.begin());
    std::copy(originator.begin(), originator.end(), body.begin() + 256);
    const std::string reference = "USID0123456789";
    std::copy(reference.begin(), reference.end(), body.begin() + 288);
    const std::string dateTime = "2024-05-0609:10:11";
    std::copy(dateTime.begin(), dateTime.end(), body.begin() + 320);
    for (int i = 0; i < 8; ++i)
        body[338 + i] = static_cast<unsigned char>(timeReference >> (8 * i));
    // Version 2, a UMID and loudness fields: bytes an output must keep as they are.
    body[346] = 2;
    for (int i = 0; i < 64; ++i)
        body[348 + i] = static_cast<unsigned char>(0xA0 + i);
    body[412] = 0x10;
    body[413] = 0xF7;
    body.insert(body.end(), history.begin(), history.end());
    return body;
}

std::uint64_t TimeReferenceOf(const Bytes& bext)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0 && bext.size() >= 346; --i)
        value = value << 8 | bext[338 + static_cast<std::size_t>(i)];
    return value;
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes AsBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

std::map<std::string, std::vector<Bytes>> ChunksOf(const Bytes& file)
{
    std::map<std::string, std::vector<Bytes>> chunks;
    const std::string magic(file.begin(), file.begin() + 4);
    const bool w64 = std::equal(kW64Riff, kW64Riff + 16, file.begin());
    const bool rf64 = magic == "RF64";
    if (w64)
        EXPECT_EQ(Get(file, 16, 8), file.size()) << "Wave64 riff size";
    else if (rf64)
        EXPECT_EQ(Get(file, 20, 8), file.size() - 8) << "ds64 RIFF size";
    else
        EXPECT_EQ(Get(file, 4, 4), file.size() - 8) << "RIFF size";
    std::size_t at = w64 ? 40 : 12;
    while (at + (w64 ? 24 : 8) <= file.size()) {
        const std::string id(file.begin() + at, file.begin() + at + 4);
        std::uint64_t size = w64 ? Get(file, at + 16, 8) - 24 : Get(file, at + 4, 4);
        if (rf64 && id == "data" && size == 0xFFFFFFFF)
            size = Get(file, 28, 8);
        const std::size_t body = at + (w64 ? 24 : 8);
        if (body + size > file.size()) {
            ADD_FAILURE() << "chunk " << id << " runs past the end";
            break;
        }
        chunks[id].emplace_back(file.begin() + body, file.begin() + body + size);
        at = body + size;
        at += w64 ? (8 - at % 8) % 8 : at % 2;
    }
    // The last chunk ends with the file, its alignment padding allowed to be missing.
    EXPECT_TRUE(at >= file.size() && at - file.size() < (w64 ? 8u : 2u)) << at << " " << file.size();
    return chunks;
}

}  // namespace vqtest

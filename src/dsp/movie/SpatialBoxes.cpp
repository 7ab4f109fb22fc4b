#include "movie/SpatialBoxes.h"

#include "movie/BigEndian.h"

namespace vq {

namespace {

// Appends boxes to a byte vector; a box's size is filled in when it is closed.
class BoxBuilder {
public:
    explicit BoxBuilder(std::vector<std::uint8_t>& out) : m_out(out) {}

    std::size_t Open(const char type[4], bool fullBox = false)
    {
        const std::size_t start = m_out.size();
        U32(0);
        for (int i = 0; i < 4; ++i)
            U8(static_cast<std::uint8_t>(type[i]));
        if (fullBox)
            U32(0);  // version 0, no flags
        return start;
    }
    void Close(std::size_t start) { WriteBig32(&m_out[start], static_cast<std::uint32_t>(m_out.size() - start)); }

    void U8(std::uint8_t value) { m_out.push_back(value); }
    // Byte by byte: GCC 12 warns falsely about inserting short ranges into a vector.
    void U32(std::uint32_t value)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            U8(static_cast<std::uint8_t>(value >> shift));
    }
    void Text(const char* text)
    {
        do
            U8(static_cast<std::uint8_t>(*text));
        while (*text++);
    }

private:
    std::vector<std::uint8_t>& m_out;
};

}  // namespace

std::vector<std::uint8_t> SpatialAudioBox(bool headLocked)
{
    const std::uint32_t channels = headLocked ? 6 : 4;
    std::vector<std::uint8_t> bytes;
    BoxBuilder box(bytes);
    const std::size_t sa3d = box.Open("SA3D");
    box.U8(0);                         // version
    box.U8(headLocked ? 0x80 : 0x00);  // head-locked stereo flag (top bit), ambisonic type 0: periphonic
    box.U32(1);                        // ambisonic order
    box.U8(0);                         // channel ordering: ACN
    box.U8(0);                         // normalisation: SN3D
    box.U32(channels);
    for (std::uint32_t c = 0; c < channels; ++c)
        box.U32(c);  // channel map: the file's channels in ACN order, then the pair
    box.Close(sa3d);
    return bytes;
}

std::vector<std::uint8_t> SphericalVideoBoxes(const SphericalVideo& video)
{
    std::vector<std::uint8_t> bytes;
    BoxBuilder box(bytes);
    if (video.stereoMode >= 0) {
        const std::size_t st3d = box.Open("st3d", true);
        box.U8(static_cast<std::uint8_t>(video.stereoMode));
        box.Close(st3d);
    }
    if (video.projection == SphericalVideo::Projection::None)
        return bytes;
    const std::size_t sv3d = box.Open("sv3d");
    const std::size_t svhd = box.Open("svhd", true);
    box.Text("");  // metadata source: none named
    box.Close(svhd);
    const std::size_t proj = box.Open("proj");
    const std::size_t prhd = box.Open("prhd", true);
    box.U32(static_cast<std::uint32_t>(video.yaw));
    box.U32(static_cast<std::uint32_t>(video.pitch));
    box.U32(static_cast<std::uint32_t>(video.roll));
    box.Close(prhd);
    if (video.projection == SphericalVideo::Projection::Equirectangular) {
        const std::size_t equi = box.Open("equi", true);
        box.U32(video.boundTop);
        box.U32(video.boundBottom);
        box.U32(video.boundLeft);
        box.U32(video.boundRight);
        box.Close(equi);
    } else {
        const std::size_t cbmp = box.Open("cbmp", true);
        box.U32(0);  // layout 0: the one cube map layout defined
        box.U32(video.padding);
        box.Close(cbmp);
    }
    box.Close(proj);
    box.Close(sv3d);
    return bytes;
}

}  // namespace vq

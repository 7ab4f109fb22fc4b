#include "spatial/DirectionMap.h"

#include "spatial/DirectionMapLevels.h"

#include "common/EngineStatus.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

namespace vq {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadians = kPi / 180.0;
constexpr int kBins = DirectionMap::kStripAzimuths;  // azimuth bins of the histogram and the strip
// The smoothing reaches this many standard deviations.
constexpr double kReach = 4.0;

std::array<double, 3> CellDirection(int azimuthBin, int elevationIndex)
{
    const double az = DirectionMap::Azimuth(azimuthBin) * kRadians;
    const double el = DirectionMap::Elevation(elevationIndex) * kRadians;
    return {std::cos(el) * std::cos(az), std::cos(el) * std::sin(az), std::sin(el)};
}

// Solid angle of the cells of a row (up to a constant factor): the band of latitudes it covers.
double CellArea(int elevationIndex)
{
    const double el = DirectionMap::Elevation(elevationIndex);
    const double half = 0.5 * DirectionMap::kStepDegrees;
    return std::sin(std::min(el + half, 90.0) * kRadians) - std::sin(std::max(el - half, -90.0) * kRadians);
}

double ToDecibels(double value, double reference)
{
    if (reference <= 0.0 || value <= 0.0)
        return DirectionMap::kFloorDb;
    return std::max(DirectionMap::kFloorDb, 10.0 * std::log10(value / reference));
}

}  // namespace

DirectionMap::DirectionMap(double lowHz, double highHz) : m_lowHz(lowHz), m_highHz(highHz) {}

int DirectionMap::Prepare(int sampleRate, std::int64_t maxFrames)
{
    m_prepared = false;
    m_finished = false;
    if (sampleRate <= 0 || maxFrames < 0 || !(m_lowHz >= 0.0 && m_lowHz < m_highHz && m_highHz <= 0.5 * sampleRate))
        return kBadParameter;
    const int frameLength = BFormatStft::FrameLengthFor(sampleRate);
    if (frameLength != m_stft.FrameLength()) {
        const int status = m_stft.Configure(frameLength, 0);
        if (status != kStatusOk)
            return status;
    } else {
        m_stft.Reset();
    }
    m_sampleRate = sampleRate;
    const double hopSeconds = double(m_stft.Hop()) / sampleRate;
    try {
        m_bands.Configure(m_stft.Bins(), double(sampleRate) / m_stft.TransformLength());
        m_analysis.Configure(m_bands, hopSeconds);
        m_silence.assign(static_cast<std::size_t>(m_stft.Hop()), 0.0);
        m_histogram.assign(static_cast<std::size_t>(kElevations) * kBins, 0.0);
        m_levels.assign(static_cast<std::size_t>(kElevations) * kAzimuths, kFloorDb);
        m_strip.assign(static_cast<std::size_t>(kStripColumns) * kBins, 0.0);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    m_frames = 0;
    m_column = 0;
    m_stripColumns = 0;
    m_framesInColumn = 0;
    m_framesPerColumn = std::max(1, static_cast<int>(std::lround(kStripStartSeconds / hopSeconds)));
    m_prepared = true;
    return kStatusOk;
}

void DirectionMap::Add(const double* const wxyz[4], std::int64_t frames)
{
    if (!m_prepared || m_finished || frames <= 0)
        return;
    m_stft.Process(wxyz, nullptr, frames, *this);
    m_frames += frames;
}

void DirectionMap::ProcessFrame(const fftw_complex* const in[4], fftw_complex* const* /*out*/)
{
    m_analysis.Update(in);
    for (int b = 0; b < m_bands.Count(); ++b) {
        const double hz = m_bands.CentreHz(b);
        if (hz < m_lowHz || hz > m_highHz)
            continue;
        const BandEstimate& estimate = m_analysis.Band(b);
        const double energy = estimate.intensity * m_bands.Width(b);
        if (!(energy > 0.0))
            continue;
        const std::array<double, 3>& d = estimate.direction;
        const double azimuth = std::atan2(d[1], d[0]) / kRadians;
        const double elevation = std::asin(std::clamp(d[2], -1.0, 1.0)) / kRadians;
        const int bin = static_cast<int>(std::lround((azimuth + 180.0) / kStepDegrees)) % kBins;
        const int row = static_cast<int>(std::lround((elevation + 90.0) / kStepDegrees));
        m_histogram[static_cast<std::size_t>(row) * kBins + bin] += energy;
        AddToStrip(bin, energy);
    }
    // The frame is done: the strip moves on to the next column when this one is full, and
    // its columns double in length when they are all in use.
    if (++m_framesInColumn < m_framesPerColumn)
        return;
    m_framesInColumn = 0;
    if (++m_column < kStripColumns)
        return;
    for (int c = 0; c < kStripColumns / 2; ++c)
        for (int bin = 0; bin < kBins; ++bin)
            m_strip[static_cast<std::size_t>(c) * kBins + bin] =
                m_strip[static_cast<std::size_t>(2 * c) * kBins + bin] +
                m_strip[static_cast<std::size_t>(2 * c + 1) * kBins + bin];
    std::fill(m_strip.begin() + static_cast<std::ptrdiff_t>(kStripColumns / 2) * kBins, m_strip.end(), 0.0);
    m_column = kStripColumns / 2;
    m_framesPerColumn *= 2;
}

void DirectionMap::AddToStrip(int azimuthBin, double energy)
{
    m_strip[static_cast<std::size_t>(m_column) * kBins + azimuthBin] += energy;
}

int DirectionMap::Finish()
{
    if (!m_prepared || m_finished)
        return kBadState;
    // The frames that hold the last samples end in silence.
    const double* silence[4] = {m_silence.data(), m_silence.data(), m_silence.data(), m_silence.data()};
    for (int i = 0; i < 2; ++i)
        m_stft.Process(silence, nullptr, static_cast<std::int64_t>(m_silence.size()), *this);
    m_finished = true;
    SmoothMap();
    FinishStrip();
    return kStatusOk;
}

void DirectionMap::SmoothMap()
{
    const double sigma = kSmoothingDegrees * kRadians;
    const double reach = kReach * kSmoothingDegrees;
    const double cosReach = std::cos(reach * kRadians);
    const int rowReach = static_cast<int>(std::ceil(reach / kStepDegrees));
    std::vector<double> density(static_cast<std::size_t>(kElevations) * kBins, 0.0);
    double loudest = 0.0;
    for (int row = 0; row < kElevations; ++row) {
        for (int bin = 0; bin < kBins; ++bin) {
            const std::array<double, 3> p = CellDirection(bin, row);
            double energy = 0.0, area = 0.0;
            for (int r = std::max(0, row - rowReach); r <= std::min(kElevations - 1, row + rowReach); ++r) {
                // The columns of row r within reach of p: cos(angle) = sin e1 sin e2 + cos e1 cos e2
                // cos(azimuth difference) must reach cosReach. Near a pole that is all of them.
                const double e1 = Elevation(row) * kRadians, e2 = Elevation(r) * kRadians;
                const double across = std::cos(e1) * std::cos(e2);
                const double limit = across > 1e-12 ? (cosReach - std::sin(e1) * std::sin(e2)) / across : -2.0;
                if (limit > 1.0)
                    continue;
                const int half = limit <= -1.0 ? kBins : static_cast<int>(std::acos(limit) / kRadians / kStepDegrees) + 1;
                const bool all = 2 * half + 1 >= kBins;
                const int first = all ? 0 : bin - half;
                const int count = all ? kBins : 2 * half + 1;
                const double cellArea = CellArea(r);
                for (int n = 0; n < count; ++n) {
                    const int b = ((first + n) % kBins + kBins) % kBins;
                    const std::array<double, 3> q = CellDirection(b, r);
                    const double cosine = p[0] * q[0] + p[1] * q[1] + p[2] * q[2];
                    if (cosine < cosReach)
                        continue;
                    const double weight = std::exp((cosine - 1.0) / (sigma * sigma));
                    energy += weight * m_histogram[static_cast<std::size_t>(r) * kBins + b];
                    area += weight * cellArea;
                }
            }
            const double value = area > 0.0 ? energy / area : 0.0;
            density[static_cast<std::size_t>(row) * kBins + bin] = value;
            loudest = std::max(loudest, value);
        }
    }
    for (int row = 0; row < kElevations; ++row)
        for (int az = 0; az < kAzimuths; ++az)
            m_levels[static_cast<std::size_t>(row) * kAzimuths + az] =
                ToDecibels(density[static_cast<std::size_t>(row) * kBins + az % kBins], loudest);
}

void DirectionMap::FinishStrip()
{
    // Columns for the length of the take (the flushing frames lie past its end).
    const double columnFrames = double(m_framesPerColumn) * m_stft.Hop();
    m_stripColumns = std::clamp(static_cast<int>(std::ceil(m_frames / columnFrames)), 1, kStripColumns);
    std::vector<double> column(kBins);
    double loudest = 0.0;
    for (int c = 0; c < m_stripColumns; ++c) {
        double* values = m_strip.data() + static_cast<std::size_t>(c) * kBins;
        // A light smoothing over the neighbouring azimuths (1 2 1), round the circle.
        for (int bin = 0; bin < kBins; ++bin)
            column[static_cast<std::size_t>(bin)] =
                0.25 * values[(bin + kBins - 1) % kBins] + 0.5 * values[bin] + 0.25 * values[(bin + 1) % kBins];
        std::copy(column.begin(), column.end(), values);
        loudest = std::max(loudest, *std::max_element(column.begin(), column.end()));
    }
    for (int c = 0; c < m_stripColumns; ++c)
        for (int bin = 0; bin < kBins; ++bin) {
            double& value = m_strip[static_cast<std::size_t>(c) * kBins + bin];
            value = ToDecibels(value, loudest);
        }
}

double DirectionMap::LevelDb(int azimuthIndex, int elevationIndex) const
{
    if (!m_finished)
        return kFloorDb;
    return m_levels[static_cast<std::size_t>(elevationIndex) * kAzimuths + azimuthIndex];
}

double DirectionMap::ColumnSeconds() const
{
    return m_sampleRate > 0 ? double(m_framesPerColumn) * m_stft.Hop() / m_sampleRate : 0.0;
}

double DirectionMap::StripLevelDb(int column, int azimuthBin) const
{
    if (!m_finished || column >= m_stripColumns)
        return kFloorDb;
    return m_strip[static_cast<std::size_t>(column) * kBins + azimuthBin];
}

DirectionMapLevels LevelsOf(const DirectionMap& map)
{
    DirectionMapLevels levels;
    levels.lowHz = map.LowHz();
    levels.highHz = map.HighHz();
    if (!map.Finished())
        return levels;
    levels.columnSeconds = map.ColumnSeconds();
    levels.stripColumns = map.StripColumns();
    levels.map.resize(static_cast<std::size_t>(DirectionMap::kElevations) * DirectionMap::kAzimuths);
    for (int e = 0; e < DirectionMap::kElevations; ++e)
        for (int a = 0; a < DirectionMap::kAzimuths; ++a)
            levels.map[static_cast<std::size_t>(e) * DirectionMap::kAzimuths + a] = map.LevelDb(a, e);
    levels.strip.resize(static_cast<std::size_t>(levels.stripColumns) * DirectionMap::kStripAzimuths);
    for (int c = 0; c < levels.stripColumns; ++c)
        for (int bin = 0; bin < DirectionMap::kStripAzimuths; ++bin)
            levels.strip[static_cast<std::size_t>(c) * DirectionMap::kStripAzimuths + bin] = map.StripLevelDb(c, bin);
    return levels;
}

double DirectionMap::Seconds() const
{
    return m_sampleRate > 0 ? double(m_frames) / m_sampleRate : 0.0;
}

}  // namespace vq

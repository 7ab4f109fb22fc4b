// A picture of where the sound of a take comes from: over the whole take, fed block by block,
// the energy of each direction on an equirectangular grid (azimuth -180 .. 180 degrees,
// 0 straight ahead, positive to the left; elevation -90 .. 90), and below it a strip of
// azimuth over time.
//
// From the same analysis as the parametric decoders (DirectionalAnalysis.h): in every frame
// each band between the low and the high frequency (200 Hz to 4 kHz by default) adds its
// directness-weighted energy, (1 - psi) <E> over its bins = |<I>|, at the direction its
// intensity points to. A steered first-order beam would blur two sources 150 degrees apart
// into one; this puts each band's energy where its source is. Diffuse sound adds little and
// spreads, so reverberation shows as a low floor.
//
// The map: energy per solid angle on a grid of kStepDegrees, lightly smoothed on the sphere
// (a Gaussian of kSmoothingDegrees over the angle between directions, normalised by the
// area each grid cell covers, so that the poles are not favoured), in dB relative to the
// loudest direction, down to kFloorDb. The strip: per column of time, the energy per
// azimuth (elevation ignored) in dB relative to the loudest column and azimuth. Its columns
// start kStripStartSeconds long and double in length whenever the take outgrows
// kStripColumns, so memory stays fixed however long the take.
#pragma once

#include "spatial/AnalysisBands.h"
#include "spatial/BFormatStft.h"
#include "spatial/DirectionalAnalysis.h"

#include <cstdint>
#include <vector>

namespace vq {

class DirectionMap : private StftFrameProcessor {
public:
    static constexpr double kDefaultLowHz = 200.0;
    static constexpr double kDefaultHighHz = 4000.0;
    static constexpr double kStepDegrees = 2.0;
    static constexpr int kAzimuths = 181;    // -180, -178, ..., 180 (the two ends are one direction)
    static constexpr int kElevations = 91;   // -90, -88, ..., 90
    static constexpr double kSmoothingDegrees = 3.0;
    static constexpr double kFloorDb = -60.0;
    static constexpr int kStripColumns = 512;
    static constexpr int kStripAzimuths = 180;  // bins of kStepDegrees from -180
    static constexpr double kStripStartSeconds = 0.05;

    // The band the map is made from, Hz (checked by Prepare).
    explicit DirectionMap(double lowHz = kDefaultLowHz, double highHz = kDefaultHighHz);

    // Starts a take at `sampleRate` (Hz); blocks of up to `maxFrames` frames. 0, or
    // kBadParameter (a rate that is not positive, negative maxFrames, a band that is not
    // 0 <= low < high <= rate / 2), kOutOfMemory, kFftSetupFailed.
    int Prepare(int sampleRate, std::int64_t maxFrames);
    // Adds the next `frames` frames of W, X, Y, Z (Furse-Malham). Ignored unless prepared
    // and not finished.
    void Add(const double* const wxyz[4], std::int64_t frames);
    // Analyses what is left of the take and computes the map and the strip. 0, or kBadState
    // when not prepared or already finished.
    int Finish();

    bool Finished() const { return m_finished; }

    // After Finish: the level of the grid point (azimuth index, elevation index), dB.
    double LevelDb(int azimuthIndex, int elevationIndex) const;
    static double Azimuth(int azimuthIndex) { return -180.0 + kStepDegrees * azimuthIndex; }
    static double Elevation(int elevationIndex) { return -90.0 + kStepDegrees * elevationIndex; }

    // The strip: the columns in use, each ColumnSeconds() long, and the level of a column and
    // an azimuth bin (centred on -180 + kStepDegrees * bin), dB.
    int StripColumns() const { return m_stripColumns; }
    double ColumnSeconds() const;
    double StripLevelDb(int column, int azimuthBin) const;
    // Length of the take, seconds.
    double Seconds() const;
    double LowHz() const { return m_lowHz; }
    double HighHz() const { return m_highHz; }

private:
    void ProcessFrame(const fftw_complex* const in[4], fftw_complex* const out[]) override;
    void AddToStrip(int azimuthBin, double energy);
    void SmoothMap();
    void FinishStrip();

    double m_lowHz;
    double m_highHz;
    int m_sampleRate = 0;
    bool m_prepared = false;
    bool m_finished = false;
    std::int64_t m_frames = 0;  // input frames added
    BFormatStft m_stft;
    AnalysisBands m_bands;
    DirectionalAnalysis m_analysis;
    std::vector<double> m_silence;      // a hop of zeros, to flush the last frames
    std::vector<double> m_histogram;    // [elevation][azimuth bin], energy
    std::vector<double> m_levels;       // [elevation][azimuth], dB
    std::vector<double> m_strip;        // [column][azimuth bin]: energy, then dB
    int m_column = 0;                   // the column frames go to
    int m_stripColumns = 0;             // the columns of the take, once finished
    int m_framesPerColumn = 1;
    int m_framesInColumn = 0;
};

}  // namespace vq

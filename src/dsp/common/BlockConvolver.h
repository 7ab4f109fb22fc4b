// FIR filters from up to four inputs to up to four outputs, applied to one block at a time
// by FFT: each block of the inputs is transformed once, the products are summed per output
// in the frequency domain, and each output is transformed back once. The one FFT filter of
// the program: the convolver's 4x4 matrix runs it on blocks of its buffers, several at once
// (one slot per thread), and StreamingFirMatrix runs it on a stream for the processing
// chain, the headphone decode and the UHJ phase shift, by either partition plan
// (PartitionPlan.h).
//
// Overlap-save: a frame of N input samples convolved circularly with a filter of L taps
// (zero-padded to N) gives exact linear-convolution values at result indices L-1 .. N-1.
// The convolver takes H = N - L output frames a block from index L (Result); the stream
// takes them from L-1 (ResultFrame).
//
// Partitions: a filter of P partitions of L taps each (a level of the live plan) keeps, per
// slot, the spectra of the last P frames handed to it (a frequency-domain delay line): a
// block multiplies the newest frame's spectrum by partition 0, the one before by
// partition 1, and so on, so that with frames H = L apart it convolves with all P * L taps.
#pragma once

#include "common/FftwArray.h"
#include "common/FftwPlan.h"

#include <fftw3.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace vq {

constexpr int kMatrixSize = 4;

class BlockConvolver {
public:
    BlockConvolver() = default;
    ~BlockConvolver();
    BlockConvolver(const BlockConvolver&) = delete;
    BlockConvolver& operator=(const BlockConvolver&) = delete;

    // Sizes every array for `partitions` partitions of `filterLength` taps from `inputs` to
    // `outputs` (1 .. kMatrixSize each), transforms of `fftLength` points and `slots`
    // threads, and plans the transforms; every filter zero, no past frames. Measuring a long
    // transform takes up to a second, so `carryOn` (when given) is asked before each plan:
    // false stops there with kStatusCancelled. Status code, 0 on success.
    int Configure(int filterLength, int fftLength, int slots, const std::function<bool()>& carryOn = {},
                  int inputs = kMatrixSize, int outputs = kMatrixSize, int partitions = 1);

    // Sets the filter from input `input` to output `output`: `taps` holds filterLength
    // values `stride` doubles apart, each multiplied by `gain`.
    void SetFilter(int input, int output, const double* taps, int stride, double gain);
    // The same for partition `partition` from `count` taps (at most filterLength; the rest zero).
    void SetPartition(int partition, int input, int output, const double* taps, int count, int stride, double gain);

    // Convolves one block. frames[k] points at the N samples of input k (any alignment), of
    // which the first `valid` are read and the rest taken as zeros (all N when negative).
    // Afterwards Result(slot, j)[0 .. H-1] holds output j's H new frames, and
    // ResultFrame(slot, j) the whole circular result, exact from index L-1.
    void Convolve(const double* const frames[kMatrixSize], int slot, int valid = -1);
    const double* Result(int slot, int output) const;
    const double* ResultFrame(int slot, int output) const;
    // Forgets the frames handed to every slot (with partitions: a new stream).
    void ClearHistory();

    int FilterLength() const { return m_filterLength; }
    int FftLength() const { return m_fftLength; }
    int Hop() const { return m_fftLength - m_filterLength; }
    int Partitions() const { return m_partitions; }

private:
    struct Scratch {
        FftwArray<double> frame;
        // Per input, the spectra of the last `partitions` frames, `m_spectrumStride` apart;
        // `newest` is where the last one went.
        FftwArray<fftw_complex> inputSpectra[kMatrixSize];
        int newest = 0;
        FftwArray<fftw_complex> outputSpectrum;
        FftwArray<double> results[kMatrixSize];
    };

    // Adds to (or, first, stores in) `out` the sum over the inputs of spectrum times filter.
    // Written out for four inputs (the convolver's inner loop), a loop for fewer.
    void MultiplyAccumulate(const fftw_complex* const spectra[kMatrixSize], const fftw_complex* filters, bool add,
                            fftw_complex* out) const;
    void MultiplyAccumulateAny(const fftw_complex* const spectra[kMatrixSize], const fftw_complex* filters, bool add,
                               fftw_complex* out) const;
    // Where the spectra of partition `partition` to output `output` start in m_filterSpectra.
    std::size_t FilterOffset(int partition, int output) const;

    int m_filterLength = 0;
    int m_fftLength = 0;
    int m_spectrumLength = 0;
    // Complex values from one stored input spectrum to the next: the bins, rounded up so that
    // every spectrum keeps the alignment the transforms were planned with.
    int m_spectrumStride = 0;
    int m_inputs = kMatrixSize;
    int m_outputs = kMatrixSize;
    int m_partitions = 1;
    // Filter spectra interleaved per bin: [partition][output][bin][input], already scaled by
    // 1/N so that the unnormalised forward and inverse transforms form an exact pair.
    FftwArray<fftw_complex> m_filterSpectra;
    std::vector<Scratch> m_scratch;
    FftwPlan m_forwardPlan;
    FftwPlan m_inversePlan;
};

// The transform length that gives the most output frames per unit of work for filters
// of `filterLength` taps: the smallest power of two that is at least 4096 and at least four
// times the filter.
int ChooseFftLength(int filterLength);

}  // namespace vq

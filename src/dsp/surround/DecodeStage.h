// What every decode shares: a decoder (BFormatDecoder.h) fed with B-format block by block,
// its outputs lined up with the B-format (its latency dropped at the start and flushed at
// the end), scaled by the gain and written through an output layout. The 5.1 decoder of a
// B-format file and the decodes done in the same pass as the convolution both run on it.
#pragma once

#include "common/FailureDetail.h"
#include "common/FftwArray.h"
#include "common/OutputWriter.h"
#include "surround/BFormatDecoder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vq {

class DecodeStage {
public:
    // Frames decoded and written at a time.
    static constexpr std::int64_t kPieceFrames = 16384;
    static constexpr int kMaxChannels = 8;

    // Creates the outputs of `layout` (as temporaries, see OutputWriter) for `frames` frames
    // decoded by `decoder`, which must outlive the stage. 0 or a status code.
    int Open(BFormatDecoder& decoder, const OutputLayout& layout, const std::vector<std::string>& names,
             const WriterOptions& options, std::int64_t frames, FailureDetail* detail);

    // Starts a pass at linear gain `gain`, with `offset` taken off every written sample: the
    // decoder's memory is cleared and, for a second pass, the outputs are written again from
    // their start.
    int BeginPass(double gain, bool again, FailureDetail* detail, double offset = 0.0);
    // Decodes the next `frames` frames of W, X, Y, Z.
    int Consume(const double* const wxyz[4], std::int64_t frames, FailureDetail* detail);
    // Ends the pass: the frames the decoder still holds back are written.
    int EndPass(FailureDetail* detail);

    int Commit(FailureDetail* detail) { return m_writer.Commit(detail); }
    OutputWriter& Writer() { return m_writer; }
    void Discard() { m_writer.Discard(); }

    double Peak() const { return m_writer.Peak(); }
    double Sum() const { return m_writer.Sum(); }
    std::int64_t SamplesWritten() const { return m_writer.SamplesWritten(); }
    std::int64_t Clipped() const { return m_writer.Clipped(); }
    bool IsOpen() const { return m_writer.IsOpen(); }

private:
    int DecodePiece(const double* const wxyz[4], std::int64_t frames, FailureDetail* detail);

    BFormatDecoder* m_decoder = nullptr;
    int m_sampleRate = 0;
    OutputWriter m_writer;
    std::vector<FftwArray<double>> m_outputs;
    FftwArray<double> m_silence;
    std::int64_t m_toDrop = 0;  // decoded frames still to drop at the start of the pass
};

}  // namespace vq

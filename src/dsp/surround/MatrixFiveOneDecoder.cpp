#include "surround/MatrixFiveOneDecoder.h"

#include "common/EngineStatus.h"

#include <initializer_list>

namespace vq {

MatrixFiveOneDecoder::MatrixFiveOneDecoder(const DecodeMatrix& matrix, bool lowFreqsInLfe)
    : m_matrix(matrix), m_lowFreqsInLfe(lowFreqsInLfe)
{
}

int MatrixFiveOneDecoder::Prepare(int sampleRate, std::int64_t maxFrames)
{
    if (sampleRate <= 0 || maxFrames < 0)
        return kBadParameter;
    const int status = CheckParameters();
    if (status != kStatusOk)
        return status;
    m_lfe = LfeFilter(sampleRate);
    m_lfeState = LfeState{};
    return kStatusOk;
}

void MatrixFiveOneDecoder::Decode(const double* const in[4], double* const out[], std::int64_t frames)
{
    const double* w = in[0];
    const double* x = in[1];
    const double* y = in[2];
    // One channel at a time: a short loop the compiler can vectorise.
    for (int k : {kLeft, kRight, kCentre, kLeftSurround, kRightSurround}) {
        const double a = m_matrix.w[k], b = m_matrix.x[k], c = m_matrix.y[k];
        double* o = out[k];
        for (std::int64_t n = 0; n < frames; ++n)
            o[n] = a * w[n] + b * x[n] + c * y[n];
    }
    double* lfe = out[kLfe];
    if (!m_lowFreqsInLfe) {
        for (std::int64_t n = 0; n < frames; ++n)
            lfe[n] = 0.0;
        return;
    }
    LfeState state = m_lfeState;
    for (std::int64_t n = 0; n < frames; ++n)
        lfe[n] = kLfeLevel * m_lfe.Next(w[n], state);
    m_lfeState = state;
}

}  // namespace vq

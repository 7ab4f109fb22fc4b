#include "chain/ChainSource.h"

#include "common/EngineStatus.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace vq {

namespace {

int Refuse(FailureDetail* failure, const std::string& reason)
{
    if (failure)
        *failure = {"", reason};
    return kBadParameter;
}

}  // namespace

int ChainSource::Configure(const ChainSetup& setup, int slots, FailureDetail* failure)
{
    m_input = setup.input;
    if (setup.input == ChainInput::BFormat) {
        if (setup.inputChannels != 4)
            return Refuse(failure, "a B-format input has the four channels W, X, Y, Z");
        // AmbiX's W, Y, Z, X (SN3D) to W, X, Y, Z with W at -3 dB.
        const bool ambix = setup.inputConvention == BFormatConvention::AmbiX;
        const int fromAmbiX[4] = {0, 3, 1, 2};
        for (int j = 0; j < 4; ++j) {
            m_channel[j] = ambix ? fromAmbiX[j] : j;
            m_weight[j] = (ambix && j == 0 ? 1.0 / std::sqrt(2.0) : 1.0) * setup.sourceGain;
        }
        return kStatusOk;
    }
    const FilterMatrixTaps* filters = setup.filters.get();
    if (!filters || filters->length < 1 || filters->taps.size() != 16 * static_cast<std::size_t>(filters->length))
        return Refuse(failure, "the filter matrix holds no filters of one length");
    const std::set<int> capsules(setup.capsuleChannels, setup.capsuleChannels + 4);
    if (capsules.size() != 4 || *capsules.begin() < 0 || *capsules.rbegin() >= setup.inputChannels)
        return Refuse(failure, "the four capsules must be four different channels of the input");
    const int status = m_matrix.Configure(filters->length, 4, 4, setup.plan, slots);
    if (status != kStatusOk)
        return status;
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j)
            m_matrix.SetFilter(k, j, filters->Filter(k, j), setup.sourceGain);
    return kStatusOk;
}

void ChainSource::Reset()
{
    if (m_input == ChainInput::AFormat)
        m_matrix.Reset();
}

void ChainSource::Convert(const double* const in[4], double* const wxyz[4], std::int64_t frames) const
{
    for (int j = 0; j < 4; ++j) {
        const double* from = in[m_channel[j]];
        const double weight = m_weight[j];
        double* to = wxyz[j];
        for (std::int64_t n = 0; n < frames; ++n)
            to[n] = weight * from[n];
    }
}

void ChainSource::Process(const double* const in[4], double* const wxyz[4], std::int64_t frames)
{
    if (m_input == ChainInput::BFormat)
        Convert(in, wxyz, frames);
    else
        m_matrix.Process(in, wxyz, frames);
}

int ChainSource::Steps(std::int64_t frames) const
{
    return m_input == ChainInput::BFormat ? 1 : m_matrix.Steps(frames);
}

void ChainSource::BeginSteps(const double* const in[4], double* const wxyz[4], std::int64_t frames)
{
    std::copy(in, in + 4, m_in);
    std::copy(wxyz, wxyz + 4, m_out);
    m_frames = frames;
    if (m_input == ChainInput::AFormat)
        m_matrix.BeginSteps(in, wxyz, frames);
}

void ChainSource::RunStep(int step, int slot)
{
    if (m_input == ChainInput::BFormat)
        Convert(m_in, m_out, m_frames);
    else
        m_matrix.RunStep(step, slot);
}

void ChainSource::EndSteps()
{
    if (m_input == ChainInput::AFormat)
        m_matrix.EndSteps();
}

}  // namespace vq

// The one table from status code to the message the user sees.
#include "VQParams.h"

#include "common/EngineStatus.h"

namespace {

enum class Names { Nothing, FilterMatrix, FailedPath };

struct StatusMessage {
    int code;
    Names names;  // which path %s stands for
    const char* text;
};

const char* const kMissingMatrix = "Missing filter matrix (%s).\nPlease check your filters directory.";
const char* const kWrongRows = "Filter matrix %s has wrong number of rows.\nMust be 4.";
const char* const kChannels = "The number of channels doesn't match.\nCheck the input file(s).";
const char* const kRate = "Selected file has different sampling frequency than others already stored.";
const char* const kLength = "Selected file has different length than others already stored.";
const char* const kInputOpen = "Error opening input file for reading.";
const char* const kMatrixOpen = "Error opening filter matrix file (%s).";
const char* const kMissingInputs = "Missing input file(s).";

const StatusMessage kMessages[] = {
    {256, Names::Nothing, kChannels},
    {257, Names::Nothing, kRate},
    {258, Names::Nothing, kLength},
    {259, Names::Nothing, "Error opening output file for writing.\nCheck permissions."},
    {260, Names::Nothing, kInputOpen},
    {261, Names::FilterMatrix, kMatrixOpen},
    {262, Names::FilterMatrix, kWrongRows},
    {VQParams::kMissingFilterMatrix, Names::FilterMatrix, kMissingMatrix},
    {264, Names::Nothing, "Sample rate not supported: available filters doesn't match."},
    {VQParams::kMissingInputFile, Names::Nothing, "Selected file doesn't exist."},
    {266, Names::Nothing, kMissingInputs},
    {VQParams::kUnrepresentablePath, Names::FailedPath,
     "The file name %s cannot be written in the file system's encoding.\nPlease rename the file or choose another."},
    {vq::kFilterMatrixNotOpen, Names::FilterMatrix, kMissingMatrix},
    {vq::kMissingInputFile, Names::Nothing, kMissingInputs},
    {vq::kFilterMatrixChannels, Names::FilterMatrix, kWrongRows},
    {vq::kChannelCountMismatch, Names::Nothing, kChannels},
    {vq::kSampleRateMismatch, Names::Nothing, kRate},
    {vq::kLengthMismatch, Names::Nothing, kLength},
    {vq::kInputOpenFailed, Names::Nothing, kInputOpen},
    {vq::kOutputOpenFailed, Names::Nothing, "Error opening output file for writing."},
    {vq::kFilterMatrixOpenFailed, Names::FilterMatrix, kMatrixOpen},
    {vq::kInputReadFailed, Names::Nothing,
     "Error reading an input file: it ended before its stated length.\nCheck the input file(s)."},
    {vq::kOutputWriteFailed, Names::Nothing,
     "Error writing an output file (is the disk full?).\nThe output files are incomplete."},
    {vq::kFilterMatrixReadFailed, Names::FilterMatrix, "Error reading filter matrix file (%s)."},
    {vq::kFilterMatrixLength, Names::FilterMatrix,
     "Filter matrix %s has an unusable length.\nIt must hold 4 x L frames, with 1 to 1048576 taps per filter."},
    {vq::kOutOfMemory, Names::Nothing, "Not enough memory for the conversion.\nPlease choose a smaller buffer size."},
    {vq::kFftSetupFailed, Names::Nothing, "The FFT library could not prepare the transforms."},
    {vq::kOutputOverwritesInput, Names::Nothing,
     "An output file is the same file as an input, the filter matrix, another output or the "
     "intermediate \"bformat.wav\".\nPlease choose other output names."},
    {vq::kBadParameter, Names::Nothing, "A decoder setting is out of range.\nPlease check the decoder's settings."},
};

}  // namespace

wxString VQParams::GetErrorMessage() const
{
    for (const StatusMessage& m : kMessages) {
        if (m.code != m_status)
            continue;
        switch (m.names) {
        case Names::FilterMatrix:
            return wxString::Format(m.text, m_files[kFilterMatrix].GetFullPath());
        case Names::FailedPath:
            return wxString::Format(m.text, m_unrepresentablePath);
        case Names::Nothing:
            break;
        }
        return m.text;
    }
    return "Unknown error.";
}

wxString VQParams::GetClippingWarning() const
{
    wxString where;
    if (m_clippedBFormat > 0)
        where = wxString::Format("%lld samples of the B-format output", static_cast<long long>(m_clippedBFormat));
    if (m_clippedSurround > 0) {
        if (!where.empty())
            where += " and ";
        where += wxString::Format("%lld samples of the 5.1 output", static_cast<long long>(m_clippedSurround));
    }
    if (where.empty())
        return wxEmptyString;
    return where +
           " went beyond full scale and were clipped.\n"
           "A lower gain, Autorange or float output avoids it.";
}

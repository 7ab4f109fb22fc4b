#include "RunReportOf.h"

#include "DecodeModes.h"
#include "FileSystemPath.h"
#include "TakeKinds.h"

#include "common/Containers.h"

namespace vq {

namespace {

const char* SampleFormatName(SampleFormat sample)
{
    return sample == SampleFormat::Pcm16 ? "pcm16" : sample == SampleFormat::Pcm24 ? "pcm24" : "float";
}

}  // namespace

std::vector<std::pair<std::string, SettingValue>> ReportedSettings(const ConversionRequest& r)
{
    const DecodeMode& mode = r.decode.Mode();
    const std::size_t input = static_cast<std::size_t>(InputFormatIndex(r.take.inputFormat));
    std::vector<std::pair<std::string, SettingValue>> settings = {
        {"mode", std::string(mode.name)},
        {"input_format", std::string(InputFormatChoices()[input].name)},
        {"files", std::int64_t{r.outputs.fileCount}},
        // "take": the take's own container, or its precision.
        {"container", std::string(r.outputs.formatOfTake ? "take" : OutputContainer(r).name)},
        {"sample_format", std::string(r.outputs.formatOfTake || r.outputs.sampleOfTake
                                          ? "take"
                                          : SampleFormatName(r.outputs.sample))},
        {"convention", std::string(r.outputs.convention == BFormatConvention::AmbiX ? "ambix" : "fuma")},
        {"dither", r.outputs.dither},
        {"align", r.outputs.align},
        {"gain_db", r.bformat.gainDb},
        {"autorange", r.bformat.autorange},
        {"highpass_hz", r.bformat.highpassHz},
        {"yaw_deg", r.bformat.yaw},
        {"pitch_deg", r.bformat.pitch},
        {"roll_deg", r.bformat.roll},
    };
    if (mode.Decodes()) {
        const DecodeSettings& d = r.decode;
        if (!d.Decoder().empty())
            settings.emplace_back("decoder", d.Decoder());
        settings.emplace_back("decode_gain_db", d.gainDb);
        settings.emplace_back("decode_autorange", d.autorange);
        if (d.normalize) {
            settings.emplace_back("normalize_lufs", d.normalizeLufs);
            settings.emplace_back("true_peak_ceiling_dbtp", d.normalizeCeilingDbtp);
        }
        if (!d.hrtfFile.empty())
            settings.emplace_back("hrtf", Utf8(d.hrtfFile));
    }
    if (!MapFiles(r).empty()) {
        settings.emplace_back("map_low_hz", r.map.lowHz);
        settings.emplace_back("map_high_hz", r.map.highHz);
    }
    settings.emplace_back("filters", Utf8(r.run.filtersDir));
    return settings;
}

TakeRecord TakeRecordOf(const ConversionRequest& request, const ConversionResult& result)
{
    TakeRecord take;
    // Every file of every part of a joined take, in order.
    for (const wxString& file : request.takeFiles)
        take.inputs.push_back(Utf8(file));
    for (const std::vector<wxString>& part : request.take.laterParts)
        for (const wxString& file : part)
            take.inputs.push_back(Utf8(file));
    take.sampleRate = result.sampleRate;
    take.frames = result.takeFrames;
    if (result.filterTaps > 0)
        take.filter = FilterRecord{result.filterMatrix, std::max(result.filterDelay, 0), result.filterDelayFrom};
    // The decode's outputs come first; a kept B-format after them is not normalised.
    const std::size_t decoded = request.decode.Mode().Decodes() ? OutputPaths(request).size() : 0;
    for (std::size_t i = 0; i < result.outputs.size(); ++i) {
        const WrittenOutput& written = result.outputs[i];
        OutputRecord output;
        output.path = Utf8(written.path);
        output.frames = written.frames;
        output.clippedSamples = written.clippedSamples;
        output.loudness = written.loudness;
        if (result.normalized && i < decoded)
            output.normalize =
                NormalizeRecord{request.decode.normalizeLufs, result.normalized->gainDb, result.normalized->peakLimited};
        take.outputs.push_back(output);
    }
    take.loudness = result.OverallLoudness();
    if (result.Failed())
        take.failure = result.Message();
    return take;
}

}  // namespace vq

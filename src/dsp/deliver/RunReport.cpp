#include "deliver/RunReport.h"

#include "common/EngineStatus.h"
#include "deliver/AtomicTextFile.h"
#include "deliver/JsonWriter.h"

#include <new>

namespace vq {

namespace {

constexpr int kLoudnessDecimals = 2;

void WriteSetting(JsonWriter& json, const SettingValue& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        json.String(*text);
    else if (const auto* number = std::get_if<double>(&value))
        json.Number(*number);
    else if (const auto* integer = std::get_if<std::int64_t>(&value))
        json.Integer(*integer);
    else
        json.Bool(std::get<bool>(value));
}

void WriteLoudness(JsonWriter& json, const std::optional<Loudness>& loudness)
{
    json.Key("loudness");
    if (!loudness) {
        json.Null();
        return;
    }
    json.BeginObject();
    json.Number("integrated_lufs", loudness->integratedLufs, kLoudnessDecimals);
    json.Number("range_lu", loudness->rangeLu, kLoudnessDecimals);
    json.Number("true_peak_dbtp", loudness->truePeakDbtp, kLoudnessDecimals);
    json.EndObject();
}

void WriteOutputs(JsonWriter& json, const std::vector<OutputRecord>& outputs)
{
    json.BeginArray();
    for (const OutputRecord& output : outputs) {
        json.BeginObject();
        json.String("path", output.path);
        json.Integer("frames", output.frames);
        json.Integer("clipped_samples", output.clippedSamples);
        WriteLoudness(json, output.loudness);
        json.Key("start");
        if (!output.start) {
            json.Null();
        } else {
            json.BeginObject();
            json.Integer("samples", static_cast<std::int64_t>(output.start->samples));
            json.String("timecode", output.start->timecode);
            json.String("timecode_rate", output.start->timecodeRate);
            json.EndObject();
        }
        if (output.normalize) {
            json.Key("normalize");
            json.BeginObject();
            json.Number("target_lufs", output.normalize->targetLufs);
            json.Number("gain_db", output.normalize->gainDb, kLoudnessDecimals);
            json.Bool("peak_limited", output.normalize->peakLimited);
            json.EndObject();
        }
        json.EndObject();
    }
    json.EndArray();
}

void WriteTake(JsonWriter& json, const TakeRecord& take)
{
    json.BeginObject();
    json.Key("inputs");
    json.BeginArray();
    for (const std::string& input : take.inputs)
        json.String(input);
    json.EndArray();
    json.Integer("sample_rate", take.sampleRate);
    json.Integer("frames", take.frames);
    json.Number("seconds", take.sampleRate > 0 ? static_cast<double>(take.frames) / take.sampleRate : 0.0);
    json.Key("filter");
    if (!take.filter) {
        json.Null();
    } else {
        json.BeginObject();
        json.String("matrix", take.filter->matrix);
        json.Integer("delay_frames", take.filter->delayFrames);
        json.String("delay_from", take.filter->delayFrom);
        json.EndObject();
    }
    json.Key("outputs");
    WriteOutputs(json, take.outputs);
    WriteLoudness(json, take.loudness);
    json.Key("failure");
    if (take.failure.empty())
        json.Null();
    else
        json.String(take.failure);
    json.EndObject();
}

}  // namespace

std::string RunReportJson(const RunReport& report)
{
    JsonWriter json;
    json.BeginObject();
    json.String("program", "VessarQuilix");
    json.String("version", report.version);
    json.Key("settings");
    json.BeginObject();
    for (const auto& setting : report.settings) {
        json.Key(setting.first);
        WriteSetting(json, setting.second);
    }
    json.EndObject();
    json.String("filter_set", report.filterSet);
    json.Key("takes");
    json.BeginArray();
    for (const TakeRecord& take : report.takes)
        WriteTake(json, take);
    json.EndArray();
    if (report.takes.size() == 1) {
        json.Key("outputs");
        WriteOutputs(json, report.takes.front().outputs);
    }
    json.Number("run_seconds", report.runSeconds, 3);
    json.EndObject();
    return json.Text();
}

int WriteRunReport(const RunReport& report, const std::string& path, FailureDetail* detail)
{
    try {
        return WriteTextFileAtomically(path, RunReportJson(report), detail);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
}

}  // namespace vq

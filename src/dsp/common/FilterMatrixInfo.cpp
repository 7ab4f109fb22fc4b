#include "common/FilterMatrixInfo.h"

#include "common/EngineStatus.h"
#include "common/GroupDelay.h"
#include "common/SoundFileInput.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <sstream>

namespace vq {

namespace {

constexpr int kChannels = 4;        // W, X, Y, Z
constexpr int kBlockFrames = 4096;  // frames read at a time

int Fail(int status, const std::string& path, const std::string& reason, FailureDetail* failure)
{
    if (failure) {
        failure->path = path;
        failure->reason = reason;
    }
    return status;
}

std::vector<std::pair<std::string, std::string>> ParseFields(const char* text)
{
    std::vector<std::pair<std::string, std::string>> fields;
    std::istringstream lines(text ? text : "");
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && equals > 0)
            fields.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return fields;
}

// The stored delay, when it is a whole number of frames within the filter.
bool StoredDelay(const std::string& text, int taps, int* delay)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9)
        return false;
    const long value = std::stol(text);
    if (value >= taps)
        return false;
    *delay = static_cast<int>(value);
    return true;
}

// W's summed response: sum over the four capsules' blocks of channel 0.
int ReadSummedW(SNDFILE* file, const std::string& path, int taps, std::vector<double>* sum, FailureDetail* failure)
{
    std::vector<double> block;
    try {
        sum->assign(static_cast<std::size_t>(taps), 0.0);
        block.resize(static_cast<std::size_t>(kBlockFrames) * kChannels);
    } catch (const std::bad_alloc&) {
        return Fail(kOutOfMemory, path, "not enough memory to read the filters", failure);
    }
    const std::int64_t frames = 4 * static_cast<std::int64_t>(taps);
    for (std::int64_t done = 0; done < frames;) {
        const sf_count_t want = static_cast<sf_count_t>(std::min<std::int64_t>(kBlockFrames, frames - done));
        if (sf_readf_double(file, block.data(), want) != want)
            return Fail(kFilterMatrixReadFailed, path, "the file ends before its stated length", failure);
        for (sf_count_t i = 0; i < want; ++i) {
            const double w = block[static_cast<std::size_t>(i) * kChannels];
            if (!std::isfinite(w))
                return Fail(kNonFiniteInput, path, "a filter tap is not a finite number", failure);
            (*sum)[static_cast<std::size_t>((done + i) % taps)] += w;
        }
        done += want;
    }
    return kStatusOk;
}

}  // namespace

double EstimatedDelay(const std::vector<double>& summedW, int sampleRate)
{
    return MeanGroupDelay(summedW.data(), summedW.size(), sampleRate, kDelayEstimateLowHz, kDelayEstimateHighHz);
}

int RoundedDelay(double estimate, int taps)
{
    return static_cast<int>(std::lround(std::min(std::max(estimate, 0.0), taps - 1.0)));
}

int ReadFilterMatrixInfo(const std::string& path, FilterMatrixInfo* info, FailureDetail* failure)
{
    *info = FilterMatrixInfo();
    InputSoundFile file;
    std::string problem;
    if (file.Open(path, InputSoundFile::Length::Counted, &problem) != kStatusOk)
        return Fail(kFilterMatrixOpenFailed, path, problem, failure);
    const SF_INFO& format = file.Info();
    if (format.channels != kChannels)
        return Fail(kFilterMatrixChannels, path, "it has " + std::to_string(format.channels) + " channels, not 4",
                    failure);
    if (format.frames < kChannels || format.frames % kChannels != 0 || format.frames / kChannels > (1 << 20))
        return Fail(kFilterMatrixLength, path,
                    "its " + std::to_string(format.frames) + " frames are not 4 x L with L from 1 to 1048576", failure);
    info->sampleRate = format.samplerate;
    info->taps = static_cast<int>(format.frames / kChannels);
    const char* title = sf_get_string(file.Handle(), SF_STR_TITLE);
    info->description = title ? title : "";
    info->fields = ParseFields(sf_get_string(file.Handle(), SF_STR_COMMENT));

    if (StoredDelay(FieldValue(*info, kFilterDelayKey), info->taps, &info->delay)) {
        info->delaySource = DelaySource::Stored;
        return kStatusOk;
    }
    std::vector<double> w;
    const int status = ReadSummedW(file.Handle(), path, info->taps, &w, failure);
    if (status != kStatusOk)
        return status;
    const double delay = EstimatedDelay(w, info->sampleRate);
    if (std::isnan(delay))
        return kStatusOk;
    info->estimatedDelay = delay;
    info->delay = RoundedDelay(delay, info->taps);
    info->delaySource = DelaySource::Estimated;
    return kStatusOk;
}

std::string DescribeDelay(const FilterMatrixInfo& info)
{
    const std::string frames = std::to_string(info.delay) + (info.delay == 1 ? " frame" : " frames");
    switch (info.delaySource) {
    case DelaySource::Stored:
        return frames + " (stored in the matrix)";
    case DelaySource::Estimated: {
        char text[96];
        std::snprintf(text, sizeof text, " (estimated from W's group delay, %.2f frames)", info.estimatedDelay);
        return frames + text;
    }
    case DelaySource::Unknown:
        break;
    }
    return frames + " (unknown: the matrix stores none and W has no low-frequency response)";
}

std::string FieldValue(const FilterMatrixInfo& info, const std::string& key)
{
    for (const auto& field : info.fields)
        if (field.first == key)
            return field.second;
    return std::string();
}

}  // namespace vq

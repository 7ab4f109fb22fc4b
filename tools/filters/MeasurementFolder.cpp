// The folder form of a measurement: one 4-channel sound file per direction, named after it.
#include "filters/Measurement.h"

#include "common/EngineStatus.h"
#include "common/SoundFileInput.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <memory>
#include <new>

namespace vq {

namespace {

namespace fs = std::filesystem;

bool IsWav(const fs::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return extension == ".wav";
}

// A decimal number as the names write it: an optional sign, digits, an optional fraction.
bool IsDecimal(const std::string& text)
{
    std::size_t at = text.size() > 1 && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const auto digits = [&]() {
        const std::size_t from = at;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
            ++at;
        return at > from;
    };
    if (!digits())
        return false;
    if (at < text.size() && text[at] == '.') {
        ++at;
        if (!digits())
            return false;
    }
    return at == text.size();
}

// <azimuth>_<elevation>.wav, each a decimal number of degrees.
bool ParseName(const fs::path& file, double* azimuth, double* elevation)
{
    const std::string stem = file.stem().string();
    const std::size_t underscore = stem.find('_');
    if (!IsWav(file) || underscore == std::string::npos)
        return false;
    const std::string az = stem.substr(0, underscore), el = stem.substr(underscore + 1);
    if (!IsDecimal(az) || !IsDecimal(el))
        return false;
    *azimuth = std::stod(az);
    *elevation = std::stod(el);
    return true;
}

// Reads one direction's file, checking it against the first file's rate and length.
bool ReadDirectionFile(const fs::path& path, Measurement* measurement, MeasurementProblem* problem)
{
    const std::string file = path.string();
    MeasuredDirection direction;
    direction.source = file;
    if (!ParseName(path, &direction.azimuth, &direction.elevation))
        return problem->Refuse(
            file, "its name is not <azimuth>_<elevation>.wav in degrees (for example -45_30.wav or 22.5_-10.wav)");
    if (std::fabs(direction.elevation) > 90.0)
        return problem->Refuse(file, "its elevation is beyond +-90 degrees");
    direction.direction = FromAzimuthElevation(direction.azimuth, direction.elevation);

    InputSoundFile sound;
    std::string unreadable;
    if (sound.Open(file, InputSoundFile::Length::Counted, &unreadable) != kStatusOk)
        return problem->Refuse(file, "it cannot be read as a sound file: " + unreadable);
    const SF_INFO& info = sound.Info();
    if (info.channels != 4)
        return problem->Refuse(file, "it has " + std::to_string(info.channels) +
                                         " channels; a measurement file has 4 (FLU, FRD, BLD, BRU)");
    if (info.frames < 1 || info.frames > kMaxResponseTaps)
        return problem->Refuse(file, "its length of " + std::to_string(info.frames) + " frames is not 1 to " +
                                         std::to_string(kMaxResponseTaps));
    if (measurement->directions.empty()) {
        measurement->rate = info.samplerate;
        measurement->length = static_cast<int>(info.frames);
    } else {
        const std::string& first = measurement->directions.front().source;
        if (info.samplerate != measurement->rate)
            return problem->Refuse(file, "its sample rate is " + std::to_string(info.samplerate) +
                                             " Hz where that of " + first + " is " +
                                             std::to_string(static_cast<int>(measurement->rate)) + " Hz");
        if (info.frames != measurement->length)
            return problem->Refuse(file, "it is " + std::to_string(info.frames) + " frames long where " + first +
                                             " is " + std::to_string(measurement->length) + " frames long");
    }

    std::vector<double> frames;
    try {
        frames.resize(static_cast<std::size_t>(info.frames) * 4);
        for (auto& response : direction.responses)
            response.resize(static_cast<std::size_t>(info.frames));
    } catch (const std::bad_alloc&) {
        return problem->Refuse(file, "not enough memory to read it");
    }
    if (sf_readf_double(sound.Handle(), frames.data(), info.frames) != info.frames)
        return problem->Refuse(file, "it ends before its stated length");
    for (std::size_t n = 0; n < static_cast<std::size_t>(info.frames); ++n)
        for (std::size_t k = 0; k < 4; ++k) {
            const double sample = frames[n * 4 + k];
            if (!std::isfinite(sample))
                return problem->Refuse(file, "frame " + std::to_string(n) + " of channel " + std::to_string(k + 1) +
                                                 " is not a finite number (NaN or infinite)");
            direction.responses[k][n] = sample;
        }
    measurement->directions.push_back(std::move(direction));
    return true;
}

}  // namespace

bool ReadMeasurementFolder(const std::string& folder, Measurement* measurement, MeasurementProblem* problem)
{
    *measurement = Measurement();
    measurement->path = folder;
    measurement->name = fs::path(folder).lexically_normal().filename().string();
    if (measurement->name.empty() || measurement->name == ".")
        measurement->name = fs::path(folder).lexically_normal().parent_path().filename().string();

    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        if (IsWav(entry->path()) && entry->is_regular_file(error))
            files.push_back(entry->path());
    if (error)
        return problem->Refuse(folder, "the folder cannot be read: " + error.message());
    if (files.empty())
        return problem->Refuse(folder, "the folder holds no measurement files (<azimuth>_<elevation>.wav)");
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files)
        if (!ReadDirectionFile(file, measurement, problem))
            return false;
    return true;
}

}  // namespace vq

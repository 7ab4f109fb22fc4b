#include "WindowSettings.h"

#include "DecodeModes.h"

#include "OutputFormats.h"

#include "TakeKinds.h"
#include "VQParams.h"

#include <wx/confbase.h>

#include <cmath>
#include <string>

namespace {

const wxString kInputWorkingPath = "/VessarQuilixGUI/InputWorkingPath";
const wxString kOutputWorkingPath = "/VessarQuilixGUI/OutputWorkingPath";
const wxString kOutputFolder = "/VessarQuilixGUI/OutputFolder";  // the last one the user chose
const wxString kKeepBFormat = "/VessarQuilixGUI/KeepBFormat";
const wxString kFilterSets = "/VessarQuilixGUI/FilterSets";  // Set1, Set2, ...: folders
const wxString kKeepSync = "/VessarQuilixGUI/KeepSync";  // the filters' delay taken off (align)

const wxString kMode = "/VessarQuilixGUI/Mode";              // "b-format", "5.1", "stereo", "uhj", "binaural"
const wxString kFileLayout = "/VessarQuilixGUI/FileLayout";  // 0 mono, 1 stereo pairs, 2 one file
const wxString kBFormatGain = "/VessarQuilixGUI/BFormatGain";
const wxString kBFormatAutorange = "/VessarQuilixGUI/BFormatAutorange";
const wxString kSurroundGain = "/VessarQuilixGUI/SurroundGain";
const wxString kOpeningAngle = "/VessarQuilixGUI/OpeningAngle";
const wxString kLowFreqsInLfe = "/VessarQuilixGUI/LowFreqsInLfe";
const wxString kSurroundAutorange = "/VessarQuilixGUI/SurroundAutorange";
const wxString kContainer = "/VessarQuilixGUI/Container";        // "wav", "amb", ..., "mov", "mp4"
const wxString kSampleFormat = "/VessarQuilixGUI/SampleFormat";  // "pcm16", "pcm24", "float"
const wxString kConvention = "/VessarQuilixGUI/Convention";      // "FuMa" or "AmbiX"
const wxString kInputFormat = "/VessarQuilixGUI/InputFormat";    // "auto", "a-format", "fuma", "ambix"
const wxString kDither = "/VessarQuilixGUI/Dither";
const wxString kHighpass = "/VessarQuilixGUI/HighPassHz";  // 0: off
const wxString kVideoClip = "/VessarQuilixGUI/VideoClip";  // a movie's video; empty: none
const wxString kEnergyDecoder = "/VessarQuilixGUI/EnergyDecoder";
const wxString kDecoderKey = "/VessarQuilixGUI/Decoder-";  // + the mode's name
const wxString kPairPattern = "/VessarQuilixGUI/PairPattern";  // omni share in percent
const wxString kPairAngle = "/VessarQuilixGUI/PairAngle";
const wxString kPairAim = "/VessarQuilixGUI/PairAim";
const wxString kRotation[3] = {"/VessarQuilixGUI/Yaw", "/VessarQuilixGUI/Pitch", "/VessarQuilixGUI/Roll"};

// The window's sliders: gains in whole dB, the opening angle in whole degrees.
constexpr long kMinGain = -15, kMaxGain = 15, kMinAngle = 15, kMaxAngle = 90;

void ReadInRange(const wxConfigBase& config, const wxString& key, long low, long high, double* value)
{
    long number = 0;
    if (config.Read(key, &number) && number >= low && number <= high)
        *value = static_cast<double>(number);
}

void ReadBool(const wxConfigBase& config, const wxString& key, bool* value)
{
    bool flag = false;
    if (config.Read(key, &flag))
        *value = flag;
}

// The sample format setting that follows the take.
const char* const kSampleOfTake = "take";

const char* SampleFormatName(vq::SampleFormat sample)
{
    return sample == vq::SampleFormat::Pcm24 ? "pcm24" : sample == vq::SampleFormat::Float ? "float" : "pcm16";
}

void ReadOutputFormat(const wxConfigBase& config, VQParams& record, WindowChoices& choices)
{
    const vq::Container* container = &vqgui::OutputContainer(record);
    vq::SampleFormat sample = vqgui::OutputSampleFormat(record);
    wxString text;
    if (config.Read(kContainer, &text))
        if (const vq::Container* named = vq::ContainerNamed(std::string(text.utf8_str())))
            container = named;
    if (config.Read(kSampleFormat, &text) && text != kSampleOfTake)
        choices.sampleOfTake = !vq::ParseSampleFormat(std::string(text.utf8_str()), &sample);
    if (sample == vq::SampleFormat::Float && !container->holdsFloat)
        sample = vq::SampleFormat::Pcm24;
    vqgui::SetOutputFormat(record, *container, sample);
}

}  // namespace

void LoadWindowSettings(const wxConfigBase& config, VQParams& record, WindowChoices& choices)
{
    wxString text;
    if (config.Read(kMode, &text) && vq::DecodeModeIndex(std::string(text.utf8_str())) >= 0)
        record.m_outputMode = vq::DecodeModeIndex(std::string(text.utf8_str()));
    // The decoder of each mode that offers several; 5.1's energy decode was once a switch.
    bool energy = false;
    ReadBool(config, kEnergyDecoder, &energy);
    if (energy)
        record.m_decoders["5.1"] = "energy";
    for (const vq::DecodeMode& mode : vq::DecodeModes())
        if (config.Read(kDecoderKey + mode.name, &text))
            for (const vq::DecoderChoice& decoder : mode.decoders)
                if (text == decoder.name)
                    record.m_decoders[mode.name] = decoder.name;
    double percent = record.m_pairPattern * 100.0;
    ReadInRange(config, kPairPattern, 0, 100, &percent);
    record.m_pairPattern = percent / 100.0;
    ReadInRange(config, kPairAngle, 0, 180, &record.m_pairAngle);
    ReadInRange(config, kPairAim, -180, 180, &record.m_pairAim);
    double* rotation[3] = {&record.m_yaw, &record.m_pitch, &record.m_roll};
    for (int i = 0; i < 3; ++i)
        ReadInRange(config, kRotation[i], -180, 180, rotation[i]);
    long number = 0;
    if (config.Read(kFileLayout, &number) && number >= 0 && number <= 2)
        record.m_fileLayout = static_cast<int>(number);
    ReadInRange(config, kBFormatGain, kMinGain, kMaxGain, &record.m_bformatGain);
    ReadInRange(config, kSurroundGain, kMinGain, kMaxGain, &record.m_surroundGain);
    double angle = record.m_openingAngle;
    ReadInRange(config, kOpeningAngle, kMinAngle, kMaxAngle, &angle);
    record.m_openingAngle = static_cast<int>(angle);
    ReadBool(config, kBFormatAutorange, &record.m_bformatAutorange);
    ReadBool(config, kSurroundAutorange, &record.m_surroundAutorange);
    ReadBool(config, kLowFreqsInLfe, &record.m_lowFreqsInLfe);
    ReadBool(config, kDither, &record.m_dither);
    ReadBool(config, kKeepSync, &record.m_align);
    ReadOutputFormat(config, record, choices);
    if (config.Read(kInputFormat, &text))
        for (const vq::InputFormatChoice& format : vq::InputFormatChoices())
            if (text == format.name)
                record.m_inputFormat = format.format;
    if (config.Read(kConvention, &text) && (text == "FuMa" || text == "AmbiX"))
        record.m_convention = text == "AmbiX" ? vq::BFormatConvention::AmbiX : vq::BFormatConvention::FuMa;
    // The .amb header is Furse-Malham only (the window keeps the layout to what the
    // convention offers).
    if (record.m_convention == vq::BFormatConvention::AmbiX)
        record.m_ambFile = false;
    double corner = 0.0;
    if (config.Read(kHighpass, &corner))
        record.m_highpassHz = vqgui::NearestHighpassCorner(corner);

    config.Read(kVideoClip, &record.m_movieSettings.videoClip);

    config.Read(kInputWorkingPath, &choices.input);
    config.Read(kOutputWorkingPath, &choices.output);
    config.Read(kOutputFolder, &choices.lastOutputFolder);
    ReadBool(config, kKeepBFormat, &choices.keepBFormat);
    choices.filterSets.clear();
    wxString set;
    for (int i = 1; config.Read(wxString::Format("%s/Set%d", kFilterSets, i), &set); ++i)
        choices.filterSets.push_back(set);
}

void ResetWindowSettings(VQParams& record, WindowChoices& choices)
{
    const VQParams defaults(nullptr);
    record.m_outputMode = defaults.m_outputMode;
    record.m_decoders = defaults.m_decoders;
    record.m_pairPattern = defaults.m_pairPattern;
    record.m_pairAngle = defaults.m_pairAngle;
    record.m_pairAim = defaults.m_pairAim;
    record.m_yaw = defaults.m_yaw;
    record.m_pitch = defaults.m_pitch;
    record.m_roll = defaults.m_roll;
    record.m_fileLayout = defaults.m_fileLayout;
    record.m_bformatGain = defaults.m_bformatGain;
    record.m_surroundGain = defaults.m_surroundGain;
    record.m_openingAngle = defaults.m_openingAngle;
    record.m_bformatAutorange = defaults.m_bformatAutorange;
    record.m_surroundAutorange = defaults.m_surroundAutorange;
    record.m_lowFreqsInLfe = defaults.m_lowFreqsInLfe;
    record.m_dither = defaults.m_dither;
    record.m_align = defaults.m_align;
    record.m_bformatFormat = defaults.m_bformatFormat;
    record.m_surroundFormat = defaults.m_surroundFormat;
    record.m_ambFile = defaults.m_ambFile;
    record.m_movie = defaults.m_movie;
    record.m_movieSettings.videoClip = defaults.m_movieSettings.videoClip;
    record.m_convention = defaults.m_convention;
    record.m_inputFormat = defaults.m_inputFormat;
    record.m_highpassHz = defaults.m_highpassHz;
    choices.outputFolder.clear();
    choices.keepBFormat = false;
    choices.sampleOfTake = true;
}

void SaveWindowSettings(wxConfigBase& config, const VQParams& record, const WindowChoices& choices)
{
    config.Write(kMode, wxString(record.Mode().name));
    for (const auto& [mode, decoder] : record.m_decoders)
        config.Write(kDecoderKey + mode, wxString(decoder));
    const auto fiveOne = record.m_decoders.find("5.1");
    config.Write(kEnergyDecoder, fiveOne != record.m_decoders.end() && fiveOne->second == "energy");
    config.Write(kPairPattern, std::lround(record.m_pairPattern * 100.0));
    config.Write(kPairAngle, std::lround(record.m_pairAngle));
    config.Write(kPairAim, std::lround(record.m_pairAim));
    const double rotation[3] = {record.m_yaw, record.m_pitch, record.m_roll};
    for (int i = 0; i < 3; ++i)
        config.Write(kRotation[i], std::lround(rotation[i]));
    config.Write(kFileLayout, static_cast<long>(record.m_fileLayout));
    config.Write(kBFormatGain, static_cast<long>(record.m_bformatGain));
    config.Write(kBFormatAutorange, record.m_bformatAutorange);
    config.Write(kSurroundGain, static_cast<long>(record.m_surroundGain));
    config.Write(kOpeningAngle, static_cast<long>(record.m_openingAngle));
    config.Write(kLowFreqsInLfe, record.m_lowFreqsInLfe);
    config.Write(kSurroundAutorange, record.m_surroundAutorange);
    // The format is written as B-Format mode has it, so that .amb and a movie are kept.
    const vq::Container& container = !record.m_movie.empty() ? *vq::ContainerNamed(record.m_movie)
                                                             : vq::ContainerOf(record.m_bformatFormat, record.m_ambFile);
    config.Write(kContainer, wxString(container.name));
    config.Write(kSampleFormat, wxString(choices.sampleOfTake ? kSampleOfTake
                                                              : SampleFormatName(vq::SampleFormatOf(record.m_bformatFormat))));
    config.Write(kConvention, vqgui::ConventionLabel(record.m_convention));
    config.Write(kInputFormat, wxString(vq::InputFormatChoices()[static_cast<std::size_t>(
                                            vq::InputFormatIndex(record.m_inputFormat))].name));
    config.Write(kDither, record.m_dither);
    config.Write(kKeepSync, record.m_align);
    config.Write(kHighpass, static_cast<long>(record.m_highpassHz));
    config.Write(kVideoClip, record.m_movieSettings.videoClip);
    if (!choices.input.empty())
        config.Write(kInputWorkingPath, choices.input);
    if (!choices.output.empty())
        config.Write(kOutputWorkingPath, choices.output);
    config.Write(kKeepBFormat, choices.keepBFormat);
    config.DeleteGroup(kFilterSets);
    for (std::size_t i = 0; i < choices.filterSets.size(); ++i)
        config.Write(wxString::Format("%s/Set%zu", kFilterSets, i + 1), choices.filterSets[i]);
    if (choices.lastOutputFolder.empty())
        config.DeleteEntry(kOutputFolder, false);
    else
        config.Write(kOutputFolder, choices.lastOutputFolder);
    config.Flush();
}

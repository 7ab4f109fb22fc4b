// The conversion run. One pass: an A-format take goes through the convolution engine into
// B-format and, in a decode mode, on through the decoder; a B-format take goes through the
// B-format engine (high-pass, rotation) straight into the decoder, or into B-format files
// again. State goes to the status view, stages and progress to the progress view.
#include "ConversionRun.h"

#include "ClipStill.h"
#include "DecodeModes.h"
#include "DirectionPicture.h"
#include "FileSystemPath.h"
#include "MovieOutput.h"
#include "StatusTable.h"
#include "TakeKinds.h"
#include "TakeParts.h"
#include "VessarQConvolver.h"
#include "VessarSurrounder.h"
#include "VQProgressView.h"
#include "VQStatusView.h"
#include "VqVersion.h"

#include "common/EngineStatus.h"
#include "common/FftWisdom.h"
#include "common/FilePaths.h"
#include "common/FilterMatrixInfo.h"
#include "common/FilterMatrixName.h"
#include "common/JoinedSoundFile.h"
#include "deliver/RecorderMetadata.h"
#include "spatial/DirectionMap.h"
#include "spatial/DirectionMapFiles.h"
#include "surround/BFormatDecoder.h"
#include "surround/BFormatPassThrough.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace vq {

namespace {

// The B-format stage of a decode runs at the default B-format gain: the B-format controls
// are the B-format output's, and a decode does not depend on them.
constexpr double kDecodeStageBFormatGain = -3.0;

double LinearGain(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

class Run {
public:
    Run(const ConversionRequest& request, const RunViews& views) : m_request(request), m_views(views) {}

    ConversionResult Go();

private:
    // Ends the run with `status`, a failure or a cancel (kStatusCancelled); false.
    bool Fail(int status, const FailureDetail& detail = FailureDetail());
    void SetStatusText(const wxString& text, int field);
    bool FileSystemPath(const wxString& path, std::string* bytes);
    // The files of a take (or of one part of a split take) from the names given, completed
    // by its kind's rule and checked to exist, in the order of its kind: as named, and as
    // the file system has them.
    bool CollectTake(const TakeKind& kind, std::vector<wxString> names, std::vector<wxString>* named,
                     std::vector<std::string>* files);
    // The files of every part of the take, in order (one part for a take in one piece),
    // checked to belong together.
    bool CollectParts(const TakeKind& kind, std::vector<std::vector<std::string>>* parts);
    // The outputs' paths, checked not to collide with the inputs or each other and to be
    // creatable, then the kept B-format's (empty when none).
    bool CollectOutputs(const std::vector<std::string>& reads, std::vector<std::string>* outputs,
                        std::string* keptBFormat);
    int OutputFormat(int takeFormat) const;
    bool MakeDecoder();
    // What the outputs carry of the take's recorder metadata, with this run's history line;
    // a damaged chunk is left out with a warning.
    CarriedMetadata Metadata(const std::string& firstFile, const std::string& detail);
    // The take's start as timecode at `rate`, when it has a time reference.
    void NoteStart(FrameRate rate);
    // A poly file needs its four channels named, and named channels must be the file's.
    bool CheckChannels(const FirstFileHeader& header, const wxString& first);
    // Where the take is joined, what the user should know about how its parts follow on.
    void CheckPartTiming(const JoinedSoundFile& input);
    bool RunCapsules(const std::vector<std::vector<std::string>>& parts);
    bool RunBFormat(const std::vector<std::vector<std::string>>& parts, const FirstFileHeader& header);
    // A movie's files besides the take (its clip, its head-locked pair), added to `reads`
    // for the clash check. True, without a movie too; false when a name has no file-system form.
    bool AddMovieReads(std::vector<std::string>* reads);
    // Checks the movie before any output exists and has the engine write its audio into the
    // movie's hidden audio file instead of the movie (outputs[0]). True, without a movie too.
    bool PrepareMovie(std::vector<std::string>* outputs);
    // Once the engine has written the audio: muxes the movie. 0 without a movie.
    int WriteMovie(FailureDetail* failure);
    // Settings that cannot go together, and a picture that cannot be drawn, fail the run
    // before the take is read.
    bool CheckDeliveries();
    // Once the rate is known: the direction map, when one is asked for, made ready for the
    // pass; a band that does not fit below half the rate fails the run.
    bool PrepareMap(int sampleRate);
    // Ends the run with the engine's outcome.
    bool Conclude(int status, bool aborted, const FailureDetail& failure, std::int64_t clipped);
    // After a run that ended well: what each written file holds (`figures`, in the order of
    // the files written; the user's outputs are the first `outputs` of them) and, when they
    // are several measured files, their loudness as one programme; then the map's files.
    bool Deliver(const std::vector<OutputFigures>& figures, std::size_t outputs,
                 const std::optional<Loudness>& programme);
    bool WriteMap();

    const ConversionRequest& m_request;
    const RunViews& m_views;
    ConversionResult m_result;
    std::unique_ptr<BFormatDecoder> m_decoder;
    std::unique_ptr<MovieOutput> m_movie;  // when the container is a movie
    MovieFiles m_movieFiles;
    std::unique_ptr<DirectionMap> m_map;
};

void Run::SetStatusText(const wxString& text, int field)
{
    if (m_views.status)
        m_views.status->SetStatusText(text, field);
}

bool Run::Fail(int status, const FailureDetail& detail)
{
    m_result.status = status;
    if (!detail.path.empty() || !detail.reason.empty())
        m_result.failure = detail;
    SetStatusText(status == kStatusCancelled ? "Aborted." : "Error.", 0);
    return false;
}

bool Run::FileSystemPath(const wxString& path, std::string* bytes)
{
    if (ToFileSystemPath(path, bytes))
        return true;
    return Fail(kUnrepresentablePath, {Utf8(path), "the name has no form in the file system's encoding"});
}

bool Run::CollectTake(const TakeKind& kind, std::vector<wxString> names, std::vector<wxString>* named,
                      std::vector<std::string>* files)
{
    if (names.empty() || names.front().empty())
        return Fail(kMissingInput, {"", "a part of the take names no file"});
    if (names.size() < static_cast<std::size_t>(kind.files)) {
        const std::vector<wxString> companions = kind.companions(names.front());
        names.insert(names.end(), companions.begin() + static_cast<long>(names.size() - 1), companions.end());
    }
    names.resize(static_cast<std::size_t>(kind.files));
    for (const wxString& name : names) {
        if (name.empty())
            return Fail(kMissingInput, {Utf8(names.front()), std::string("its other files cannot be told from its name (") +
                                                                  kind.description + ")"});
        if (!wxFileExists(name))
            return Fail(kMissingInput, {Utf8(name), wxDirExists(name) ? "a folder, not a sound file" : "no such file"});
        files->emplace_back();
        if (!FileSystemPath(name, &files->back()))
            return false;
    }
    *named = names;
    return true;
}

bool Run::CollectParts(const TakeKind& kind, std::vector<std::vector<std::string>>* parts)
{
    std::vector<std::vector<wxString>> given = {m_request.takeFiles};
    given.insert(given.end(), m_request.take.laterParts.begin(), m_request.take.laterParts.end());
    std::vector<std::vector<wxString>> named(given.size());
    parts->resize(given.size());
    for (std::size_t p = 0; p < given.size(); ++p)
        if (!CollectTake(kind, given[p], &named[p], &(*parts)[p]))
            return false;
    for (const std::vector<wxString>& part : named)
        for (const wxString& name : part)
            m_result.inputFiles.push_back(Utf8(name));
    if (given.size() < 2)
        return true;
    // Nothing is opened for writing when the parts cannot be one recording.
    FailureDetail problem;
    const int status = CheckPartsAgree(named, kind, m_request.take.inputFormat, &problem);
    if (status != kStatusOk)
        return Fail(status, problem);
    for (const std::vector<std::string>& part : *parts)
        m_result.joinedParts.push_back(part.front());
    return true;
}

void Run::CheckPartTiming(const JoinedSoundFile& input)
{
    const std::vector<std::string> warnings = PartTimingWarnings(input);
    m_result.warnings.insert(m_result.warnings.end(), warnings.begin(), warnings.end());
}

// The files of input `slot` of every part, in order: what the engine joins into one input.
std::vector<std::string> SlotOfParts(const std::vector<std::vector<std::string>>& parts, std::size_t slot)
{
    std::vector<std::string> files;
    for (const std::vector<std::string>& part : parts)
        files.push_back(part[slot]);
    return files;
}

// Every file of every part.
std::vector<std::string> FilesOfParts(const std::vector<std::vector<std::string>>& parts)
{
    std::vector<std::string> files;
    for (const std::vector<std::string>& part : parts)
        files.insert(files.end(), part.begin(), part.end());
    return files;
}

bool Run::CollectOutputs(const std::vector<std::string>& reads, std::vector<std::string>* outputs,
                         std::string* keptBFormat)
{
    const std::vector<wxString> paths = OutputPaths(m_request);
    if (paths.empty())
        return Fail(kBadParameter, {"", "the mode has no layout of " + std::to_string(m_request.outputs.fileCount) +
                                            " files"});
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (wxFileName(paths[i]).GetName().empty())
            return Fail(kOutputOpenFailed, {"", "output " + std::to_string(i + 1) + " has no name"});
        outputs->emplace_back();
        if (!FileSystemPath(paths[i], &outputs->back()))
            return false;
    }
    std::vector<std::string> written = *outputs;
    const wxString& keep = m_request.outputs.keepBFormat;
    if (m_request.decode.Mode().Decodes() && !keep.empty()) {
        if (!FileSystemPath(keep, keptBFormat))
            return false;
        written.push_back(*keptBFormat);
    }
    for (const wxString& file : MapFiles(m_request)) {
        written.emplace_back();
        if (!FileSystemPath(file, &written.back()))
            return false;
    }

    // Nothing is opened for writing when any of them is a file the run reads (the SOFA file
    // of a decode too) or another file it writes: the user's recordings are never overwritten.
    std::vector<std::string> read = reads;
    std::string sofa;
    if (!m_request.decode.hrtfFile.empty() && ToFileSystemPath(m_request.decode.hrtfFile, &sofa))
        read.push_back(sofa);
    PathClash clash;
    if (OutputsCollide(written.data(), static_cast<int>(written.size()), read, &clash))
        return Fail(kOutputOverwritesInput, {clash.output, clash.Reason()});
    // An output that cannot be created fails now, not after the planning and a whole pass.
    for (const std::string& path : written) {
        FailureDetail problem;
        if (!::CheckOutputFolder(path, &problem))
            return Fail(kOutputOpenFailed, problem);
    }
    return true;
}

int Run::OutputFormat(int takeFormat) const
{
    const OutputSettings& out = m_request.outputs;
    if (out.formatOfTake)
        return takeFormat;
    const Container& container = OutputContainer(m_request);
    return FormatCode(container, out.sampleOfTake ? SampleFormatKeeping(takeFormat, container) : out.sample);
}

bool Run::MakeDecoder()
{
    const DecodeMode& mode = m_request.decode.Mode();
    VQProgressView* view = m_views.progress;
    const DecoderContext context{[view] { return !view || !view->CancelRequested(); }};
    FailureDetail failure;
    const int status = mode.makeDecoder(m_request.decode, context, &m_decoder, &failure);
    return status == kStatusOk || Fail(status, failure);
}

bool Run::CheckChannels(const FirstFileHeader& header, const wxString& first)
{
    const std::vector<int>& chosen = m_request.take.channels;
    const std::string count = std::to_string(header.channels) + " channels";
    if (chosen.empty() && header.channels > 4)
        return Fail(kChannelCountMismatch,
                    {Utf8(first), count + ": say which four hold the capsules (--channels, for example --channels " +
                                      std::to_string(header.channels - 3) + "," + std::to_string(header.channels - 2) +
                                      "," + std::to_string(header.channels - 1) + "," +
                                      std::to_string(header.channels) + ")"});
    if (chosen.empty() || !header.readable)
        return true;
    if (header.channels < 4)
        return Fail(kChannelCountMismatch, {Utf8(first), count + ": the capsules' channels are chosen only in a file "
                                                                 "of four or more"});
    for (const int c : chosen)
        if (c < 0 || c >= header.channels)
            return Fail(kChannelCountMismatch,
                        {Utf8(first), count + ": it has no channel " + std::to_string(c + 1)});
    return true;
}

CarriedMetadata Run::Metadata(const std::string& firstFile, const std::string& detail)
{
    std::vector<MetadataWarning> problems;
    CarriedMetadata carried{ReadRecorderMetadata(firstFile, &problems), kVersionString, detail};
    for (const MetadataWarning& problem : problems)
        m_result.warnings.push_back(problem.path + ": " + problem.reason + "; the outputs go without it");
    const RecorderMetadata& recorder = carried.recorder;
    if (recorder.bext)
        m_result.startSamples = recorder.bext->TimeReference();
    NoteStart(IxmlTimecodeRate(recorder.ixml).value_or(kDefaultTimecodeRate));
    return carried;
}

void Run::NoteStart(FrameRate rate)
{
    m_result.timecodeRate = rate;
    if (m_result.startSamples)
        m_result.startTimecode = TimecodeOf(*m_result.startSamples, m_result.sampleRate, rate);
}

// How the report names where a filter delay comes from.
const char* DelaySourceName(DelaySource source)
{
    switch (source) {
    case DelaySource::Stored:
        return "stored";
    case DelaySource::Estimated:
        return "estimated";
    case DelaySource::Unknown:
        break;
    }
    return "unknown";
}

// What the coding history says the run did: "A-format to B-format FuMa", "B-format to binaural".
std::string ConversionDetail(bool fromCapsules, const DecodeMode& mode, BFormatConvention convention)
{
    const std::string from = fromCapsules ? "A-format to " : "B-format to ";
    if (mode.Decodes())
        return from + mode.outputsWord;
    return from + "B-format " + (convention == BFormatConvention::AmbiX ? "AmbiX" : "FuMa");
}

bool Run::AddMovieReads(std::vector<std::string>* reads)
{
    if (!OutputContainer(m_request).movie)
        return true;
    m_movie = std::make_unique<MovieOutput>();
    const MovieSettings& movie = m_request.movie;
    if ((!movie.videoClip.empty() && !FileSystemPath(movie.videoClip, &m_movieFiles.videoClip)) ||
        (!movie.headLocked.empty() && !FileSystemPath(movie.headLocked, &m_movieFiles.headLocked)))
        return false;
    for (const std::string* read : {&m_movieFiles.videoClip, &m_movieFiles.headLocked})
        if (!read->empty())
            reads->push_back(*read);
    return true;
}

bool Run::PrepareMovie(std::vector<std::string>* outputs)
{
    if (!m_movie)
        return true;
    m_movieFiles.movie = outputs->front();
    FailureDetail problem;
    int status = m_movie->Check(m_request, m_movieFiles, m_result.sampleRate, m_result.takeFrames,
                                m_result.takeFormat, m_views.progress, &problem);
    if (status == kStatusOk)
        status = m_movie->CreateAudioFile(&problem);
    if (status != kStatusOk)
        return Fail(status, problem);
    outputs->front() = m_movie->AudioPath();
    return true;
}

int Run::WriteMovie(FailureDetail* failure)
{
    if (!m_movie)
        return kStatusOk;
    // An editor lines the movie up with the clip's footage by the clip's frames.
    if (m_movie->ClipFrameRate().Valid())
        NoteStart(m_movie->ClipFrameRate());
    m_movie->SetStartTimecode(m_result.startTimecode);
    const int status = m_movie->Write(m_views.progress, m_request.outputs.replace, failure);
    if (status == kStatusOk) {
        m_result.outputFrames = m_movie->Frames();
        if (!m_movie->Note().empty())
            m_result.notes.push_back(m_movie->Note());
    }
    return status;
}

bool Run::CheckDeliveries()
{
    const DecodeSettings& decode = m_request.decode;
    if (decode.normalize && !decode.Mode().Decodes())
        return Fail(kBadParameter, {"", "normalising the loudness goes with a decode"});
    if (decode.normalize && decode.autorange)
        return Fail(kBadParameter, {"", "normalising the loudness and autorange both set the decode's level"});
    std::string reason;
    if (!m_request.map.picture.empty() && !DirectionPictureAvailable(&reason))
        return Fail(kDirectionMapFailed, {Utf8(m_request.map.picture), reason});
    return true;
}

bool Run::PrepareMap(int sampleRate)
{
    const MapSettings& map = m_request.map;
    if (!map.Wanted())
        return true;
    if (!map.BandFits(sampleRate)) {
        char band[160];
        std::snprintf(band, sizeof band, "its band of %g to %g Hz does not fit between 0 Hz and half the take's rate (%g Hz)",
                      map.lowHz, map.highHz, 0.5 * sampleRate);
        return Fail(kDirectionMapFailed, {"", band});
    }
    m_map = std::make_unique<DirectionMap>(map.lowHz, map.highHz);
    const int status = m_map->Prepare(sampleRate, m_request.run.blockFrames);
    if (status != kStatusOk)
        return Fail(status, {"", "the direction map cannot be prepared"});
    return true;
}

bool Run::Deliver(const std::vector<OutputFigures>& figures, std::size_t outputs,
                  const std::optional<Loudness>& programme)
{
    std::size_t measured = 0;
    for (std::size_t i = 0; i < m_result.written.size() && i < figures.size(); ++i) {
        m_result.outputs.push_back(
            {m_result.written[i], m_result.outputFrames, figures[i].clippedSamples, figures[i].loudness});
        measured += i < outputs && figures[i].loudness;
    }
    if (measured > 1)
        m_result.programmeLoudness = programme;
    return WriteMap();
}

bool Run::WriteMap()
{
    if (!m_map)
        return true;
    if (m_map->Finish() != kStatusOk)
        return Fail(kDirectionMapFailed, {"", "the map was not made from the whole take"});
    auto levels = std::make_shared<DirectionMapLevels>(LevelsOf(*m_map));
    const MapSettings& map = m_request.map;
    // The sound files are published already: a map that cannot be written says so.
    const auto failed = [this](const FailureDetail& detail) {
        return Fail(kDirectionMapFailed, {detail.path, detail.reason + "; the converted files are complete"});
    };
    std::string path;
    FailureDetail detail;
    if (!map.data.empty() && FileSystemPath(map.data, &path)) {
        if (WriteDirectionMapCsv(*m_map, path, &detail) != kStatusOk)
            return failed(detail);
        m_result.mapFiles.push_back(map.data);
    }
    if (!map.picture.empty() && FileSystemPath(map.picture, &path)) {
        // Under a clip's video, the map goes over a still of it, as the viewer sees the scene.
        RgbImage still;
        if (!m_movieFiles.videoClip.empty()) {
            const int status = ReadClipStill(m_movieFiles.videoClip, path, [this] {
                return !m_views.progress || !m_views.progress->CancelRequested();
            }, &still, &detail);
            if (status != kStatusOk)
                return failed(detail);
        }
        if (WriteDirectionPicture(*levels, path, &detail, still.Empty() ? nullptr : &still) != kStatusOk)
            return failed(detail);
        m_result.mapFiles.push_back(map.picture);
    }
    if (map.keep)
        m_result.directionMap = std::move(levels);
    return m_result.status == kStatusOk;
}

bool Run::Conclude(int status, bool aborted, const FailureDetail& failure, std::int64_t clipped)
{
    if (aborted || status == kStatusCancelled)
        return Fail(kStatusCancelled);
    if (status != kStatusOk)
        return Fail(status, failure);
    m_result.clippedSamples = clipped;
    m_result.written = WrittenFiles(m_request);
    SetStatusText("Ready.", 0);
    return true;
}

bool Run::RunCapsules(const std::vector<std::vector<std::string>>& parts)
{
    const DecodeMode& mode = m_request.decode.Mode();
    const bool decodes = mode.Decodes();
    const int convolverOutputs = decodes ? 1 : m_request.outputs.fileCount;
    VessarQConvolver engine(convolverOutputs, m_views.progress, wxString(mode.stageMessage));
    for (std::size_t k = 0; k < parts.front().size(); ++k) {
        const int status = engine.OpenInputParts(SlotOfParts(parts, k), static_cast<int>(k));
        if (status != kStatusOk)
            return Fail(status, engine.m_failure);
    }
    CheckPartTiming(*engine.m_inputFiles[0]);
    const int rate = engine.m_inputInfo.samplerate;
    m_result.sampleRate = rate;
    m_result.takeFrames = engine.m_inputInfo.frames;
    m_result.takeFormat = engine.m_inputInfo.format;
    SetStatusText(wxString::Format("%d Hz", rate), 1);

    wxFileName matrix;
    matrix.AssignDir(m_request.run.filtersDir);
    matrix.SetFullName(wxString::FromUTF8(FilterMatrixFileName(rate).c_str()));
    m_result.filterMatrix = Utf8(matrix.GetFullPath());
    if (!matrix.FileExists())
        return Fail(kMissingFilterMatrix, {"", FilterMatrixHint(rate, Utf8(m_request.run.filtersDir))});
    std::string filter;
    if (!FileSystemPath(matrix.GetFullPath(), &filter))
        return false;
    int status = engine.LoadFilterMatrix(filter.c_str());
    if (status != kStatusOk)
        return Fail(status, engine.m_failure);
    m_result.filterTaps = static_cast<int>(engine.m_filterLength);
    // The delay the designer wrote into the matrix, else the one its W filters show: taken
    // off with align, and told in any case.
    FilterMatrixInfo info;
    FailureDetail problem;
    status = ReadFilterMatrixInfo(filter, &info, &problem);
    if (status == kStatusOk) {
        m_result.filterDelay = info.delay;
        m_result.filterDelayFrom = DelaySourceName(info.delaySource);
    }
    if (m_request.outputs.align) {
        if (status != kStatusOk)
            return Fail(status, problem);
        engine.m_align = true;
        engine.m_alignDelay = info.delay;
        m_result.alignment = DescribeDelay(info);
    }
    SetStatusText(wxString::Format("%ld smpls", static_cast<long>(engine.m_filterLength)), 2);

    std::vector<std::string> reads = FilesOfParts(parts);
    reads.push_back(filter);
    std::vector<std::string> outputs;
    std::string keptBFormat;
    if (!AddMovieReads(&reads) || !CollectOutputs(reads, &outputs, &keptBFormat) || !PrepareMovie(&outputs) ||
        !PrepareMap(rate))
        return false;

    // A decode runs in the same pass: its B-format stage at the default gain, without the
    // B-format output's own controls, and in the Furse-Malham convention it reads.
    const BFormatSettings& b = m_request.bformat;
    engine.m_autorange = !decodes && b.autorange;
    engine.m_gain = LinearGain(decodes ? kDecodeStageBFormatGain : b.gainDb);
    engine.m_requestedBufferLength = m_request.run.blockFrames;
    engine.m_threads = m_request.run.threads;
    engine.m_highpassHz = b.highpassHz;
    engine.m_dither = m_request.outputs.dither;
    // A movie's hidden audio file exists already: the engine replaces it.
    engine.m_replaceOutputs = m_request.outputs.replace || m_movie;
    engine.m_metadata = Metadata(parts.front().front(), ConversionDetail(true, mode, m_request.outputs.convention));
    engine.m_rotation = FieldRotation::FromDegrees(b.yaw, b.pitch, b.roll);
    engine.m_measureLoudness = true;
    engine.m_directionMap = m_map.get();
    const std::vector<int>& chosen = m_request.take.channels;
    for (int k = 0; k < 4; ++k) {
        const int c = m_request.take.capsuleChannels[k];
        engine.m_capsuleChannels[k] = chosen.size() == 4 && c >= 0 && c < 4 ? chosen[static_cast<std::size_t>(c)] : c;
    }
    engine.m_convention = decodes ? BFormatConvention::FuMa : m_request.outputs.convention;
    engine.m_ambisonicHeader = OutputContainer(m_request).ambisonic && !decodes;
    const int format = m_movie ? m_movie->AudioFormat() : OutputFormat(engine.m_inputInfo.format);
    // A kept B-format of a decode is float WAV: integers would add noise and clip.
    engine.m_outputInfo.format = decodes ? (SF_FORMAT_WAVEX | SF_FORMAT_FLOAT) : format;

    if (decodes) {
        if (!MakeDecoder())
            return false;
        engine.m_decoder = m_decoder.get();
        engine.m_decodedLayout = OutputFilesOf(m_request);
        engine.m_decodedFileNames = outputs;
        engine.m_decodedFormat = format;
        engine.m_decodedGain = LinearGain(m_request.decode.gainDb);
        engine.m_decodedAutorange = m_request.decode.autorange;
        engine.m_decodedNormalize = m_request.decode.normalize;
        engine.m_normalizeLufs = m_request.decode.normalizeLufs;
        engine.m_truePeakCeilingDbtp = m_request.decode.normalizeCeilingDbtp;
        engine.m_writeBFormat = !keptBFormat.empty();
        if (!keptBFormat.empty())
            engine.SetOutputFileName(0, keptBFormat);
    } else {
        for (std::size_t i = 0; i < outputs.size(); ++i)
            engine.SetOutputFileName(static_cast<int>(i), outputs[i]);
    }

    SetStatusText("Calculating...", 0);
    status = engine.Run();
    if (status == kStatusOk && engine.m_finished && engine.m_decodedNormalize) {
        status = engine.Normalize();
        m_result.normalized = engine.m_normalizeGain;
    } else if (status == kStatusOk && engine.m_finished &&
               (engine.m_autorange || (decodes && m_request.decode.autorange))) {
        status = engine.Autorange();
    }
    m_result.outputFrames = engine.WrittenLength();
    FailureDetail failure = engine.m_failure;
    if (status == kStatusOk && !engine.m_aborted)
        status = WriteMovie(&failure);
    if (!Conclude(status, engine.m_aborted, failure,
                  decodes ? engine.m_decodedClippedSamples : engine.m_clippedSamples))
        return false;
    std::vector<OutputFigures> figures = decodes ? engine.DecodedFigures() : engine.BFormatFigures();
    const std::size_t userOutputs = figures.size();
    if (decodes && !keptBFormat.empty()) {
        const std::vector<OutputFigures> kept = engine.BFormatFigures();
        figures.insert(figures.end(), kept.begin(), kept.end());
    }
    return Deliver(figures, userOutputs, decodes ? engine.DecodedLoudness() : std::nullopt);
}

bool Run::RunBFormat(const std::vector<std::vector<std::string>>& parts, const FirstFileHeader& header)
{
    const DecodeMode& mode = m_request.decode.Mode();
    const bool decodes = mode.Decodes();
    if (decodes && !m_request.outputs.keepBFormat.empty())
        return Fail(kBadParameter, {Utf8(m_request.outputs.keepBFormat),
                                    "a B-format take is its own B-format: there is no other to keep"});
    VessarSurrounder engine(m_views.progress, wxString(mode.stageMessage), m_request.decode.openingAngle,
                            m_request.outputs.fileCount);
    int status = engine.OpenInputParts(SlotOfParts(parts, 0));
    if (status != kStatusOk)
        return Fail(status, engine.m_failure);
    CheckPartTiming(*engine.m_inputFile);
    m_result.sampleRate = engine.m_inputInfo.samplerate;
    m_result.takeFrames = engine.m_inputInfo.frames;
    m_result.takeFormat = engine.m_inputInfo.format;
    SetStatusText(wxString::Format("%d Hz", engine.m_inputInfo.samplerate), 1);
    SetStatusText(wxEmptyString, 2);  // no filters

    std::vector<std::string> reads = FilesOfParts(parts);
    std::vector<std::string> outputs;
    std::string unused;
    if (!AddMovieReads(&reads) || !CollectOutputs(reads, &outputs, &unused) || !PrepareMovie(&outputs) ||
        !PrepareMap(engine.m_inputInfo.samplerate))
        return false;

    const BFormatSettings& b = m_request.bformat;
    engine.m_inputConvention = ConventionOfTake(header, m_request.take.inputFormat);
    const std::vector<int>& chosen = m_request.take.channels;
    if (chosen.size() == 4)
        std::copy(chosen.begin(), chosen.end(), engine.m_inputChannels);
    engine.m_requestedBufferLength = m_request.run.blockFrames;
    engine.m_highpassHz = b.highpassHz;
    engine.m_rotation = FieldRotation::FromDegrees(b.yaw, b.pitch, b.roll);
    engine.m_dither = m_request.outputs.dither;
    engine.m_replaceOutputs = m_request.outputs.replace || m_movie;
    engine.m_metadata = Metadata(parts.front().front(), ConversionDetail(false, mode, m_request.outputs.convention));
    engine.m_outputInfo.format = m_movie ? m_movie->AudioFormat() : OutputFormat(engine.m_inputInfo.format);
    engine.m_measureLoudness = true;
    engine.m_directionMap = m_map.get();
    if (decodes) {
        if (!MakeDecoder())
            return false;
        engine.m_gain = LinearGain(m_request.decode.gainDb);
        engine.m_autorange = m_request.decode.autorange;
        engine.m_normalize = m_request.decode.normalize;
        engine.m_normalizeLufs = m_request.decode.normalizeLufs;
        engine.m_truePeakCeilingDbtp = m_request.decode.normalizeCeilingDbtp;
    } else {
        // B-format again: turned, filtered or in another convention, with the B-format
        // controls of an A-format take.
        m_decoder = std::make_unique<BFormatPassThrough>();
        engine.m_gain = LinearGain(b.gainDb);
        engine.m_autorange = b.autorange;
        engine.m_autorangeRemovesMean = true;
        engine.m_ambisonicHeader = OutputContainer(m_request).ambisonic;
    }
    engine.m_decoder = m_decoder.get();
    engine.m_decodedLayout = OutputFilesOf(m_request);
    for (std::size_t i = 0; i < outputs.size() && i < static_cast<std::size_t>(Surrounder::kChannels); ++i)
        engine.m_outputFileNames[i] = outputs[i];

    SetStatusText("Calculating...", 0);
    status = engine.Run();
    if (status == kStatusOk && engine.m_finished && engine.m_normalize) {
        status = engine.Normalize();
        m_result.normalized = engine.m_normalizeGain;
    } else if (status == kStatusOk && engine.m_finished && engine.m_autorange) {
        status = engine.Autorange();
    }
    m_result.outputFrames = engine.m_length;
    FailureDetail failure = engine.m_failure;
    if (status == kStatusOk && !engine.m_aborted)
        status = WriteMovie(&failure);
    if (!Conclude(status, engine.m_aborted, failure, engine.m_clippedSamples))
        return false;
    const std::vector<OutputFigures> figures = engine.Figures();
    return Deliver(figures, figures.size(), engine.ProgrammeLoudness());
}

ConversionResult Run::Go()
{
    m_result.mode = &m_request.decode.Mode();
    // The rate and filter length shown are those of this run, as soon as they are known.
    SetStatusText(wxEmptyString, 1);
    SetStatusText(wxEmptyString, 2);

    if (m_request.takeFiles.empty() || m_request.takeFiles.front().empty()) {
        Fail(kMissingInput, {"", "no take given"});
        return m_result;
    }
    const wxString& first = m_request.takeFiles.front();
    if (!wxFileExists(first)) {
        Fail(kMissingInput, {Utf8(first), wxDirExists(first) ? "a folder, not a sound file" : "no such file"});
        return m_result;
    }
    const FirstFileHeader header = ReadFirstFileHeader(first);
    std::string warning;
    const TakeKind* kind = KindOfTake(header, m_request.take.inputFormat, first, &warning);
    if (!warning.empty())
        m_result.warnings.push_back(warning);
    // A first file that no kind takes is opened all the same, as the take of its number of
    // files, so that the engine says what is wrong with it.
    if (!kind) {
        const std::size_t count = m_request.takeFiles.size();
        kind = &TakeKindNamed(count >= 4 ? "four-mono" : count == 2 ? "front-rear" : "a-format");
    }
    if (!CheckChannels(header, first) || !CheckDeliveries())
        return m_result;
    std::vector<std::vector<std::string>> parts;
    if (!CollectParts(*kind, &parts))
        return m_result;
    if (kind->bformat)
        RunBFormat(parts, header);
    else
        RunCapsules(parts);
    return m_result;
}

}  // namespace

ConversionResult RunConversion(const ConversionRequest& request, const RunViews& views)
{
    // The transform plans measured by earlier runs are reused, and new ones kept.
    const wxString& wisdomFile = request.run.fftWisdomFile;
    std::string wisdom;
    const bool keepWisdom = !wisdomFile.empty() && ToFileSystemPath(wisdomFile, &wisdom);
    if (keepWisdom)
        LoadFftWisdom(wisdom);
    ConversionResult result = Run(request, views).Go();
    // A cache folder that cannot be made keeps no plans: the next run measures them again,
    // which costs a moment and is no failure worth a word.
    const wxLogNull quiet;
    if (keepWisdom && wxFileName::Mkdir(wxFileName(wisdomFile).GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL))
        SaveFftWisdom(wisdom);
    return result;
}

wxString UserFftWisdomFile()
{
    wxString dir;
    if (!wxGetEnv("XDG_CACHE_HOME", &dir) || !wxFileName(dir, wxEmptyString).IsAbsolute())
        dir = wxGetHomeDir() + "/.cache";
    return dir + "/VessarQuilix/fftw-wisdom";
}

}  // namespace vq

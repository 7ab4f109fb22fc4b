#include "Batch.h"

#include "CommandLine.h"
#include "FileSystemPath.h"
#include "Interrupt.h"
#include "TerminalProgress.h"

#include "ConversionRun.h"
#include "DecodeModes.h"
#include "RunReportOf.h"
#include "TakeKinds.h"
#include "VQParams.h"
#include "VqVersion.h"

#include "common/EngineStatus.h"
#include "common/FilePaths.h"
#include "common/FilterMatrixName.h"
#include "deliver/RunReport.h"

#include <wx/filefn.h>
#include <wx/filename.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

constexpr int kExitCancelled = 130;

void Print(std::FILE* stream, const std::string& text)
{
    std::fprintf(stream, "%s\n", text.c_str());
}

// The message on one line, for the summary.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    return text;
}

// Every file a take writes: its outputs, the kept B-format, the map's files.
std::vector<wxString> FilesOfTake(const vq::ConversionRequest& request)
{
    std::vector<wxString> files = vq::WrittenFiles(request);
    const std::vector<wxString> map = vq::MapFiles(request);
    files.insert(files.end(), map.begin(), map.end());
    return files;
}

// A take's map must be made from a band below half its rate: told before anything runs.
std::string CheckMapBand(const vq::ConversionRequest& request, const wxString& front)
{
    if (vq::MapFiles(request).empty())
        return std::string();
    const vq::FirstFileHeader header = vq::ReadFirstFileHeader(front);
    if (!header.readable || request.map.BandFits(header.sampleRate))
        return std::string();  // an unreadable take fails when it runs, saying why
    char problem[200];
    std::snprintf(problem, sizeof problem, "--map-band %g,%g reaches above half the rate of '%s' (%g Hz)",
                  request.map.lowHz, request.map.highHz, static_cast<const char*>(front.utf8_str()),
                  0.5 * header.sampleRate);
    return problem;
}

std::string JoinedNames(const std::vector<std::string>& parts)
{
    std::string names;
    for (const std::string& part : parts)
        names += (names.empty() ? "" : ", ") + part;
    return names;
}

}  // namespace

Batch::Batch(const ConvertOptions& options, TerminalProgress& progress) : m_options(options), m_progress(progress) {}

Batch::~Batch() = default;

std::string Batch::Prepare(const std::vector<Take>& takes, wxConfigBase* settings)
{
    // What the settings file gives (the filters folder, the I/O buffer), read, never written.
    VQParams settingsRecord(settings);
    settingsRecord.m_config = nullptr;
    vq::ConversionRequest defaults = settingsRecord.Request();
    defaults.run.fftWisdomFile = vq::UserFftWisdomFile();

    m_entries.clear();
    // --join: the takes are the parts of one recording, the first the take and the others
    // following it in the order given.
    const std::size_t count = m_options.join ? 1 : takes.size();
    for (std::size_t t = 0; t < count; ++t) {
        const Take& take = takes[t];
        Entry entry;
        entry.take = take;
        entry.request = defaults;
        ApplyConvertOptions(m_options, take, &entry.request);
        for (std::size_t part = t + 1; m_options.join && part < takes.size(); ++part)
            entry.request.take.laterParts.push_back(takes[part].Files());
        std::string problem = PlaceKeptBFormat(&entry.request, count);
        if (problem.empty())
            problem = ApplyDeliveryOptions(m_options.deliveries, count, &entry.request);
        if (problem.empty())
            problem = CheckMapBand(entry.request, take.front);
        if (!problem.empty())
            return problem;
        m_entries.push_back(std::move(entry));
    }
    const std::string problem = CheckFilesOfTheBatch();
    return problem.empty() ? CheckReport() : problem;
}

std::string Batch::CheckReport() const
{
    const wxString& report = m_options.deliveries.report;
    std::string path;
    if (report.empty() || !ToFileSystemPath(report, &path))
        return std::string();
    vq::FailureDetail problem;
    if (!::CheckOutputFolder(path, &problem))
        return "--report " + path + ": " + problem.reason;
    struct stat info {};
    if (!m_options.force && lstat(path.c_str(), &info) == 0)
        return "--report " + path + " exists: give --force (-y) to replace it";
    return std::string();
}

std::vector<Batch::ReadFile> Batch::FilesRead() const
{
    std::vector<ReadFile> reads;
    const auto add = [&reads](const wxString& file, std::size_t take, const char* what) {
        std::string path;
        if (!file.empty() && ToFileSystemPath(file, &path))
            reads.push_back({path, take, what});
    };
    for (std::size_t t = 0; t < m_entries.size(); ++t) {
        const vq::ConversionRequest& request = m_entries[t].request;
        for (const wxString& file : m_entries[t].take.Files())
            add(file, t, "recording");
        for (const std::vector<wxString>& part : request.take.laterParts)
            for (const wxString& file : part)
                add(file, t, "recording");
        // The filters of the take's rate, for a take that goes through them.
        const vq::FirstFileHeader header = vq::ReadFirstFileHeader(m_entries[t].take.front);
        const vq::TakeKind* kind = vq::KindOfTake(header, request.take.inputFormat, m_entries[t].take.front, nullptr);
        if (header.readable && !(kind && kind->bformat))
            add(wxFileName(request.run.filtersDir, wxString::FromUTF8(vq::FilterMatrixFileName(header.sampleRate).c_str()))
                    .GetFullPath(),
                t, "filter matrix");
        add(request.decode.hrtfFile, t, "SOFA file");
        add(request.movie.videoClip, t, "video clip");
        add(request.movie.headLocked, t, "head-locked file");
    }
    return reads;
}

std::string Batch::PlaceKeptBFormat(vq::ConversionRequest* request, std::size_t takeCount) const
{
    const wxString& kept = m_options.formats.keepBFormat;
    if (kept.empty())
        return std::string();
    if (kept.EndsWith("/") || wxDirExists(kept)) {
        // A folder: each take's B-format in it, named as the take's B-format output would be.
        const std::string suffix = vq::BFormatLayout(vq::BFormatConvention::FuMa, 1).front().suffix;
        wxFileName name(kept, vq::TakeName(*request) + wxString::FromUTF8(suffix.c_str()), "wav");
        request->outputs.keepBFormat = name.GetFullPath();
        return std::string();
    }
    if (takeCount > 1)
        return "--keep-bformat " + Utf8(kept) + " names one file, and " + std::to_string(takeCount) +
               " takes would each replace it: give a folder (ending in /) to keep each take's B-format in it";
    return std::string();
}

std::string Batch::CheckFilesOfTheBatch() const
{
    // Every file the batch writes, and which take writes it.
    struct Written {
        std::string path;
        std::string spelled;  // as the command line gave it
        std::size_t take;
    };
    std::vector<Written> written;
    for (std::size_t t = 0; t < m_entries.size(); ++t) {
        const vq::ConversionRequest& request = m_entries[t].request;
        const std::vector<wxString> files = FilesOfTake(request);
        const std::size_t outputCount = vq::OutputPaths(request).size();
        for (std::size_t i = 0; i < files.size(); ++i) {
            std::string path;
            if (!ToFileSystemPath(files[i], &path))
                continue;  // the run reports it
            const bool kept = i == outputCount && files[i] == request.outputs.keepBFormat;
            const std::string spelled = kept                               ? "--keep-bformat " + path
                                        : files[i] == request.map.picture ? "--map " + path
                                        : files[i] == request.map.data    ? "--map-data " + path
                                        : i < m_options.outputs.size()    ? "-o " + Utf8(m_options.outputs[i])
                                                                          : path;
            written.push_back({path, spelled, t});
        }
    }
    std::string report;
    if (!m_options.deliveries.report.empty() && ToFileSystemPath(m_options.deliveries.report, &report))
        written.push_back({report, "--report " + report, kWholeBatch});
    const std::vector<ReadFile> reads = FilesRead();
    for (std::size_t a = 0; a < written.size(); ++a) {
        const std::string writer =
            written[a].take == kWholeBatch ? "" : " of the take '" + Utf8(m_entries[written[a].take].take.front) + "'";
        // Two names of one file: the second would replace the first's result.
        for (std::size_t b = a + 1; b < written.size(); ++b) {
            if (!vq::SameFile(written[a].path, written[b].path))
                continue;
            if (written[a].take == written[b].take || written[b].take == kWholeBatch)
                return "'" + written[a].spelled + "' and '" + written[b].spelled +
                       "' name the same file: give each output a name of its own";
            return "the takes '" + Utf8(m_entries[written[a].take].take.front) + "' and '" +
                   Utf8(m_entries[written[b].take].take.front) + "' would both write '" + written[a].path +
                   "': convert them one at a time, or rename one";
        }
        // A file a take reads (its own or another's): it would be gone, or half-written,
        // when the take reads it.
        for (const ReadFile& read : reads) {
            if (!vq::SameFile(written[a].path, read.path))
                continue;
            const std::string whose = read.take == written[a].take
                                          ? "its " + std::string(read.what) + " '" + read.path + "'"
                                          : "the " + std::string(read.what) + " '" + read.path + "' of the take '" +
                                                Utf8(m_entries[read.take].take.front) + "'";
            return "'" + written[a].spelled + "'" + writer + " is " + whose + ", which it would overwrite: choose another name";
        }
    }
    return std::string();
}

std::string Batch::Label(std::size_t index) const
{
    return "take " + std::to_string(index + 1) + "/" + std::to_string(m_entries.size()) + " (" +
           Utf8(m_entries[index].take.front) + ")";
}

std::string Batch::ExistingOutput(const vq::ConversionRequest& request) const
{
    std::vector<std::string> inputs;
    for (const wxString& input : request.takeFiles) {
        std::string path;
        if (ToFileSystemPath(input, &path))
            inputs.push_back(path);
    }
    for (const wxString& file : FilesOfTake(request)) {
        std::string path;
        struct stat info {};
        if (!ToFileSystemPath(file, &path) || lstat(path.c_str(), &info) != 0)
            continue;
        // An output that is an input is no file to replace: the run refuses it, naming both.
        if (std::none_of(inputs.begin(), inputs.end(), [&](const std::string& input) { return vq::SameFile(path, input); }))
            return path;
    }
    return std::string();
}

Batch::Outcome Batch::Convert(Entry& entry, std::size_t index)
{
    if (!m_options.force) {
        const std::string existing = ExistingOutput(entry.request);
        if (!existing.empty()) {
            entry.message = "An output file already exists and was left as it is.\n" + existing +
                            ": give --force (-y) to replace it";
            return Outcome::Failed;
        }
    }
    m_progress.SetTake(static_cast<int>(index) + 1, static_cast<int>(m_entries.size()));
    entry.result = vq::RunConversion(entry.request, vq::RunViews{&m_progress, nullptr});
    const vq::ConversionResult& result = entry.result;
    if (result.Failed()) {
        entry.message = result.Message();
        if (result.status == vq::kMissingFilterMatrix)
            entry.message += "\nOr give the directory that holds it with --filters DIR.";
        if (result.status == vq::kOutputExists)
            entry.message += "; give --force (-y) to replace it";
        return Outcome::Failed;
    }
    if (result.Cancelled())
        return Outcome::Cancelled;
    return Outcome::Done;
}

int Batch::Run()
{
    const auto start = std::chrono::steady_clock::now();
    const bool several = m_entries.size() > 1;
    bool failed = false;
    bool cancelled = false;
    for (std::size_t i = 0; i < m_entries.size() && !cancelled; ++i) {
        Entry& entry = m_entries[i];
        entry.outcome = InterruptRequested() ? Outcome::Cancelled : Convert(entry, i);
        switch (entry.outcome) {
        case Outcome::Failed:
            failed = true;
            Print(stderr, (several ? Label(i) + " failed:\n" : std::string()) + entry.message);
            break;
        case Outcome::Cancelled:
            cancelled = true;
            Print(stderr, std::string(kConvertProgram) + ": cancelled" + (several ? " in " + Label(i) : "") +
                              "; no output of the take was written.");
            break;
        case Outcome::Done:
            if (!m_options.quiet && entry.result.joinedParts.size() > 1)
                Print(stdout, "Joined " + std::to_string(entry.result.joinedParts.size()) +
                                  " parts into one take, in this order: " + JoinedNames(entry.result.joinedParts));
            if (!m_options.quiet && !entry.result.alignment.empty())
                Print(stdout, "Aligned: the filters' delay of " + entry.result.alignment + " taken off the start");
            if (!m_options.quiet)
                for (const std::string& note : entry.result.notes)
                    Print(stdout, "Note" + (several ? ", " + Label(i) : std::string()) + ": " + note);
            for (const std::string& warning : entry.result.warnings)
                Print(stderr, "Warning" + (several ? ", " + Label(i) : std::string()) + ": " + warning);
            if (!m_options.quiet)
                PrintWritten(entry);
            const std::string warning = entry.result.ClippingWarning();
            if (!warning.empty())
                Print(stderr, "Warning" + (several ? ", " + Label(i) : std::string()) + ": " + warning);
            break;
        }
    }
    if (several && !m_options.quiet)
        PrintSummary();
    if (cancelled)
        return kExitCancelled;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!m_options.deliveries.report.empty() && !WriteReport(seconds))
        failed = true;
    return failed ? vq::kExitFailure : vq::kExitOk;
}

void Batch::PrintWritten(const Entry& entry) const
{
    const vq::ConversionResult& result = entry.result;
    for (const vq::WrittenOutput& output : result.outputs)
        Print(stdout, "Wrote " + Utf8(output.path) +
                          (output.loudness ? ": " + vq::DescribeLoudness(*output.loudness) : std::string()));
    if (result.programmeLoudness)
        Print(stdout, std::string("Loudness of the ") + result.mode->outputsWord + " output as a whole: " +
                          vq::DescribeLoudness(*result.programmeLoudness));
    if (result.normalized)
        Print(stdout, "Normalised the loudness: " +
                          vq::DescribeNormalization(*result.normalized, entry.request.decode.normalizeLufs,
                                                    entry.request.decode.normalizeCeilingDbtp));
    for (const wxString& file : result.mapFiles)
        Print(stdout, "Wrote " + Utf8(file));
}

bool Batch::WriteReport(double seconds) const
{
    vq::RunReport report;
    report.version = vq::kVersionString;
    report.settings = vq::ReportedSettings(m_entries.front().request);
    report.filterSet = Utf8(m_entries.front().request.run.filtersDir);
    for (const Entry& entry : m_entries) {
        report.takes.push_back(vq::TakeRecordOf(entry.request, entry.result));
        if (entry.outcome == Outcome::Failed)
            report.takes.back().failure = OneLine(entry.message);
    }
    report.runSeconds = seconds;
    std::string path;
    vq::FailureDetail detail;
    if (!ToFileSystemPath(m_options.deliveries.report, &path))
        return false;  // the command line took only names that have one
    if (vq::WriteRunReport(report, path, &detail) == vq::kStatusOk)
        return true;
    Print(stderr, std::string(kConvertProgram) + ": the report could not be written: " + detail.path + ": " +
                      detail.reason);
    return false;
}

void Batch::PrintSummary() const
{
    std::size_t done = 0;
    for (const Entry& entry : m_entries)
        done += entry.outcome == Outcome::Done;
    Print(stdout, "Summary: " + std::to_string(done) + " of " + std::to_string(m_entries.size()) + " takes done.");
    for (const Entry& entry : m_entries) {
        const char* word = entry.outcome == Outcome::Done     ? "done      "
                           : entry.outcome == Outcome::Failed ? "failed    "
                                                              : "cancelled ";
        std::string line = std::string("  ") + word + Utf8(entry.take.front);
        const std::optional<vq::Loudness> loudness = entry.result.OverallLoudness();
        if (entry.outcome == Outcome::Failed)
            line += ": " + OneLine(entry.message);
        else if (entry.outcome == Outcome::Done && loudness)
            line += ": " + vq::DescribeLoudness(*loudness);
        Print(stdout, line);
    }
}

#include "Batch.h"

#include "CommandLine.h"
#include "FileSystemPath.h"
#include "Interrupt.h"
#include "TerminalProgress.h"

#include "VQParams.h"

#include "common/EngineStatus.h"
#include "common/FilePaths.h"

#include <sys/stat.h>

#include <cstdio>

namespace {

constexpr int kExitCancelled = 130;

std::string Utf8(const wxString& text)
{
    return std::string(text.utf8_str());
}

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

}  // namespace

Batch::Batch(const ConvertOptions& options, TerminalProgress& progress) : m_options(options), m_progress(progress) {}

Batch::~Batch() = default;

std::string Batch::Prepare(const std::vector<Take>& takes, wxConfigBase* settings)
{
    m_entries.clear();
    std::vector<std::string> written;  // every output of the takes so far
    std::vector<std::size_t> writer;   // the take that writes it
    for (const Take& take : takes) {
        Entry entry;
        entry.take = take;
        entry.record = std::make_unique<VQParams>(settings);
        entry.record->m_config = nullptr;  // the settings are read, never written, from here
        entry.record->m_fftWisdomFile = VQParams::UserFftWisdomFile();
        entry.record->m_progressView = &m_progress;
        ApplyConvertOptions(m_options, take, entry.record.get());
        // Two takes that would write one file: the second would replace the first's result.
        for (int i = 0; i < entry.record->OutputCount(); ++i) {
            std::string path;
            if (!ToFileSystemPath(entry.record->GetOutputPath(i), &path))
                continue;  // the run reports it
            for (std::size_t w = 0; w < written.size(); ++w)
                if (vq::SameFile(path, written[w]))
                    return "the takes '" + Utf8(m_entries[writer[w]].take.front) + "' and '" + Utf8(take.front) +
                           "' would both write '" + path + "': convert them one at a time, or rename one";
            written.push_back(path);
            writer.push_back(m_entries.size());
        }
        m_entries.push_back(std::move(entry));
    }
    return std::string();
}

std::string Batch::Label(std::size_t index) const
{
    return "take " + std::to_string(index + 1) + "/" + std::to_string(m_entries.size()) + " (" +
           Utf8(m_entries[index].take.front) + ")";
}

std::string Batch::ExistingOutput(const VQParams& record) const
{
    std::string inputs[2];
    for (int k = 0; k < 2; ++k)
        ToFileSystemPath(record.GetFullPath(k), &inputs[k]);
    for (int i = 0; i < record.OutputCount(); ++i) {
        std::string path;
        struct stat info {};
        if (!ToFileSystemPath(record.GetOutputPath(i), &path) || lstat(path.c_str(), &info) != 0)
            continue;
        // An output that is an input is no file to replace: the run refuses it, naming both.
        if (!vq::SameFile(path, inputs[0]) && !vq::SameFile(path, inputs[1]))
            return path;
    }
    return std::string();
}

Batch::Outcome Batch::Convert(Entry& entry, std::size_t index)
{
    VQParams& record = *entry.record;
    if (!m_options.force) {
        const std::string existing = ExistingOutput(record);
        if (!existing.empty()) {
            entry.message = "An output file already exists and was left as it is.\n" + existing +
                            ": give --force (-y) to replace it";
            return Outcome::Failed;
        }
    }
    m_progress.SetTake(static_cast<int>(index) + 1, static_cast<int>(m_entries.size()));
    if (!record.Convert()) {
        entry.message = Utf8(record.GetErrorMessage());
        if (record.m_status == VQParams::kMissingFilterMatrix)
            entry.message += "\nOr give the directory that holds it with --filters DIR.";
        return Outcome::Failed;
    }
    if (record.m_status == vq::kStatusCancelled)
        return Outcome::Cancelled;
    return Outcome::Done;
}

int Batch::Run()
{
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
            if (!m_options.quiet)
                for (int k = 0; k < entry.record->OutputCount(); ++k)
                    Print(stdout, "Wrote " + Utf8(entry.record->GetOutputPath(k)));
            const std::string warning = Utf8(entry.record->GetClippingWarning());
            if (!warning.empty())
                Print(stderr, "Warning" + (several ? ", " + Label(i) : std::string()) + ": " + warning);
            break;
        }
    }
    if (several && !m_options.quiet)
        PrintSummary();
    return cancelled ? kExitCancelled : failed ? vq::kExitFailure : vq::kExitOk;
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
        if (entry.outcome == Outcome::Failed)
            line += ": " + OneLine(entry.message);
        Print(stdout, line);
    }
}

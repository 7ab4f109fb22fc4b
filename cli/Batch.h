// The takes of one command line, converted one after the other through the same request and
// run as the window's: a take whose output exists fails unless --force is given, a failed
// take does not stop the others, a cancel stops the batch, and a summary tells what became
// of each take.
#pragma once

#include "ConversionRequest.h"
#include "ConversionResult.h"
#include "ConvertOptions.h"
#include "TakeList.h"

#include <string>
#include <vector>

class TerminalProgress;
class wxConfigBase;

class Batch {
public:
    Batch(const ConvertOptions& options, TerminalProgress& progress);
    ~Batch();

    // Makes the request of every take, with the settings of `settings` (null: defaults); with
    // --join, one request of the first take with the others joined to it as its later parts.
    // Returns an empty text, or the usage error when the batch would destroy a file it
    // writes or reads: two outputs that are one file, or an output that is another take's
    // recording (--force does not lift it), or one --keep-bformat or map file for several
    // takes, a map band above half a take's rate, or a --report file that is one of the
    // batch's files or exists (without --force).
    std::string Prepare(const std::vector<Take>& takes, wxConfigBase* settings);

    // Converts every take in order; returns the exit status: 0 all done, 1 a take failed,
    // 130 cancelled (the takes after it are not started).
    int Run();

private:
    enum class Outcome { Done, Failed, Cancelled };
    struct Entry {
        Take take;
        vq::ConversionRequest request;
        vq::ConversionResult result;
        Outcome outcome = Outcome::Cancelled;
        std::string message;  // why it failed
    };

    Outcome Convert(Entry& entry, std::size_t index);
    std::string ExistingOutput(const vq::ConversionRequest& request) const;
    // Where a take keeps its B-format: the --keep-bformat file, or the take's name in the
    // --keep-bformat folder. Returns the usage error, or empty.
    std::string PlaceKeptBFormat(vq::ConversionRequest* request, std::size_t takeCount) const;
    std::string CheckFilesOfTheBatch() const;
    // The --report file: its folder must take it, it must be no file the batch reads or
    // writes, and without --force it must not exist. Returns the usage error, or empty.
    std::string CheckReport() const;
    // The files a take wrote, each with its loudness, then what the normalisation did and
    // the map's files.
    void PrintWritten(const Entry& entry) const;
    // The --report of every take; false (said on standard error) when it cannot be written.
    bool WriteReport(double seconds) const;
    std::string Label(std::size_t index) const;
    void PrintSummary() const;

    const ConvertOptions& m_options;
    TerminalProgress& m_progress;
    std::vector<Entry> m_entries;
};

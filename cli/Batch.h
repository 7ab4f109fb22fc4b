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
    // writes or reads: two files it writes that are one, or a file it writes (an output, a
    // kept B-format, a map's file, the report) that is a file one of its takes reads
    // (--force does not lift either); or one --keep-bformat or map file for several takes,
    // a map band above half a take's rate, or a --report file that exists (without --force).
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
    // A file a take reads: its path, the take and what it is to the take ("recording").
    struct ReadFile {
        std::string path;
        std::size_t take;
        const char* what;
    };
    static constexpr std::size_t kWholeBatch = static_cast<std::size_t>(-1);  // written for no take alone
    // Every file the batch reads: every part of every take, the filter matrix of a take that
    // goes through the filters, the SOFA file, the video clip and the head-locked file.
    std::vector<ReadFile> FilesRead() const;
    // Every file the batch writes (each take's outputs, kept B-format and map, the report)
    // against every other and against every file the batch reads, however each is spelled.
    std::string CheckFilesOfTheBatch() const;
    // The --report file: its folder must take it, and without --force it must not exist.
    // Returns the usage error, or empty.
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

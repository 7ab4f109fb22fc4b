// The command-line conventions of the tools: "--option value" pairs, one usage error
// reported as "<program>: <what>" with a hint to --help, and fixed exit codes.
#pragma once

#include <string>
#include <vector>

namespace vq {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // a file exists (without --force) or cannot be written
constexpr int kExitUsage = 2;    // the command line is wrong: nothing was done

class CommandLine {
public:
    CommandLine(const char* program, int argc, char** argv);

    // Moves to the next argument; false at the end or once a usage error was reported.
    bool Next();
    // True when the current argument is `option`.
    bool Is(const char* option) const;

    // The current option's value (the argument after it). Each reports a missing or bad
    // value as a usage error and then returns false, leaving *value alone.
    bool Text(std::string* value);
    bool Number(double low, double high, double* value);
    bool Integer(long low, long high, int* value);
    bool IntegerList(long low, long high, std::vector<int>* values);

    // Reports the current argument as unknown.
    void Unknown();
    // Reports a usage error (only the first one is printed); returns false.
    bool UsageError(const std::string& what);
    bool Failed() const { return m_failed; }

    const char* Program() const { return m_program; }

private:
    bool ParseInteger(const std::string& text, long low, long high, long* value) const;

    const char* m_program;
    std::vector<std::string> m_args;
    std::size_t m_index = 0;  // 1 + the current argument's position
    bool m_failed = false;
};

}  // namespace vq

// The command-line conventions of every program: options declared once, GNU-style forms
// (--name value, --name=value, -x value, -xVALUE, grouped flags -qy, -- to end the options),
// arguments anywhere, values checked against their range, one usage error reported as
// "<program>: <what>" with a hint to --help, and fixed exit codes.
#pragma once

#include <string>
#include <vector>

namespace vq {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the work failed
constexpr int kExitUsage = 2;    // the command line is wrong: nothing was done

// What an option's value names, for the shell's completion.
enum class ValueKind {
    kOther,      // a number, a name, a list: the words below, if any
    kFile,       // a file, of the extensions below when they are given
    kSoundFile,  // a sound file
    kFolder,
};

// An option as a program declares it. The declarations are all the shell's completion and the
// manual know of the options, so a value's words and kind are declared here, not elsewhere.
struct Option {
    const char* name;  // long name, without the dashes: "gain" for --gain
    char letter;       // one-letter short name, or '\0'
    bool takesValue;
    // The values it takes when they are words: all of them for an option read with Choice,
    // the named ones of an option that also takes others (a pattern's name or a number).
    std::vector<std::string> words = {};
    ValueKind kind = ValueKind::kOther;
    const char* extensions = "";  // kFile: the extensions offered, comma-separated; empty: any
};

// "<program>: <what>\nTry '<program> --help' for more information.\n"
std::string UsageMessage(const std::string& program, const std::string& what);
// Writes UsageMessage to standard error; returns kExitUsage.
int ReportUsage(const std::string& program, const std::string& what);

class CommandLine {
public:
    // `program` is the name the messages give (never argv[0], which may be a path).
    CommandLine(std::string program, std::vector<Option> options, int argc, const char* const* argv);

    // Moves to the next option, collecting the arguments that are not options on the way.
    // False at the end of the command line or once a usage error was found.
    bool Next();
    // True when the current option is the one declared as `name`.
    bool Is(const char* name) const;

    // The current option's value, checked. Each reports a bad value as a usage error and
    // then returns false, leaving *value alone. Numbers are read in the C locale.
    bool Text(std::string* value);
    bool Number(double low, double high, double* value);
    bool Integer(long low, long high, int* value);
    bool NumberList(double low, double high, std::vector<double>* values);  // "a,b,c"
    bool IntegerList(long low, long high, std::vector<int>* values);
    // One of `choices`: *index is its position.
    bool Choice(const std::vector<std::string>& choices, int* index);
    // One of the words the current option declares: *index is its position, *word the word.
    bool Choice(int* index);
    bool Choice(std::string* word);
    // Reports the current value as wrong: "option '--x' takes <expected>, not '<value>'".
    bool BadValue(const std::string& expected);

    // The arguments that are not options, in order (all of them once Next() returned false).
    const std::vector<std::string>& Arguments() const { return m_arguments; }

    // Records a usage error (only the first one counts); returns false.
    bool UsageError(const std::string& what);
    bool Failed() const { return !m_problem.empty(); }
    // The first usage error: its text, and the whole message.
    const std::string& Problem() const { return m_problem; }
    std::string Message() const { return UsageMessage(m_program, m_problem); }
    // Writes Message() to standard error; returns kExitUsage.
    int ReportUsage() const;

private:
    bool TakeLong(const std::string& arg);
    bool TakeShort();
    const Option* FindLong(const std::string& name);

    std::string m_program;
    std::vector<Option> m_options;
    std::vector<std::string> m_args;
    std::size_t m_next = 0;       // the next argument to read
    std::string m_cluster;        // letters left of a group of short options (-qy)
    bool m_optionsEnded = false;  // after "--"
    const Option* m_current = nullptr;
    std::string m_typed;  // the current option as typed ("--gain", "-o"), for messages
    std::string m_value;
    std::vector<std::string> m_arguments;
    std::string m_problem;
};

}  // namespace vq

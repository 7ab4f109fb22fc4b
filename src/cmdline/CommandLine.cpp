#include "CommandLine.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale>
#include <sstream>

namespace vq {

namespace {

// The digits of a number, without the '+' a user may write in front ("+6" dB).
std::pair<const char*, const char*> Digits(const std::string& text)
{
    const char* first = text.data();
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        ++first;
    return {first, text.data() + text.size()};
}

// std::from_chars: the whole text, in the C locale, no leading blanks.
bool ParseNumber(const std::string& text, double* value)
{
    const auto [first, last] = Digits(text);
    double parsed = 0.0;
    const auto result = std::from_chars(first, last, parsed);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

bool ParseInteger(const std::string& text, long* value)
{
    const auto [first, last] = Digits(text);
    long parsed = 0;
    const auto result = std::from_chars(first, last, parsed);
    if (result.ec != std::errc() || result.ptr != last)
        return false;
    *value = parsed;
    return true;
}

std::vector<std::string> SplitAtCommas(const std::string& text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        items.push_back(text.substr(start, comma - start));
    items.push_back(text.substr(start));
    return items;
}

template <typename T>
std::string Format(T number)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << number;
    return text.str();
}

std::string Range(const char* what, const std::string& low, const std::string& high)
{
    return std::string(what) + " from " + low + " to " + high;
}

}  // namespace

std::string UsageMessage(const std::string& program, const std::string& what)
{
    return program + ": " + what + "\nTry '" + program + " --help' for more information.\n";
}

int ReportUsage(const std::string& program, const std::string& what)
{
    std::fputs(UsageMessage(program, what).c_str(), stderr);
    return kExitUsage;
}

CommandLine::CommandLine(std::string program, std::vector<Option> options, int argc, const char* const* argv)
    : m_program(std::move(program)), m_options(std::move(options))
{
    for (int i = 1; i < argc; ++i)
        m_args.emplace_back(argv[i]);
}

bool CommandLine::Next()
{
    m_current = nullptr;
    m_value.clear();
    if (Failed())
        return false;
    if (!m_cluster.empty())
        return TakeShort();
    while (m_next < m_args.size()) {
        const std::string& arg = m_args[m_next++];
        if (m_optionsEnded || arg.size() < 2 || arg[0] != '-') {
            m_arguments.push_back(arg);  // "-" alone is an argument too (standard input, by custom)
        } else if (arg == "--") {
            m_optionsEnded = true;
        } else if (arg[1] == '-') {
            return TakeLong(arg);
        } else {
            m_cluster = arg.substr(1);
            return TakeShort();
        }
    }
    return false;
}

bool CommandLine::TakeLong(const std::string& arg)
{
    const std::size_t equals = arg.find('=');
    m_typed = arg.substr(0, equals);
    m_current = FindLong(m_typed.substr(2));
    if (!m_current)
        return false;
    if (equals != std::string::npos) {
        if (!m_current->takesValue)
            return UsageError("option '" + m_typed + "' takes no value");
        m_value = arg.substr(equals + 1);
    } else if (m_current->takesValue) {
        if (m_next >= m_args.size())
            return UsageError("option '" + m_typed + "' needs a value");
        m_value = m_args[m_next++];
    }
    return true;
}

// An exact name, else the one option the name begins (as getopt_long allows: --surr).
const Option* CommandLine::FindLong(const std::string& name)
{
    std::vector<const Option*> begun;
    for (const Option& option : m_options) {
        if (name == option.name)
            return &option;
        if (!name.empty() && std::strncmp(option.name, name.c_str(), name.size()) == 0)
            begun.push_back(&option);
    }
    if (begun.size() == 1)
        return begun[0];
    if (begun.empty()) {
        UsageError("unknown option '" + m_typed + "'");
        return nullptr;
    }
    std::string names;
    for (const Option* option : begun)
        names += std::string(names.empty() ? "" : ", ") + "--" + option->name;
    UsageError("option '" + m_typed + "' is ambiguous (" + names + ")");
    return nullptr;
}

bool CommandLine::TakeShort()
{
    m_typed = std::string("-") + m_cluster[0];
    for (const Option& option : m_options)
        if (option.letter != '\0' && option.letter == m_cluster[0])
            m_current = &option;
    m_cluster.erase(0, 1);
    if (!m_current) {
        m_cluster.clear();
        return UsageError("unknown option '" + m_typed + "'");
    }
    if (m_current->takesValue) {
        if (!m_cluster.empty())
            m_value.swap(m_cluster);  // -xVALUE
        else if (m_next < m_args.size())
            m_value = m_args[m_next++];
        else
            return UsageError("option '" + m_typed + "' needs a value");
    }
    return true;
}

bool CommandLine::Is(const char* name) const
{
    return m_current && std::strcmp(m_current->name, name) == 0;
}

bool CommandLine::Text(std::string* value)
{
    *value = m_value;
    return true;
}

bool CommandLine::Number(double low, double high, double* value)
{
    double parsed = 0.0;
    if (!ParseNumber(m_value, &parsed) || parsed < low || parsed > high)
        return BadValue(Range("a number", Format(low), Format(high)));
    *value = parsed;
    return true;
}

bool CommandLine::Integer(long low, long high, int* value)
{
    long parsed = 0;
    if (!ParseInteger(m_value, &parsed) || parsed < low || parsed > high)
        return BadValue(Range("a whole number", Format(low), Format(high)));
    *value = static_cast<int>(parsed);
    return true;
}

bool CommandLine::NumberList(double low, double high, std::vector<double>* values)
{
    std::vector<double> parsed;
    for (const std::string& item : SplitAtCommas(m_value)) {
        double number = 0.0;
        if (!ParseNumber(item, &number) || number < low || number > high)
            return BadValue(Range("comma-separated numbers", Format(low), Format(high)));
        parsed.push_back(number);
    }
    *values = parsed;
    return true;
}

bool CommandLine::IntegerList(long low, long high, std::vector<int>* values)
{
    std::vector<int> parsed;
    for (const std::string& item : SplitAtCommas(m_value)) {
        long number = 0;
        if (!ParseInteger(item, &number) || number < low || number > high)
            return BadValue(Range("comma-separated whole numbers", Format(low), Format(high)));
        parsed.push_back(static_cast<int>(number));
    }
    *values = parsed;
    return true;
}

bool CommandLine::Choice(const std::vector<std::string>& choices, int* index)
{
    std::string names;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (m_value == choices[i]) {
            *index = static_cast<int>(i);
            return true;
        }
        names += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i];
    }
    return BadValue(names);
}

bool CommandLine::Choice(int* index)
{
    return Choice(m_current->words, index);
}

bool CommandLine::Choice(std::string* word)
{
    int index = 0;
    if (!Choice(&index))
        return false;
    *word = m_current->words[static_cast<std::size_t>(index)];
    return true;
}

bool CommandLine::BadValue(const std::string& expected)
{
    return UsageError("option '" + m_typed + "' takes " + expected + ", not '" + m_value + "'");
}

bool CommandLine::UsageError(const std::string& what)
{
    if (m_problem.empty())
        m_problem = what;
    return false;
}

int CommandLine::ReportUsage() const
{
    return vq::ReportUsage(m_program, m_problem);
}

}  // namespace vq

#include "common/CommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace vq {

CommandLine::CommandLine(const char* program, int argc, char** argv) : m_program(program)
{
    for (int i = 1; i < argc; ++i)
        m_args.emplace_back(argv[i]);
}

bool CommandLine::Next()
{
    if (m_failed || m_index >= m_args.size())
        return false;
    ++m_index;
    return true;
}

bool CommandLine::Is(const char* option) const
{
    return m_index > 0 && m_args[m_index - 1] == option;
}

bool CommandLine::Text(std::string* value)
{
    const std::string& option = m_args[m_index - 1];
    if (m_index >= m_args.size())
        return UsageError("option " + option + " needs a value");
    *value = m_args[m_index++];
    return true;
}

bool CommandLine::Number(double low, double high, double* value)
{
    const std::string option = m_args[m_index - 1];
    std::string text;
    if (!Text(&text))
        return false;
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !(parsed >= low && parsed <= high)) {
        std::ostringstream what;
        what << option << " takes a number from " << low << " to " << high << ", not '" << text << "'";
        return UsageError(what.str());
    }
    *value = parsed;
    return true;
}

bool CommandLine::ParseInteger(const std::string& text, long low, long high, long* value) const
{
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || parsed < low || parsed > high)
        return false;
    *value = parsed;
    return true;
}

bool CommandLine::Integer(long low, long high, int* value)
{
    const std::string option = m_args[m_index - 1];
    std::string text;
    if (!Text(&text))
        return false;
    long parsed = 0;
    if (!ParseInteger(text, low, high, &parsed))
        return UsageError(option + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                          ", not '" + text + "'");
    *value = static_cast<int>(parsed);
    return true;
}

bool CommandLine::IntegerList(long low, long high, std::vector<int>* values)
{
    const std::string option = m_args[m_index - 1];
    std::string text;
    if (!Text(&text))
        return false;
    std::vector<int> parsed;
    std::stringstream items(text);
    for (std::string item; std::getline(items, item, ',');) {
        long number = 0;
        if (!ParseInteger(item, low, high, &number))
            return UsageError(option + " takes comma-separated whole numbers from " + std::to_string(low) + " to " +
                              std::to_string(high) + ", not '" + text + "'");
        parsed.push_back(static_cast<int>(number));
    }
    if (parsed.empty() || text.back() == ',')
        return UsageError(option + " needs at least one value, not '" + text + "'");
    *values = parsed;
    return true;
}

void CommandLine::Unknown()
{
    UsageError("unknown option '" + m_args[m_index - 1] + "'");
}

bool CommandLine::UsageError(const std::string& what)
{
    if (!m_failed)
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", m_program, what.c_str(), m_program);
    m_failed = true;
    return false;
}

}  // namespace vq

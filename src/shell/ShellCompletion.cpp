#include "ShellCompletion.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace vq {

namespace {

std::string Joined(const std::vector<std::string>& items, const char* separator)
{
    std::string joined;
    for (const std::string& item : items)
        joined += (joined.empty() ? "" : separator) + item;
    return joined;
}

// The option as the command line spells it: "--mode", and "-o" for one with a letter.
std::vector<std::string> Spellings(const Option& option)
{
    std::vector<std::string> spellings = {"--" + std::string(option.name)};
    if (option.letter)
        spellings.push_back(std::string{'-', option.letter});
    return spellings;
}

// A word list as one single-quoted shell word (the words hold no quote).
std::string Quoted(const std::vector<std::string>& words)
{
    return "'" + Joined(words, " ") + "'";
}

std::string OfferWords(const std::vector<std::string>& words)
{
    return "COMPREPLY=($(compgen -W " + Quoted(words) + " -- \"$cur\"))";
}

// bash-completion's _filedir call for a kind of file ("json", or "@(wav|flac)" for either).
std::string OfferFiles(ValueKind kind, const std::string& extensions, const std::vector<std::string>& sound)
{
    if (kind == ValueKind::kFolder)
        return "_filedir -d";
    std::vector<std::string> offered = sound;
    if (kind == ValueKind::kFile) {
        offered.clear();
        std::stringstream list(extensions);
        for (std::string item; std::getline(list, item, ',');)
            offered.push_back(item);
    }
    if (offered.size() < 2)
        return "_filedir" + (offered.empty() ? "" : " " + offered.front());
    return "_filedir '@(" + Joined(offered, "|") + ")'";
}

// The name of the shell function: _vessarquilix_convert for vessarquilix-convert.
std::string FunctionName(const std::string& program)
{
    std::string name = "_" + program;
    std::replace_if(name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

// The case of `--decoder`: the words of the value that `--mode` has on the line so far.
void WriteDependent(std::ostream& out, const DependentWords& dependent, const Option& option)
{
    const std::string on = "--" + dependent.on;
    out << "            local on=\"\" on_given=false i\n"
        << "            for ((i = 1; i < cword; i++)); do\n"
        << "                case ${words[i]} in\n"
        << "                    " << on << ") on=${words[i + 1]-} on_given=true ;;\n"
        << "                    " << on << "=*) on=${words[i]#*=} on_given=true ;;\n"
        << "                esac\n"
        << "            done\n"
        << "            if ! $on_given; then\n"
        << "                " << OfferWords(option.words) << "\n"
        << "                return\n"
        << "            fi\n"
        << "            case $on in\n";
    for (const auto& [value, words] : dependent.byValue)
        if (!words.empty())
            out << "                " << value << ") " << OfferWords(words) << " ;;\n";
    out << "            esac\n";
}

}  // namespace

std::string BashCompletion(const ProgramCommandLine& program, const std::vector<std::string>& soundExtensions)
{
    std::ostringstream out;
    const std::string function = FunctionName(program.program);
    out << "# bash completion for " << program.program << "                   -*- shell-script -*-\n"
        << "# Written by vq-shell-completion from the program's option declarations.\n\n"
        << function << "()\n{\n"
        << "    local cur prev words cword split\n"
        << "    _init_completion -s || return\n\n"
        << "    case $prev in\n";
    std::vector<std::string> spellings;
    std::vector<std::string> plainValues;  // options whose value nothing can be offered for
    for (const Option& option : program.options) {
        const std::vector<std::string> names = Spellings(option);
        spellings.insert(spellings.end(), names.begin(), names.end());
        if (!option.takesValue)
            continue;
        const auto dependent = std::find_if(program.dependent.begin(), program.dependent.end(),
                                            [&](const DependentWords& d) { return d.option == option.name; });
        if (dependent == program.dependent.end() && option.words.empty() && option.kind == ValueKind::kOther) {
            plainValues.insert(plainValues.end(), names.begin(), names.end());
            continue;
        }
        out << "        " << Joined(names, "|") << ")\n";
        if (dependent != program.dependent.end())
            WriteDependent(out, *dependent, option);
        else if (!option.words.empty())
            out << "            " << OfferWords(option.words) << "\n";
        else
            out << "            " << OfferFiles(option.kind, option.extensions, soundExtensions) << "\n";
        out << "            return\n"
            << "            ;;\n";
    }
    if (!plainValues.empty())
        out << "        " << Joined(plainValues, "|") << ")\n"
            << "            return\n"
            << "            ;;\n";
    out << "    esac\n"
        << "    $split && return\n\n";
    if (program.arguments == ValueKind::kOther) {
        out << "    " << OfferWords(spellings) << "\n";
    } else {
        out << "    if [[ $cur == -* ]]; then\n"
            << "        " << OfferWords(spellings) << "\n"
            << "        return\n"
            << "    fi\n"
            << "    " << OfferFiles(program.arguments, "", soundExtensions) << "\n";
    }
    out << "} &&\n"
        << "    complete -F " << function << " " << program.program << "\n\n"
        << "# ex: filetype=sh\n";
    return out.str();
}

}  // namespace vq

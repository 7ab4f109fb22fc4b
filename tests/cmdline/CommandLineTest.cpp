// The shared option parser: the forms an option may take, where arguments may stand, the
// checked values, and the one usage message, each as a table of command lines.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vq::CommandLine;
using vq::Option;

namespace {

using Args = std::vector<std::string>;

const std::vector<Option> kOptions = {
    {"gain", 'g', true},  {"output", 'o', true},         {"quiet", 'q', false},
    {"yes", 'y', false},  {"surround-gain", '\0', true}, {"surround-autorange", '\0', false},
    {"help", 'h', false},
};

// Argument zero is a path: the messages must name the program, never it.
CommandLine Parser(const Args& args, const std::vector<Option>& options = kOptions)
{
    std::vector<const char*> argv = {"/opt/somewhere/bin/tool-binary"};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    return CommandLine("tool", options, static_cast<int>(argv.size()), argv.data());
}

std::string Message(const std::string& what)
{
    return "tool: " + what + "\nTry 'tool --help' for more information.\n";
}

std::string Joined(const Args& args)
{
    std::string text;
    for (const std::string& a : args)
        text += "[" + a + "] ";
    return text;
}

struct Parsed {
    Args options;  // "name" for a switch, "name=value" for an option with a value
    Args arguments;
    std::string message;
};

Parsed Parse(const Args& args)
{
    CommandLine line = Parser(args);
    Parsed parsed;
    while (line.Next()) {
        std::string name;
        for (const Option& option : kOptions)
            if (line.Is(option.name))
                name = option.name;
        std::string value;
        if (line.Is("gain") || line.Is("output") || line.Is("surround-gain")) {
            line.Text(&value);
            name += "=" + value;
        }
        parsed.options.push_back(name);
    }
    parsed.arguments = line.Arguments();
    if (line.Failed())
        parsed.message = line.Message();
    return parsed;
}

TEST(CommandLine, AcceptsTheUsualFormsAndArgumentsAnywhere)
{
    struct Case {
        Args args;
        Args options;
        Args arguments;
    };
    const Case cases[] = {
        {{}, {}, {}},
        {{"--gain", "-3"}, {"gain=-3"}, {}},
        {{"--gain=-3"}, {"gain=-3"}, {}},
        {{"--gain="}, {"gain="}, {}},
        {{"--output=a=b"}, {"output=a=b"}, {}},
        {{"-g", "-3"}, {"gain=-3"}, {}},
        {{"-g-3"}, {"gain=-3"}, {}},
        {{"-qy"}, {"quiet", "yes"}, {}},
        {{"-qyoout.wav"}, {"quiet", "yes", "output=out.wav"}, {}},
        {{"-qo", "out.wav"}, {"quiet", "output=out.wav"}, {}},
        {{"-o", "--quiet"}, {"output=--quiet"}, {}},
        {{"-h"}, {"help"}, {}},
        {{"a", "--quiet", "b", "-o", "c", "d"}, {"quiet", "output=c"}, {"a", "b", "d"}},
        {{"--", "-q", "--gain"}, {}, {"-q", "--gain"}},
        {{"-q", "--", "--", "-"}, {"quiet"}, {"--", "-"}},
        {{"-", "x"}, {}, {"-", "x"}},
        {{"--surround-g", "6", "--qu"}, {"surround-gain=6", "quiet"}, {}},
        {{"--quiet", "--quiet"}, {"quiet", "quiet"}, {}},
    };
    for (const Case& c : cases) {
        const Parsed parsed = Parse(c.args);
        EXPECT_EQ(parsed.message, "") << Joined(c.args);
        EXPECT_EQ(parsed.options, c.options) << Joined(c.args);
        EXPECT_EQ(parsed.arguments, c.arguments) << Joined(c.args);
    }
}

TEST(CommandLine, ReportsTheFirstUsageErrorOnceWithTheProgramsName)
{
    struct Case {
        Args args;
        std::string what;
        Args optionsBefore;  // what was read before the error
    };
    const Case cases[] = {
        {{"-zq"}, "unknown option '-z'", {}},
        {{"-qz"}, "unknown option '-z'", {"quiet"}},
        {{"-z", "--bogus"}, "unknown option '-z'", {}},
        {{"a", "--bogus=1"}, "unknown option '--bogus'", {}},
        {{"--surround"}, "option '--surround' is ambiguous (--surround-gain, --surround-autorange)", {}},
        {{"--gain"}, "option '--gain' needs a value", {}},
        {{"-qg"}, "option '-g' needs a value", {"quiet"}},
        {{"--quiet=1"}, "option '--quiet' takes no value", {}},
        {{"--quiet", "---"}, "unknown option '---'", {"quiet"}},
    };
    for (const Case& c : cases) {
        const Parsed parsed = Parse(c.args);
        EXPECT_EQ(parsed.message, Message(c.what)) << Joined(c.args);
        EXPECT_EQ(parsed.options, c.optionsBefore) << Joined(c.args);
    }
}

// Runs one value-taking option, "--level" or "-l", through a checking reader.
template <typename T, typename Read>
void CheckValues(const char* what, const Args& args, Read read, const T& initial, const T& expected,
                 const std::string& problem)
{
    CommandLine line = Parser(args, {{"level", 'l', true}});
    T value = initial;
    ASSERT_TRUE(line.Next()) << what << " " << Joined(args);
    const bool ok = read(line, &value);
    EXPECT_EQ(ok, problem.empty()) << what << " " << Joined(args);
    EXPECT_EQ(line.Problem(), problem) << what << " " << Joined(args);
    EXPECT_EQ(value, ok ? expected : initial) << what << " " << Joined(args) << ": untouched on an error";
    EXPECT_FALSE(line.Next());
}

TEST(CommandLine, NumbersAreCheckedAgainstTheirRange)
{
    struct Case {
        Args args;
        double expected;
        std::string problem;  // empty: accepted
    };
    const std::string range = "takes a number from -60 to 60, not ";
    const Case cases[] = {
        {{"--level", "-3"}, -3.0, ""},
        {{"--level=+60"}, 60.0, ""},
        {{"-l-60"}, -60.0, ""},
        {{"--level", "2.5e1"}, 25.0, ""},
        {{"--level", "-0.125"}, -0.125, ""},
        {{"--level", "61"}, 0, "option '--level' " + range + "'61'"},
        {{"-l", "-60.001"}, 0, "option '-l' " + range + "'-60.001'"},
        {{"--level=loud"}, 0, "option '--level' " + range + "'loud'"},
        {{"--level="}, 0, "option '--level' " + range + "''"},
        {{"--level", " 3"}, 0, "option '--level' " + range + "' 3'"},
        {{"--level", "3dB"}, 0, "option '--level' " + range + "'3dB'"},
        {{"--level", "2,5"}, 0, "option '--level' " + range + "'2,5'"},
        {{"--level", "+-3"}, 0, "option '--level' " + range + "'+-3'"},
        {{"--level", "0x10"}, 0, "option '--level' " + range + "'0x10'"},
        {{"--level", "nan"}, 0, "option '--level' " + range + "'nan'"},
        {{"--level", "-inf"}, 0, "option '--level' " + range + "'-inf'"},
        {{"--level", "1e999"}, 0, "option '--level' " + range + "'1e999'"},
    };
    for (const Case& c : cases)
        CheckValues<double>(
            "Number", c.args, [](CommandLine& line, double* v) { return line.Number(-60.0, 60.0, v); }, 7.0, c.expected,
            c.problem);
}

TEST(CommandLine, WholeNumbersAreCheckedAgainstTheirRange)
{
    struct Case {
        Args args;
        int expected;
        std::string problem;
    };
    const std::string range = "option '--level' takes a whole number from 1 to 6, not ";
    const Case cases[] = {
        {{"--level", "1"}, 1, ""},
        {{"--level=6"}, 6, ""},
        {{"-l+3"}, 3, ""},
        {{"--level", "0"}, 0, range + "'0'"},
        {{"--level", "7"}, 0, range + "'7'"},
        {{"--level", "2.0"}, 0, range + "'2.0'"},
        {{"--level", "3x"}, 0, range + "'3x'"},
        {{"--level", ""}, 0, range + "''"},
        {{"--level", "99999999999999999999999"}, 0, range + "'99999999999999999999999'"},
    };
    for (const Case& c : cases)
        CheckValues<int>(
            "Integer", c.args, [](CommandLine& line, int* v) { return line.Integer(1, 6, v); }, 4, c.expected,
            c.problem);
}

TEST(CommandLine, ListsAreCheckedItemByItem)
{
    struct IntegerCase {
        Args args;
        std::vector<int> expected;
        std::string problem;
    };
    const std::string integers = "option '--level' takes comma-separated whole numbers from 8000 to 384000, not ";
    const IntegerCase integerCases[] = {
        {{"--level", "44100,48000"}, {44100, 48000}, ""},
        {{"--level=96000"}, {96000}, ""},
        {{"--level", "44100,"}, {}, integers + "'44100,'"},
        {{"--level", ",48000"}, {}, integers + "',48000'"},
        {{"--level", "44100,,48000"}, {}, integers + "'44100,,48000'"},
        {{"--level", ""}, {}, integers + "''"},
        {{"--level", "48000,1000"}, {}, integers + "'48000,1000'"},
        {{"--level", "44100;48000"}, {}, integers + "'44100;48000'"},
    };
    for (const IntegerCase& c : integerCases)
        CheckValues<std::vector<int>>(
            "IntegerList", c.args,
            [](CommandLine& line, std::vector<int>* v) { return line.IntegerList(8000, 384000, v); }, {1}, c.expected,
            c.problem);

    struct NumberCase {
        Args args;
        std::vector<double> expected;
        std::string problem;
    };
    const std::string numbers = "option '--level' takes comma-separated numbers from 0 to 1, not ";
    const NumberCase numberCases[] = {
        {{"--level", "0.25,1,0"}, {0.25, 1.0, 0.0}, ""},
        {{"--level", "0.5,,1"}, {}, numbers + "'0.5,,1'"},
        {{"--level", "0.5,2"}, {}, numbers + "'0.5,2'"},
    };
    for (const NumberCase& c : numberCases)
        CheckValues<std::vector<double>>(
            "NumberList", c.args,
            [](CommandLine& line, std::vector<double>* v) { return line.NumberList(0.0, 1.0, v); }, {0.5}, c.expected,
            c.problem);
}

TEST(CommandLine, ChoicesNameTheAcceptedWords)
{
    struct Case {
        Args args;
        std::vector<std::string> choices;
        int expected;
        std::string problem;
    };
    const Case cases[] = {
        {{"--level", "5.1"}, {"b-format", "5.1"}, 1, ""},
        {{"--level", "quad"}, {"b-format", "5.1"}, 0, "option '--level' takes b-format or 5.1, not 'quad'"},
        {{"-lmp3"}, {"pcm16", "pcm24", "float"}, 0, "option '-l' takes pcm16, pcm24 or float, not 'mp3'"},
        {{"--level", "PCM16"},
         {"pcm16", "pcm24", "float"},
         0,
         "option '--level' takes pcm16, pcm24 or float, not 'PCM16'"},
    };
    for (const Case& c : cases)
        CheckValues<int>(
            "Choice", c.args, [&c](CommandLine& line, int* v) { return line.Choice(c.choices, v); }, -1, c.expected,
            c.problem);
}

// An option that declares its words is read against them: their position, or the word.
TEST(CommandLine, ChoicesOfTheDeclaredWords)
{
    const std::vector<Option> options = {{"level", 'l', true, {"b-format", "5.1"}}};
    struct Case {
        Args args;
        int index;  // -1: refused
        std::string problem;
    };
    const Case cases[] = {
        {{"--level", "5.1"}, 1, ""},
        {{"-lb-format"}, 0, ""},
        {{"--level=quad"}, -1, "option '--level' takes b-format or 5.1, not 'quad'"},
    };
    for (const Case& c : cases) {
        CommandLine byIndex = Parser(c.args, options);
        CommandLine byWord = Parser(c.args, options);
        ASSERT_TRUE(byIndex.Next() && byWord.Next()) << Joined(c.args);
        int index = -1;
        std::string word = "untouched";
        EXPECT_EQ(byIndex.Choice(&index), c.problem.empty()) << Joined(c.args);
        EXPECT_EQ(byWord.Choice(&word), c.problem.empty()) << Joined(c.args);
        EXPECT_EQ(index, c.index) << Joined(c.args);
        EXPECT_EQ(word, c.index < 0 ? "untouched" : options[0].words[static_cast<std::size_t>(c.index)]);
        EXPECT_EQ(byIndex.Problem(), c.problem);
        EXPECT_EQ(byWord.Problem(), c.problem);
    }
}

TEST(CommandLine, OnlyTheFirstProblemIsKept)
{
    CommandLine line = Parser({"--gain", "x", "-z"});
    ASSERT_TRUE(line.Next());
    double gain = 0.0;
    EXPECT_FALSE(line.Number(-60.0, 60.0, &gain));
    EXPECT_FALSE(line.UsageError("something else"));
    EXPECT_FALSE(line.Next()) << "nothing is read after a usage error";
    EXPECT_EQ(line.Message(), Message("option '--gain' takes a number from -60 to 60, not 'x'"));
    EXPECT_EQ(vq::UsageMessage("prog", "what"), "prog: what\nTry 'prog --help' for more information.\n");
}

}  // namespace

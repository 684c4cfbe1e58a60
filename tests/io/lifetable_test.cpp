#include "io/lifetable.h"

#include "core/numbertext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using namespace tarnvale;
namespace fs = std::filesystem;

namespace {

const std::string kFormatA = "\"age,f(x),s(x)\"\n0,0,1\n1,0,0.9\n2,1,1\n3,2,0.5";
const std::string kFormatB = "\"age,l(x),m(x)\"\n0,1,0\n1,1,0\n2,0.9,1\n3,0.8,1\n4,0.5,3";
const std::string kNothingChanged = "\n\nNothing has been changed.";

// Each test writes its files into a folder of its own, removed afterwards.
class LifeTableFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path()
            / ("tarnvale-io-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string write(const std::string &name, const std::string &content)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    std::string dir() const { return m_dir.string(); }

private:
    fs::path m_dir;
};

// How a slot holds its value: "empty", "number 1000" or "text abc".
std::string held(const TableValue &value)
{
    if (std::holds_alternative<double>(value))
        return "number " + TableText(value);
    if (std::holds_alternative<std::string>(value))
        return "text " + TableText(value);
    return "empty";
}

std::vector<std::string> column(const std::vector<TableValue> &values, int from, int to)
{
    std::vector<std::string> result;
    for (int i = from; i <= to; ++i)
        result.push_back(held(values[i]));
    return result;
}

std::vector<std::string> numbers(std::initializer_list<double> values)
{
    std::vector<std::string> result;
    for (double v : values)
        result.push_back("number " + NumberToText(v));
    return result;
}

ReadResult readText(AnalysisState &state, const std::string &text, TableFormat format)
{
    std::istringstream in(text);
    return ReadLifeTable(state, in, "table.txt", format);
}

// A state that already holds a table, so that "unchanged" means something.
AnalysisState loadedState()
{
    AnalysisState state;
    EXPECT_TRUE(readText(state, kFormatB + "\n5,0,0\n", TableFormat::B).ok);
    state.DataLoaded = "Yes";
    state.DataFilePath = "/earlier/file.txt";
    return state;
}

TEST_F(LifeTableFiles, FormatAExampleOfTheFormatMessage)
{
    for (const std::string &text :
         {kFormatA, kFormatA + "\r\n", "\xEF\xBB\xBF" + kFormatA, kFormatA + "\n-1,end,\n\x01"}) {
        AnalysisState state;
        const ReadResult result = ReadLifeTable(state, write("a.txt", text), TableFormat::A);
        ASSERT_TRUE(result.ok) << result.message;
        EXPECT_EQ(state.LastAgeClass, 3);
        EXPECT_EQ(column(state.AgeX, 0, 3), numbers({0, 1, 2, 3}));
        EXPECT_EQ(column(state.Fecundity, 0, 3), numbers({0, 0, 1, 2}));
        EXPECT_EQ(column(state.Survival, 0, 3), numbers({1, 0.9, 1, 0.5}));
        // An end marker is stored after the table; what follows it is never read.
        const bool marker = text.back() == '\x01';
        EXPECT_EQ(held(state.AgeX[4]), marker ? "number -1" : "empty");
        EXPECT_EQ(held(state.Fecundity[4]), marker ? "text end" : "empty");
        EXPECT_EQ(held(state.Survival[4]), "empty");
        EXPECT_EQ(held(state.Lx[0]), "empty");
        EXPECT_TRUE(state.DataLoaded.empty() && state.DataFilePath.empty());
    }
}

TEST_F(LifeTableFiles, FormatBExampleAndTheWaysItEnds)
{
    // Each survival rate is Lx(i + 1) / Lx(i); the last one divides what ended the table: the l(x)
    // of an end marker, or, at the end of the file, the slot after the table (0 if never
    // written).
    struct Case
    {
        std::string end;
        double lastRate;
        const char *lx5;
    };
    const Case cases[] = {{"", 0.0, "empty"},
                          {"\n5,0,0\n6,0.2,9\n", 0.0, "number 0"},
                          {"\n-1,0.25,0\n", 0.5, "number 0.25"}};
    for (const Case &c : cases) {
        AnalysisState state;
        const ReadResult result
            = ReadLifeTable(state, write("b.txt", kFormatB + c.end), TableFormat::B);
        ASSERT_TRUE(result.ok) << result.message;
        EXPECT_EQ(state.LastAgeClass, 4);
        EXPECT_EQ(column(state.Lx, 0, 4), numbers({1, 1, 0.9, 0.8, 0.5}));
        EXPECT_EQ(column(state.Mx, 0, 4), numbers({0, 0, 1, 1, 3}));
        EXPECT_EQ(column(state.Fecundity, 0, 4), numbers({0, 0, 1, 1, 3}));
        EXPECT_EQ(column(state.Survival, 0, 4),
                  numbers({1, 0.9, 0.8 / 0.9, 0.5 / 0.8, c.lastRate}));
        // The ending record is stored, but it is no age class: its fecundity and survival slots
        // stay empty, and nothing after it is read.
        EXPECT_EQ(held(state.Lx[5]), c.lx5);
        EXPECT_EQ(held(state.Fecundity[5]), "empty");
        EXPECT_EQ(held(state.Survival[5]), "empty");
        EXPECT_EQ(held(state.AgeX[6]), "empty");
    }
}

TEST(LifeTable, ASecondTableOverwritesFromIndexZeroAndKeepsLaterSlots)
{
    AnalysisState state;
    ASSERT_TRUE(readText(state, kFormatA, TableFormat::A).ok);
    ASSERT_TRUE(readText(state, "\"h\"\n0,5,0.1\n1,6,0.2\n", TableFormat::A).ok);
    EXPECT_EQ(state.LastAgeClass, 1);
    EXPECT_EQ(column(state.Fecundity, 0, 3), numbers({5, 6, 1, 2}));
    EXPECT_EQ(column(state.Survival, 0, 3), numbers({0.1, 0.2, 1, 0.5}));

    // A format-B table ending at the end of the file divides what an earlier one left in Lx(2).
    ASSERT_TRUE(readText(state, kFormatB, TableFormat::B).ok);
    ASSERT_TRUE(readText(state, "\"h\"\n0,1,0\n1,0.5,2\n", TableFormat::B).ok);
    EXPECT_EQ(column(state.Survival, 0, 1), numbers({0.5, 0.9 / 0.5}));
}

TEST(LifeTable, MoreThan201RecordsKeepExactly201AgeClasses)
{
    std::string text = "\"age,f(x),s(x)\"\n";
    for (int i = 0; i < 250; ++i)
        text += std::to_string(i) + "," + std::to_string(i % 7) + ",0.5\n";
    text += std::string(1000, '\0'); // never reached
    AnalysisState state;
    state.AgeX[201] = std::string("earlier");
    const ReadResult result = readText(state, text, TableFormat::A);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(state.LastAgeClass, 200);
    EXPECT_EQ(column(state.AgeX, 200, 201),
              (std::vector<std::string> {"number 200", "text earlier"}));
    EXPECT_EQ(held(state.Fecundity[200]), "number 4");
}

TEST(LifeTable, FieldsReadAsNumbersTextsOrEmptyValues)
{
    // The end marker's fields after the age are stored but never computed with, so they show how
    // the reader classifies a field.
    struct Case
    {
        const char *field;
        const char *held;
    };
    const Case cases[] = {
        {"1e3", "number 1000"},  {" 12 ", "number 12"},    {"\t7\t", "number 7"},
        {"+5", "number 5"},      {"1.", "number 1"},       {".5", "number 0.5"},
        {"1d3", "number 1000"},  {"1e-999", "number 0"},   {"\"2.5\"", "number 2.5"},
        {"\" 3 \"", "number 3"}, {"0x10", "text 0x10"},    {"nan", "text nan"},
        {"inf", "text inf"},     {"1e999", "text 1e999"},  {"1 2", "text 1 2"},
        {"1e", "text 1e"},       {".", "text ."},          {"1.2.3", "text 1.2.3"},
        {"\"a,b\"", "text a,b"}, {"\"x\" rest", "text x"}, {"caf\xE9", "text caf\xE9"},
        {"", "empty"},           {"   ", "empty"},         {"\"\"", "empty"},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        const ReadResult result = readText(
            state, std::string("\"h\"\n0,1,0.5\n-1,") + c.field + ",0\n", TableFormat::A);
        ASSERT_TRUE(result.ok) << c.field << ": " << result.message;
        EXPECT_EQ(held(state.Fecundity[1]), c.held) << "field [" << c.field << "]";
    }
}

TEST(LifeTable, TablesWithEmptyFieldsAndLabelledAgesAreRead)
{
    // Empty fields count as 0 and show as nothing; the age and the last s(x) of format A are
    // never computed with, so anything may stand there. Each column is given from index 0 to one
    // past the table, where the record that ended it is stored.
    struct Case
    {
        TableFormat format;
        std::string text;
        int last;
        std::string ages, fecundities, survivals;
    };
    const auto A = TableFormat::A, B = TableFormat::B;
    const Case cases[] = {
        {A, "\"h\"\n0,2,0.5\n1,,0.6\n2,3,end\n", 2, "number 0|number 1|number 2|empty",
         "number 2|empty|number 3|empty", "number 0.5|number 0.6|text end|empty"},
        {A, "\"h\"\n0-1,1,\n1 yr,,0.5\n,3,\n-1,,\n", 2, "text 0-1|text 1 yr|empty|number -1",
         "number 1|empty|number 3|empty", "empty|number 0.5|empty|empty"},
        {A, "\"h\"\n1e999,1,0.5\n", 0, "text 1e999|empty", "number 1|empty", "number 0.5|empty"},
        {B, kFormatB + "\n5,,7\n6,1,1\n", 4,
         "number 0|number 1|number 2|number 3|number 4|number 5",
         "number 0|number 0|number 1|number 1|number 3|empty",
         "number 1|number 0.9|number " + NumberToText(0.8 / 0.9) + "|number 0.625|number 0|empty"},
        {B, "\"h\"\n0,1,\nage 1,0.5,2\n-1,,\n", 1, "number 0|text age 1|number -1",
         "empty|number 2|empty", "number 0.5|number 0|empty"},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        const ReadResult result = readText(state, c.text, c.format);
        ASSERT_TRUE(result.ok) << c.text << ": " << result.message;
        EXPECT_EQ(state.LastAgeClass, c.last) << c.text;
        const auto joined = [&](const std::vector<TableValue> &values) {
            std::string text;
            for (const std::string &slot : column(values, 0, c.last + 1))
                text += (text.empty() ? "" : "|") + slot;
            return text;
        };
        EXPECT_EQ(joined(state.AgeX), c.ages) << c.text;
        EXPECT_EQ(joined(state.Fecundity), c.fecundities) << c.text;
        EXPECT_EQ(joined(state.Survival), c.survivals) << c.text;
    }
}

TEST(LifeTable, CommasAndLineEndsBothSeparateFields)
{
    for (const std::string text :
         {"\"h\",0,1,0.5,1,2,0.25", "\"h\"\n0\n1\n0.5\n1\n2\n0.25\n", "\"h\"\r0,1,0.5\r1,2,0.25\r",
          "  \"h\" (a remark)\n 0,\t1 , 0.5\n1, 2,0.25 \n"}) {
        AnalysisState state;
        const ReadResult result = readText(state, text, TableFormat::A);
        ASSERT_TRUE(result.ok) << text << ": " << result.message;
        EXPECT_EQ(state.LastAgeClass, 1) << text;
        EXPECT_EQ(column(state.Fecundity, 0, 1), numbers({1, 2})) << text;
        EXPECT_EQ(column(state.Survival, 0, 1), numbers({0.5, 0.25})) << text;
    }
}

// Bad files: each is refused with a message naming the file, the line and the problem, and the
// state, which already holds a table, stays exactly as it was.
TEST_F(LifeTableFiles, BadFilesAreRefusedAndChangeNothing)
{
    struct Case
    {
        TableFormat format;
        std::string content;
        std::string message; // "@" stands for the file's name
    };
    const auto endsInside = [](int line, int fields) {
        return "The file \"@\" ends inside the record that starts on line " + std::to_string(line)
            + ": the record has " + std::to_string(fields) + " of its 3 fields.";
    };
    const auto at = [](int line, const std::string &problem) {
        return "Line " + std::to_string(line) + " of the file \"@\"" + problem;
    };
    const std::string blankLines
        = " Blank lines after the last record count as empty fields; delete them.";
    const auto shifted = [](const char *header) {
        return std::string(" This record does not begin at the start of a line, so the fields "
                           "seem shifted: the first line must be a header in double quotes, such "
                           "as \"")
            + header + "\", and each record must have exactly three fields.";
    };
    const auto A = TableFormat::A, B = TableFormat::B;
    const Case cases[] = {
        {A, "", "The file \"@\" is empty."},
        {A, "\"age,f(x),s(x)\"\n", "The file \"@\" has a header but no records after it."},
        {A, kFormatA + "\n4,1\n", endsInside(6, 2)},
        {A, kFormatA + "\n\n\n", endsInside(6, 2) + blankLines},
        {A, "0,0,1\n1,0,0.9\n", endsInside(2, 2) + shifted("age,f(x),s(x)")}, // no header
        {A, "age,f(x),s(x)\n0,0,1\n1,0,0.9\n2,1,1\n3,2,0.5\n",
         at(1, ": the fecundity f(x) of age class 0 is \"s(x)\", which is not a number.")
             + shifted("age,f(x),s(x)")},
        {B, "age,l(x),m(x)\n0,1,0\n1,1,0\n",
         at(1, ": the survivorship l(x) of age class 0 is \"m(x)\", which is not a number.")
             + shifted("age,l(x),m(x)")},
        {A, "\"h\"\n0,0,1\n\n1,0,0.9\n2,1,1\n",
         at(3,
            " is blank. Inside the table a blank line counts as an empty field and moves every "
            "later field; delete it.")},
        {B, "\"h\"\n0,1,0\n , ,\n1,1,0\n",
         at(3,
            " holds a record whose fields are all empty. Give its age and numbers, or delete it.")},
        {A, "\"h\"\n0,0,half\n1,0,0.9\n",
         at(2, ": the survival rate s(x) of age class 0 is \"half\", which is not a number.")},
        {A, "\"h\"\n0,0,1e999\n1,0,0.9\n-1\n,\n",
         at(2,
            ": the survival rate s(x) of age class 0 is 1e999, a number too large to compute "
            "with.")},
        {A, "\"h\"\n0,0,1\n1,many,0.9\n",
         at(3, ": the fecundity f(x) of age class 1 is \"many\", which is not a number.")},
        {A, "\"h\"\n0,1e999,1\n",
         at(2,
            ": the fecundity f(x) of age class 0 is 1e999, a number too large to compute "
            "with.")},
        {B, "\"h\"\n0,1,0\n1,half,0\n",
         at(3, ": the survivorship l(x) of age class 1 is \"half\", which is not a number.")},
        {B, "\"h\"\n0,1,abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz\n",
         at(2,
            ": the fecundity m(x) of age class 0 is "
            "\"abcdefghijklmnopqrstuvwxyzabcdefghijklmn...\", which is not a number.")},
        {B, kFormatB + "\n-1,none,\n",
         at(7,
            ": the survivorship l(x) of the record that ends the table is \"none\", which is "
            "not a number.")},
        {A, "\"age,f(x),s(x)\"\n-1,0,0\n0,1,1\n",
         at(2, " starts with the age -1, which ends the table before any age class.")},
        {B, "\"age,l(x),m(x)\"\n0,0,1\n",
         at(2, " starts with l(x) = 0, which ends the table before any age class.")},
        {B, "\"h\"\n0,1e-300,0\n1,1e300,1\n",
         at(2,
            ": the survival rate of age class 0, the next l(x) divided by this one, is too "
            "large to compute with.")},
        {A, "\"age,f(x),s(x)\n0,0,1\n",
         at(1, " opens a double quote that is not closed on that line.")},
        {A, std::string("\177ELF\2\1\1\0\0\0", 10),
         at(1, " holds a control character (code 127), so it is not a text file.")},
        {A, std::string("\xFF\xFE\"\0h\0\"\0", 8),
         "The file \"@\" is written in UTF-16. Save it as plain text (ANSI or UTF-8) and read it "
         "again."},
        {B, std::string("\xFE\xFF\0\"\0h\0\"", 8),
         "The file \"@\" is written in UTF-16. Save it as plain text (ANSI or UTF-8) and read it "
         "again."},
        {A, "\xEF\xBB\xBF", "The file \"@\" is empty."},
        {A, "\xEF\xBB\xBF\"age,f(x),s(x)\"\r\n",
         "The file \"@\" has a header but no records after it."},
        {A, "\"h\"\n0,\"1,0.5\n1,0,0.9\n",
         at(2, " opens a double quote that is not closed on that line.")},
        {A, std::string("\"h\"\n0,1") + '\0' + "5,0.5\n",
         at(2, " holds a control character (code 0), so it is not a text file.")},
        {A, "\"h\"\n0," + std::string(1100, '1') + ",0.5\n",
         at(2, " holds a field longer than 1024 characters.")},
        {A, "\"h\"\n0,1,0.5\n" + std::string(40000, ' ') + "\n1,2,0.5\n",
         at(3, " is longer than 32768 characters.")},
        {A, "\"h\"\n0,1e3e4,0.5\n",
         at(2, ": the fecundity f(x) of age class 0 is \"1e3e4\", which is not a number.")},
        {A, "\"h\"\r0,0,1\r\r1,0,0.9\r",
         at(3,
            " is blank. Inside the table a blank line counts as an empty field and moves every "
            "later field; delete it.")},
        {A, "\"age,f(x),s(x)\"\n0,1,0.5,9\n1,2,0.5\n",
         endsInside(3, 1) + shifted("age,f(x),s(x)")}, // a field too many
        {B, "\"h\"\n0,1,1e999\n",
         at(2,
            ": the fecundity m(x) of age class 0 is 1e999, a number too large to compute "
            "with.")},
        {B, kFormatB + "\n-1,1e999,0\n",
         at(7,
            ": the survivorship l(x) of the record that ends the table is 1e999, a number too "
            "large to compute with.")},
        {B, "\"age,l(x),m(x)\"\n0,,1\n",
         at(2, " starts with l(x) = 0, which ends the table before any age class.")},
    };
    static_assert(std::size(cases) >= 30, "every shape of bad file the reader refuses");
    for (const Case &c : cases) {
        const std::string path = write("bad.txt", c.content);
        AnalysisState state = loadedState();
        const AnalysisState before = state;
        const ReadResult result = ReadLifeTable(state, path, c.format);
        std::string expected = c.message;
        expected.replace(expected.find('@'), 1, path);
        EXPECT_FALSE(result.ok) << expected;
        EXPECT_EQ(result.message, expected + kNothingChanged);
        EXPECT_TRUE(state == before) << expected;
    }
}

TEST_F(LifeTableFiles, WhatCannotBeOpenedIsRefused)
{
    const std::string missing = dir() + "/no such file.txt";
    const std::string folder = dir() + "/folder";
    fs::create_directories(folder);
    const std::string secret = write("secret.txt", kFormatA);
    fs::permissions(secret, fs::perms::none);
    struct Case
    {
        std::string path, message;
    };
    const Case cases[] = {
        {missing, "The file \"" + missing + "\" does not exist."},
        {folder, "\"" + folder + "\" is a folder, not a file."},
        {"/dev/zero", "\"/dev/zero\" is not an ordinary file."},
        {secret, "The file \"" + secret + "\" cannot be opened for reading."},
    };
    const auto refused = [](const Case &c) {
        AnalysisState state = loadedState();
        const AnalysisState before = state;
        const ReadResult result = ReadLifeTable(state, c.path, TableFormat::A);
        return !result.ok && result.message == c.message + kNothingChanged && state == before;
    };
    const bool root = ::geteuid() == 0;
    for (const Case &c : cases) {
        if (root && c.path == secret)
            continue;
        EXPECT_TRUE(refused(c)) << c.message;
    }
    if (!root)
        return;
    // Root reads every file, so there the unreadable one is read by a child become "nobody".
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0)
        ::_exit(::setgid(65534) != 0 || ::setuid(65534) != 0 ? 3 : refused(cases[3]) ? 0 : 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "cannot give up root here, so permissions cannot be tested";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the unreadable file was not refused as expected";
}

TEST(LifeTable, ReadsNoFurtherThanItsLimits)
{
    // However much follows, the reader stops after 201 records, a field of 1024 characters or a
    // line of 32768: it never takes long or much memory.
    struct Case
    {
        std::string start, pattern;
        std::size_t stopsBy; // characters read at most
        std::string message; // empty: the table is read
    };
    const std::size_t record = std::string("0,1,0.5\n").size();
    const Case cases[] = {
        {"\"h\"\n", "0,1,0.5\n", 4 + 201 * record, ""},
        {"\"h\"\n", "0,1,0.5,", 4 + 201 * record, ""},
        {"", " ", 32769, "Line 1 of the file \"t\" is longer than 32768 characters."},
        {"", "a", 1026, "Line 1 of the file \"t\" holds a field longer than 1024 characters."},
        {"\"", "a", 1027, "Line 1 of the file \"t\" holds a field longer than 1024 characters."},
    };
    for (const Case &c : cases) {
        std::string text = c.start;
        while (text.size() < 100000)
            text += c.pattern;
        std::istringstream in(text);
        AnalysisState state;
        const ReadResult result = ReadLifeTable(state, in, "t", TableFormat::A);
        EXPECT_EQ(result.message, c.message.empty() ? "" : c.message + kNothingChanged);
        EXPECT_EQ(state.LastAgeClass, c.message.empty() ? std::optional(200) : std::nullopt);
        EXPECT_LE(static_cast<std::size_t>(in.tellg()), c.stopsBy) << c.pattern;
    }
}

} // namespace

#include "io/lifetable.h"

#include "core/numbertext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarnvale;
namespace fs = std::filesystem;

namespace {

const std::string kFormatA = "\"age,f(x),s(x)\"\n0,0,1\n1,0,0.9\n2,1,1\n3,2,0.5";
const std::string kFormatB = "\"age,l(x),m(x)\"\n0,1,0\n1,1,0\n2,0.9,1\n3,0.8,1\n4,0.5,3";

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
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_dir, ignored);
    }

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

double number(const TableValue &value)
{
    const double *n = std::get_if<double>(&value);
    EXPECT_TRUE(n) << "not a number: " << TableText(value);
    return n ? *n : -12345.0;
}

std::vector<double> numbers(const std::vector<TableValue> &column, int from, int to)
{
    std::vector<double> result;
    for (int i = from; i <= to; ++i)
        result.push_back(number(column[i]));
    return result;
}

ReadResult readText(AnalysisState &state, const std::string &text, TableFormat format,
                    const std::string &name = "table.txt")
{
    std::istringstream in(text);
    return ReadLifeTable(state, in, name, format);
}

// A state that already holds a table, so that "unchanged" means something.
AnalysisState loadedState()
{
    AnalysisState state;
    EXPECT_TRUE(readText(state, kFormatB + "\n5,0,0\n", TableFormat::B).ok);
    state.DataLoaded = "Yes";
    state.DataFilePath = "/earlier/file.txt";
    state.EquationText = "f(x)= x^ 5";
    return state;
}

TEST_F(LifeTableFiles, FormatAExampleOfTheFormatMessage)
{
    for (const std::string &text :
         {kFormatA, kFormatA + "\n", kFormatA + "\r\n", "\xEF\xBB\xBF" + kFormatA}) {
        AnalysisState state;
        const ReadResult result = ReadLifeTable(state, write("a.txt", text), TableFormat::A);
        ASSERT_TRUE(result.ok) << result.message;
        EXPECT_EQ(state.LastAgeClass, 3);
        EXPECT_EQ(numbers(state.AgeX, 0, 3), (std::vector<double> {0, 1, 2, 3}));
        EXPECT_EQ(numbers(state.Fecundity, 0, 3), (std::vector<double> {0, 0, 1, 2}));
        EXPECT_EQ(numbers(state.Survival, 0, 3), (std::vector<double> {1, 0.9, 1, 0.5}));
        // Nothing beyond the table, and no format-B column, was written.
        EXPECT_TRUE(std::holds_alternative<std::monostate>(state.AgeX[4]));
        EXPECT_TRUE(std::holds_alternative<std::monostate>(state.Lx[0]));
        EXPECT_TRUE(state.DataLoaded.empty());
        EXPECT_TRUE(state.DataFilePath.empty());
    }
}

TEST_F(LifeTableFiles, FormatBExampleOfTheFormatMessage)
{
    AnalysisState state;
    const ReadResult result = ReadLifeTable(state, write("b.txt", kFormatB), TableFormat::B);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(state.LastAgeClass, 4);
    EXPECT_EQ(numbers(state.Lx, 0, 4), (std::vector<double> {1, 1, 0.9, 0.8, 0.5}));
    EXPECT_EQ(numbers(state.Mx, 0, 4), (std::vector<double> {0, 0, 1, 1, 3}));
    EXPECT_EQ(numbers(state.Fecundity, 0, 4), (std::vector<double> {0, 0, 1, 1, 3}));
    // Each rate is the quotient of two doubles, so it compares exactly; the last one divides the
    // never-written slot Lx(5), which reads as 0.
    EXPECT_EQ(numbers(state.Survival, 0, 4),
              (std::vector<double> {1, 0.9, 0.8 / 0.9, 0.5 / 0.8, 0.0}));
    EXPECT_EQ(TableText(state.Survival[2]), "0.888888888888889");
    EXPECT_EQ(TableText(state.Survival[3]), "0.625");
}

TEST_F(LifeTableFiles, EndMarkerAsLastRecordGivesTheSameTable)
{
    AnalysisState without, with;
    ASSERT_TRUE(readText(without, kFormatA + "\n", TableFormat::A).ok);
    ASSERT_TRUE(readText(with, kFormatA + "\n-1,0,0\n", TableFormat::A).ok);
    EXPECT_EQ(with.LastAgeClass, 3);
    EXPECT_EQ(numbers(with.Fecundity, 0, 3), numbers(without.Fecundity, 0, 3));
    EXPECT_EQ(numbers(with.Survival, 0, 3), numbers(without.Survival, 0, 3));
    // The marker is stored after the table like any other record.
    EXPECT_EQ(number(with.AgeX[4]), -1.0);
    EXPECT_EQ(number(with.Fecundity[4]), 0.0);
}

TEST_F(LifeTableFiles, EndMarkerInTheMiddleLeavesTheRestUnread)
{
    AnalysisState state;
    const ReadResult result = readText(
        state, "\"h\"\n0,1,0.5\n1,2,0.25\n-1,end,\nthis is not read,\x01,\n", TableFormat::A);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(state.LastAgeClass, 1);
    EXPECT_EQ(std::get<std::string>(state.Fecundity[2]), "end");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(state.Survival[2]));
}

TEST_F(LifeTableFiles, ZeroSurvivorshipEndsAFormatBTable)
{
    AnalysisState state;
    ASSERT_TRUE(readText(state, kFormatB + "\n5,0,0\n6,0.2,9\n", TableFormat::B).ok);
    EXPECT_EQ(state.LastAgeClass, 4);
    EXPECT_EQ(number(state.Survival[4]), 0.0);
    EXPECT_EQ(number(state.AgeX[5]), 5.0);
    EXPECT_EQ(number(state.Lx[5]), 0.0);
    // The ending record is not an age class: its fecundity and survival slots are not written.
    EXPECT_TRUE(std::holds_alternative<std::monostate>(state.Fecundity[5]));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(state.Survival[5]));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(state.AgeX[6]));
}

TEST_F(LifeTableFiles, FormatBAgeMarkerGivesTheLastRateItsSurvivorship)
{
    AnalysisState state;
    ASSERT_TRUE(readText(state, kFormatB + "\n-1,0.25,0\n", TableFormat::B).ok);
    EXPECT_EQ(state.LastAgeClass, 4);
    EXPECT_EQ(number(state.Survival[4]), 0.25 / 0.5);
}

TEST_F(LifeTableFiles, MoreThan201RecordsKeepExactly201AgeClasses)
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
    EXPECT_EQ(number(state.AgeX[200]), 200.0);
    EXPECT_EQ(number(state.Fecundity[200]), 200 % 7);
    EXPECT_EQ(std::get<std::string>(state.AgeX[201]), "earlier");
}

TEST_F(LifeTableFiles, ASecondFileOverwritesFromIndexZeroAndKeepsLaterSlots)
{
    AnalysisState state;
    ASSERT_TRUE(readText(state, kFormatA, TableFormat::A).ok);
    ASSERT_TRUE(readText(state, "\"h\"\n0,5,0.1\n1,6,0.2\n", TableFormat::A).ok);
    EXPECT_EQ(state.LastAgeClass, 1);
    EXPECT_EQ(numbers(state.Fecundity, 0, 3), (std::vector<double> {5, 6, 1, 2}));
    EXPECT_EQ(numbers(state.Survival, 0, 3), (std::vector<double> {0.1, 0.2, 1, 0.5}));
}

TEST_F(LifeTableFiles, FormatBEndingAtTheEndOfTheFileDividesWhatTheNextSlotHolds)
{
    AnalysisState state;
    ASSERT_TRUE(readText(state, kFormatB + "\n5,0.25,0\n6,0.1,0\n", TableFormat::B).ok);
    ASSERT_TRUE(readText(state, "\"h\"\n0,1,0\n1,0.5,2\n", TableFormat::B).ok);
    EXPECT_EQ(state.LastAgeClass, 1);
    // Lx(2) still holds 0.9 from the first file.
    EXPECT_EQ(numbers(state.Survival, 0, 1), (std::vector<double> {0.5, 0.9 / 0.5}));
}

TEST_F(LifeTableFiles, FieldsReadAsNumbersTextsOrEmptyValues)
{
    // The end marker's fields after the age are stored but never computed with, so they show how
    // the reader classifies a field.
    struct Case
    {
        const char *field;
        TableValue value;
    };
    const Case cases[] = {
        {"1e3", 1000.0},
        {" 12 ", 12.0},
        {"\t7\t", 7.0},
        {"+5", 5.0},
        {"1.", 1.0},
        {".5", 0.5},
        {"-1", -1.0},
        {"-0.25E+2", -25.0},
        {"1d3", 1000.0},
        {"1e-999", 0.0},
        {"\"2.5\"", 2.5},
        {"\" 3 \"", 3.0},
        {"0x10", std::string("0x10")},
        {"nan", std::string("nan")},
        {"inf", std::string("inf")},
        {"-inf", std::string("-inf")},
        {"1e999", std::string("1e999")},
        {"-1e999", std::string("-1e999")},
        {"1 2", std::string("1 2")},
        {"1e", std::string("1e")},
        {".", std::string(".")},
        {"-", std::string("-")},
        {"1.2.3", std::string("1.2.3")},
        {"5%", std::string("5%")},
        {"\"a,b\"", std::string("a,b")},
        {"\"x\" (a remark)", std::string("x")},
        {"caf\xE9", std::string("caf\xE9")},
        {"", std::monostate {}},
        {"   ", std::monostate {}},
        {"\"\"", std::monostate {}},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        const std::string text = std::string("\"h\"\n0,1,0.5\n-1,") + c.field + ",0\n";
        const ReadResult result = readText(state, text, TableFormat::A);
        ASSERT_TRUE(result.ok) << c.field << ": " << result.message;
        EXPECT_EQ(state.Fecundity[1], c.value) << "field [" << c.field << "]";
    }
}

TEST_F(LifeTableFiles, CommasAndLineEndsBothSeparateFields)
{
    struct Case
    {
        const char *what;
        std::string text;
    };
    const Case cases[] = {
        {"one record a line", "\"h\"\n0,1,0.5\n1,2,0.25\n"},
        {"the whole table on one line", "\"h\",0,1,0.5,1,2,0.25"},
        {"one field a line", "\"h\"\n0\n1\n0.5\n1\n2\n0.25\n"},
        {"carriage returns", "\"h\"\r\n0,1,0.5\r\n1,2,0.25\r\n"},
        {"lone carriage returns", "\"h\"\r0,1,0.5\r1,2,0.25\r"},
        {"blanks before fields", "  \"h\"\n 0,\t1 , 0.5\n1, 2,0.25 \n"},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        const ReadResult result = readText(state, c.text, TableFormat::A);
        ASSERT_TRUE(result.ok) << c.what << ": " << result.message;
        EXPECT_EQ(state.LastAgeClass, 1) << c.what;
        EXPECT_EQ(numbers(state.Fecundity, 0, 1), (std::vector<double> {1, 2})) << c.what;
        EXPECT_EQ(numbers(state.Survival, 0, 1), (std::vector<double> {0.5, 0.25})) << c.what;
    }
}

TEST_F(LifeTableFiles, HeaderWithARemarkAfterItsQuotes)
{
    AnalysisState state;
    const std::string text
        = "\"age,f(x),s(x)\" (This line is necessary)\n0,0,1\n1,0,0.9\n2,1,1\n3,2,0.5\n";
    const ReadResult result = readText(state, text, TableFormat::A);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(state.LastAgeClass, 3);
}

TEST_F(LifeTableFiles, ReadingThroughThePathEqualsReadingTheStream)
{
    AnalysisState fromPath, fromStream;
    ASSERT_TRUE(ReadLifeTable(fromPath, write("b.txt", kFormatB), TableFormat::B).ok);
    ASSERT_TRUE(readText(fromStream, kFormatB, TableFormat::B).ok);
    EXPECT_EQ(fromPath, fromStream);
}

// Bad files: each is refused with a message naming the file, the line and the problem, and the
// state, which already holds a table, stays exactly as it was.
TEST_F(LifeTableFiles, BadFilesAreRefusedAndChangeNothing)
{
    struct Case
    {
        const char *what;
        TableFormat format;
        std::string content;
        std::string message; // "@" stands for the file's name
    };
    const std::string nothing = "\n\nNothing has been changed.";
    const std::string shiftedA
        = " This record does not begin at the start of a line, so the fields seem shifted: the "
          "first line must be a header in double quotes, such as \"age,f(x),s(x)\", and each "
          "record must have exactly three fields.";
    const std::string shiftedB
        = " This record does not begin at the start of a line, so the fields seem shifted: the "
          "first line must be a header in double quotes, such as \"age,l(x),m(x)\", and each "
          "record must have exactly three fields.";
    const Case cases[] = {
        {"empty file", TableFormat::A, "", "The file \"@\" is empty."},
        {"only a byte-order mark", TableFormat::A, "\xEF\xBB\xBF", "The file \"@\" is empty."},
        {"header and no records", TableFormat::A, "\"age,f(x),s(x)\"\n",
         "The file \"@\" has a header but no records after it."},
        {"header without a line end and no records", TableFormat::B, "\"age,l(x),m(x)\"",
         "The file \"@\" has a header but no records after it."},
        {"header and a blank line", TableFormat::A, "\"age,f(x),s(x)\"\n\n",
         "The file \"@\" ends inside the record that starts on line 2: the record has 1 of its 3 "
         "fields. Blank lines after the last record count as empty fields; delete them."},
        {"short last line", TableFormat::A, kFormatA + "\n4,1\n",
         "The file \"@\" ends inside the record that starts on line 6: the record has 2 of its 3 "
         "fields."},
        {"blank lines after the last record", TableFormat::A, kFormatA + "\n\n\n",
         "The file \"@\" ends inside the record that starts on line 6: the record has 2 of its 3 "
         "fields. Blank lines after the last record count as empty fields; delete them."},
        {"a line of blanks at the end", TableFormat::B, kFormatB + "\n   ",
         "The file \"@\" ends inside the record that starts on line 7: the record has 1 of its 3 "
         "fields. Blank lines after the last record count as empty fields; delete them."},
        {"a comma at the end of the last line", TableFormat::A, kFormatA + ",\n",
         "The file \"@\" ends inside the record that starts on line 5: the record has 1 of its 3 "
         "fields."
             + shiftedA},
        {"header without quotes", TableFormat::A, "age,f(x),s(x)\n0,0,1\n1,0,0.9\n2,1,1\n3,2,0.5\n",
         "Line 1 of the file \"@\": the age x of age class 0 is \"f(x)\", which is not a number."
             + shiftedA},
        {"format B header without quotes", TableFormat::B, "age,l(x),m(x)\n0,1,0\n1,1,0\n",
         "Line 1 of the file \"@\": the age x of age class 0 is \"l(x)\", which is not a number."
             + shiftedB},
        {"no header at all, the fields run short", TableFormat::A, "0,0,1\n1,0,0.9\n",
         "The file \"@\" ends inside the record that starts on line 2: the record has 2 of its 3 "
         "fields."
             + shiftedA},
        {"text as a fecundity", TableFormat::A, "\"h\"\n0,0,1\n1,many,0.9\n",
         "Line 3 of the file \"@\": the fecundity f(x) of age class 1 is \"many\", which is not a "
         "number."},
        {"a decimal comma makes two fields", TableFormat::A, "\"h\"\n0,0,1\n1,1,0,9\n",
         "The file \"@\" ends inside the record that starts on line 3: the record has 1 of its 3 "
         "fields."
             + shiftedA},
        {"empty fecundity", TableFormat::A, "\"h\"\n0,,1\n",
         "Line 2 of the file \"@\": the fecundity f(x) of age class 0 is empty, but it must be a "
         "number."},
        {"empty age", TableFormat::B, "\"h\"\n,1,0\n",
         "Line 2 of the file \"@\": the age x of age class 0 is empty, but it must be a number."},
        {"a comma too many shifts the next record", TableFormat::A, "\"h\"\n0,0,1,\n1,0,0.9\n",
         "Line 2 of the file \"@\": the age x of age class 1 is empty, but it must be a number."
             + shiftedA},
        {"number beyond the double range", TableFormat::A, "\"h\"\n0,1e999,1\n",
         "Line 2 of the file \"@\": the fecundity f(x) of age class 0 is 1e999, a number too "
         "large to compute with."},
        {"survivorship beyond the range", TableFormat::B, "\"h\"\n0,-2e400,1\n",
         "Line 2 of the file \"@\": the survivorship l(x) of age class 0 is -2e400, a number too "
         "large to compute with."},
        {"text as a survivorship", TableFormat::B, "\"h\"\n0,1,0\n1,half,0\n",
         "Line 3 of the file \"@\": the survivorship l(x) of age class 1 is \"half\", which is "
         "not a number."},
        {"long text is cut short in the message", TableFormat::B,
         "\"h\"\n0,1,abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz\n",
         "Line 2 of the file \"@\": the fecundity m(x) of age class 0 is "
         "\"abcdefghijklmnopqrstuvwxyzabcdefghijklmn...\", which is not a number."},
        {"format B marker without a survivorship", TableFormat::B, kFormatB + "\n-1,,\n",
         "Line 7 of the file \"@\": the survivorship l(x) of the record that ends the table is "
         "empty, but it must be a number."},
        {"first record is an age marker", TableFormat::A, "\"age,f(x),s(x)\"\n-1,0,0\n0,1,1\n",
         "Line 2 of the file \"@\" starts with the age -1, which ends the table before any age "
         "class."},
        {"first record has l(x) = 0", TableFormat::B, "\"age,l(x),m(x)\"\n0,0,1\n",
         "Line 2 of the file \"@\" starts with l(x) = 0, which ends the table before any age "
         "class."},
        {"survival rate beyond the range", TableFormat::B, "\"h\"\n0,1e-300,0\n1,1e300,1\n",
         "Line 2 of the file \"@\": the survival rate of age class 0, the next l(x) divided by "
         "this one, is too large to compute with."},
        {"unclosed quote", TableFormat::A, "\"age,f(x),s(x)\n0,0,1\n",
         "Line 1 of the file \"@\" opens a double quote that is not closed on that line."},
        {"unclosed quote in a record", TableFormat::A, "\"h\"\n0,\"1,1\n",
         "Line 2 of the file \"@\" opens a double quote that is not closed on that line."},
        {"binary file", TableFormat::A,
         std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\0",
                     10),
         "Line 1 of the file \"@\" holds a control character (code 127), so it is not a text "
         "file."},
        {"a zero byte in a record", TableFormat::B, std::string("\"h\"\n0,1,0\n1,\0,0\n", 16),
         "Line 3 of the file \"@\" holds a control character (code 0), so it is not a text "
         "file."},
        {"UTF-16", TableFormat::A, std::string("\xFF\xFE\"\0h\0\"\0", 8),
         "The file \"@\" is written in UTF-16. Save it as plain text (ANSI or UTF-8) and read it "
         "again."},
        {"field too long", TableFormat::A, "\"h\"\n0," + std::string(1025, '1') + ",1\n",
         "Line 2 of the file \"@\" holds a field longer than 1024 characters."},
        {"quoted field too long", TableFormat::A, "\"" + std::string(1025, 'h') + "\"\n0,1,1\n",
         "Line 1 of the file \"@\" holds a field longer than 1024 characters."},
        {"line too long", TableFormat::A, "\"h\"\n0,1,1\n" + std::string(40000, ' ') + "1,1,1\n",
         "Line 3 of the file \"@\" is longer than 32768 characters."},
        {"remark too long", TableFormat::A, "\"h\"" + std::string(40000, '!') + "\n0,1,1\n",
         "Line 1 of the file \"@\" is longer than 32768 characters."},
    };
    for (const Case &c : cases) {
        const std::string path = write("bad.txt", c.content);
        AnalysisState state = loadedState();
        const AnalysisState before = state;
        const ReadResult result = ReadLifeTable(state, path, c.format);
        std::string expected = c.message;
        expected.replace(expected.find('@'), 1, path);
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_EQ(result.message, expected + nothing) << c.what;
        EXPECT_TRUE(state == before) << c.what;
    }
}

TEST_F(LifeTableFiles, WhatCannotBeOpenedIsRefused)
{
    const std::string missing = dir() + "/no such file.txt";
    const std::string folder = dir() + "/folder";
    fs::create_directories(folder);
    struct Case
    {
        std::string path;
        std::string message;
    };
    const Case cases[] = {
        {missing, "The file \"" + missing + "\" does not exist."},
        {dir() + "/no such folder/a.txt",
         "The file \"" + dir() + "/no such folder/a.txt\" does not exist."},
        {folder, "\"" + folder + "\" is a folder, not a file."},
        {"/dev/zero", "\"/dev/zero\" is not an ordinary file."},
        {"/dev/null", "\"/dev/null\" is not an ordinary file."},
    };
    for (const Case &c : cases) {
        AnalysisState state = loadedState();
        const AnalysisState before = state;
        const ReadResult result = ReadLifeTable(state, c.path, TableFormat::A);
        EXPECT_FALSE(result.ok) << c.path;
        EXPECT_EQ(result.message, c.message + "\n\nNothing has been changed.") << c.path;
        EXPECT_TRUE(state == before) << c.path;
    }
}

TEST_F(LifeTableFiles, AFileWithoutReadPermissionIsRefused)
{
    const std::string path = write("secret.txt", kFormatA);
    fs::permissions(path, fs::perms::none);
    const std::string expected
        = "The file \"" + path + "\" cannot be opened for reading.\n\nNothing has been changed.";
    // Root reads every file, so under root the read runs in a child that has become "nobody".
    const auto check = [&] {
        AnalysisState state = loadedState();
        const AnalysisState before = state;
        const ReadResult result = ReadLifeTable(state, path, TableFormat::A);
        return !result.ok && result.message == expected && state == before;
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(check());
        return;
    }
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "cannot give up root here, so permissions cannot be tested";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the unreadable file was not refused as expected";
}

// A stream that never ends: the same pattern again and again, counting what was taken from it.
class EndlessBuffer : public std::streambuf
{
public:
    explicit EndlessBuffer(std::string pattern, std::string start = {})
        : m_pattern(std::move(pattern))
        , m_start(std::move(start))
    {
    }
    std::size_t delivered() const { return m_delivered; }

protected:
    int_type underflow() override
    {
        m_chunk = m_first ? m_start : std::string();
        m_first = false;
        while (m_chunk.size() < 4096)
            m_chunk += m_pattern;
        m_delivered += m_chunk.size();
        setg(m_chunk.data(), m_chunk.data(), m_chunk.data() + m_chunk.size());
        return traits_type::to_int_type(m_chunk[0]);
    }

private:
    std::string m_pattern;
    std::string m_start;
    std::string m_chunk;
    bool m_first = true;
    std::size_t m_delivered = 0;
};

TEST_F(LifeTableFiles, AnEndlessStreamIsReadWithinTheLimits)
{
    // Whatever the stream holds, the reader stops after at most 201 records, each of whose
    // fields is bounded by the length of a line.
    const std::size_t bound = (kMaxRecords * 3 + 1) * (kMaxLineLength + 2) + 8192;
    struct Case
    {
        const char *what;
        std::string start, pattern;
        bool ok;
        std::string message;
    };
    const Case cases[] = {
        {"records without end", "\"h\"\n", "0,1,0.5\n", true, ""},
        {"records on one endless line", "\"h\"\n", "0,1,0.5,", true, ""},
        {"blanks", "", " ", false,
         "Line 1 of the file \"endless\" is longer than 32768 characters."},
        {"letters", "", "a", false,
         "Line 1 of the file \"endless\" holds a field longer than 1024 characters."},
        {"an open quote", "\"", "a", false,
         "Line 1 of the file \"endless\" holds a field longer than 1024 characters."},
        {"empty lines", "\"h\"\n", "\n", false,
         "Line 2 of the file \"endless\": the age x of age class 0 is empty, but it must be a "
         "number."},
        {"zero bytes", "", std::string(1, '\0'), false,
         "Line 1 of the file \"endless\" holds a control character (code 0), so it is not a text "
         "file."},
    };
    for (const Case &c : cases) {
        EndlessBuffer buffer(c.pattern, c.start);
        std::istream in(&buffer);
        AnalysisState state;
        const ReadResult result = ReadLifeTable(state, in, "endless", TableFormat::A);
        EXPECT_EQ(result.ok, c.ok) << c.what;
        if (c.ok)
            EXPECT_EQ(state.LastAgeClass, 200) << c.what;
        else
            EXPECT_EQ(result.message, c.message + "\n\nNothing has been changed.") << c.what;
        EXPECT_LE(buffer.delivered(), bound) << c.what;
    }
}

TEST_F(LifeTableFiles, NoInfiniteValueEverReachesTheState)
{
    // Huge but finite numbers are taken as they are; quotients that overflow are refused above.
    AnalysisState state;
    ASSERT_TRUE(readText(state, "\"h\"\n0,1.7e308,1e-300\n-1,1e999,-1e999\n", TableFormat::A).ok);
    EXPECT_EQ(number(state.Fecundity[0]), 1.7e308);
    EXPECT_EQ(number(state.Survival[0]), 1e-300);
    // Where nothing computes with them, numbers beyond the range stay as the text they were.
    EXPECT_EQ(std::get<std::string>(state.Fecundity[1]), "1e999");
    EXPECT_EQ(std::get<std::string>(state.Survival[1]), "-1e999");
}

} // namespace

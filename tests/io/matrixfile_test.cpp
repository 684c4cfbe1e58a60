#include "io/matrixfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

using namespace tarnvale;
namespace fs = std::filesystem;

namespace {

const std::string kNothingChanged = "\n\nNothing has been changed.";

SquareMatrix grid(std::initializer_list<std::initializer_list<double>> rows)
{
    SquareMatrix m(static_cast<int>(rows.size()));
    m.values.clear();
    for (const auto &row : rows)
        m.values.insert(m.values.end(), row);
    return m;
}

MatrixFileRead readText(const std::string &text)
{
    std::istringstream in(text);
    return ReadMatrixFile(in, "m.csv");
}

fs::path scratchFolder()
{
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = fs::temp_directory_path()
        / ("tarnvale-matrixfile-" + std::to_string(::getpid()) + "-" + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

const SquareMatrix kA = grid({{0, 1.5}, {0.5, 0.8}});
const SquareMatrix kU = grid({{0, 0}, {0.5, 0.8}});
const SquareMatrix kF = grid({{0, 1.5}, {0, 0}});

TEST(MatrixFile, ReadsTheShapesUsersHoldMatricesIn)
{
    const StageModel plain {kA, {}, {}, {}, {}};
    const StageModel named {kA, {"seed", "adult"}, {}, {}, {}};
    const StageModel split {kA, {}, kU, kF, {}};
    const StageModel clonal {grid({{0, 1.5}, {0.75, 0.8}}), {}, kU, kF, grid({{0, 0}, {0.25, 0}})};
    struct Case
    {
        std::string text;
        StageModel model;
    };
    const Case cases[] = {
        {"0  1.5\n 0.5\t0.8 \n", plain},
        {"0,1.5\n0.5,0.8", plain},
        {"0; 1.5\n0.5 ;0.8\n", plain},
        {"0\t1.5\n0.5\t.8e0\n", plain},
        {"\"0\",\"1.5\"\n\"0.5\", \"0.8\" \n", plain},
        {"\xEF\xBB\xBF# Source: a book, p. 3\r\n0;1.5\r\n\r\n  # more\r\n0.5;0.8\r\n", plain},
        {"0 1.5\r0.5 0.8\r", plain},
        {"\"\",\"seed\",\"adult\"\n\"seed\",0,1.5\n\"adult\",0.5,0.8\n", named}, // R's write.csv
        {"\"\",\"V1\",\"V2\"\n\"1\",0,1.5\n\"2\",0.5,0.8\n",
         plain}, // ... of a matrix without names
        {",seed,adult\nseed,0,1.5\nadult,0.5,0.8\n", named},
        {"\"\"\tseed\tadult\nseed\t0\t1.5\nadult\t0.5\t0.8\n", named},
        {"[A]\n0,1.5\n0.5,0.8\n", plain},
        {"[U]\n0,0\n0.5,0.8\n[F]\n0,1.5\n0,-0\n", split},
        {"# parts\n[F],,\n0,1.5\n0,0\n\n[U],,\n0,0\n0.5,0.8\n[A]\n0,1.5\n0.5,0.8000000001\n",
         split},
        {"[U]\n0 0\n0.5 0.8\n[F]\n0 1.5\n0 0\n[C]\n0 0\n0.25 0\n", clonal},
        {"[U]\n\"\",seed,adult\nseed,0,0\nadult,0.5,0.8\n[F]\n0,1.5\n0,0\n[A]\n"
         "\"\",\"seed\",\"adult\"\n\"seed\",0,1.5\n\"adult\",0.5,0.8\n",
         {kA, {"seed", "adult"}, kU, kF, {}}},
        {"\"\",\"a \"\"big\"\" one\"\n\"a \"\"big\"\" one\",2\n",
         {grid({{2}}), {"a \"big\" one"}, {}, {}, {}}},
    };
    for (const Case &c : cases) {
        const MatrixFileRead read = readText(c.text);
        EXPECT_EQ(read.message, "") << c.text;
        EXPECT_TRUE(read.ok && read.model == c.model) << c.text;
    }
}

TEST(MatrixFile, RefusesWhatIsNotAProjectionMatrixAndSaysWhere)
{
    struct Case
    {
        std::string text, message;
    };
    std::string wide = "0";
    for (int j = 1; j < 501; ++j)
        wide += ",0";
    const std::string u = "[U]\n0,0\n0.5,0.8\n", f = "[F]\n0,1.5\n0,0\n";
    const Case cases[] = {
        {"", "The file \"m.csv\" is empty."},
        {"\xEF\xBB\xBF", "The file \"m.csv\" is empty."},
        {"# only a note\n\n,,\n", "The file \"m.csv\" holds no number."},
        {"0,1\n0.5\n", "Line 2 of the file \"m.csv\" has 1 entry where line 1 has 2."},
        {"0,1,2\n0.5,0,0\n",
         "The file \"m.csv\" has 2 rows of 3 entries; a projection matrix is square."},
        {"0;1\n0,5;0.8\n",
         "Line 2 of the file \"m.csv\", column 1: \"0,5\" is not a number: the decimal point is "
         "\".\"."},
        {"0\t1\n0.5\t0,8\n",
         "Line 2 of the file \"m.csv\", column 2: \"0,8\" is not a number: the decimal point is "
         "\".\"."},
        {"0,NA\n0.5,0.8\n", "Line 1 of the file \"m.csv\", column 2: the value is missing (NA)."},
        {"0,\n0.5,0.8\n", "Line 1 of the file \"m.csv\", column 2: the value is missing."},
        {"0,\"\"\n0.5,0.8\n", "Line 1 of the file \"m.csv\", column 2: the value is missing."},
        {"0,1\n-0.5,0.8\n", "Line 2 of the file \"m.csv\", column 1: -0.5 is negative."},
        {"0,Inf\n0.5,0.8\n",
         "Line 1 of the file \"m.csv\", column 2: \"Inf\" is not a finite number."},
        {"0,1e999\n0.5,0.8\n",
         "Line 1 of the file \"m.csv\", column 2: 1e999 is a number too large to compute with."},
        {wide + "\n",
         "Line 1 of the file \"m.csv\" has 501 entries; a projection matrix here has at most "
         "500 stages."},
        {"\"\",\"a\",\"b\"\n\"b\",0,1\n\"a\",0.5,0.8\n",
         "Line 2 of the file \"m.csv\", column 1: the row is named \"b\" where the header on "
         "line 1 names stage 1 \"a\"."},
        {"\"\",\"a\",\"b\"\n\"a\",0,1,2\n",
         "Line 2 of the file \"m.csv\" has 3 entries where the header on line 1 names 2 stages."},
        {"\"\",\"a\"\n\"a\",0\n\"b\",1\n",
         "Line 3 of the file \"m.csv\" holds row 2, but the header on line 1 names 1 stage."},
        {"\"\",\"a\",\"\"\n", "Line 1 of the file \"m.csv\", column 3: the stage name is empty."},
        {"[U]\n\"\",a,b\na,0,0\nb,0.5,0.8\n[F]\n\"\",a,c\na,0,1.5\nc,0,0\n",
         "Line 6 of the file \"m.csv\", column 3: [F] names stage 2 \"c\" where [U] names it "
         "\"b\"."},
        {u + "[F]\n2\n", "The part [F] of the file \"m.csv\" has 1 stage where [U] has 2."},
        {u + f + "[A]\n0,1.5\n0.5,0.9\n",
         "Line 9 of the file \"m.csv\", column 2: [A] holds 0.9 where U + F + C is 0.8."},
        {u + f + u, "Line 7 of the file \"m.csv\" gives the part [U] a second time."},
        {u, "The file \"m.csv\" has the part [U] but not [F]."},
        {f, "The file \"m.csv\" has the part [F] but not [U]."},
        {"[C]\n0,0\n0.5,0\n", "The file \"m.csv\" has the part [C] but not [U] and [F]."},
        {"[U]\n1e308\n[F]\n1e308\n[C]\n1e308\n",
         "The file \"m.csv\" gives U + F + C beyond the double range in row 1, column 1."},
        {"[X]\n0\n",
         "Line 1 of the file \"m.csv\": \"[X]\" is not a part; the parts are [U], [F], [C] and "
         "[A]."},
        {"[U] 0 0\n",
         "Line 1 of the file \"m.csv\": the part header [U] must stand on a line of "
         "its own."},
        {"[U]\n[F]\n0\n",
         "Line 1 of the file \"m.csv\" starts the part [U], which holds no number."},
        {"0\n[U]\n0\n[F]\n0\n",
         "Line 2 of the file \"m.csv\" starts the part [U], but the lines before it belong to "
         "no part."},
        {"[U]\n0,0\n0.5,0.8\n0,0\n[F]\n",
         "The part [U] of the file \"m.csv\" has 3 rows of 2 entries; a projection matrix is "
         "square."},
        {"0,\"1\n",
         "Line 1 of the file \"m.csv\", column 2 opens a double quote that is not "
         "closed on that line."},
        {"0,\"1\"x\n",
         "Line 1 of the file \"m.csv\", column 2 has text after its closing double "
         "quote."},
        {std::string("\177ELF\2\1\1\0", 8),
         "Line 1 of the file \"m.csv\" holds a control character (code 127), so it is not a "
         "text file."},
        {std::string("\xFF\xFE"
                     "0\0",
                     4),
         "The file \"m.csv\" is written in UTF-16. Save it as plain text (UTF-8) and read it "
         "again."},
        {"0\n" + std::string(70000, ' ') + "\n",
         "Line 2 of the file \"m.csv\" is longer than 65536 characters."},
    };
    for (const Case &c : cases) {
        const MatrixFileRead read = readText(c.text);
        EXPECT_FALSE(read.ok) << c.message;
        EXPECT_EQ(read.message, c.message + kNothingChanged);
        EXPECT_EQ(read.model, StageModel {}) << c.message;
    }
}

TEST(MatrixFile, RefusesWhatIsNoFileToRead)
{
    const fs::path dir = scratchFolder();
    const std::string missing = (dir / "none.csv").string(), large = (dir / "large.csv").string();
    std::ofstream(large) << "1";
    fs::resize_file(large, kMaxMatrixFileLength + 1); // sparse: no disk is filled
    const std::pair<std::string, std::string> cases[] = {
        {missing, "The file \"" + missing + "\" does not exist."},
        {dir.string(), "\"" + dir.string() + "\" is a folder, not a file."},
        {"/dev/zero", "\"/dev/zero\" is not an ordinary file."},
        {large, "The file \"" + large + "\" is longer than 67108864 characters."},
    };
    for (const auto &[path, message] : cases)
        EXPECT_EQ(ReadMatrixFile(path).message, message + kNothingChanged);
    const std::string secret = (dir / "secret.csv").string();
    std::ofstream(secret) << "1";
    fs::permissions(secret, fs::perms::none);
    if (::geteuid() != 0) { // root reads every file
        EXPECT_EQ(ReadMatrixFile(secret).message,
                  "The file \"" + secret + "\" cannot be opened for reading." + kNothingChanged);
    }
    const std::string nowhere = (dir / "no folder" / "m.csv").string();
    EXPECT_EQ(SaveMatrixFile({grid({{1}}), {}, {}, {}, {}}, nowhere)
                  .rfind("The file \"" + nowhere + "\" could not be created: ", 0),
              0u);
    fs::remove_all(dir);

    // However much follows, a read stops at the longest line.
    std::istringstream endless("0" + std::string(1'000'000, ' '));
    EXPECT_FALSE(ReadMatrixFile(endless, "m.csv").ok);
    EXPECT_LE(endless.tellg(), static_cast<std::streamoff>(kMaxMatrixLineLength + 1));
}

TEST(MatrixFile, WritesR17DigitCsvWithCrLf)
{
    const StageModel model {kA, {"seed", "adult \"old\""}, kU, kF, {}};
    EXPECT_EQ(MatrixFileText(model),
              "[U]\r\n\"\",\"seed\",\"adult \"\"old\"\"\"\r\n\"seed\",0,0\r\n"
              "\"adult \"\"old\"\"\",0.5,0.80000000000000004\r\n"
              "[F]\r\n\"\",\"seed\",\"adult \"\"old\"\"\"\r\n\"seed\",0,1.5\r\n"
              "\"adult \"\"old\"\"\",0,0\r\n");
    EXPECT_EQ(MatrixFileText({grid({{0.1, 2e-300}, {0, 1.0 / 3}}), {}, {}, {}, {}}),
              "0.10000000000000001,2.0000000000000001e-300\r\n0,0.33333333333333331\r\n");
}

TEST(MatrixFile, AModelWrittenAndReadBackIsTheSameModel)
{
    std::mt19937 random(20261209);
    const auto entry = [&] {
        switch (random() % 6) {
        case 0:
            return 0.0;
        case 1:
            return std::ldexp(static_cast<double>(random()),
                              -1074 + static_cast<int>(random() % 40));
        case 2:
            return std::ldexp(std::uniform_real_distribution<double>(0.5, 1)(random), 1023);
        default:
            return std::uniform_real_distribution<double>(0, 1)(random)
                * std::pow(10.0, static_cast<int>(random() % 9) - 4);
        }
    };
    const auto matrix = [&](int n) {
        SquareMatrix m(n);
        for (double &v : m.values)
            v = entry();
        return m;
    };
    const std::vector<std::string> oddNames
        = {"seed", "#1", "[U]", "a, b; c", "\"x\"", "NA", "0.5", " tab\there", "ünïcode"};
    const fs::path dir = scratchFolder();
    for (int k = 0; k < 60; ++k) {
        const int n = k == 0 ? kMaxStages : 1 + static_cast<int>(random() % 9);
        StageModel model;
        if (random() % 2)
            for (int i = 0; i < n; ++i)
                model.names.push_back(oddNames[random() % oddNames.size()] + std::to_string(i));
        if (random() % 2) {
            model.u = matrix(n);
            model.f = matrix(n);
            if (random() % 2)
                model.c = matrix(n);
            // Halved so that no sum leaves the double range.
            for (auto *part : {&*model.u, &*model.f})
                for (double &v : part->values)
                    v /= 4;
            if (model.c)
                for (double &v : model.c->values)
                    v /= 4;
            model.a = *model.u;
            for (std::size_t e = 0; e < model.a.values.size(); ++e)
                model.a.values[e] = model.u->values[e] + model.f->values[e]
                    + (model.c ? model.c->values[e] : 0.0);
        } else {
            model.a = matrix(n);
        }
        const std::string path = (dir / "model.csv").string();
        ASSERT_EQ(SaveMatrixFile(model, path), "");
        const MatrixFileRead read = ReadMatrixFile(path);
        ASSERT_TRUE(read.ok) << read.message;
        EXPECT_TRUE(read.model == model) << k;
    }
    fs::remove_all(dir);
}

} // namespace

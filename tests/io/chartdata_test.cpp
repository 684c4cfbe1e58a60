#include "io/chartdata.h"

#include "core/curve.h"
#include "filebytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

using namespace tarnvale;
namespace fs = std::filesystem;

namespace {

void writeBytes(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh, empty folder for one test, removed afterwards, and the state as start-up leaves it.
class ChartDataFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / (std::string("tarnvale-chartdata-") + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        ReadMatrixCells(state, kDefaultCellTexts);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::vector<std::string> folderNames() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder;
    AnalysisState state;
};

TEST_F(ChartDataFolder, DefaultPlotMatchesTheReferenceFileByteForByte)
{
    // The reference was derived independently of this program: the same repeated addition, the
    // x rounded to single precision, each number rounded from its exact binary value.
    ASSERT_TRUE(PlotCurve(state, "-0.35", "1.5", "0.01").ok);
    const std::string chosen = (folder / "example.txt").string();
    writeBytes(chosen, "1,2,3\n");
    writeBytes(folder / "example-graphdata.txt", std::string(5000, 'x'));
    writeBytes(folder / "example-SAD.txt", "old");

    const ExportResult result = ExportChartData(state, chosen);
    ASSERT_TRUE(result.ok) << result.message;
    const std::string written = test::ReadBytes(folder / "example-graphdata.txt");
    EXPECT_EQ(written, test::ReadBytes(fs::path(TARNVALE_TEST_DATA) / "default-graphdata.txt"));
    EXPECT_EQ(written.substr(0, 26), "\"x,f(x)\"\r\n-.35,.05375625\r\n");
    // Matrix mode before any root: one line for age 0 with an empty value.
    EXPECT_EQ(test::ReadBytes(folder / "example-SAD.txt"),
              "\"age, stable age distribution\"\r\n0,\r\n");
    // The chosen file is neither changed nor replaced, and no temporary file is left behind.
    EXPECT_EQ(test::ReadBytes(chosen), "1,2,3\n");
    EXPECT_EQ(
        folderNames(),
        (std::vector<std::string> {"example-SAD.txt", "example-graphdata.txt", "example.txt"}));
    EXPECT_EQ(state.DataFileBase, chosen);

    // Before any plot the curve file is its header alone.
    EXPECT_EQ(CurveFileText(AnalysisState {}), "\"x,f(x)\"\r\n");
}

TEST_F(ChartDataFolder, DataFileSadMatchesByteForByte)
{
    // A data-file table of five age classes after an accepted root; age 3 was never written.
    state.DataLoaded = "Yes";
    state.LastAgeClass = 4;
    state.StableAgeDist[0] = 0.5;
    state.StableAgeDist[1] = 0.25;
    state.StableAgeDist[2] = 0.1999999;
    state.StableAgeDist[4] = 1.25e-7;
    state.StableAgeDist[5] = 0.75; // beyond the last age class: not written
    const std::string chosen = (folder / "table.txt").string();
    ASSERT_TRUE(ExportChartData(state, chosen).ok);
    EXPECT_EQ(test::ReadBytes(folder / "table-SAD.txt"),
              "\"age, stable age distribution\"\r\n"
              "0,.5\r\n"
              "1,.25\r\n"
              "2,.1999999\r\n"
              "3,\r\n"
              "4,1.25E-07\r\n");
    EXPECT_FALSE(fs::exists(chosen));
}

TEST_F(ChartDataFolder, TheLastFourCharactersAreCharactersNotBytes)
{
    // "ä" takes two bytes; the base keeps it whole.
    ASSERT_TRUE(ExportChartData(state, (folder / "säd.täxt").string()).ok);
    EXPECT_EQ(folderNames(), (std::vector<std::string> {"säd.-SAD.txt", "säd.-graphdata.txt"}));

    for (const std::string name : {"", "ä.t"}) {
        const ExportResult result = ExportChartData(state, name);
        EXPECT_EQ(result.message,
                  "The name \"" + name
                      + "\" is too short: the chart data files are named after it less its last "
                        "4 characters (example.txt gives example-graphdata.txt and "
                        "example-SAD.txt).");
    }
    EXPECT_EQ(state.DataFileBase, (folder / "säd.täxt").string());
}

TEST_F(ChartDataFolder, AFileThatCannotBeCreatedIsNamed)
{
    const ExportResult result = ExportChartData(state, (folder / "missing" / "a.txt").string());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message,
              "The file \"" + (folder / "missing" / "a-graphdata.txt").string()
                  + "\" could not be created: "
                  + std::make_error_code(std::errc::no_such_file_or_directory).message() + ".");
    EXPECT_TRUE(state.DataFileBase.empty());
}

TEST_F(ChartDataFolder, AFailedReplacementLeavesTheOldFileAndNoTemporaryFile)
{
    // The SAD file's name is taken by a folder with something in it, which no rename replaces.
    fs::create_directories(folder / "run-SAD.txt" / "inside");
    state.DataFileBase = "earlier.txt";
    const ExportResult result = ExportChartData(state, (folder / "run.txt").string());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message.rfind("The file \"" + (folder / "run-SAD.txt").string()
                                       + "\" could not be written: ",
                                   0),
              0u)
        << result.message;
    EXPECT_TRUE(fs::is_directory(folder / "run-SAD.txt" / "inside"));
    // The curve file went in whole before the SAD file failed; nothing half-written remains.
    EXPECT_EQ(test::ReadBytes(folder / "run-graphdata.txt"), "\"x,f(x)\"\r\n");
    EXPECT_EQ(folderNames(), (std::vector<std::string> {"run-SAD.txt", "run-graphdata.txt"}));
    EXPECT_EQ(state.DataFileBase, "earlier.txt");
}

} // namespace

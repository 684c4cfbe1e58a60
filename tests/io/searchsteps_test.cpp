#include "io/searchsteps.h"

#include "filebytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace tarnvale;
namespace fs = std::filesystem;

namespace {

// Texts as the boxes show them, typed start points included: a comma or a quote in one of them
// must not split or end its field.
const std::vector<SearchEntry> kRecord = {
    {1, "0", "1,5", "", "", SearchEvent::BracketAccepted},
    {2, "0", "1,5", "1", "-0.75", SearchEvent::Step},
    {2, "1", "1,5", "", "", SearchEvent::ReplacesX1},
    {3, "1", "2\"", "1.21978759765625", "6.37e-05", SearchEvent::RootAccepted},
};
const char *const kFile = "step,x1,x2,x3,f(x3),event\r\n"
                          "1,0,\"1,5\",,,bracket accepted\r\n"
                          "2,0,\"1,5\",1,-0.75,step\r\n"
                          "2,1,\"1,5\",,,x3 replaces x1\r\n"
                          "3,1,\"2\"\"\",1.21978759765625,6.37e-05,root accepted (<0.0001)\r\n";

TEST(SearchSteps, FileTextQuotesFieldsWithCommasOrQuotes)
{
    EXPECT_EQ(StepsFileText(kRecord), kFile);
    EXPECT_EQ(StepsFileText({}), "step,x1,x2,x3,f(x3),event\r\n");
}

TEST(SearchSteps, SaveReplacesTheFileWhole)
{
    const fs::path folder = fs::temp_directory_path() / "tarnvale-searchsteps";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path file = folder / "steps.csv";
    std::ofstream(file) << "an older and much longer file that must not show through";

    EXPECT_EQ(SaveSearchSteps(kRecord, file.string()), "");
    EXPECT_EQ(test::ReadBytes(file), kFile);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    const std::string missing = (folder / "none" / "steps.csv").string();
    EXPECT_NE(SaveSearchSteps(kRecord, missing).find(missing), std::string::npos);
    fs::remove_all(folder);
}

} // namespace

// The files of the "Further analysis" window's "Save", on a table worked out by hand.
#include "io/analysisdata.h"

#include "filebytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace tarnvale;
namespace fs = std::filesystem;

namespace {

// F = (0, 2), s(0) = 0.5: lambda1 = 1 (lambda^2 = 0.5 * 2), SAD (2/3, 1/3), reproductive values
// (1, 2) from v A = v, <v, w> = 4/3, so dlambda/dF = (1/2, 1/4), dlambda/ds(0) = 2 (2/3) (3/4)
// = 1 and the elasticities are (0, 1/2) and 1/2. From everything in class 0 the population
// alternates between (1, 0) and (0, 1/2), at distances 1/3 and 2/3 from the SAD.
const LeslieTable kTwoClasses {{0, 2}, {0.5}};

TEST(AnalysisData, filesHoldTheNumbersWorkedOutByHand)
{
    const LeslieAnalysis a = AnalyseLeslie(kTwoClasses);
    const Projection p
        = ProjectLeslie(kTwoClasses, MakeStartVector(a, StartChoice::FirstClass).shares, 2,
                        a.stableAgeDistribution);
    EXPECT_EQ(ProjectionFileText(p, 2),
              "\"t,N(t),N(t+1)/N(t),distance to SAD,age 0,age 1\"\r\n"
              "0,1,.5,.333333333333333,1,0\r\n"
              "1,.5,2,.666666666666667,0,1\r\n"
              "2,1,,.333333333333333,1,0\r\n");
    EXPECT_EQ(ClassesFileText(a),
              "\"age,SAD,reproductive value,dlambda/dF,dlambda/ds,"
              "elasticity F,elasticity s\"\r\n"
              "0,.666666666666667,1,.5,1,0,.5\r\n"
              "1,.333333333333333,2,.25,,.5,\r\n");
    // A refused table has no values at all.
    EXPECT_EQ(ClassesFileText(AnalyseLeslie({{-1}, {}})),
              "\"age,SAD,reproductive value,dlambda/dF,dlambda/ds,elasticity F,elasticity s\"\r\n"
              "0,,,,,,\r\n");
}

TEST(AnalysisData, exportWritesBothFilesOrNone)
{
    const fs::path folder = fs::temp_directory_path() / "tarnvale-analysisdata";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const LeslieAnalysis a = AnalyseLeslie(kTwoClasses);
    const Projection p = ProjectLeslie(kTwoClasses, {0.5, 0.5}, 30, a.stableAgeDistribution);

    ASSERT_TRUE(ExportAnalysisData((folder / "run.txt").string(), a, p).ok);
    EXPECT_EQ(test::ReadBytes(folder / "run-projection.txt"), ProjectionFileText(p, 2));
    EXPECT_EQ(test::ReadBytes(folder / "run-classes.txt"), ClassesFileText(a));

    // A folder in the way of the second file: the message names it, no temporary file stays.
    fs::create_directories(folder / "in-classes.txt" / "x");
    const ExportResult blocked = ExportAnalysisData((folder / "in.txt").string(), a, p);
    EXPECT_FALSE(blocked.ok);
    EXPECT_NE(blocked.message.find("in-classes.txt"), std::string::npos) << blocked.message;
    for (const auto &entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos);

    const ExportResult tooShort = ExportAnalysisData("a", a, p);
    EXPECT_FALSE(tooShort.ok);
    EXPECT_NE(tooShort.message.find("too short"), std::string::npos);
    fs::remove_all(folder);
}

} // namespace

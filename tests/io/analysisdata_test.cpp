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

namespace {

// Juveniles become adults at 0.5, adults survive at 0.5 and have 1 young: U = [0 0; 0.5 0.5],
// F = [0 1; 0 0], A = [0 1; 0.5 0.5]. lambda1 = 1 (lambda^2 - lambda/2 - 1/2 = 0), w = (1, 1)/2,
// v = (1, 2), <v, w> = 3/2, so S(i, j) = v(i) w(j) / <v, w> = v(i) / 3 and E = S A. N = (I -
// U)^-1 = [1 0; 1 2]: each stage lives 2 steps. From the juveniles n = (1, 0), (0, .5),
// (.5, .25), at distances 1/2, 1/2 and 1/6 from w.
StageModel juvenilesAndAdults()
{
    StageModel m;
    m.a = SquareMatrix(2);
    m.a.values = {0, 1, 0.5, 0.5};
    m.u = SquareMatrix(2);
    m.u->values = {0, 0, 0.5, 0.5};
    m.f = SquareMatrix(2);
    m.f->values = {0, 1, 0, 0};
    m.names = {"juvenile", "adult"};
    return m;
}

TEST(AnalysisData, stageFilesHoldTheNumbersWorkedOutByHand)
{
    const StageModel m = juvenilesAndAdults();
    const StageAnalysis a = AnalyseStage(m);
    const Projection p = ProjectMatrix(m.a, {1, 0}, 2, a.stableDistribution);
    EXPECT_EQ(ProjectionFileText(p, a),
              "\"t,N(t),N(t+1)/N(t),distance to w,juvenile,adult\"\r\n"
              "0,1,.5,.5,1,0\r\n"
              "1,.5,1.5,.5,0,1\r\n"
              "2,.75,,.166666666666667,.666666666666667,.333333333333333\r\n");
    EXPECT_EQ(ClassesFileText(a),
              "\"stage,stable distribution w,reproductive value,life expectancy\"\r\n"
              "juvenile,.5,1,2\r\n"
              "adult,.5,2,2\r\n");
    const std::vector<const ResultField *> entries
        = ResultsOf(ModelKind::Stage, ResultKind::PerEntry);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(EntriesFileText(a, *entries[0]),
              "\"\",\"juvenile\",\"adult\"\r\n"
              "\"juvenile\",.333333333333333,.333333333333333\r\n"
              "\"adult\",.666666666666667,.666666666666667\r\n");
    EXPECT_EQ(EntriesFileText(a, *entries[1]),
              "\"\",\"juvenile\",\"adult\"\r\n"
              "\"juvenile\",0,.333333333333333\r\n"
              "\"adult\",.333333333333333,.333333333333333\r\n");

    // Without names the stages are numbered; undefined sensitivities leave their entries empty;
    // a name with a comma or a quote stays one field.
    StageModel twin;
    twin.a = SquareMatrix(2);
    twin.a.values = {1, 0, 0, 1};
    const StageAnalysis t = AnalyseStage(twin);
    EXPECT_EQ(EntriesFileText(t, *entries[0]),
              "\"\",\"stage 1\",\"stage 2\"\r\n\"stage 1\",,\r\n\"stage 2\",,\r\n");
    twin.names = {"a, \"b\"", "c"};
    const std::string named = ClassesFileText(AnalyseStage(twin));
    EXPECT_EQ(named.substr(named.find('\n') + 1), "\"a, \"\"b\"\"\",,,\r\nc,,,\r\n");
}

} // namespace

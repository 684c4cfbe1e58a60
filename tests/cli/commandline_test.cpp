// The command line as a script sees it: exit statuses, standard output, standard error.
#include "cli/commandline.h"

#include "core/leslie.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using tarnvale::cli::RunCommandLine;

struct Outcome
{
    int status = 0;
    std::string out;
    std::string err;
};

Outcome run(std::vector<std::string> arguments, bool progress = false)
{
    arguments.insert(arguments.begin(), "tarnvale");
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    std::ostringstream out, err;
    Outcome result;
    result.status = RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err, progress);
    result.out = out.str();
    result.err = err.str();
    return result;
}

std::string example(const char *name)
{
    return std::string(TARNVALE_EXAMPLES_DIR) + "/" + name;
}

const char *kDefaultMatrix = "0 1 2 1; 0.5 0 0 0; 0 1 0 0; 0 0 0.5 0";

TEST(CommandLine, refusesBadUsageWithStatusTwo)
{
    struct Case
    {
        std::vector<std::string> arguments;
        const char *message;
    };
    const Case cases[] = {
        {{"--report"}, "no input: give --format A|B|M FILE... or --matrix TEXT"},
        {{"--json", "--matrix", "1"}, "nothing to do: give --report"},
        {{"--report", "--frobnicate"}, "unknown option --frobnicate"},
        {{"--report", "--json", "--csv", "--matrix", "1"}, "--json and --csv cannot be combined"},
        {{"--report", "--format", "C", "x"}, "--format takes A, B, M or compadre, not \"C\""},
        {{"--report", "--format=a", "x"}, "--format takes A, B, M or compadre, not \"a\""},
        {{"--report", "x.txt"}, "the file x.txt needs --format A, B, M or compadre before it"},
        {{"--report", "--select", "Country", "--format", "compadre", "x"},
         "--select takes FIELD=VALUE, not \"Country\""},
        {{"--report", "--ids", "1,,2", "--format", "compadre", "x"},
         "--ids takes MatrixIDs separated by commas, not \"1,,2\""},
        {{"--report", "--ids", "1", "--matrix", "1"},
         "--select and --ids choose records of --format compadre files; there is none"},
        {{"--report", "--steps", "0", "--matrix", "1"},
         "--steps takes a whole number from 1 to 1000, not \"0\""},
        {{"--report", "--steps=1001", "--matrix", "1"},
         "--steps takes a whole number from 1 to 1000, not \"1001\""},
        {{"--report", "--steps", "2", "--steps", "3", "--matrix", "1"}, "--steps is given twice"},
        {{"--report", "--start", "sad", "--matrix", "1"}, "--start needs --steps"},
        {{"--report", "--steps", "5", "--start", "last", "--matrix", "1"},
         "--start takes equal, first or sad, not \"last\""},
        {{"--report", "--matrix"}, "--matrix needs a value"},
        {{"--report=yes", "--matrix", "1"}, "--report takes no value"},
        {{"--report", "--vary", "b[1]", "--from", "0", "--to", "1", "--matrix", "1"},
         "--vary takes a target a[i,j], F(x), s(x), A, row[i], F or U, not \"b[1]\""},
        {{"--report", "--break-even", "a[1,0]", "--matrix", "1"},
         "--break-even takes a target a[i,j], F(x), s(x), A, row[i], F or U, not \"a[1,0]\""},
        {{"--report", "--vary", "A", "--from", "2", "--to", "1", "--matrix", "1"},
         "--from 2 lies above --to 1"},
        {{"--report", "--vary", "A", "--from", "-1", "--to", "1", "--matrix", "1"},
         "--from takes a number >= 0, not \"-1\""},
        {{"--report", "--vary", "A", "--from=0", "--to=1", "--points=1", "--matrix", "1"},
         "--points takes a whole number from 2 to 10000, not \"1\""},
        {{"--report", "--vary", "A", "--from=0", "--to=1", "--points=10001", "--matrix", "1"},
         "--points takes a whole number from 2 to 10000, not \"10001\""},
        {{"--report", "--vary", "A", "--to", "1", "--matrix", "1"}, "--vary needs --from and --to"},
        {{"--report", "--points", "5", "--matrix", "1"}, "--points needs --vary"},
        {{"--report", "--break-even", "A", "--lambda", "0", "--matrix", "1"},
         "--lambda takes a number above 0, not \"0\""},
        {{"--report", "--lambda", "2", "--matrix", "1"}, "--lambda needs --break-even"},
        {{"--report", "--ltre", "--matrix", "1"}, "--ltre compares exactly two inputs, not 1"},
        {{"--report", "--ltre", "--matrix", "1", "--format", "compadre", "x"},
         "--ltre compares two models, not the records of a --format compadre file"},
        {{"--report", "--vary", "A", "--from=0", "--to=1", "--break-even", "A", "--matrix", "1"},
         "--vary and --break-even cannot be combined"},
        {{"--report", "--ltre", "--steps", "3", "--matrix", "1", "--matrix", "2"},
         "--ltre and --steps cannot be combined"},
        {{"--report", "--break-even", "A", "--break-even", "U", "--matrix", "1"},
         "--break-even is given twice"},
    };
    for (const Case &c : cases) {
        const Outcome r = run(c.arguments);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), std::string("tarnvale: ") + c.message);
        EXPECT_NE(r.err.find("usage: tarnvale --report"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, tarnvale::cli::UsageText());
    EXPECT_EQ(help.err, "");
}

TEST(CommandLine, reportsTheOthersWhenAnInputIsRefused)
{
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "cli-refused";
    std::filesystem::create_directories(dir);
    const std::string negative = (dir / "negative.txt").string();
    std::ofstream(negative) << "\"age,f(x),s(x)\"\n0,0,0.5\n1,2,-0.5\n2,1,0\n";
    const std::string missing = (dir / "missing.txt").string();

    // A matrix outside the Leslie pattern is a stage model and reported; a text with U but no F
    // is refused.
    const Outcome r = run({"--report", "--json", "--matrix", "0 1; 0.5 0.2", "--format", "A",
                           example("ExampleA-1.txt"), negative, missing, "--matrix",
                           "[U] 0 0; 0.5 0.8", "--matrix", kDefaultMatrix});
    EXPECT_EQ(r.status, 1);
    std::istringstream lines(r.err);
    std::string line;
    std::vector<std::string> errors;
    while (std::getline(lines, line))
        errors.push_back(line);
    ASSERT_EQ(errors.size(), 3u) << r.err;
    EXPECT_EQ(errors[0],
              "tarnvale: " + negative + ": age class 1: the survival rate -0.5 is negative");
    EXPECT_EQ(errors[1].rfind("tarnvale: " + missing + ": ", 0), 0u);
    EXPECT_EQ(errors[2], "tarnvale: matrix: the text has the part U but not F");
    // Three objects: the stage model, the example and the default matrix, in the order given.
    const std::regex source("\"source\":\"([^\"]*)\"");
    std::vector<std::string> sources;
    for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), source);
         it != std::sregex_iterator(); ++it)
        sources.push_back((*it)[1]);
    EXPECT_EQ(sources, (std::vector<std::string> {"matrix", example("ExampleA-1.txt"), "matrix"}));
}

TEST(CommandLine, writesJsonWithExactlyTheKeysAndExactNumbers)
{
    const Outcome r = run({"--report", "--json", "--steps", "4", "--start", "first", "--matrix",
                           kDefaultMatrix, "--matrix", "0 0; 0.5 0"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::regex key("\"([A-Za-z0-9_]+)\":");
    std::vector<std::string> keys;
    for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), key);
         it != std::sregex_iterator(); ++it)
        keys.push_back((*it)[1]);
    const std::vector<std::string> object = {"source",
                                             "age_classes",
                                             "lambda",
                                             "r",
                                             "R0",
                                             "T",
                                             "doubling_time",
                                             "birth_rate",
                                             "survival_rate",
                                             "death_rate",
                                             "sad",
                                             "reproductive_values",
                                             "sensitivity",
                                             "fecundity",
                                             "survival",
                                             "elasticity",
                                             "fecundity",
                                             "survival",
                                             "eigenvalue_2_modulus",
                                             "damping_ratio",
                                             "period",
                                             "projection",
                                             "total",
                                             "growth_ratio",
                                             "distance",
                                             "convergence_time"};
    std::vector<std::string> expected = object;
    expected.insert(expected.end(), object.begin(), object.end());
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(r.out.front(), '[');
    EXPECT_EQ(r.out.substr(r.out.size() - 2), "]\n");

    // lambda read back is the analysis' own double: 17 digits lose nothing.
    const std::string lambdaText
        = std::regex_replace(r.out, std::regex("^[^]*?\"lambda\":([^,]*),[^]*$"), "$1");
    double lambda = 0;
    std::from_chars(lambdaText.data(), lambdaText.data() + lambdaText.size(), lambda);
    const tarnvale::LeslieAnalysis a
        = tarnvale::AnalyseLeslie(tarnvale::ParseLeslieMatrix(kDefaultMatrix).table);
    EXPECT_EQ(lambda, *a.lambda);
    // Nothing reproduces in the second matrix: undefined values and whole arrays are null.
    EXPECT_NE(r.out.find("\"lambda\":0,\"r\":null,\"R0\":0,\"T\":null"), std::string::npos);
    EXPECT_NE(r.out.find("\"sad\":null,\"reproductive_values\":null"), std::string::npos);
    EXPECT_NE(r.out.find("\"growth_ratio\":[0.5,0,null,null]"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("inf"), std::string::npos);
    EXPECT_EQ(r.out.find("nan"), std::string::npos);
}

TEST(CommandLine, writesCsvQuotedAsRfc4180)
{
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "cli-csv";
    std::filesystem::create_directories(dir);
    const std::string odd = (dir / "a,\"b\".txt").string();
    std::filesystem::copy_file(example("ExampleA-Bernardelli.txt"), odd,
                               std::filesystem::copy_options::overwrite_existing);
    const Outcome r = run({"--report", "--csv", "--format", "A", odd});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string quoted = "\"";
    for (char c : odd)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += "\"";
    EXPECT_EQ(r.out,
              "source,age_classes,lambda,r,R0,T,doubling_time,birth_rate,survival_rate,death_rate,"
              "eigenvalue_2_modulus,damping_ratio,period\n"
                  + quoted
                  + ",3,1,0,1,,,0.59999999999999998,0.40000000000000002,"
                    "0.59999999999999998,1,1,3\n");
}

TEST(CommandLine, textReportShowsUndefinedAndTheCycle)
{
    const Outcome r = run({"--report", "--steps", "3", "--format", "A",
                           example("ExampleA-Bernardelli.txt"), "--matrix", "0 0; 0.5 0"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("  Mean generation time T            undefined\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  Damping ratio lambda1/|lambda2|   1 (the population cycles with "
                         "period 3; the age structure does not approach the SAD)\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("convergence time (distance to the SAD <= 0.01 from then on): not "
                         "within 3 steps"),
              std::string::npos);
}

TEST(CommandLine, reportsEveryShippedExampleAndALongTable)
{
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "cli-long";
    std::filesystem::create_directories(dir);
    const std::string longTable = (dir / "long.txt").string();
    {
        std::ofstream file(longTable);
        file << "\"age,f(x),s(x)\"\n";
        for (int x = 0; x <= 200; ++x)
            file << x << ',' << (x == 0 ? 0.0 : 0.3) << ",0.5\n";
    }
    const Outcome r
        = run({"--report", "--csv", "--steps", "1000", "--format", "A", example("ExampleA-1.txt"),
               example("ExampleA-2.txt"), example("ExampleA-Bernardelli.txt"), longTable,
               "--format", "B", example("ExampleB.txt"), example("ExampleB-Barnacle.txt"),
               example("ExampleB-RiceWeevil.txt")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 8);
    EXPECT_NE(r.out.find(longTable + ",201,0.71"), std::string::npos);
}

} // namespace

// U = [0 0; 0.5 0.8], F = [0 4; 0 0] by hand: lambda1 = (0.8 + sqrt(8.64)) / 2 from
// lambda^2 - 0.8 lambda - 2 = 0; N = (I - U)^-1 = [1 0; 2.5 5], so F N = [10 20; 0 0], R0 = 10
// and the life expectancies are N's column sums, 3.5 and 5.
TEST(CommandLine, reportsAStageModelWithItsOwnKeysAndColumns)
{
    const char *split = "[U] 0 0; 0.5 0.8 [F] 0 4; 0 0";
    const Outcome json = run({"--report", "--json", "--matrix", split});
    ASSERT_EQ(json.status, 0) << json.err;
    const std::regex key("\"([A-Za-z0-9_]+)\":");
    std::vector<std::string> keys;
    for (auto it = std::sregex_iterator(json.out.begin(), json.out.end(), key);
         it != std::sregex_iterator(); ++it)
        keys.push_back((*it)[1]);
    EXPECT_EQ(keys,
              (std::vector<std::string> {"source",
                                         "model",
                                         "stages",
                                         "stage_names",
                                         "lambda",
                                         "r",
                                         "R0",
                                         "T",
                                         "doubling_time",
                                         "stable_distribution",
                                         "reproductive_values",
                                         "sensitivity",
                                         "elasticity",
                                         "eigenvalue_2_modulus",
                                         "damping_ratio",
                                         "period",
                                         "irreducible",
                                         "primitive",
                                         "ergodic",
                                         "life_expectancy"}));
    // The number after "name": and `skip` more characters ("[" of an array).
    const auto number = [&json](const std::string &name, std::size_t skip = 0) {
        const std::size_t at = json.out.find("\"" + name + "\":") + name.size() + 3 + skip;
        double value = 0;
        std::from_chars(json.out.data() + at, json.out.data() + json.out.size(), value);
        return value;
    };
    EXPECT_NEAR(number("lambda"), (0.8 + std::sqrt(8.64)) / 2, 1e-15);
    EXPECT_NEAR(number("R0"), 10, 1e-13);
    EXPECT_NEAR(number("life_expectancy", 1), 3.5, 1e-14);

    // A text of A alone is the text without its header: here a Leslie table, reported as one.
    EXPECT_EQ(run({"--report", "--json", "--matrix", "[A] 0 2; 0.5 0"}).out,
              run({"--report", "--json", "--matrix", "0 2; 0.5 0"}).out);

    // One Leslie table beside it: the stage columns follow, each line leaves empty what it lacks.
    const Outcome csv = run({"--report", "--csv", "--matrix", "0 2; 0.5 0", "--matrix", split});
    ASSERT_EQ(csv.status, 0) << csv.err;
    std::istringstream lines(csv.out);
    std::string header, leslie, stage;
    std::getline(lines, header);
    std::getline(lines, leslie);
    std::getline(lines, stage);
    EXPECT_EQ(header.substr(header.find(",period,")),
              ",period,model,stages,irreducible,primitive,ergodic");
    const auto fields = [](const std::string &line) {
        std::vector<std::string> all(1);
        for (char c : line) {
            if (c == ',')
                all.emplace_back();
            else
                all.back().push_back(c);
        }
        return all;
    };
    const std::vector<std::string> l = fields(leslie), s = fields(stage);
    ASSERT_EQ(l.size(), 18u);
    ASSERT_EQ(s.size(), 18u);
    EXPECT_EQ(std::vector<std::string>(l.begin() + 12, l.end()),
              (std::vector<std::string> {"2", "leslie", "", "", "", ""}));
    // No age classes, no rates at the SAD; the stage model's structure instead.
    for (int empty : {1, 7, 8, 9})
        EXPECT_EQ(s[static_cast<std::size_t>(empty)], "") << empty;
    EXPECT_EQ(std::vector<std::string>(s.begin() + 12, s.end()),
              (std::vector<std::string> {"1", "stage", "2", "true", "true", "true"}));
}

// The shipped sample: six published records (1 ... 6) and records made up to trip each check.
TEST(CommandLine, reportsTheChosenRecordsOfADatabaseFile)
{
    const std::string sample = example("compadre-sample.csv");
    // Record 101 holds an NA in matA: reported with its problem, the exit status still 0.
    const Outcome r
        = run({"--report", "--csv", "--ids", "2,101,6", "--format", "compadre", sample});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string header, line;
    std::getline(lines, header);
    EXPECT_EQ(header.substr(header.find(",ergodic,")),
              ",ergodic,species,citation,projection_interval,matrix_composite,problem,check_NA_A,"
              "check_NA_U,check_NA_F,check_NA_C,check_zero_U,check_zero_F,check_zero_U_colsum,"
              "check_singular_U,check_component_sum,check_ergodic,check_irreducible,"
              "check_primitive,check_surv_gte_1");
    std::vector<std::string> sources;
    while (std::getline(lines, line))
        sources.push_back(line.substr(line.find('#') + 1, line.find(',') - line.find('#') - 1));
    EXPECT_EQ(sources, (std::vector<std::string> {"2", "6", "101"}));
    EXPECT_NE(r.out.find("\"matA, row 2, column 1 is NA\",true,"), std::string::npos) << r.out;

    const Outcome whale = run({"--report", "--json", "--select", "SpeciesAccepted=Orcinus orca",
                               "--format", "compadre", sample});
    ASSERT_EQ(whale.status, 0) << whale.err;
    EXPECT_NE(whale.out.find("\"citation\":\"Brault; Caswell (1993) Ecology, 10.2307/1940073\""),
              std::string::npos)
        << whale.out;
    EXPECT_NE(whale.out.find("\"check_irreducible\":false"), std::string::npos);

    // A field the file does not have refuses the file.
    const Outcome none
        = run({"--report", "--select", "Genus=Orcinus", "--format", "compadre", sample});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err,
              "tarnvale: " + sample + ": the file has no column \"Genus\" to choose records by\n");
}

// On a terminal a long database file tells how far it has come, a line a tenth; elsewhere (a
// script's log) it says nothing.
TEST(CommandLine, tellsTheProgressOfALongDatabaseFileOnATerminalOnly)
{
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "cli-progress";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "long.csv").string();
    {
        std::ofstream file(path);
        file << "\"MatrixID\",\"matA\"\n";
        for (int i = 0; i < 3000; ++i)
            file << i << ",\"[0.5 1 0.3 0.4]\"\n";
    }
    const Outcome quiet = run({"--report", "--csv", "--format", "compadre", path});
    EXPECT_EQ(quiet.err, "");
    const Outcome told = run({"--report", "--csv", "--format", "compadre", path}, true);
    EXPECT_EQ(told.out, quiet.out);
    std::vector<std::string> lines;
    std::istringstream err(told.err);
    for (std::string line; std::getline(err, line);)
        lines.push_back(line);
    // The first 1,000 records are a third of the file (the reader reads ahead of them): every
    // tenth from then on is told once, up to 90 %.
    ASSERT_GE(lines.size(), 5u) << told.err;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string percent = std::to_string(100 - 10 * (lines.size() - k)) + "% read (";
        EXPECT_EQ(lines[k].rfind("tarnvale: " + path + ": " + percent, 0), 0u) << lines[k];
    }
}

// A sweep and a break-even join each input's report; an input the target does not fit is
// refused alone; an LTRE reports one object for two inputs of one size.
TEST(CommandLine, reportsWhatIfBesideTheAnalyses)
{
    const std::string turtle = example("StageM-LoggerheadTurtle.csv");
    const char *anton = "0 4 3; 0.5 0 0; 0 0.25 0";
    struct Case
    {
        std::vector<std::string> arguments;
        int status;
        std::string out; // a part of standard output
        std::string err;
    };
    const Case cases[] = {
        {{"--report", "--json", "--vary", "A", "--from", "0", "--to", "1", "--points", "3",
          "--matrix", anton},
         0,
         "\"period\":1,\"sweep\":{\"target\":\"A\",\"values\":[0,0.5,1],\"lambda\":[0,0.75,1.5]}}",
         ""},
        {{"--report", "--csv", "--vary", "F(0)", "--from", "0", "--to", "1", "--matrix", anton,
          "--format", "M", turtle},
         1,
         "source,value,lambda\nmatrix,0,1.5\nmatrix,0.01,",
         "tarnvale: " + turtle
             + ": F(0) is a fecundity by age, which a stage model does not have\n"},
        {{"--report", "--csv", "--break-even", "row[1]", "--matrix", anton, "--format", "M",
          turtle},
         0,
         "source,target,lambda_target,value,reason\nmatrix,row[1],1,0.4210526315789474,\n" + turtle
             + ",row[1],1,2.73180",
         ""},
        {{"--report", "--json", "--break-even", "a[1,2]", "--lambda=0.5", "--matrix", anton},
         0,
         "\"break_even\":{\"target\":\"a[1,2]\",\"lambda_target\":0.5,\"value\":null,"
         "\"reason\":\"already above 0.5 without it\"}}",
         ""},
        {{"--report", "--break-even", "A", "--matrix", anton},
         0,
         "  Break-even of A (lambda1 >= 1): k = 0.666666666666667, harvest h = 1 \u2212 k = "
         "0.333333333333333",
         ""},
        {{"--report", "--json", "--ltre", "--matrix", anton, "--matrix", anton},
         0,
         "[\n{\"sources\":[\"matrix\",\"matrix\"],\"lambda\":[1.5,1.5],\"ltre\":{"
         "\"contributions\":[[0,0,0],[0,0,0],[0,0,0]],\"sum\":0,\"lambda_difference\":0}}\n]\n",
         ""},
        {{"--report", "--csv", "--ltre", "--matrix", anton, "--format", "M", turtle},
         1,
         "row,column,contribution\n",
         "tarnvale: " + turtle + ": the matrix is 7 x 7 where the first is 3 x 3\n"},
    };
    for (const Case &c : cases) {
        const Outcome r = run(c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments[2];
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        EXPECT_EQ(r.err, c.err);
    }
    // Every key of the analysis stays; the sweep's lambda at the present value is the report's.
    const Outcome sweep = run({"--report", "--json", "--vary", "U", "--from", "0.5", "--to", "1",
                               "--points", "2", "--format", "M", example("StageM-Teasel.csv")});
    ASSERT_EQ(sweep.status, 0) << sweep.err;
    const std::string lambda
        = std::regex_replace(sweep.out, std::regex("^[^]*?\"lambda\":([^,]*),[^]*$"), "$1");
    EXPECT_NE(sweep.out.find("\"life_expectancy\":"), std::string::npos);
    EXPECT_NE(sweep.out.find("\"values\":[0.5,1],\"lambda\":["), std::string::npos);
    EXPECT_TRUE(sweep.out.ends_with("," + lambda + "]}}\n]\n")) << sweep.out;
}

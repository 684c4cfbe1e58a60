// Every byte the command line prints, for every shipped example, every output form and option,
// compared with a recording. A change of what is printed shows here as a diff of the recording:
// rewrite it with TARNVALE_UPDATE_GOLDEN=1 and say in the commit why the output changed.
#include "cli/commandline.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kExamples = TARNVALE_EXAMPLES_DIR;
const std::string kGolden = TARNVALE_GOLDEN_FILE;
// The examples' folder differs from machine to machine; the recording names it so.
const std::string kPlaceholder = "@EXAMPLES@";

std::string replaceAll(std::string text, const std::string &from, const std::string &to)
{
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Each invocation is its arguments; the recording keeps them tab-separated.
std::vector<std::vector<std::string>> invocations()
{
    const std::vector<std::pair<std::string, std::string>> files
        = {{"A", "ExampleA-1.txt"},
           {"A", "ExampleA-2.txt"},
           {"A", "ExampleA-Bernardelli.txt"},
           {"B", "ExampleB.txt"},
           {"B", "ExampleB-Barnacle.txt"},
           {"B", "ExampleB-RiceWeevil.txt"},
           {"M", "StageM-LoggerheadTurtle.csv"},
           {"M", "StageM-KillerWhale.csv"},
           {"M", "StageM-Teasel.csv"},
           {"compadre", "compadre-sample.csv"}};
    const std::vector<std::string> matrices = {"0 1 2 1; 0.5 0 0 0; 0 1 0 0; 0 0 0.5 0",
                                               "0 0 6; 0.5 0 0; 0 0.33333333333333331 0",
                                               "1.5",
                                               "0 0; 0.5 0",
                                               "0, 2.5, 1e-3; 0.25, 0, 0; 0 0.5 0",
                                               "0 4 3; 0.5 0 0; 0 0.25 0",
                                               "1e300 1e300; 1e300 0",
                                               "0 1; -0.5 0",
                                               "0 1; 0.5 0.5",
                                               "1 2; 3",
                                               "",
                                               "[U] 0 0; 0.5 0.8 [F] 0 4; 0 0",
                                               "0 0 1; 1 0 0; 0 1 0",
                                               "0 0; 0 0"};
    const std::vector<std::vector<std::string>> options = {
        {}, {"--steps", "12"}, {"--steps", "40", "--start", "sad"}, {"--steps=3", "--start=first"}};
    std::vector<std::vector<std::string>> all;
    for (const char *output : {"", "--json", "--csv"}) {
        for (const auto &option : options) {
            std::vector<std::string> base = {"--report"};
            if (*output)
                base.push_back(output);
            base.insert(base.end(), option.begin(), option.end());
            for (const auto &[format, name] : files) {
                // The database sample's records project as any stage model: once is enough.
                if (format == "compadre" && !option.empty())
                    continue;
                std::vector<std::string> arguments = base;
                arguments.insert(arguments.end(), {"--format", format, kPlaceholder + "/" + name});
                all.push_back(arguments);
            }
            for (const std::string &matrix : matrices) {
                std::vector<std::string> arguments = base;
                arguments.insert(arguments.end(), {"--matrix", matrix});
                all.push_back(arguments);
            }
            // Mixed inputs in one run, a refused one among them: the order is kept.
            std::vector<std::string> mixed = base;
            mixed.insert(mixed.end(),
                         {"--matrix", matrices[0], "--format", "B", kPlaceholder + "/ExampleB.txt",
                          kPlaceholder + "/missing.txt", "--matrix", matrices[7], "--format", "A",
                          kPlaceholder + "/ExampleA-1.txt", "--",
                          kPlaceholder + "/ExampleA-2.txt"});
            all.push_back(mixed);
        }
    }
    all.push_back({"--help"});
    all.push_back({"--report"});
    all.push_back({"--report", "--json", "--csv", "--matrix", "1"});
    all.push_back({"--report", "--format", "C", "x"});

    // "What if": sweeps, break-even values (found, unreachable, refused) and LTREs.
    const std::string anton = matrices[5], turtle = kPlaceholder + "/StageM-LoggerheadTurtle.csv";
    const std::vector<std::vector<std::string>> whatIf = {
        {"--vary", "A", "--from", "0", "--to", "1", "--points", "5", "--matrix", anton},
        {"--vary", "a[2,3]", "--from", "0", "--to", "1", "--points", "3", "--matrix", anton},
        {"--vary", "F(1)", "--from", "0", "--to", "8", "--points", "3", "--format", "A",
         kPlaceholder + "/ExampleA-Bernardelli.txt"},
        {"--vary", "row[1]", "--from", "1", "--to", "3", "--points", "3", "--format", "M", turtle},
        {"--vary", "U", "--from", "0.5", "--to", "1.5", "--points", "3", "--format", "M",
         kPlaceholder + "/StageM-Teasel.csv", "--matrix", anton},
        {"--break-even", "A", "--matrix", anton, "--format", "M", turtle},
        {"--break-even", "row[1]", "--matrix", anton, "--format", "M", turtle},
        {"--break-even", "s(0)", "--lambda", "1.2", "--format", "A",
         kPlaceholder + "/ExampleA-1.txt", "--format", "M", turtle},
        {"--break-even", "a[1,2]", "--lambda", "0.5", "--matrix", anton, "--matrix",
         "0.5 0; 0.3 0.2", "--matrix", "0 1 5; 0 0 0; 0 0.5 0"},
        {"--break-even", "a[2,1]", "--matrix", "0.5 0; 0.3 0.2", "--matrix",
         "[U] 0 0; 0.5 0.8 [F] 0 4; 0 0"},
        {"--ltre", "--matrix", anton, "--matrix", "0 4 3.2; 0.55 0 0; 0 0.25 0"},
        {"--ltre", "--format", "M", turtle, "--matrix", anton},
        {"--ltre", "--matrix", "1 1; 1 1", "--matrix", "0 1; 1 0"},
        {"--vary", "b", "--from", "0", "--to", "1", "--matrix", anton},
        {"--ltre", "--matrix", anton},
    };
    for (const char *output : {"", "--json", "--csv"}) {
        for (const auto &arguments : whatIf) {
            std::vector<std::string> invocation = {"--report"};
            if (*output)
                invocation.push_back(output);
            invocation.insert(invocation.end(), arguments.begin(), arguments.end());
            all.push_back(invocation);
        }
    }
    return all;
}

std::string record(const std::vector<std::string> &arguments)
{
    std::vector<std::string> real = {"tarnvale"};
    for (const std::string &argument : arguments)
        real.push_back(replaceAll(argument, kPlaceholder, kExamples));
    std::vector<char *> argv;
    for (std::string &argument : real)
        argv.push_back(argument.data());
    std::ostringstream out, err;
    const int status
        = tarnvale::cli::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
    std::string line = "===";
    for (const std::string &argument : arguments)
        line += "\t" + argument;
    return replaceAll(line + "\nstatus " + std::to_string(status) + "\n--- out\n" + out.str()
                          + "--- err\n" + err.str(),
                      kExamples, kPlaceholder);
}

TEST(Reports, printExactlyWhatWasRecorded)
{
    std::vector<std::string> records;
    for (const auto &arguments : invocations())
        records.push_back(record(arguments));
    if (std::getenv("TARNVALE_UPDATE_GOLDEN")) {
        std::ofstream file(kGolden, std::ios::binary);
        for (const std::string &r : records)
            file << r;
        GTEST_SKIP() << "recorded " << records.size() << " invocations in " << kGolden;
    }
    std::ifstream file(kGolden, std::ios::binary);
    ASSERT_TRUE(file) << kGolden;
    std::stringstream recorded;
    recorded << file.rdbuf();
    // Compared invocation by invocation, so that a failure names the one that differs.
    const std::string text = recorded.str();
    std::vector<std::string> expected;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t next = text.find("\n===\t", at);
        const std::size_t end = next == std::string::npos ? text.size() : next + 1;
        expected.push_back(text.substr(at, end - at));
        at = end;
    }
    ASSERT_EQ(records.size(), expected.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(records[i], expected[i]);
}

} // namespace

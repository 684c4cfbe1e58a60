#include "io/sweepdata.h"

#include <gtest/gtest.h>

namespace tarnvale {
namespace {

// Each value reads back as the same double; an undefined lambda1 is an empty field.
TEST(SweepFileText, WritesEveryPointExactlyAndUndefinedAsEmpty)
{
    Sweep sweep;
    sweep.values = {0, 0.1, 1.0 / 3, 2};
    sweep.lambda = {std::nullopt, 0.1 + 0.2, 1.0, 1e-300};
    EXPECT_EQ(SweepFileText(sweep),
              "value,lambda1\r\n"
              "0,\r\n"
              "0.10000000000000001,0.30000000000000004\r\n"
              "0.33333333333333331,1\r\n"
              "2,1e-300\r\n");
    EXPECT_EQ(SweepFileText(Sweep {}), "value,lambda1\r\n");
}

TEST(ExportSweep, NamesTheFileThatCannotBeWritten)
{
    const ExportResult result = ExportSweep("/nonexistent-folder/sweep.csv", Sweep {});
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("/nonexistent-folder/sweep.csv"), std::string::npos)
        << result.message;
}

} // namespace
} // namespace tarnvale

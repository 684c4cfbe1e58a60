#include "core/modelchecks.h"

#include "core/numbertext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace tarnvale;

namespace {

// "2: 1 NA 3 4" (the stages, then the entries), "none" or "missing".
std::string shown(const RecordMatrixText &text)
{
    if (!text.matrix)
        return text.missing ? "missing" : "none";
    std::string s = std::to_string(text.matrix->n) + ":";
    for (const auto &entry : text.matrix->entries)
        s += " " + (entry ? NumberToText(*entry) : std::string("NA"));
    return s;
}

// The checks in their order as letters, T true, F false, - empty, blanks ignored.
std::string letters(const ModelCheckValues &values)
{
    std::string s;
    for (const auto &value : values)
        s += value ? (*value ? 'T' : 'F') : '-';
    return s;
}

} // namespace

TEST(ModelChecks, matrixTextsGiveTheirEntriesOrSayWhy)
{
    struct Case
    {
        std::string text, matrix, problem;
    };
    const Case cases[] = {
        {"[0 1.5 0.5 0.5]", "2: 0 1.5 0.5 0.5", ""},
        {"[1e-04 1.5e+05 0 2]", "2: 0.0001 150000 0 2", ""}, // as R writes numbers
        {" [1\t2;3  4] ", "2: 1 2 3 4", ""},
        {"1 2 3 4", "2: 1 2 3 4", ""},
        {"[0.5]", "1: 0.5", ""},
        {"[1 NA 3 4]", "2: 1 NA 3 4", "row 1, column 2 is NA"},
        {"[NA]", "1: NA", "row 1, column 1 is NA"},
        {"[1 -2 x 4]", "2: 1 -2 NA 4", "row 1, column 2: -2 is negative"},
        {"[1 2 Inf 4]", "2: 1 2 NA 4", "row 2, column 1: \"Inf\" is not a finite decimal number"},
        {"[1 2 3 1e999]", "2: 1 2 3 NA",
         "row 2, column 2: \"1e999\" is not a finite decimal number"},
        {"[1 2 3]", "none", "holds 3 entries, not a square number"},
        {"[]", "missing", "is missing"},
        {"", "missing", "is missing"},
        {"NA", "missing", "is missing"},
    };
    for (const Case &c : cases) {
        const RecordMatrixText text = ParseRecordMatrix(c.text);
        EXPECT_EQ(shown(text), c.matrix) << c.text.substr(0, 40);
        EXPECT_EQ(text.problem, c.problem) << c.text.substr(0, 40);
    }
    std::string big = "[";
    for (int k = 0; k < 501 * 501; ++k)
        big += "0 ";
    EXPECT_EQ(ParseRecordMatrix(big + "]").problem, "has 501 stages, more than 500");
}

// Each record trips the check its name gives and, where cdb_flag's definitions allow, no other.
TEST(ModelChecks, eachCheckTripsOnTheRecordMadeForIt)
{
    struct Case
    {
        const char *name, *a, *u, *f, *c;
        // NA_A NA_U NA_F NA_C | zero_U zero_F | zero_U_colsum | singular_U | component_sum |
        // ergodic irreducible primitive | surv_gte_1
        const char *expected;
    };
    const Case cases[] = {
        {"sound", "[0 1.5 0.5 0.5]", "[0 0 0.5 0.5]", "[0 1.5 0 0]", "[0 0 0 0]",
         "FFFF FF F F T TTT F"},
        {"C all NA", "[0 1.5 0.5 0.5]", "[0 0 0.5 0.5]", "[0 1.5 0 0]", "[NA NA NA NA]",
         "FFFT FF F F T TTT F"},
        {"no C", "[0 1.5 0.5 0.5]", "[0 0 0.5 0.5]", "[0 1.5 0 0]", "", "FFFT FF F F T TTT F"},
        // An "NA" in A or a part cannot equal the number on the other side.
        {"NA in A", "[0 1.5 NA 0.5]", "[0 0 0.5 0.5]", "[0 1.5 0 0]", "[0 0 0 0]",
         "TFFF FF F F F --- F"},
        {"A not square", "[0 1.5 0.5]", "[0 0 0.5 0.5]", "[0 1.5 0 0]", "[0 0 0 0]",
         "TFFF FF F F F --- F"},
        {"NA in U", "[0.1 1.5 0.5 0.5]", "[0.1 0 NA 0.5]", "[0 1.5 0 0]", "[0 0 0 0]",
         "FTFF FF F - F TTT F"},
        {"NA in F", "[0 1.5 0.5 0.5]", "[0 0 0.5 0.5]", "[0 1.5 NA 0]", "[0 0 0 0]",
         "FFTF FF F F F TTT F"},
        // A zero U has zero column sums too.
        {"zero U", "[0 1.5 0.5 0.5]", "[0 0 0 0]", "[0 1.5 0.5 0.5]", "[0 0 0 0]",
         "FFFF TF T F T TTT F"},
        {"zero F", "[0.2 0.3 0.5 0.4]", "[0.2 0.3 0.5 0.4]", "[0 0 0 0]", "[0 0 0 0]",
         "FFFF FT F F T TTT F"},
        {"zero column of U", "[0.1 1.5 0.5 0]", "[0 0 0.5 0]", "[0.1 1.5 0 0]", "[0 0 0 0]",
         "FFFF FF T F T TTT F"},
        // I - U with a zero pivot; and one whose columns sum to 0 only up to rounding (U keeps
        // every individual: its columns sum to 1).
        {"U singular", "[0.5 1.5 0.5 0.5]", "[0.5 0.5 0.5 0.5]", "[0 1 0 0]", "[0 0 0 0]",
         "FFFF FF F T T TTT F"},
        {"U without death", "[0.1 0.6 2.3 0.2 0.3 0.3 0.7 0.1 0.4]",
         "[0.1 0.6 0.3 0.2 0.3 0.3 0.7 0.1 0.4]", "[0 0 2 0 0 0 0 0 0]", "", "FFFT FF F T T TTT F"},
        {"parts do not add up", "[0 1.6 0.5 0.5]", "[0 0 0.5 0.5]", "[0 1.5 0 0]", "[0 0 0 0]",
         "FFFF FF F F F TTT F"},
        {"1e-8 apart", "[0 1.500000015 0.5 0.5]", "[0 0 0.5 0.5]", "[0 1.5 0 0]", "[0 0 0 0]",
         "FFFF FF F F T TTT F"},
        {"2e-8 apart", "[0 1.50000003 0.5 0.5]", "[0 0 0.5 0.5]", "[0 1.5 0 0]", "[0 0 0 0]",
         "FFFF FF F F F TTT F"},
        {"not split", "[0 1.5 0.5 0.5]", "[NA NA NA NA]", "[NA NA NA NA]", "[NA NA NA NA]",
         "FTTT TT T - - TTT -"},
        {"parts of another size", "[0 1.5 0.5 0.5]", "[0.5]", "[1]", "", "FFFT FF F F F TTT F"},
        // Stage 2 never returns to stage 1, but every stage leads to the dominant one.
        {"reducible", "[0.5 1 0 0.2]", "[0.5 0 0 0.2]", "[0 1 0 0]", "[0 0 0 0]",
         "FFFF FF F F T TFF F"},
        {"period 2", "[0 1.8 0.5 0]", "[0 0.3 0.5 0]", "[0 1.5 0 0]", "[0 0 0 0]",
         "FFFF FF F F T TTF F"},
        // Stage 2 never reaches stage 1, which alone grows at 0.9: its reproductive value is 0.
        {"not ergodic", "[0.9 0 0.5 0.5]", "[0.4 0 0.5 0.5]", "[0.5 0 0 0]", "[0 0 0 0]",
         "FFFF FF F F T FFF F"},
        {"survival 1", "[0 1.5 1 0.5]", "[0 0 1 0.5]", "[0 1.5 0 0]", "[0 0 0 0]",
         "FFFF FF F F T TTT T"},
    };
    for (const Case &c : cases) {
        const RecordMatrices matrices {ParseRecordMatrix(c.a).matrix, ParseRecordMatrix(c.u).matrix,
                                       ParseRecordMatrix(c.f).matrix,
                                       ParseRecordMatrix(c.c).matrix};
        std::string expected = c.expected;
        expected.erase(std::remove(expected.begin(), expected.end(), ' '), expected.end());
        EXPECT_EQ(letters(RunModelChecks(matrices)), expected) << c.name;
    }
}

TEST(ModelChecks, areCdbFlagsChecksInItsOrderWithTheirWorryingValues)
{
    std::string names, worryingValues;
    for (const ModelCheck &check : ModelChecks()) {
        names += std::string(check.name) + " ";
        worryingValues += IsWorrying(check, true) ? 'T' : IsWorrying(check, false) ? 'F' : '?';
        EXPECT_FALSE(IsWorrying(check, std::nullopt)) << check.name;
        EXPECT_EQ(ModelCheckIndex(check.name), &check - ModelChecks().data());
    }
    EXPECT_EQ(names,
              "check_NA_A check_NA_U check_NA_F check_NA_C check_zero_U check_zero_F "
              "check_zero_U_colsum check_singular_U check_component_sum check_ergodic "
              "check_irreducible check_primitive check_surv_gte_1 ");
    EXPECT_EQ(worryingValues, "TTTTTTTTFFFFT");
    EXPECT_EQ(ModelCheckIndex("check_NA"), std::nullopt);
}

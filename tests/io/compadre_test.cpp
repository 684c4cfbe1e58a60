#include "io/compadre.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <set>
#include <sstream>
#include <string>

#include <unistd.h>

using namespace tarnvale;
namespace fs = std::filesystem;

// Every allocation of this test program is counted, so that the streaming test can see whether
// the reader keeps anything of the records it has handed out (the array forms end here too).
static std::atomic<long> liveAllocations {0};
void *operator new(std::size_t size)
{
    void *p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    ++liveAllocations;
    return p;
}
void operator delete(void *p) noexcept
{
    if (p) {
        --liveAllocations;
        std::free(p);
    }
}
void operator delete(void *p, std::size_t) noexcept
{
    operator delete(p);
}
// The nothrow form (std::stable_sort's buffer) must end in the same delete.
void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    void *p = std::malloc(size ? size : 1);
    if (p)
        ++liveAllocations;
    return p;
}
void operator delete(void *p, const std::nothrow_t &) noexcept
{
    operator delete(p);
}

namespace {

const std::string kHeader = "\"\",\"MatrixID\",\"SpeciesAccepted\",\"Authors\",\"Journal\","
                            "\"YearPublication\",\"DOI_ISBN\",\"matA\",\"matU\",\"matF\",\"matC\","
                            "\"MatrixClassAuthor\",\"Extra\"";
// A sound record's matrices and stage names.
const std::string kParts
    = "\"[0 1.5 0.5 0.5]\",\"[0 0 0.5 0.5]\",\"[0 1.5 0 0]\",\"[0 0 0 0]\",\"[Small||Large]\"";

// A folder of the test's own, removed afterwards.
struct Folder
{
    fs::path path = fs::temp_directory_path() / ("tarnvale-compadre-" + std::to_string(::getpid()));
    Folder() { fs::create_directories(path); }
    ~Folder() { fs::remove_all(path); }
    std::string write(const std::string &name, const std::string &content) const
    {
        std::ofstream(path / name, std::ios::binary) << content;
        return (path / name).string();
    }
};

// What a record gives, in a line: its source, species, model or problem, note and the checks
// that signal a problem.
std::string summary(const CompadreRecord &r)
{
    std::string s = r.source + " | " + r.species + " | ";
    if (r.model) {
        s += std::to_string(r.model->stages()) + " stages";
        if (r.model->split())
            s += r.model->c ? ", U F C" : ", U F";
        for (const std::string &name : r.model->names)
            s += (&name == &r.model->names.front() ? ", " : "/") + name;
    } else {
        s += "problem: " + r.problem;
    }
    if (!r.note.empty())
        s += " | note: " + r.note;
    for (std::size_t i = 0; i < kModelCheckCount; ++i)
        if (IsWorrying(ModelChecks()[i], r.checks[i]))
            s += " | " + std::string(ModelChecks()[i].name.substr(6));
    return s;
}

// A record line of kHeader with metadata "s", "b", "c", "d", "e" and the given matrices.
const std::string kA = "[0 1.5 0.5 0.5]", kU = "[0 0 0.5 0.5]", kF = "[0 1.5 0 0]",
                  kC = "[0 0 0 0]", kNA = "[NA NA NA NA]";

std::string record(int id, const std::string &a, const std::string &u = kU,
                   const std::string &f = kF, const std::string &c = kC,
                   const std::string &names = "[Small||Large]")
{
    const std::string n = std::to_string(id);
    return "\"" + n + "\"," + n + ",\"s\",\"b\",\"c\",\"d\",\"e\",\"" + a + "\",\"" + u + "\",\""
        + f + "\",\"" + c + "\",\"" + names + "\",\"x\"";
}

} // namespace

TEST(CompadreReader, readsEachLineAsItsFieldsAndMatricesSay)
{
    struct Case
    {
        std::string line, expected; // expected empty: the line gives no record
    };
    const Case cases[] = {
        {"\"1\",238,\"Caretta caretta\",\"b\",\"c\",\"d\",\"e\"," + kParts + ",\"x\"",
         "f#238 | Caretta caretta | 2 stages, U F C, Small/Large"},
        // Commas and doubled quotes inside quotes, unquoted fields, a CR LF line end.
        {"2,7,\"Say \"\"hi\"\", then, go\",b,c,d,e," + kParts + ",x\r",
         "f#7 | Say \"hi\", then, go | 2 stages, U F C, Small/Large"},
        {"3,NA,,b,c,d,e," + kParts + ",", "f:line 4 |  | 2 stages, U F C, Small/Large"},
        {"", ""},
        {record(6, "[0 1.5 NA 0.5]"),
         "f#6 | s | problem: matA, row 2, column 1 is NA | NA_A | component_sum"},
        {record(7, "[0 1.5 0.5]"),
         "f#7 | s | problem: matA holds 3 entries, not a square number | NA_A | component_sum"},
        {record(8, "[0 -1.5 0.5 0.5]"),
         "f#8 | s | problem: matA, row 1, column 2: -1.5 is negative | component_sum | irreducible "
         "| primitive"},
        {record(9, kA, kU, kF, kC, "[A, \"\"B\"\"||C]"), "f#9 | s | 2 stages, U F C, A, \"B\"/C"},
        {record(10, ""), "f#10 | s | problem: matA is missing | NA_A | component_sum"},
        {record(11, kA, kNA, kNA, kNA),
         "f#11 | s | 2 stages, Small/Large | NA_U | NA_F | NA_C | zero_U | zero_F | zero_U_colsum"},
        {record(12, kA, "[NA 0 0.5 0.5]"),
         "f#12 | s | 2 stages, Small/Large | note: matU, row 1, column 1 is NA | NA_U | "
         "component_sum"},
        {record(13, kA, kU, kNA),
         "f#13 | s | 2 stages, Small/Large | note: matF is not given | NA_F | zero_F | "
         "component_sum"},
        {record(14, kA, "[0.5]"),
         "f#14 | s | 2 stages, Small/Large | note: matU has 1 stage, matA 2 | component_sum"},
        {record(15, kA, "[0 0 -0.5 0.5]"),
         "f#15 | s | 2 stages, Small/Large | note: matU, row 2, column 1: -0.5 is negative | "
         "component_sum"},
        {record(16, "[0 1.6 0.5 0.5]"), "f#16 | s | 2 stages, U F C, Small/Large | component_sum"},
        {record(17, kA, kU, kF, kNA), "f#17 | s | 2 stages, U F, Small/Large | NA_C"},
        {record(18, kA, kU, kF, kC, "[Small||Medium||Large]"), "f#18 | s | 2 stages, U F C"},
        {record(19, kA, kU, kF, kC, "[Small||NA]"), "f#19 | s | 2 stages, U F C"},
        {"20,20,\"s,b,c",
         "f:line 20 |  | problem: line 20 opens a double quote in field 3 that is not closed on "
         "the line"},
        {"21,21,\"s\"x,b",
         "f:line 21 |  | problem: line 21 has text after the closing double quote of field 3"},
        {"22,22,s", "f:line 22 |  | problem: line 22 has 3 fields; the header has 13"},
        {record(23, kA) + ",y", "f:line 23 |  | problem: line 23 has 14 fields; the header has 13"},
        {"24,24,\"" + std::string(kMaxFlatFieldLength + 1, 's') + "\"",
         "f:line 24 |  | problem: line 24 holds a field longer than 8388608 characters (field 3)"},
        {"25,25,s,b,c,d,e,[0 1.5 0.5 0.5],[0 0 0.5 0.5],[0 1.5 0 0],[0 0 0 0],[Small||Large],x",
         "f#25 | s | 2 stages, U F C, Small/Large"},
    };
    std::string file = kHeader + "\n";
    for (const Case &c : cases)
        file += c.line + "\n";
    file.pop_back(); // the last line ends with the file

    std::istringstream in(file);
    CompadreReader reader;
    ASSERT_TRUE(reader.open(in, "f").ok);
    for (const Case &c : cases) {
        if (c.expected.empty())
            continue;
        const std::optional<CompadreRecord> record = reader.next();
        ASSERT_TRUE(record) << c.expected;
        EXPECT_EQ(summary(*record), c.expected);
        if (record->line == 2) {
            EXPECT_EQ(record->citation, "b (d) c, e");
            std::string metadata;
            for (const auto &[column, value] : record->metadata)
                metadata += column + "=" + value + " ";
            EXPECT_EQ(metadata,
                      "Authors=b DOI_ISBN=e Extra=x Journal=c MatrixID=238 SpeciesAccepted=Caretta "
                      "caretta YearPublication=d ");
        }
    }
    EXPECT_FALSE(reader.next());
    EXPECT_EQ(reader.linesRead(), 25u);
    EXPECT_EQ(reader.bytesRead(), file.size());
    EXPECT_EQ(reader.columns().size(), 13u);
    EXPECT_EQ(reader.columns()[11], "MatrixClassAuthor");
}

TEST(CompadreReader, citesWhatIsPresent)
{
    struct Case
    {
        const char *authors, *year, *journal, *doi, *citation;
    };
    const Case cases[] = {
        {"Crouse; Crowder; Caswell", "1987", "Ecology", "10.2307/1939225",
         "Crouse; Crowder; Caswell (1987) Ecology, 10.2307/1939225"},
        {"Bernardelli", "1941", "J Burma Res Soc", "NA", "Bernardelli (1941) J Burma Res Soc"},
        {"A", "NA", "Ecology", "", "A Ecology"},
        {"", "1987", "Ecology", "10.1/x", "(1987) Ecology, 10.1/x"},
        {"Birch", "", "", "10.2307/1605", "Birch, 10.2307/1605"},
        {"", "", "", "10.1/x", "10.1/x"},
        {" A ", " 1987", "", "", "A (1987)"},
        {"NA", "NA", "NA", "NA", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CompadreCitation(c.authors, c.year, c.journal, c.doi), c.citation);
}

TEST(CompadreReader, refusesWhatIsNotSuchAFileAndTakesColumnsInAnyOrder)
{
    const Folder folder;
    const std::string dir = folder.path.string();
    const struct
    {
        std::string path, message;
    } refusals[] = {
        {folder.write("a.csv", "\"x\",\"matU\"\n1,[1]\n"),
         "has no column \"matA\", so it is not a flat file of COMPADRE or COMADRE as Rcompadre's "
         "cdb_flatten and write.csv write one."},
        {dir, "is a folder, not a file."},
        {folder.write("empty.csv", "\n\r\n"), "is empty."},
        {dir + "/none.csv", "does not exist."},
    };
    CompadreReader reader;
    for (const auto &r : refusals) {
        const CompadreOpen opened = reader.open(r.path);
        EXPECT_FALSE(opened.ok);
        EXPECT_EQ(opened.message,
                  (r.path == dir ? "\"" : "The file \"") + r.path + "\" " + r.message);
        EXPECT_FALSE(reader.next());
    }
    const std::string g
        = folder.write("g.csv", "\xEF\xBB\xBF\"matA\",\"SpeciesAccepted\"\r\n\"[2]\",Solo");
    ASSERT_TRUE(reader.open(g).ok);
    EXPECT_EQ(
        summary(*reader.next()),
        g + ":line 2 | Solo | 1 stages | NA_U | NA_F | NA_C | zero_U | zero_F | zero_U_colsum");
}

// A reader that kept what it has handed out would hold one more allocation for each record.
TEST(CompadreReader, readsAHundredThousandRecordsInTheSameMemory)
{
    const Folder folder;
    const std::string path = (folder.path / "many.csv").string();
    {
        std::ofstream out(path, std::ios::binary);
        out << kHeader << "\n";
        for (int i = 0; i < 100000; ++i)
            out << record(100000 + i, kA) << "\n";
    }
    CompadreReader reader;
    ASSERT_TRUE(reader.open(path).ok);
    long records = 0, settled = 0, most = 0;
    while (const std::optional<CompadreRecord> r = reader.next()) {
        ++records;
        ASSERT_TRUE(r->model);
        if (records == 1000)
            settled = liveAllocations;
        else if (records > 1000)
            most = std::max(most, liveAllocations.load());
    }
    EXPECT_EQ(records, 100000);
    EXPECT_LE(most, settled);
}

TEST(CompadreReader, readsTheSampleWhereEveryCheckTrips)
{
    CompadreReader reader;
    const std::string path = std::string(TARNVALE_EXAMPLES_DIR) + "/compadre-sample.csv";
    ASSERT_TRUE(reader.open(path).ok);
    std::set<std::string_view> tripped;
    int published = 0;
    while (const std::optional<CompadreRecord> r = reader.next()) {
        for (std::size_t i = 0; i < kModelCheckCount; ++i)
            if (IsWorrying(ModelChecks()[i], r->checks[i]))
                tripped.insert(ModelChecks()[i].name);
        if (!r->species.starts_with("test record")) {
            ++published;
            EXPECT_TRUE(r->model && r->model->split() && !r->model->names.empty()) << r->source;
            EXPECT_NE(r->citation, "") << r->source;
        }
    }
    EXPECT_EQ(tripped.size(), kModelCheckCount);
    EXPECT_EQ(published, 6);
}

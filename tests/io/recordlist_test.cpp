#include "io/recordlist.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <unistd.h>

using namespace tarnvale;
namespace fs = std::filesystem;

namespace {

const std::string kSample = std::string(TARNVALE_EXAMPLES_DIR) + "/compadre-sample.csv";

std::string joined(const RecordRow &row)
{
    std::string s = row.texts[0];
    for (std::size_t i = 1; i < row.texts.size(); ++i)
        s += " | " + row.texts[i];
    return s;
}

RecordRow rowOf(std::vector<std::string> texts, std::size_t number = 0)
{
    RecordRow row;
    row.number = number;
    std::copy(texts.begin(), texts.end(), row.texts.begin());
    std::string all;
    for (const std::string &text : row.texts)
        all += text + '\n';
    row.folded = CaseFolded(all);
    return row;
}

std::vector<std::string> speciesOf(const std::vector<RecordRow> &rows,
                                   const std::vector<std::size_t> &places)
{
    std::vector<std::string> species;
    for (std::size_t i : places)
        species.push_back(rows[i].text(RecordColumn::Species));
    return species;
}

} // namespace

TEST(RecordList, listsTheSampleAsTheCommandLineReportsIt)
{
    const RecordList list = ReadRecordList(kSample);
    ASSERT_TRUE(list.ok) << list.message;
    ASSERT_EQ(list.rows.size(), 21u);
    const std::pair<std::size_t, const char *> rows[]
        = {{1,
            "Orcinus orca | Killer whale | Brault; Caswell | 1993 | 4 | 1 | 1.02544132553035 | "
            "\u26a0 | "},
           {3, " | Bernardelli's beetle | Bernardelli | 1941 | 3 | 1 | 1 | \u26a0 | "},
           {6,
            "test record: trips check_NA_A |  |  |  |  | 1 | undefined | \u26a0 | matA, row 2, "
            "column 1 is NA"},
           {20,
            "test record: matA is not square |  |  |  |  | 1 | undefined | \u26a0 | matA holds 3 "
            "entries, not a square number"}};
    for (const auto &[i, texts] : rows) {
        EXPECT_EQ(joined(list.rows[i]), texts) << i;
        EXPECT_EQ(list.rows[i].number, i);
    }
    EXPECT_EQ(list.rows[1].worrying,
              "check_ergodic false, check_irreducible false, "
              "check_primitive false");
    EXPECT_EQ(RecordRowNoteText(list.rows[6]),
              "This record cannot be loaded: matA, row 2, column 1 is NA.\n"
              "Worrying checks: check_NA_A true, check_component_sum false");
    EXPECT_EQ(RecordRowNoteText(list.rows[0]), "");
    EXPECT_FALSE(ReadRecordList(kSample + ".none").ok);
    EXPECT_FALSE(IsDatabaseFile(std::string(TARNVALE_EXAMPLES_DIR) + "/StageM-Teasel.csv"));
}

TEST(RecordList, filtersOnEveryTextWhateverTheCase)
{
    const RecordList list = ReadRecordList(kSample);
    const std::vector<std::size_t> all = RecordRowOrder(list.rows, std::nullopt, false);
    const auto found
        = [&](std::string_view filter) { return FilterRecordRows(list.rows, all, filter).size(); };
    EXPECT_EQ(speciesOf(list.rows, FilterRecordRows(list.rows, all, "orca")),
              std::vector<std::string> {"Orcinus orca"});
    const std::pair<const char *, std::size_t> cases[]
        = {{"", 21},      {"  ", 21},         {" CASWELL ", 3}, {"whale", 1},
           {"1993", 1},   {"undefined", 2},   {"\u26a0", 20},   {"check_ergodic false", 2},
           {"square", 1}, {"caswell\n19", 0}, {"zzz", 0}};
    for (const auto &[filter, count] : cases)
        EXPECT_EQ(found(filter), count) << filter;
    const std::vector<RecordRow> named = {rowOf({"Primula", "", "Ehrl\u00e9n"}), rowOf({"\u00c6"})};
    EXPECT_EQ(FilterRecordRows(named, {0, 1}, "EHRL\u00c9N"), std::vector<std::size_t> {0});
    EXPECT_EQ(FilterRecordRows(named, {1, 0}, "\u00e6"), std::vector<std::size_t> {1});
    EXPECT_EQ(RecordCountText(21, 21) + ", " + RecordCountText(3, 21) + ", "
                  + RecordCountText(1, 1),
              "21 records, 3 of 21 records, 1 record");
}

TEST(RecordList, sortsNumbersAsNumbersAndKeepsBlanksLast)
{
    // Random rows; the order is checked pair by pair against the rule read from the texts.
    std::mt19937 random(11);
    const char *const texts[] = {"", "undefined", "2", "10", "1.5", "1E-05", "abc", "Abd", "b"};
    std::vector<RecordRow> rows;
    for (std::size_t i = 0; i < 300; ++i) {
        std::vector<std::string> row(kRecordColumnCount);
        for (std::string &text : row)
            text = texts[random() % std::size(texts)];
        rows.push_back(rowOf(row, i));
    }
    for (const RecordColumn column :
         {RecordColumn::Species, RecordColumn::Year, RecordColumn::Lambda1, RecordColumn::Checks})
        for (const bool descending : {false, true}) {
            const std::vector<std::size_t> order = RecordRowOrder(rows, column, descending);
            ASSERT_EQ(order.size(), rows.size());
            const bool numbers = column != RecordColumn::Species && column != RecordColumn::Checks;
            const auto key = [&](std::size_t i) -> std::optional<std::string> {
                const std::string &t = rows[i].text(column);
                char *end = nullptr;
                const double value = std::strtod(t.c_str(), &end);
                if (t.empty() || (numbers && *end != '\0'))
                    return std::nullopt;
                if (numbers) {
                    char padded[32];
                    std::snprintf(padded, sizeof padded, "%020.6f", value);
                    return padded;
                }
                return CaseFolded(t);
            };
            for (std::size_t k = 1; k < order.size(); ++k) {
                const auto a = key(order[k - 1]), b = key(order[k]);
                EXPECT_TRUE(!b || (a && (descending ? *a >= *b : *a <= *b))) << k;
                if (a == b) {
                    EXPECT_LT(order[k - 1], order[k]) << "ties keep the file's order";
                }
            }
        }
    EXPECT_EQ(RecordRowOrder(rows, std::nullopt, true)[5], 5u);
}

TEST(RecordList, readsAListedRecordAgainOrSaysWhyNot)
{
    const RecordList list = ReadRecordList(kSample);
    CompadreReader reader;
    ASSERT_TRUE(reader.open(kSample).ok);
    for (const RecordRow &row : list.rows) {
        const std::optional<CompadreRecord> expected = reader.next();
        const ListedRecord read = ReadListedRecord(kSample, row);
        EXPECT_EQ(read.ok, row.loadable()) << row.number;
        if (read.ok) {
            EXPECT_EQ(read.record->model, expected->model) << row.number;
        } else {
            EXPECT_EQ(read.message, RecordRowNoteText(row).substr(0, read.message.size()));
        }
    }

    // A line that cannot be read counts as a record when records are passed over.
    const fs::path path = fs::temp_directory_path() / ("tarnvale-list-" + std::to_string(getpid()));
    std::ofstream(path) << "matA,Authors\n\"[1]\",A\n\"[2\n\"[3]\",C\n";
    const RecordList broken = ReadRecordList(path.string());
    ASSERT_EQ(broken.rows.size(), 3u);
    EXPECT_EQ(ReadListedRecord(path.string(), broken.rows[2]).record->model->a.at(0, 0), 3.0);
    std::ofstream(path) << "matA,Authors\n\"[1]\",A\n\"[3]\",B\n";
    EXPECT_EQ(ReadListedRecord(path.string(), broken.rows[2]).message,
              "The file \"" + path.string()
                  + "\" has changed since its records were listed: open it again.");
    fs::remove(path);
    EXPECT_EQ(ReadListedRecord(path.string(), broken.rows[0]).message,
              "The file \"" + path.string() + "\" does not exist.");
}

TEST(RecordList, editsThePartsOnlyWhereTheyAddUpToA)
{
    CompadreReader reader;
    ASSERT_TRUE(reader.open(kSample).ok);
    std::map<std::string, std::string> notes;
    std::map<std::string, bool> split;
    while (const std::optional<CompadreRecord> r = reader.next()) {
        const std::string id = r->metadata.at("MatrixID");
        if (!r->model)
            continue;
        const StageModel model = RecordModelToEdit(*r);
        split[id] = model.split();
        EXPECT_FALSE(model.c) << id;
        EXPECT_EQ(model.names, r->model->names) << id;
        // The editor's A is the sum of the parts where they are taken.
        EXPECT_EQ(model.split() ? AddParts(*model.u, *model.f, model.c) : model.a, r->model->a)
            << id;
        notes[id] = RecordNoteText(*r);
    }
    EXPECT_TRUE(split["1"] && split["2"] && split["113"]);
    EXPECT_FALSE(split["109"] || split["114"] || split["102"]);
    EXPECT_EQ(notes["2"],
              "Orcinus orca (Killer whale), Brault; Caswell (1993) Ecology, 10.2307/1940073\n"
              "Worrying checks: check_ergodic false, check_irreducible false, check_primitive "
              "false");
    EXPECT_EQ(notes["109"],
              "test record: trips check_component_sum\n"
              "Worrying checks: check_component_sum false\n"
              "Loaded as A alone: U + F + C does not equal A.");
    EXPECT_EQ(notes["102"].substr(notes["102"].rfind('\n')),
              "\nLoaded as A alone: matU, row 2, column 1 is NA.");
    EXPECT_EQ(notes["1"].substr(notes["1"].find('\n')), "\nWorrying checks: none");
}

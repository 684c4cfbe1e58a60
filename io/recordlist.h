#pragma once

#include "core/stagemodel.h"
#include "io/compadre.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvale {

// The columns of the list of a database file's records, in the order it shows them.
enum class RecordColumn {
    Species,
    CommonName,
    Authors,
    Year,
    Stages,
    Interval,
    Lambda1,
    Checks,
    Problem
};
inline constexpr std::size_t kRecordColumnCount = 9;

// The title of each column: "Species", "Common name", "Authors", "Year", "Stages", "Interval",
// "λ1", "Checks", "Problem".
const std::array<std::string_view, kRecordColumnCount> &RecordColumnTitles();

// One record as the list of a database file shows it, and where it stands in the file. Only
// these texts are kept of a record, not its model: a list of 10,000 records stays a few
// megabytes, and the record chosen is read again (ReadListedRecord).
struct RecordRow
{
    std::size_t number = 0; // its place among the file's records, from 0, as next() hands them out
    // By RecordColumn: SpeciesAccepted, CommonName, Authors, YearPublication, the number of
    // stages, ProjectionInterval (each empty where the file has no such column, or it is empty
    // or "NA"), lambda1 (NumberToText, "undefined" where there is none), "⚠" where a check is
    // worrying (IsWorrying), and why the record cannot be analysed (empty when it can).
    std::array<std::string, kRecordColumnCount> texts;
    // The worrying checks as the command line names them, "check_ergodic false, check_primitive
    // false"; empty when there are none.
    std::string worrying;
    // Every text above, case-folded (CaseFolded), for the filter.
    std::string folded;

    const std::string &text(RecordColumn column) const
    {
        return texts[static_cast<std::size_t>(column)];
    }
    // Whether it can go into the stage editor: it has a model.
    bool loadable() const { return text(RecordColumn::Problem).empty(); }
    bool operator==(const RecordRow &) const = default;
};

// The row of `record`, which is record `number` of its file.
RecordRow RecordRowOf(const CompadreRecord &record, std::size_t number);

// The worrying checks of `checks`, "check_NA_A true, check_ergodic false", in the order of
// ModelChecks(); empty when none is worrying.
std::string WorryingChecksText(const ModelCheckValues &checks);

// `text` with ASCII letters and the Latin-1 capitals À to Þ (UTF-8) made small: "Ehrlén" and
// "EHRLÉN" fold alike.
std::string CaseFolded(std::string_view text);

// Every record of a database file as a row, or, when the file is refused (CompadreReader::open),
// the reader's message and no rows.
struct RecordList
{
    bool ok = false;
    std::string message;
    std::vector<RecordRow> rows;
};
RecordList ReadRecordList(const std::string &path);

// Whether the file at `path` is a flat file of the matrix databases (CompadreReader::open takes
// it: its header has a column matA).
bool IsDatabaseFile(const std::string &path);

// The places in `rows` in the order of `column` (ascending, or `descending`); no column: the
// file's order. Numbers (year, stages, interval, lambda1) compare as numbers, other texts
// case-folded; an empty text, "undefined" and a text that is no number in a column of numbers
// come last either way. Rows that compare equal keep the file's order.
std::vector<std::size_t> RecordRowOrder(const std::vector<RecordRow> &rows,
                                        std::optional<RecordColumn> column, bool descending);

// The places of `order` whose row holds `filter` in one of its texts or its worrying checks,
// case-folded; blanks around the filter do not count, and an empty filter keeps every row.
std::vector<std::size_t> FilterRecordRows(const std::vector<RecordRow> &rows,
                                          const std::vector<std::size_t> &order,
                                          std::string_view filter);

// "21 records", "1 record", "3 of 21 records": how many rows the filter leaves of how many.
std::string RecordCountText(std::size_t shown, std::size_t total);

// What the list says under itself of its current row: why it cannot be loaded, or its worrying
// checks; empty when it has neither.
std::string RecordRowNoteText(const RecordRow &row);

// The record that `row` stands for, read again from the file at `path`: all or nothing. Refused
// with a message: a file that cannot be opened (the reader's message), one that has no such
// record any more or shows another row for it (it changed since it was listed), a record that
// cannot be analysed (its problem).
struct ListedRecord
{
    bool ok = false;
    std::string message;
    std::optional<CompadreRecord> record;
};
ListedRecord ReadListedRecord(const std::string &path, const RecordRow &row);

// What the stage editor takes of a record that has a model: its stage names, and its parts where
// check_component_sum is true (C only where it has an entry that is not 0), otherwise A alone.
StageModel RecordModelToEdit(const CompadreRecord &record);

// What the stage editor says under its grid of a record loaded into it: where it comes from,
// "Orcinus orca (Killer whale), Brault; Caswell (1993) Ecology, 10.2307/1940073", then its
// worrying checks ("Worrying checks: none" when there are none), then why A alone was loaded
// where the record has parts that could not be taken.
std::string RecordNoteText(const CompadreRecord &record);

} // namespace tarnvale

#include "io/recordlist.h"

#include "core/furtheranalysis.h"
#include "core/numbertext.h"

#include <algorithm>
#include <numeric>

namespace tarnvale {

namespace {

constexpr const char *kWarningSign = "\u26a0";

// A metadata field of the record as the list shows it: empty where it is missing or "NA".
std::string field(const CompadreRecord &record, std::string_view name)
{
    const auto found = record.metadata.find(name);
    if (found == record.metadata.end())
        return {};
    const std::string_view value = TrimSpacesAndTabs(found->second);
    return value == "NA" ? std::string() : std::string(value);
}

bool isNumberColumn(RecordColumn column)
{
    return column == RecordColumn::Year || column == RecordColumn::Stages
        || column == RecordColumn::Interval || column == RecordColumn::Lambda1;
}

// The number a whole text reads as, by the program's one number grammar; none for "undefined",
// an empty text or a text with more after its number.
std::optional<double> wholeNumber(std::string_view text)
{
    const NumberExtent extent = ScanNumber(text);
    if (!extent.found || extent.blanksInside
        || TrimSpacesAndTabs(text.substr(extent.end)).size() > 0)
        return std::nullopt;
    const ScannedNumber number = TextToNumber(text);
    return number.outOfRange ? std::nullopt : std::optional<double>(number.value);
}

std::string changedMessage(const std::string &path)
{
    return "The file \"" + path + "\" has changed since its records were listed: open it again.";
}

} // namespace

const std::array<std::string_view, kRecordColumnCount> &RecordColumnTitles()
{
    static constexpr std::array<std::string_view, kRecordColumnCount> titles
        = {"Species",  "Common name", "Authors", "Year",   "Stages",
           "Interval", "\u03bb1",     "Checks",  "Problem"};
    return titles;
}

std::string WorryingChecksText(const ModelCheckValues &checks)
{
    std::string text;
    for (std::size_t k = 0; k < kModelCheckCount; ++k) {
        const ModelCheck &check = ModelChecks()[k];
        if (!IsWorrying(check, checks[k]))
            continue;
        text += (text.empty() ? "" : ", ") + std::string(check.name)
            + (*checks[k] ? " true" : " false");
    }
    return text;
}

std::string CaseFolded(std::string_view text)
{
    std::string folded(text);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const auto c = static_cast<unsigned char>(folded[i]);
        if (c >= 'A' && c <= 'Z') {
            folded[i] = static_cast<char>(c + ('a' - 'A'));
        } else if (c == 0xC3 && i + 1 < folded.size()) {
            // U+00C0 ... U+00DE are C3 80 ... C3 9E; U+00D7 (the multiplication sign) is no letter.
            const auto next = static_cast<unsigned char>(folded[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97)
                folded[i + 1] = static_cast<char>(next + 0x20);
            ++i;
        }
    }
    return folded;
}

RecordRow RecordRowOf(const CompadreRecord &record, std::size_t number)
{
    RecordRow row;
    row.number = number;
    const auto set = [&row](RecordColumn column, std::string text) {
        row.texts[static_cast<std::size_t>(column)] = std::move(text);
    };
    set(RecordColumn::Species, record.species);
    set(RecordColumn::CommonName, field(record, "CommonName"));
    set(RecordColumn::Authors, field(record, "Authors"));
    set(RecordColumn::Year, field(record, "YearPublication"));
    set(RecordColumn::Stages, record.model ? std::to_string(record.model->stages()) : "");
    set(RecordColumn::Interval, record.projectionInterval);
    set(RecordColumn::Lambda1,
        ValueText(record.analysis ? record.analysis->lambda : std::optional<double>()));
    row.worrying = WorryingChecksText(record.checks);
    set(RecordColumn::Checks, row.worrying.empty() ? "" : kWarningSign);
    set(RecordColumn::Problem, record.problem);
    std::string all;
    for (const std::string &text : row.texts)
        all.append(text).push_back('\n');
    all += row.worrying;
    row.folded = CaseFolded(all);
    return row;
}

RecordList ReadRecordList(const std::string &path)
{
    CompadreReader reader;
    const CompadreOpen open = reader.open(path);
    if (!open.ok)
        return {false, open.message, {}};
    RecordList list {true, {}, {}};
    while (const std::optional<CompadreRecord> record = reader.next())
        list.rows.push_back(RecordRowOf(*record, list.rows.size()));
    return list;
}

bool IsDatabaseFile(const std::string &path)
{
    CompadreReader reader;
    return reader.open(path).ok;
}

std::vector<std::size_t> RecordRowOrder(const std::vector<RecordRow> &rows,
                                        std::optional<RecordColumn> column, bool descending)
{
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t {0});
    if (!column)
        return order;
    // Each row's key once, rather than once per comparison.
    const bool numbers = isNumberColumn(*column);
    std::vector<std::optional<double>> values(numbers ? rows.size() : 0);
    std::vector<std::string> texts(numbers ? 0 : rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (numbers)
            values[i] = wholeNumber(rows[i].text(*column));
        else
            texts[i] = CaseFolded(rows[i].text(*column));
    }
    const auto last = [&](std::size_t i) { return numbers ? !values[i] : texts[i].empty(); };
    const auto less = [&](std::size_t a, std::size_t b) {
        return numbers ? *values[a] < *values[b] : texts[a] < texts[b];
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (last(a) || last(b))
            return !last(a) && last(b);
        return descending ? less(b, a) : less(a, b);
    });
    return order;
}

std::vector<std::size_t> FilterRecordRows(const std::vector<RecordRow> &rows,
                                          const std::vector<std::size_t> &order,
                                          std::string_view filter)
{
    const std::string needle = CaseFolded(TrimSpacesAndTabs(filter));
    if (needle.empty())
        return order;
    // No field holds a line break (the reader ends a field at one), so a needle with one must not
    // match across the texts where `folded` joins them.
    if (needle.find('\n') != std::string::npos)
        return {};
    std::vector<std::size_t> kept;
    for (std::size_t i : order)
        if (rows[i].folded.find(needle) != std::string::npos)
            kept.push_back(i);
    return kept;
}

std::string RecordCountText(std::size_t shown, std::size_t total)
{
    const std::string records = std::to_string(total) + (total == 1 ? " record" : " records");
    return shown == total ? records : std::to_string(shown) + " of " + records;
}

std::string RecordRowNoteText(const RecordRow &row)
{
    std::string note;
    if (!row.loadable())
        note = "This record cannot be loaded: " + row.text(RecordColumn::Problem) + ".";
    if (!row.worrying.empty())
        note += (note.empty() ? "" : "\n") + std::string("Worrying checks: ") + row.worrying;
    return note;
}

ListedRecord ReadListedRecord(const std::string &path, const RecordRow &row)
{
    CompadreReader reader;
    const CompadreOpen open = reader.open(path);
    if (!open.ok)
        return {false, open.message, {}};
    for (std::size_t i = 0; i < row.number; ++i)
        if (!reader.skip())
            return {false, changedMessage(path), {}};
    std::optional<CompadreRecord> record = reader.next();
    if (!record || !(RecordRowOf(*record, row.number) == row))
        return {false, changedMessage(path), {}};
    if (!record->model)
        return {false, "This record cannot be loaded: " + record->problem + ".", {}};
    return {true, {}, std::move(record)};
}

StageModel RecordModelToEdit(const CompadreRecord &record)
{
    StageModel model = record.model.value_or(StageModel {});
    static const std::size_t sum = *ModelCheckIndex("check_component_sum");
    if (!model.split() || record.checks[sum] != true) {
        model.u.reset();
        model.f.reset();
        model.c.reset();
    } else if (model.c && std::all_of(model.c->values.begin(), model.c->values.end(), [](double v) {
                   return v == 0.0;
               })) {
        // The databases store a C of zeros for most records: it adds nothing but an empty grid.
        model.c.reset();
    }
    return model;
}

std::string RecordNoteText(const CompadreRecord &record)
{
    std::string from = record.species;
    if (const std::string common = field(record, "CommonName"); !common.empty())
        from += from.empty() ? common : " (" + common + ")";
    if (!record.citation.empty())
        from += (from.empty() ? "" : ", ") + record.citation;
    if (from.empty())
        from = record.source;
    const std::string worrying = WorryingChecksText(record.checks);
    std::string note = from + "\nWorrying checks: " + (worrying.empty() ? "none" : worrying);
    static const std::size_t sum = *ModelCheckIndex("check_component_sum");
    if (!record.note.empty())
        note += "\nLoaded as A alone: " + record.note + ".";
    else if (record.model && record.model->split() && record.checks[sum] == false)
        note += "\nLoaded as A alone: U + F + C does not equal A.";
    return note;
}

} // namespace tarnvale

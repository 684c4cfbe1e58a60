#pragma once

#include "core/modelchecks.h"
#include "core/stageanalysis.h"
#include "core/stagemodel.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvale {

// Limits that keep the memory of a read small whatever file is chosen. A field holds the largest
// matrix the analyses take (kMaxStages stages as R writes its numbers, up to about 22 characters
// each); a line holds four of them and the rest of a record.
inline constexpr std::size_t kMaxFlatFieldLength = std::size_t {8} << 20;
inline constexpr std::size_t kMaxFlatLineLength = std::size_t {40} << 20;
inline constexpr std::size_t kMaxFlatColumns = 4096;

// One record of a flat file of COMPADRE or COMADRE: one matrix population model with what the
// database says about it.
struct CompadreRecord
{
    // "FILE#MatrixID", or "FILE:line N" when the file has no MatrixID (or the record none, or its
    // line could not be read). FILE is the name the reader was opened with.
    std::string source;
    int line = 0; // the line of the file it stands on, from 1

    // Every column but the matrices, the stage names and the row names, by its name in the
    // header (the first of two columns of one name), as written without its quotes: "NA" stays
    // "NA". Empty for a line that could not be read.
    std::map<std::string, std::string, std::less<>> metadata;

    // SpeciesAccepted, the citation (CompadreCitation), ProjectionInterval and MatrixComposite as
    // written; each empty where the file has no such column or it is empty or "NA".
    std::string species;
    std::string citation;
    std::string projectionInterval;
    std::string matrixComposite;

    // The model: A as given (a record's parts need not add up to it), its split into U, F and C
    // when U and F are given, are of A's size and hold no "NA" or negative entry (and C too,
    // where it is given; a part of "NA" only is not given), and the stage names of
    // MatrixClassAuthor when there is one for each stage and none is empty or "NA". Empty when
    // matA cannot be analysed or the line cannot be read, and then `problem` says why:
    // "matA, row 2, column 1 is NA", "matA holds 5 entries, not a square number", "line 7 opens
    // a double quote in field 3 that is not closed on the line", "line 7 has 3 fields; the header
    // has 20".
    std::optional<StageModel> model;
    // The model's analysis, made for check_ergodic: a report takes it as it stands.
    std::optional<StageAnalysis> analysis;
    std::string problem;
    // Why a model has A alone although U, F or C are given: "matU, row 1, column 1 is NA".
    std::string note;

    // Rcompadre's cdb_flag checks, in the order of ModelChecks(); all empty for a line that could
    // not be read.
    ModelCheckValues checks {};
};

// A record's citation as "Authors (YearPublication) Journal, DOI_ISBN". A part that is empty or
// "NA" drops out with its brackets and its separator: "Crouse; Crowder; Caswell (1987) Ecology",
// "(1987) Ecology, 10.2307/1939225", "Birch, 10.2307/1605"; nothing at all gives "".
std::string CompadreCitation(std::string_view authors, std::string_view year,
                             std::string_view journal, std::string_view doi);

// The outcome of CompadreReader::open; `message` names the file and what is wrong.
struct CompadreOpen
{
    bool ok = false;
    std::string message;
};

// Reads the flat file Rcompadre's cdb_flatten and R's write.csv make of COMPADRE or COMADRE, one
// record at a time: it holds the header and the line being read, never a record it has handed
// out, so a file of any number of records is read in the same small memory.
//
// The file is CSV: a header line of column names, then one record a line (LF, CR LF or CR);
// fields separated by commas, a field in double quotes may hold commas and doubled double
// quotes; blank lines are skipped and a UTF-8 byte-order mark is ignored. Columns may come in any
// order and unknown ones are ignored, as is a column with an empty name (write.csv's row names).
// The matrices matA, matU, matF and matC are texts "[a b c d]" (ParseRecordMatrix), the stage
// names "[Seedling||Juvenile||Adult]". A file is such a file when its header has a column matA.
class CompadreReader
{
public:
    CompadreReader();
    ~CompadreReader();
    CompadreReader(const CompadreReader &) = delete;
    CompadreReader &operator=(const CompadreReader &) = delete;

    // Opens the file at `path` and reads its header. Refused, with the file named: a missing
    // file, a folder or anything but an ordinary file, a file that cannot be read, an empty file,
    // a header that cannot be read or has more than kMaxFlatColumns columns, and a header
    // without a column matA. `path` is the FILE of every record's source.
    CompadreOpen open(const std::string &path);
    // The same from `in`, which must outlive the reading; `name` stands for the file.
    CompadreOpen open(std::istream &in, const std::string &name);

    // The next record, or nothing at the end of the file (or when no file is open). A line that
    // cannot be read (a double quote not closed on it, text after a closing quote, another count
    // of fields than the header's, a field longer than kMaxFlatFieldLength or a line longer than
    // kMaxFlatLineLength) is a record with its problem, and reading goes on at the next line.
    std::optional<CompadreRecord> next();
    // Passes over the next record without making it (no matrix is read, nothing analysed):
    // records are counted as next() counts them, a line that cannot be read being one. False at
    // the end of the file.
    bool skip();

    // The column names of the header, in the file's order.
    const std::vector<std::string> &columns() const;
    // The lines and bytes read so far, header included: progress through a large file.
    std::uint64_t linesRead() const;
    std::uint64_t bytesRead() const;

private:
    CompadreOpen refuse(std::string message);

    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace tarnvale

#pragma once

#include "core/leslie.h"
#include "core/state.h"

#include <cstddef>
#include <iosfwd>
#include <string>

namespace tarnvale {

// The two layouts of a life-table file. Both start with one header field, then records of three
// fields: format A "age, fecundity f(x), survival rate s(x)", format B "age, survivorship l(x),
// fecundity m(x)".
enum class TableFormat { A, B };

// The outcome of ReadLifeTable. When ok is false nothing in the state was changed and `message`
// names the file, the line and what is wrong, in words for the user.
struct ReadResult
{
    bool ok = false;
    std::string message;
};

// Limits that keep a read quick and its memory small whatever file is chosen. A table line is a
// few dozen characters; a line may still hold the whole table of 201 records.
inline constexpr int kMaxRecords = 201;
inline constexpr std::size_t kMaxFieldLength = 1024;
inline constexpr std::size_t kMaxLineLength = 32768;

// Reads a life table from the file at `path` (see the stream form below for the rules). Refuses
// a missing file, a folder, anything that is not an ordinary file, and a file that cannot be
// opened for reading. `path` is also the name the messages use.
ReadResult ReadLifeTable(AnalysisState &state, const std::string &path, TableFormat format);

// Reads a life table from `in`, all or nothing. On success writes AgeX, Fecundity and Survival
// (and for format B Lx and Mx) from index 0 up to the record that ended the table, and
// LastAgeClass (0 ... 200); slots beyond keep what they held. Touches nothing else: not
// DataLoaded, not DataFilePath. `name` is the file's name for the messages.
//
// Fields are separated by commas and line ends (LF, CR LF or a lone CR); blanks and tabs before
// a field are skipped. A field that begins with a double quote runs to the next double quote on
// the same line; characters after that quote up to the next separator are ignored, so a header
// line may carry a remark after its quoted text. An empty line is one empty field. A UTF-8
// byte-order mark at the start is skipped; other bytes are single-byte characters.
//
// A field reads as a decimal number when, quoted or not and without the blanks around it, it is
// exactly: an optional sign, digits with at most one "." (at least one digit, so "1." and ".5"
// are numbers), and an optional exponent of E, e, D or d, an optional sign and digits. Its value
// is TextToNumber's, so "1e3" is 1000, "+5" is 5 and "1e-999" is 0. Anything else is text:
// "0x10", "nan", "inf", "1 2", "1e", "1,5" (which is two fields, 1 and 5). A number beyond the
// double range ("1e999") is not a number the program can hold: it is kept as text where no
// computation reads it and refused where one does.
//
// The header is the first field. Records follow: age x and the two fields of the format. The
// table ends at an age of -1 (that record is stored after the table but does not belong to it),
// in format B also at an l(x) of 0 or an empty l(x), at the end of the file, or with the 201st
// record, tested in that order. A field that a computation reads must be a number or empty
// (which counts as 0): f(x) of every age class and s(x) of every one but the last in format A;
// l(x) and m(x) of every age class in format B, and the l(x) of a record that ends the table,
// which is the dividend of the last survival rate. The age and the last s(x) of format A are
// never computed with and may hold anything. Format B turns the table into Fecundity(i) = Mx(i)
// and Survival(i) = Lx(i + 1) / Lx(i).
//
// Refused, with the line named: a file that ends inside a record (a short last line, blank lines
// after the last record, a header and no records), a blank line inside the table or a record of
// empty fields (either would move every later field), a text where a number must be, a number
// beyond the double range there, a quote not closed on its line, a control character (a binary
// file), a field longer than kMaxFieldLength or a line longer than kMaxLineLength, a first record
// that ends the table (no age classes), and a survival rate beyond the double range. At most 201
// records are read: the rest of the file is never looked at.
ReadResult ReadLifeTable(AnalysisState &state, std::istream &in, const std::string &name,
                         TableFormat format);

// A life table read from a file on its own, outside any window's state: the command line's
// inputs. `table` holds classes 0 ... the last of the file; `message` as ReadLifeTable gives it.
struct LifeTableRead
{
    bool ok = false;
    LeslieTable table;
    std::string message;
};
LifeTableRead ReadLeslieTable(const std::string &path, TableFormat format);

} // namespace tarnvale

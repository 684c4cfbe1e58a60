// libFuzzer target for the reader of the databases' flat files. Bit 0 of the first byte puts a
// header of every column the reader reads before the rest, so that the fuzzer spends its time on
// records; the rest is the file. Whatever the file:
// - a refusal names the file, and no record follows it;
// - every record has a source naming the file and stands on a later line than the one before,
//   within the lines read; it has either a model or a problem, never both, never neither;
// - a model passes CheckStageModel, and has A without "NA"; a split one has U and F without "NA";
// - a line that cannot be read gives no metadata and no check;
// - each check is true, false or empty (a std::optional, never two at once), empty exactly where
//   cdb_flag gives NA: never for the NA and zero checks, for check_singular_U exactly when U
//   holds an "NA", for irreducible and primitive exactly when A does, for ergodic also where A
//   cannot be analysed or lambda1 is 0; and the checks agree with each other (primitive implies
//   irreducible, irreducible implies ergodic, a zero U has a zero column sum).
#include "core/stageanalysis.h"
#include "core/stagemodel.h"
#include "fuzz/fuzzsupport.h"
#include "io/compadre.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <istream>
#include <streambuf>
#include <string>

using namespace tarnvale;
using tarnvale::fuzz::require;

namespace {

class MemoryBuffer : public std::streambuf
{
public:
    MemoryBuffer(const char *data, std::size_t size)
    {
        char *begin = const_cast<char *>(data);
        setg(begin, begin, begin + size);
    }
};

const std::string kName = "fuzz.csv";
const std::string kHeader
    = "\"\",\"MatrixID\",\"SpeciesAccepted\",\"Authors\",\"YearPublication\",\"Journal\","
      "\"DOI_ISBN\",\"ProjectionInterval\",\"MatrixComposite\",\"matA\",\"matU\",\"matF\","
      "\"matC\",\"MatrixClassAuthor\"\n";

std::optional<bool> check(const CompadreRecord &record, std::string_view name)
{
    return record.checks[*ModelCheckIndex(name)];
}

void requireChecks(const CompadreRecord &r)
{
    const auto na = [&](const char *part) { return check(r, std::string("check_NA_") + part); };
    for (const char *name : {"check_NA_A", "check_NA_U", "check_NA_F", "check_NA_C", "check_zero_U",
                             "check_zero_F", "check_zero_U_colsum"})
        require(check(r, name).has_value());
    require(check(r, "check_singular_U").has_value() == !*na("U"));
    require(check(r, "check_irreducible").has_value() == !*na("A"));
    require(check(r, "check_primitive").has_value() == !*na("A"));
    require(!check(r, "check_ergodic") || !*na("A"));
    // The stage analysis decides ergodicity wherever lambda1 is positive.
    if (r.model && DominantEigenvalue(r.model->a) > 0.0)
        require(check(r, "check_ergodic").has_value());

    if (check(r, "check_primitive") == true)
        require(check(r, "check_irreducible") == true);
    if (check(r, "check_irreducible") == true && check(r, "check_ergodic"))
        require(check(r, "check_ergodic") == true);
    if (check(r, "check_zero_U") == true)
        require(check(r, "check_zero_U_colsum") == true);
    if (!check(r, "check_surv_gte_1"))
        require(*na("U") && *check(r, "check_zero_U"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::string file = (data[0] & 1) ? kHeader : std::string();
    file.append(reinterpret_cast<const char *>(data + 1), size - 1);
    MemoryBuffer buffer(file.data(), file.size());
    std::istream in(&buffer);

    CompadreReader reader;
    const CompadreOpen opened = reader.open(in, kName);
    if (!opened.ok) {
        require(opened.message.find("\"" + kName + "\"") != std::string::npos);
        require(!reader.next());
        return 0;
    }
    require(opened.message.empty());

    int line = 1;
    while (const std::optional<CompadreRecord> r = reader.next()) {
        require(r->source.starts_with(kName + "#") || r->source.starts_with(kName + ":line "));
        require(r->line > line && static_cast<std::uint64_t>(r->line) <= reader.linesRead());
        line = r->line;
        require(r->model.has_value() == r->problem.empty());

        if (r->problem.starts_with("line ")) {
            require(r->metadata.empty() && !r->model);
            for (const std::optional<bool> &value : r->checks)
                require(!value);
            continue;
        }
        requireChecks(*r);
        if (r->model) {
            require(!CheckStageModel(*r->model));
            require(check(*r, "check_NA_A") == false);
            if (r->model->split())
                require(check(*r, "check_NA_U") == false && check(*r, "check_NA_F") == false);
        } else {
            require(r->problem.starts_with("matA"));
        }
    }
    require(reader.bytesRead() == file.size());
    return 0;
}

#pragma once

#include "core/leslie.h"
#include "core/stageanalysis.h"

#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace tarnvale {

// The two kinds of model Tarnvale analyses.
enum class ModelKind { Leslie, Stage };

// What one result is made of.
enum class ResultKind {
    Scalar, // one number (a count, a rate, the period)
    Flag, // true or false
    PerClass, // one number per age class or stage (for a Leslie table the survival rates'
              // results have one fewer)
    PerEntry, // one number per matrix entry, n x n, row by row
    Names, // one text per stage
};

// One result of one analysis: undefined (std::monostate), a number, a flag, per-class or
// per-entry numbers, or names. Undefined arrays are undefined whole.
using ResultValue
    = std::variant<std::monostate, double, bool, std::vector<double>, std::vector<std::string>>;

// One result as every report writes it: the command line's text, JSON and CSV, the saved files
// and the windows' tables all walk ReportedResults() in its order.
struct ResultField
{
    const char *key; // JSON key and CSV column
    const char *group; // the JSON object the key stands in ("sensitivity"), or nullptr
    const char *label; // the text report's caption, and the saved files' column
    const char *title; // a window table's column, or nullptr where no table shows it
    ResultKind kind;
    // How each model gives the value; nullptr where the model has no such result.
    ResultValue (*leslie)(const LeslieAnalysis &);
    ResultValue (*stage)(const StageAnalysis &);
    // A Flag's word for false ("reducible"); its label is the word for true.
    const char *negation = nullptr;

    bool has(ModelKind model) const
    {
        return model == ModelKind::Leslie ? leslie != nullptr : stage != nullptr;
    }
};

// The reported results in the order they are written. Adding a result is one line there and
// its computation.
std::span<const ResultField> ReportedResults();

// The fields `model` has, of the given kind, in order.
std::vector<const ResultField *> ResultsOf(ModelKind model, ResultKind kind);

// The value of `field` for an analysis; undefined where the model has no such result.
ResultValue ValueOf(const ResultField &field, const LeslieAnalysis &analysis);
ResultValue ValueOf(const ResultField &field, const StageAnalysis &analysis);

// The number of a Scalar value, empty when undefined.
std::optional<double> NumberOf(const ResultValue &value);

// The numbers of a PerClass or PerEntry value, nullptr when undefined.
const std::vector<double> *NumbersOf(const ResultValue &value);

} // namespace tarnvale

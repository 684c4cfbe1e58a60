#pragma once

// Populations the core tests compute on, and the root search as a user drives it on them.

#include "core/search.h"
#include "core/statistics.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// Cells for data-file mode, where no computation reads them.
inline const tarnvale::CellTexts kNoCells {};

// The default matrix with some cell texts changed.
inline tarnvale::CellTexts withCells(std::initializer_list<std::pair<int, const char *>> changes)
{
    tarnvale::CellTexts cells = tarnvale::kDefaultCellTexts;
    for (const auto &[index, text] : changes)
        cells[index] = text;
    return cells;
}

// Data-file mode with the fecundities of ages 0 ... n and the survival rates of ages 0 ... n - 1;
// no fecundities give a table without age classes.
inline tarnvale::AnalysisState tableState(const std::vector<double> &fecundity,
                                          const std::vector<double> &survival = {})
{
    tarnvale::AnalysisState state;
    state.DataLoaded = "Yes";
    state.LastAgeClass = static_cast<int>(fecundity.size()) - 1;
    std::copy(fecundity.begin(), fecundity.end(), state.Fecundity.begin());
    std::copy(survival.begin(), survival.end(), state.Survival.begin());
    return state;
}

// The stable age distribution of age classes 0 ... LastAgeClass; -1 stands for an empty share.
inline std::vector<double> sad(const tarnvale::AnalysisState &state)
{
    std::vector<double> shares;
    for (int x = 0; x <= state.LastAgeClass.value_or(-1); ++x)
        shares.push_back(state.StableAgeDist[x].value_or(-1));
    return shares;
}

// "Try", then "Bisection" and "Exchange" in turn until a step accepts its point, the bracket
// travelling from step to step as the texts of the bisection table. With `steps`, exactly that
// many steps, going on after every acceptance as a user may.
struct SearchRun
{
    bool accepted = false;
    std::vector<std::string> x3Texts; // what each step showed as x3
    std::vector<std::string> fx3Texts; // and as f(x3)
    tarnvale::BracketTexts bracket; // the table when the root was accepted
    std::string caption; // the acceptance caption
    tarnvale::PopulationParameterTexts results;
};

inline SearchRun RunSearch(tarnvale::AnalysisState &state, const tarnvale::CellTexts &cells,
                           const std::string &x1, const std::string &x2, int steps = 0)
{
    using namespace tarnvale;
    SearchRun run;
    const TrialResult trial = TryBracket(state, cells, x1, x2);
    if (!trial.ok || !trial.accepted)
        return run;
    BracketTexts table {x1, x2, "", trial.fx1Text, trial.fx2Text, ""};
    for (int step = 0; step < (steps ? steps : 500); ++step) {
        const StepResult result = BisectStep(state, cells, table.x1, table.x2);
        if (!result.ok)
            return run;
        table.x3 = result.x3Text;
        table.fx3 = result.fx3Text;
        run.x3Texts.push_back(result.x3Text);
        run.fx3Texts.push_back(result.fx3Text);
        if (result.accepted) {
            run.accepted = true;
            run.bracket = table;
            run.caption = result.acceptCaption;
            run.results = AcceptRoot(state, cells);
            if (!steps)
                return run;
        }
        table = ExchangeBracket(state, table).texts;
    }
    return run;
}

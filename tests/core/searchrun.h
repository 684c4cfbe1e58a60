#pragma once

#include "core/search.h"
#include "core/statistics.h"

#include <string>
#include <vector>

// The root search as a user drives it through the bisection table: "Try", then "Bisection" and
// "Exchange" in turn until a step accepts its point, the ends travelling as texts.
struct SearchRun
{
    bool tried = false; // "Try" accepted the start points
    bool accepted = false;
    std::vector<std::string> x3Texts; // what each step showed as x3
    std::vector<std::string> fx3Texts; // and as f(x3)
    tarnvale::BracketTexts bracket; // the table when the root was accepted
    std::string caption; // the acceptance caption
    tarnvale::PopulationParameterTexts results;
};

inline SearchRun RunSearch(tarnvale::AnalysisState &state, const tarnvale::CellTexts &cells,
                           const std::string &x1, const std::string &x2, int maxSteps = 500)
{
    using namespace tarnvale;
    SearchRun run;
    const TrialResult trial = TryBracket(state, cells, x1, x2);
    if (!trial.ok || !trial.accepted)
        return run;
    run.tried = true;
    BracketTexts table {x1, x2, "", trial.fx1Text, trial.fx2Text, ""};
    for (int step = 0; step < maxSteps; ++step) {
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
            return run;
        }
        table = ExchangeBracket(state, table).texts;
    }
    return run;
}

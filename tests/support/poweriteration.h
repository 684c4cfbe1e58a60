#pragma once

#include "core/stagemodel.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace tarnvale::test {

// lambda1 and w (summing to 1) by power iteration on A + I, whose Perron root is lambda1 + 1
// and which is primitive wherever A is irreducible: a computation of the tests' own, written
// without the program's eigenvalue code.
inline std::pair<double, std::vector<double>> PowerIteration(const SquareMatrix &a)
{
    std::vector<double> x(a.n, 1.0 / a.n), y(a.n);
    double lambda = 0;
    for (int step = 0; step < 100000; ++step) {
        double sum = 0;
        for (int i = 0; i < a.n; ++i) {
            y[i] = x[i];
            for (int j = 0; j < a.n; ++j)
                y[i] += a.at(i, j) * x[j];
            sum += y[i];
        }
        double change = 0;
        for (int i = 0; i < a.n; ++i) {
            change = std::max(change, std::fabs(y[i] / sum - x[i]));
            x[i] = y[i] / sum;
        }
        lambda = sum - 1; // x summed to 1
        if (change < 1e-16)
            break;
    }
    return {lambda, x};
}

} // namespace tarnvale::test

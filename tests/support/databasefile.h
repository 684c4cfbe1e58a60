#pragma once

#include <cstddef>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace tarnvale::test {

// Writes a flat file of the matrix databases with `records` records of 2 to 20 stages, each with
// its parts: U a random stasis and growth into the next stage, F fecundities of every stage but
// the first into it, A their sum; the same file for the same count.
inline void WriteDatabaseFile(const std::string &path, int records)
{
    std::ofstream file(path);
    file.precision(6);
    file << "\"MatrixID\",\"SpeciesAccepted\",\"matA\",\"matU\",\"matF\"\n";
    std::mt19937 random(7);
    std::uniform_real_distribution<double> rate(0, 1);
    for (int id = 1; id <= records; ++id) {
        const int n = 2 + id % 19;
        std::vector<double> u(static_cast<std::size_t>(n * n)), f(u.size()), a(u.size());
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const auto k = static_cast<std::size_t>(i * n + j);
                u[k] = (i == j || i == j + 1) ? rate(random) / 2 : 0;
                f[k] = i == 0 && j > 0 ? 3 * rate(random) : 0;
                a[k] = u[k] + f[k];
            }
        }
        const auto matrix = [&file](const std::vector<double> &m) {
            file << "\"[";
            for (std::size_t k = 0; k < m.size(); ++k)
                file << (k ? " " : "") << m[k];
            file << "]\"";
        };
        file << id << ",\"Species " << id << "\",";
        matrix(a);
        file << ',';
        matrix(u);
        file << ',';
        matrix(f);
        file << '\n';
    }
}

} // namespace tarnvale::test

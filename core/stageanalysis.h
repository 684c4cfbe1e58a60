#pragma once

#include "core/stagemodel.h"

#include <complex>
#include <optional>
#include <string>
#include <vector>

namespace tarnvale {

// Everything the analysis of a stage model finds. A result that cannot be computed, or that is
// not a finite number, is empty; an array or matrix is defined whole or not at all.
struct StageAnalysis
{
    int stages = 0; // n
    std::vector<std::string> names; // the model's stage names, empty when it has none

    // lambda1, the dominant eigenvalue of A (its spectral radius, real and >= 0), r = ln lambda1
    // and the doubling time ln 2 / r (empty where r = 0 or lambda1 = 0).
    std::optional<double> lambda;
    std::optional<double> intrinsicRate;
    std::optional<double> doublingTime;

    // With the split and a spectral radius of U below 1: R0, the dominant eigenvalue of F N with
    // the fundamental matrix N = (I - U)^-1 (C counts with F), T = ln R0 / ln lambda1, and the
    // life expectancy of an individual in each stage, the column sums of N. Otherwise empty, and
    // `whyNoR0` says why ("the model is not split into U and F", "U has spectral radius >= 1:
    // individuals never die").
    std::optional<double> netReproductiveRate;
    std::optional<double> generationTime;
    std::optional<std::vector<double>> lifeExpectancy;
    std::string whyNoR0;

    // w, the stable stage distribution (>= 0, sum 1), and v, the reproductive values (>= 0, the
    // first non-zero entry 1).
    std::optional<std::vector<double>> stableDistribution;
    std::optional<std::vector<double>> reproductiveValues;

    // S(i, j) = v(i) w(j) / <v, w> for every entry, zero entries included, and the elasticities
    // E(i, j) = S(i, j) a(i, j) / lambda1, which sum to 1. Empty where lambda1 is not simple
    // (<v, w> = 0) or is 0.
    std::optional<SquareMatrix> sensitivity;
    std::optional<SquareMatrix> elasticity;
    // ||v|| ||w|| / <v, w>, the condition number of lambda1; empty where lambda1 is not simple.
    std::optional<double> conditionNumber;

    // All n eigenvalues of A, lambda1 first, then by decreasing modulus.
    std::vector<std::complex<double>> eigenvalues;
    // |lambda2|, the largest modulus among the other eigenvalues counted with multiplicity (0 when
    // it is within 8 n eps lambda1 of 0), and the damping ratio lambda1 / |lambda2|, exactly 1
    // where the period is above 1 (empty when |lambda2| = 0).
    std::optional<double> secondModulus;
    std::optional<double> dampingRatio;

    // From the zero pattern of A: irreducible (the life-cycle graph, an arrow j -> i for each
    // a(i, j) > 0, is strongly connected), the period (the gcd of the cycle lengths of an
    // irreducible matrix; empty for a reducible one) and primitive (irreducible with period 1).
    bool irreducible = false;
    std::optional<int> period;
    bool primitive = false;
    // The dominant left eigenvector is positive (Stott et al. 2010); empty where lambda1 is.
    std::optional<bool> ergodic;
};

// Analyses `model`. A model that CheckStageModel refuses gives an analysis with every result
// empty (stages still set). Of order n^3; a dense 500-stage model takes about a second.
StageAnalysis AnalyseStage(const StageModel &model);

// lambda1 of `a` alone, to the same accuracy as AnalyseStage, without the rest of the analysis
// (the sweeps and break-even searches call it many times). Empty for a matrix CheckStageModel
// would refuse.
std::optional<double> DominantEigenvalue(const SquareMatrix &a);

// The zero-pattern facts of `a` alone: whether its life-cycle graph is strongly connected, and
// for an irreducible matrix its period.
struct MatrixStructure
{
    bool irreducible = false;
    std::optional<int> period;
    bool primitive() const { return irreducible && period == 1; }
};
MatrixStructure StructureOf(const SquareMatrix &a);

} // namespace tarnvale

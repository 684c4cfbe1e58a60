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
    // and the doubling time ln 2 / r (empty where r = 0 or lambda1 = 0). lambda1 is the Perron
    // root of the class of the life cycle that grows fastest (see `ergodic`), refined to a
    // relative error of about 1e-15 times its condition number.
    std::optional<double> lambda;
    std::optional<double> intrinsicRate;
    std::optional<double> doublingTime;

    // With the split and a spectral radius of U below 1: R0, the dominant eigenvalue of F N with
    // the fundamental matrix N = (I - U)^-1 (C counts with F; a Leslie table gives
    // sum l(x) F(x)), T = ln R0 / ln lambda1 (empty where either is 1, or their logarithms
    // differ in sign, which only rounding near 1 can make), and the life expectancy of an
    // individual in each stage, the column sums of N (the steps it is expected to live, the
    // present one included). Otherwise empty, and `whyNoR0` says why ("the model is not split
    // into U and F", "U has spectral radius ≥ 1: individuals never die", "R0 lies beyond
    // the number range"); `whyNoR0` is empty where R0 is defined or the model is refused.
    std::optional<double> netReproductiveRate;
    std::optional<double> generationTime;
    std::optional<std::vector<double>> lifeExpectancy;
    std::string whyNoR0;

    // w, the stable stage distribution (>= 0, sum 1), and v, the reproductive values (>= 0, the
    // first non-zero entry 1). Their zeros come from the life-cycle graph, not from rounding:
    // w(i) > 0 exactly where stage i can be reached from the dominant class, v(j) > 0 exactly
    // where stage j leads to it. Where two classes share lambda1, w starts in the one no other
    // of them follows and v in the one none precedes; where there are two such, that vector is
    // not unique and empty. Both are empty where lambda1 is 0 (the population dies out).
    std::optional<std::vector<double>> stableDistribution;
    std::optional<std::vector<double>> reproductiveValues;

    // S(i, j) = v(i) w(j) / <v, w> for every entry, zero entries included, and the elasticities
    // E(i, j) = S(i, j) a(i, j) / lambda1, which sum to 1. Empty where lambda1 is not simple
    // (<v, w> = 0: more than one class has lambda1 as its root, to within 64 n eps) or is 0.
    std::optional<SquareMatrix> sensitivity;
    std::optional<SquareMatrix> elasticity;
    // ||v|| ||w|| / <v, w>, the condition number of lambda1; empty where lambda1 is not simple.
    std::optional<double> conditionNumber;

    // All n eigenvalues of A, lambda1 first, then by decreasing modulus.
    std::vector<std::complex<double>> eigenvalues;
    // |lambda2|, the largest modulus among the other eigenvalues counted with multiplicity (0 when
    // it is within 8 n eps lambda1 of 0; empty for one stage), and the damping ratio
    // lambda1 / |lambda2|, exactly 1 where the dominant class has a period above 1 or lambda1 is
    // not simple (empty when |lambda2| = 0). The eigenvalues come class by class: a stage that
    // forms a class alone gives its diagonal entry exactly, and a class of period p its p
    // eigenvalues on the circle of its root exactly. Empty where the eigenvalue solver fails.
    std::optional<double> secondModulus;
    std::optional<double> dampingRatio;

    // From the zero pattern of A: irreducible (the life-cycle graph, an arrow j -> i for each
    // a(i, j) > 0, is strongly connected), the period (the gcd of the cycle lengths of an
    // irreducible matrix; empty for a reducible one) and primitive (irreducible with period 1).
    // One stage counts as irreducible; [0] has no cycle, so no period, and is not primitive.
    bool irreducible = false;
    std::optional<int> period;
    bool primitive = false;
    // The dominant left eigenvector is positive (Stott et al. 2010): every stage leads to the
    // one class whose root is lambda1, so the long-run dynamics do not depend on the stages the
    // population starts in. It depends
    // on the values, not only the pattern (which class grows fastest). False where lambda1 is
    // not simple; empty where lambda1 is undefined or 0.
    std::optional<bool> ergodic;
};

// Analyses `model`. A model that CheckStageModel refuses gives an analysis with every result
// empty (stages still set). Of order n^3, the eigenvalues of the largest class dominating: a
// dense model of 200 stages takes some 30 ms, of 500 some 0.4 s.
StageAnalysis AnalyseStage(const StageModel &model);

// lambda1 of `a` alone, to the same accuracy as AnalyseStage and by the same steps, without the
// other eigenvalues (the sweeps and break-even searches call it many times: some 0.1 ms for a
// dense 50-stage matrix). Empty for a matrix CheckStageModel would refuse.
std::optional<double> DominantEigenvalue(const SquareMatrix &a);

// lambda1, r and w of `a` as AnalyseStage gives them, to the last bit, without the other
// eigenvalues, v, the sensitivities and R0: what a slider recomputes at each move (some 0.2 ms
// for a dense 50-stage matrix). Empty for a matrix CheckStageModel would refuse.
Growth StageGrowth(const SquareMatrix &a);

// The zero-pattern facts of `a` alone, from integer graph algorithms: whether its life-cycle
// graph is strongly connected, for an irreducible matrix its period (empty for [0]), and the
// class of each stage.
struct MatrixStructure
{
    bool irreducible = false;
    std::optional<int> period;
    // The class of the life cycle (strongly connected component) of each stage: an entry
    // a(i, j) lies on a cycle exactly where i = j or i and j share a class.
    std::vector<int> classOf;
    bool primitive() const { return irreducible && period == 1; }
};
MatrixStructure StructureOf(const SquareMatrix &a);

} // namespace tarnvale

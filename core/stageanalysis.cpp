#include "core/stageanalysis.h"

#include <Eigen/Core>
#include <Eigen/Eigenvalues>
#include <Eigen/LU>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>

namespace tarnvale {

namespace {

using Matrix = Eigen::MatrixXd;
using Vector = Eigen::VectorXd;
using Complex = std::complex<double>;

constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

std::optional<double> finite(double value)
{
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// The power of 2 at or below x > 0: dividing by it and multiplying back is exact, so that a
// diagonal entry that is an eigenvalue comes back to the last bit.
double powerOfTwoScale(double x)
{
    return std::ldexp(1.0, std::ilogb(x));
}

bool allFinite(const std::vector<double> &values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

bool usable(const SquareMatrix &a)
{
    if (a.n < 1 || a.n > kMaxStages
        || a.values.size() != static_cast<std::size_t>(a.n) * static_cast<std::size_t>(a.n))
        return false;
    return std::all_of(a.values.begin(), a.values.end(),
                       [](double v) { return std::isfinite(v) && v >= 0; });
}

// ----- The life-cycle graph, from the zero pattern alone -----

// An arrow j -> i for each a(i, j) > 0: an individual in stage j can be in stage i a step later.
struct Graph
{
    int n = 0;
    std::vector<std::vector<int>> out; // out[j]: the stages j leads to
    std::vector<std::vector<int>> in; // in[i]: the stages that lead to i
};

Graph graphOf(const SquareMatrix &a)
{
    Graph g;
    g.n = a.n;
    g.out.resize(static_cast<std::size_t>(a.n));
    g.in.resize(static_cast<std::size_t>(a.n));
    for (int i = 0; i < a.n; ++i) {
        for (int j = 0; j < a.n; ++j) {
            if (a.at(i, j) > 0) {
                g.out[static_cast<std::size_t>(j)].push_back(i);
                g.in[static_cast<std::size_t>(i)].push_back(j);
            }
        }
    }
    return g;
}

// The classes of the life cycle (the strongly connected components) in topological order: an
// arrow leaves a class only for itself or a later class. Tarjan's algorithm with an explicit
// stack, which emits each class after every class it leads to.
struct Classes
{
    std::vector<int> of; // the class of each stage
    std::vector<std::vector<int>> members; // ascending stages of each class
    int count() const { return static_cast<int>(members.size()); }
};

Classes classesOf(const Graph &g)
{
    const std::size_t n = static_cast<std::size_t>(g.n);
    std::vector<int> index(n, -1), low(n, 0), stack;
    std::vector<char> onStack(n, 0);
    std::vector<std::pair<int, std::size_t>> path; // a stage and the next of its arrows to follow
    std::vector<std::vector<int>> emitted;
    int counter = 0;
    const auto visit = [&](int s) {
        index[static_cast<std::size_t>(s)] = low[static_cast<std::size_t>(s)] = counter++;
        stack.push_back(s);
        onStack[static_cast<std::size_t>(s)] = 1;
        path.emplace_back(s, 0);
    };
    for (int root = 0; root < g.n; ++root) {
        if (index[static_cast<std::size_t>(root)] >= 0)
            continue;
        visit(root);
        while (!path.empty()) {
            const std::size_t s = static_cast<std::size_t>(path.back().first);
            const std::size_t next = path.back().second;
            if (next < g.out[s].size()) {
                ++path.back().second;
                const int t = g.out[s][next];
                if (index[static_cast<std::size_t>(t)] < 0)
                    visit(t);
                else if (onStack[static_cast<std::size_t>(t)])
                    low[s] = std::min(low[s], index[static_cast<std::size_t>(t)]);
                continue;
            }
            path.pop_back();
            if (!path.empty()) {
                const std::size_t parent = static_cast<std::size_t>(path.back().first);
                low[parent] = std::min(low[parent], low[s]);
            }
            if (low[s] != index[s])
                continue;
            std::vector<int> members;
            int t = -1;
            do {
                t = stack.back();
                stack.pop_back();
                onStack[static_cast<std::size_t>(t)] = 0;
                members.push_back(t);
            } while (t != static_cast<int>(s));
            std::sort(members.begin(), members.end());
            emitted.push_back(std::move(members));
        }
    }
    Classes classes;
    classes.members.assign(emitted.rbegin(), emitted.rend());
    classes.of.assign(n, 0);
    for (int k = 0; k < classes.count(); ++k)
        for (int s : classes.members[static_cast<std::size_t>(k)])
            classes.of[static_cast<std::size_t>(s)] = k;
    return classes;
}

// The period of each class: the gcd of the lengths of its cycles, 0 for a class without one (a
// stage without a loop). With levels from a breadth-first search inside the class, each arrow
// j -> i there has level(j) + 1 - level(i) a multiple of the period, and the gcd of these
// differences over the arrows is the period itself: integers only, nothing rounds.
std::vector<int> periodsOf(const Graph &g, const Classes &classes)
{
    std::vector<int> level(static_cast<std::size_t>(g.n), -1), period(classes.members.size(), 0);
    std::vector<int> queue;
    for (int k = 0; k < classes.count(); ++k) {
        queue.assign(1, classes.members[static_cast<std::size_t>(k)].front());
        level[static_cast<std::size_t>(queue[0])] = 0;
        for (std::size_t q = 0; q < queue.size(); ++q) {
            const int j = queue[q];
            for (int i : g.out[static_cast<std::size_t>(j)]) {
                if (classes.of[static_cast<std::size_t>(i)] != k)
                    continue;
                int &li = level[static_cast<std::size_t>(i)];
                if (li < 0) {
                    li = level[static_cast<std::size_t>(j)] + 1;
                    queue.push_back(i);
                }
                period[static_cast<std::size_t>(k)]
                    = std::gcd(period[static_cast<std::size_t>(k)],
                               level[static_cast<std::size_t>(j)] + 1 - li);
            }
        }
    }
    return period;
}

// reach[k] as a bit set over the classes: those class k leads to, k included.
std::vector<std::vector<std::uint64_t>> reachOf(const Graph &g, const Classes &classes)
{
    const std::size_t count = classes.members.size(), words = (count + 63) / 64;
    std::vector<std::vector<std::uint64_t>> reach(count, std::vector<std::uint64_t>(words, 0));
    for (std::size_t k = count; k-- > 0;) {
        reach[k][k / 64] |= std::uint64_t {1} << (k % 64);
        for (int j : classes.members[k])
            for (int i : g.out[static_cast<std::size_t>(j)]) {
                const std::size_t l
                    = static_cast<std::size_t>(classes.of[static_cast<std::size_t>(i)]);
                if (l != k)
                    for (std::size_t w = 0; w < words; ++w)
                        reach[k][w] |= reach[l][w];
            }
    }
    return reach;
}

bool reaches(const std::vector<std::vector<std::uint64_t>> &reach, int from, int to)
{
    return (reach[static_cast<std::size_t>(from)][static_cast<std::size_t>(to) / 64]
            >> (static_cast<std::size_t>(to) % 64))
        & 1;
}

// ----- The Perron root of one class -----

// x scaled so that its entry of largest modulus is 1; false when x is not finite or 0 (the
// solve met a zero pivot).
bool normalise(Vector &x)
{
    if (!x.allFinite())
        return false;
    Eigen::Index top = 0;
    const double largest = x.cwiseAbs().maxCoeff(&top);
    if (!(largest > 0))
        return false;
    x /= x(top);
    return x.allFinite();
}

struct Perron
{
    double radius = 0;
    Vector right, left; // >= 0, largest entry 1
};

// The Perron root of a non-negative irreducible block b of two or more stages, from `shift`, an
// estimate of it (perronShift).
//
// An eigenvalue solver's values (Eigen's Schur form) are backward stable for b as a whole: their
// error is about eps ||b|| times the condition number, a large relative error where the
// spectral radius is small beside ||b||, and they cost n^3 with a large constant. So the root
// comes from its own iteration instead and is refined here. Inverse iteration with the shift
// gives w and v: the LU factors of b - shift I are made once and each sweep is two triangular
// solves, and since the shift is already near the root, the other eigenvectors fade by the ratio of
// the distances in each sweep. The two-sided Rayleigh quotient v' b w / v' w then errs by about the
// product of the errors of v and w, and as v, w and b are >= 0 both sums have non-negative
// terms only: they round in the last bits whatever their sizes, with no cancellation. Where the
// vectors have not settled after a few sweeps (a poor shift) the factors are made again at the
// quotient, which is then Rayleigh quotient iteration. A shift that is an eigenvalue to the
// last bit makes a zero pivot; it is moved off by a relative 1e-10, after which a sweep gains
// some ten digits.
Perron perronOf(const Matrix &b, double shift)
{
    const Eigen::Index m = b.rows();
    const double settled = 16.0 * static_cast<double>(m) * kEpsilon;
    Vector x = Vector::Ones(m), y = Vector::Ones(m);
    for (int round = 0; round < 8; ++round) {
        const Eigen::PartialPivLU<Matrix> lu(b - shift * Matrix::Identity(m, m));
        Vector nx = x, ny = y;
        double change = 1.0;
        bool singular = false;
        for (int sweep = 0; sweep < 4 && change > settled; ++sweep) {
            nx = lu.solve(x);
            ny = lu.transpose().solve(y);
            if (!normalise(nx) || !normalise(ny)) {
                singular = true;
                break;
            }
            change
                = std::max((nx - x).lpNorm<Eigen::Infinity>(), (ny - y).lpNorm<Eigen::Infinity>());
            x = nx;
            y = ny;
        }
        if (singular) {
            shift += std::max(std::fabs(shift), std::numeric_limits<double>::min()) * 1e-10;
            continue;
        }
        x = x.cwiseAbs();
        y = y.cwiseAbs();
        const double quotient = y.dot(b * x) / y.dot(x);
        if (change <= settled || !std::isfinite(quotient) || quotient == shift)
            break;
        shift = quotient;
    }
    Perron perron;
    perron.right = x.cwiseAbs();
    perron.left = y.cwiseAbs();
    perron.radius = perron.left.dot(b * perron.right) / perron.left.dot(perron.right);
    return perron;
}

// ----- The spectrum of a whole matrix, class by class -----

// After a permutation that lists the classes in topological order A is block triangular, so its
// eigenvalues are those of its diagonal blocks: a class is analysed alone, a stage that forms a
// class alone has its diagonal entry as its eigenvalue (exactly), and the spectral radius of A
// is the largest of the classes' Perron roots.
struct ClassSpectrum
{
    double radius = 0;
    int period = 0; // 0: no cycle
    std::vector<Complex> eigenvalues;
    Perron perron; // two or more stages only
};

struct Spectrum
{
    Matrix a;
    Graph graph;
    Classes classes;
    std::vector<ClassSpectrum> perClass;
    bool eigenvaluesFound = true;
    double lambda = 0;
    std::vector<int> basic; // the classes whose Perron root is lambda1
};

// Two Perron roots closer than this, relative to lambda1, count as one: the refined roots are
// good to a few units of rounding, and beyond what the arithmetic can tell apart a tie is
// called a tie.
double sameRootTolerance(int n)
{
    return 64.0 * static_cast<double>(n) * kEpsilon;
}

// A diagonal similarity D^-1 b D, D = diag(2^e(i)) (so exact), that brings the largest
// off-diagonal entry of each row and of its column within a factor of 4 (after Parlett and
// Reinsch, with the largest entries instead of sums, which cannot overflow): a life cycle whose
// rates span hundreds of orders of magnitude (a fecundity of 1e300 beside a survival of 0.2) has
// a Perron vector that spans as many; balanced, the vector's entries are of one order and the
// solves below keep all their digits. The eigenvalues do not change; the Perron vectors of b
// are D x and D^-1 y for those x, y of the balanced block. Returns e.
std::vector<int> balance(Matrix &b)
{
    const Eigen::Index m = b.rows();
    std::vector<int> exponent(static_cast<std::size_t>(m), 0);
    for (int pass = 0; pass < 100; ++pass) {
        bool changed = false;
        for (Eigen::Index i = 0; i < m; ++i) {
            const double diagonal = b(i, i);
            b(i, i) = 0;
            const double row = b.row(i).cwiseAbs().maxCoeff();
            const double column = b.col(i).cwiseAbs().maxCoeff();
            b(i, i) = diagonal;
            if (!(row > 0) || !(column > 0))
                continue;
            const int e = (std::ilogb(row) - std::ilogb(column)) / 2;
            if (e == 0)
                continue;
            changed = true;
            exponent[static_cast<std::size_t>(i)] += e;
            for (Eigen::Index j = 0; j < m; ++j) {
                if (j == i)
                    continue;
                b(i, j) = std::ldexp(b(i, j), -e);
                b(j, i) = std::ldexp(b(j, i), e);
            }
        }
        if (!changed)
            break;
    }
    return exponent;
}

// x(i) 2^(sign e(i)), scaled by a power of 2 to a largest entry in [1, 2) without leaving the
// range on the way.
Vector unbalance(const Vector &x, const std::vector<int> &exponent, int sign)
{
    int top = std::numeric_limits<int>::min();
    for (Eigen::Index i = 0; i < x.size(); ++i)
        if (x(i) > 0)
            top = std::max(top, std::ilogb(x(i)) + sign * exponent[static_cast<std::size_t>(i)]);
    Vector y(x.size());
    for (Eigen::Index i = 0; i < x.size(); ++i)
        y(i) = std::ldexp(x(i), sign * exponent[static_cast<std::size_t>(i)] - top);
    return y / y.maxCoeff();
}

// A shift for perronOf, at or just above the Perron root of an irreducible b >= 0 of two or
// more stages, without solving for every eigenvalue. For x > 0 the Collatz-Wielandt bounds
// min (b x)_i / x_i <= rho(b) <= max (b x)_i / x_i hold; Noda's iteration takes the upper bound
// sigma as the shift of one step of inverse iteration, x <- (sigma I - b)^-1 x (> 0, as
// sigma > rho), which lowers the upper bound monotonically and converges quadratically. Every
// other eigenvalue lies farther from a shift above rho than rho does (peripheral ones too), so
// it cannot lead astray; it stops at a bracket of 1e-10, which the refinement finishes.
double perronShift(const Matrix &b)
{
    const Eigen::Index m = b.rows();
    Vector x = Vector::Ones(m);
    Eigen::ArrayXd ratio = (b * x).array() / x.array();
    double upper = ratio.maxCoeff(), lower = ratio.minCoeff();
    for (int step = 0; step < 50 && upper - lower > 1e-10 * upper; ++step) {
        const Eigen::PartialPivLU<Matrix> lu(upper * Matrix::Identity(m, m) - b);
        Vector next = lu.solve(x);
        if (!next.allFinite() || !(next.minCoeff() > 0))
            break; // upper is rho to the last bits, or rounding spoils the bounds
        next /= next.maxCoeff();
        ratio = (b * next).array() / next.array();
        if (!(ratio.maxCoeff() < upper))
            break;
        upper = ratio.maxCoeff();
        lower = std::max(lower, ratio.minCoeff());
        x = next;
    }
    return upper;
}

Spectrum spectrumOf(const SquareMatrix &a, bool withEigenvalues)
{
    Spectrum s;
    const int n = a.n;
    s.a = Eigen::Map<const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>>(
        a.values.data(), n, n);
    s.graph = graphOf(a);
    s.classes = classesOf(s.graph);
    const std::vector<int> periods = periodsOf(s.graph, s.classes);
    s.perClass.resize(s.classes.members.size());
    for (std::size_t k = 0; k < s.perClass.size(); ++k) {
        ClassSpectrum &c = s.perClass[k];
        const std::vector<int> &members = s.classes.members[k];
        c.period = periods[k];
        if (members.size() == 1) {
            c.radius = s.a(members[0], members[0]);
            c.eigenvalues.assign(1, c.radius);
            continue;
        }
        Matrix block = s.a(members, members);
        const std::vector<int> exponent = balance(block);
        const double blockScale = powerOfTwoScale(block.maxCoeff());
        block /= blockScale;
        c.perron = perronOf(block, perronShift(block));
        c.radius = c.perron.radius * blockScale;
        c.perron.right = unbalance(c.perron.right, exponent, 1);
        c.perron.left = unbalance(c.perron.left, exponent, -1);
        if (!withEigenvalues)
            continue;
        const Eigen::EigenSolver<Matrix> solver(block, false);
        if (solver.info() != Eigen::Success) {
            s.eigenvaluesFound = false;
            continue;
        }
        for (Eigen::Index e = 0; e < solver.eigenvalues().size(); ++e)
            c.eigenvalues.push_back(solver.eigenvalues()(e) * blockScale);
    }
    for (const ClassSpectrum &c : s.perClass)
        s.lambda = std::max(s.lambda, c.radius);
    if (s.lambda > 0) {
        for (int k = 0; k < s.classes.count(); ++k) {
            ClassSpectrum &c = s.perClass[static_cast<std::size_t>(k)];
            if (c.radius >= s.lambda * (1 - sameRootTolerance(n))) {
                s.basic.push_back(k);
                c.radius = s.lambda;
            }
        }
    }
    return s;
}

// The eigenvalues of a class of period p on the circle of its Perron root, radius times the p-th
// roots of unity, put in place of the solver's nearest ones: a cycle of period 3 has three
// eigenvalues of equal modulus, exactly.
void placePeripheralEigenvalues(ClassSpectrum &c)
{
    if (c.eigenvalues.size() == 1)
        c.eigenvalues[0] = c.radius;
    if (c.eigenvalues.size() < 2 || c.period < 1)
        return;
    const double pi = std::acos(-1.0);
    std::vector<char> placed(c.eigenvalues.size(), 0);
    for (int k = 0; k < c.period; ++k) {
        Complex target = std::polar(c.radius, 2 * pi * k / c.period);
        if (k == 0)
            target = c.radius;
        else if (2 * k == c.period)
            target = -c.radius;
        std::size_t nearest = c.eigenvalues.size();
        for (std::size_t e = 0; e < c.eigenvalues.size(); ++e)
            if (!placed[e]
                && (nearest == c.eigenvalues.size()
                    || std::abs(c.eigenvalues[e] - target)
                        < std::abs(c.eigenvalues[nearest] - target)))
                nearest = e;
        c.eigenvalues[nearest] = target;
        placed[nearest] = 1;
    }
}

// ----- The eigenvectors of lambda1 -----

// The right eigenvector of lambda1 (or with `left` the left one) that starts in the basic class
// `start`, with its Perron vector there, and flows to every class start leads to (or that leads
// to start): in topological order (or its reverse) each such class K solves
// (lambda1 I - A_KK) w_K = sum over the classes J before it of A_KJ w_J (or the transposed
// system for v). No class on the way has lambda1 as its root (start is the last, or first,
// basic class there), so lambda1 I - A_KK is a non-singular M-matrix and w_K > 0; every other
// class holds an exact 0.
Vector eigenvector(const Spectrum &s, int start, bool left)
{
    const Classes &classes = s.classes;
    const Perron &perron = s.perClass[static_cast<std::size_t>(start)].perron;
    Vector x = Vector::Zero(s.a.rows());
    const std::vector<int> &first = classes.members[static_cast<std::size_t>(start)];
    for (std::size_t t = 0; t < first.size(); ++t)
        x(first[t]) = first.size() == 1
            ? 1.0
            : (left ? perron.left : perron.right)(static_cast<Eigen::Index>(t));
    std::vector<char> joined(classes.members.size(), 0);
    joined[static_cast<std::size_t>(start)] = 1;
    const int step = left ? -1 : 1;
    for (int k = start + step; k >= 0 && k < classes.count(); k += step) {
        const std::vector<int> &members = classes.members[static_cast<std::size_t>(k)];
        Vector inflow = Vector::Zero(static_cast<Eigen::Index>(members.size()));
        for (std::size_t t = 0; t < members.size(); ++t) {
            const int stage = members[t];
            const auto &neighbours = left ? s.graph.out : s.graph.in;
            for (int other : neighbours[static_cast<std::size_t>(stage)]) {
                const int from = classes.of[static_cast<std::size_t>(other)];
                if (from == k || !joined[static_cast<std::size_t>(from)])
                    continue;
                joined[static_cast<std::size_t>(k)] = 1;
                inflow(static_cast<Eigen::Index>(t))
                    += (left ? s.a(other, stage) : s.a(stage, other)) * x(other);
            }
        }
        if (!joined[static_cast<std::size_t>(k)])
            continue;
        Matrix m
            = s.lambda * Matrix::Identity(inflow.size(), inflow.size()) - s.a(members, members);
        if (left)
            m.transposeInPlace();
        const double scale = powerOfTwoScale(m.cwiseAbs().maxCoeff());
        const Vector part = (m / scale).partialPivLu().solve(inflow / scale).cwiseAbs();
        x(members) = part;
        // Keep far from overflow along a long chain of slowly draining classes.
        const double top = part.maxCoeff();
        if (top > 1e150)
            x /= top;
    }
    return x;
}

// Sums with Neumaier's compensation: the elasticities are divided by their own sum, and over
// n^2 terms plain summation could lose more than the 1e-12 they are to sum to 1 within.
struct CompensatedSum
{
    double sum = 0, compensation = 0;
    void add(double x)
    {
        const double t = sum + x;
        compensation += std::fabs(sum) >= std::fabs(x) ? (sum - t) + x : (x - t) + sum;
        sum = t;
    }
    double value() const { return sum + compensation; }
};

// A product of factors that may each lie anywhere in the double range, kept as a mantissa and a
// binary exponent, so that it neither over- nor underflows before its quotient is formed.
struct Scaled
{
    double mantissa = 0;
    int exponent = 0;
};

Scaled scaledProduct(std::initializer_list<double> factors)
{
    Scaled product {1.0, 0};
    for (double factor : factors) {
        int exponent = 0;
        product.mantissa *= std::frexp(factor, &exponent);
        product.exponent += exponent;
    }
    return product;
}

// The sum of such products, each scaled to the largest before it is added (a term that then
// underflows is below the rounding of the sum).
Scaled scaledSum(const std::vector<Scaled> &terms)
{
    Scaled sum {0.0, std::numeric_limits<int>::min()};
    for (const Scaled &term : terms)
        if (term.mantissa != 0)
            sum.exponent = std::max(sum.exponent, term.exponent);
    if (sum.exponent == std::numeric_limits<int>::min())
        return {0.0, 0};
    CompensatedSum total;
    for (const Scaled &term : terms)
        total.add(std::ldexp(term.mantissa, term.exponent - sum.exponent));
    sum.mantissa = total.value();
    return sum;
}

// p / q as a double (0 or infinity where it lies beyond the range).
double quotient(const Scaled &p, const Scaled &q)
{
    return std::ldexp(p.mantissa / q.mantissa, p.exponent - q.exponent);
}

// ----- R0 and the fundamental matrix -----

struct Reproduction
{
    std::optional<double> r0;
    std::optional<std::vector<double>> lifeExpectancy;
    std::string why;
};

constexpr const char *kNeverDie = "U has spectral radius \u2265 1: individuals never die";

// With U >= 0, rho(U) < 1 exactly when I - U is a non-singular M-matrix, that is when
// N = (I - U)^-1 exists and is >= 0 (then N = I + U + U^2 + ...); where rho(U) > 1 the Perron
// vector x of U gives N x = x / (1 - rho(U)) < 0, so N has a negative entry, and one where N
// may be non-zero at all: N(i, j) = 0 wherever U's graph has no path from j to i, whatever
// rho(U). Survival and growth rarely let a column of U sum above 1, and where none does a
// cheaper test of the graph decides: rho(U) < 1 exactly when every stage leads, through U's
// arrows, to a stage whose column sums below 1 (from there some individuals die). Otherwise a
// set of stages that leads to no such stage keeps its individuals for ever: its block of U is
// column-stochastic, of spectral radius 1.
//
// R0 is the spectral radius of F N (C counted with F). Only the rows of the stages that receive
// offspring are non-zero in F N, so its eigenvalues are those of its block on these stages and
// zeros: R0 is the Perron root of that k x k block, found as lambda1 is. k is usually 1 (one
// newborn stage), where R0 is the one entry, F N's trace; the block needs only the k columns of
// N for those stages, two triangular solves each. No entry of N is subtracted anywhere.
Reproduction reproductionOf(const StageModel &model)
{
    Reproduction result;
    if (!model.split()) {
        result.why = "the model is not split into U and F";
        return result;
    }
    const SquareMatrix &u = *model.u;
    const int n = u.n;
    const Graph graph = graphOf(u);
    const Classes classes = classesOf(graph);
    const auto reach = reachOf(graph, classes);
    const auto mayBePositive = [&](int i, int j) {
        return reaches(reach, classes.of[static_cast<std::size_t>(j)],
                       classes.of[static_cast<std::size_t>(i)]);
    };

    Matrix iMinusU = Matrix::Identity(n, n);
    std::vector<double> columnSum(static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            iMinusU(i, j) -= u.at(i, j);
            columnSum[static_cast<std::size_t>(j)] += u.at(i, j);
        }
    const bool substochastic
        = std::all_of(columnSum.begin(), columnSum.end(), [](double c) { return c <= 1; });
    if (substochastic) {
        std::vector<char> leads(static_cast<std::size_t>(n), 0);
        std::vector<int> queue;
        for (int j = 0; j < n; ++j)
            if (columnSum[static_cast<std::size_t>(j)] < 1) {
                leads[static_cast<std::size_t>(j)] = 1;
                queue.push_back(j);
            }
        for (std::size_t q = 0; q < queue.size(); ++q)
            for (int j : graph.in[static_cast<std::size_t>(queue[q])])
                if (!leads[static_cast<std::size_t>(j)]) {
                    leads[static_cast<std::size_t>(j)] = 1;
                    queue.push_back(j);
                }
        if (queue.size() != static_cast<std::size_t>(n)) {
            result.why = kNeverDie;
            return result;
        }
    }
    const Eigen::PartialPivLU<Matrix> lu(iMinusU);
    // The stages that receive offspring, and F + C, to be scaled by a power of 2 to entries
    // below 2 so that no product leaves the range before the scale returns.
    Matrix births = Matrix::Zero(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            births(i, j) = model.f->at(i, j) + (model.c ? model.c->at(i, j) : 0.0);
    std::vector<int> receiving;
    for (int i = 0; i < n; ++i)
        if (births.row(i).maxCoeff() > 0)
            receiving.push_back(i);
    const double birthScale = receiving.empty() ? 1.0 : powerOfTwoScale(births.maxCoeff());

    Matrix columns; // N's columns of the receiving stages
    Vector expectancy;
    if (substochastic) {
        Matrix unit = Matrix::Zero(n, static_cast<Eigen::Index>(receiving.size()));
        for (std::size_t t = 0; t < receiving.size(); ++t)
            unit(receiving[t], static_cast<Eigen::Index>(t)) = 1.0;
        // Without births there is nothing to solve for (and Eigen's solve of no columns reads
        // the first entry of an empty matrix).
        columns = receiving.empty() ? Matrix(n, 0) : Matrix(lu.solve(unit));
        expectancy = lu.transpose().solve(Vector::Ones(n));
        for (std::size_t t = 0; t < receiving.size(); ++t)
            for (int i = 0; i < n; ++i)
                columns(i, static_cast<Eigen::Index>(t)) = mayBePositive(i, receiving[t])
                    ? std::fabs(columns(i, static_cast<Eigen::Index>(t)))
                    : 0.0;
    } else {
        Matrix fundamental = lu.solve(Matrix::Identity(n, n));
        if (!fundamental.allFinite()) {
            result.why = kNeverDie;
            return result;
        }
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                if (!mayBePositive(i, j))
                    fundamental(i, j) = 0.0;
                else if (!(fundamental(i, j) > 0)) {
                    result.why = kNeverDie;
                    return result;
                }
            }
        columns = fundamental(Eigen::all, receiving);
        expectancy = fundamental.colwise().sum().transpose();
    }
    if (!columns.allFinite() || !expectancy.allFinite()) {
        // N is singular to working precision: rho(U) is 1 to the last bits.
        result.why = kNeverDie;
        return result;
    }
    result.lifeExpectancy = std::vector<double>(expectancy.data(), expectancy.data() + n);

    if (receiving.empty()) {
        result.r0 = 0.0;
        return result;
    }
    const int k = static_cast<int>(receiving.size());
    SquareMatrix block(k);
    for (int s = 0; s < k; ++s)
        for (int t = 0; t < k; ++t) {
            double sum = 0;
            for (int i = 0; i < n; ++i)
                sum += births(receiving[static_cast<std::size_t>(s)], i) / birthScale
                    * columns(i, t);
            block.at(s, t) = sum;
        }
    if (!allFinite(block.values)) {
        result.why = "R0 lies beyond the number range";
        return result;
    }
    const std::optional<double> radius
        = k == 1 ? std::optional<double>(block.at(0, 0)) : DominantEigenvalue(block);
    if (radius)
        result.r0 = finite(*radius * birthScale);
    if (!result.r0)
        result.why = "R0 lies beyond the number range";
    return result;
}

// The basic classes the eigenvectors of lambda1 start in: w in the one no other basic class
// follows, v in the one none precedes; where there are two such, that eigenvector is not unique.
struct Ends
{
    std::vector<int> last, earliest;
};

Ends endsOf(const Spectrum &s, const std::vector<std::vector<std::uint64_t>> &reach)
{
    Ends ends;
    for (int k : s.basic) {
        bool followed = false, preceded = false;
        for (int l : s.basic) {
            followed = followed || (l != k && reaches(reach, k, l));
            preceded = preceded || (l != k && reaches(reach, l, k));
        }
        if (!followed)
            ends.last.push_back(k);
        if (!preceded)
            ends.earliest.push_back(k);
    }
    return ends;
}

// w from the basic class `start`, scaled to a largest entry of 1.
Vector scaledRightVector(const Spectrum &s, int start)
{
    Vector w = eigenvector(s, start, false);
    const double top = w.maxCoeff();
    w /= top;
    return w;
}

// w as shares that sum to 1; empty where a share is not finite.
std::optional<std::vector<double>> distributionOf(const Vector &w)
{
    std::vector<double> distribution(w.data(), w.data() + w.size());
    const double sum = w.sum();
    for (double &x : distribution)
        x /= sum;
    if (!allFinite(distribution))
        return std::nullopt;
    return distribution;
}

} // namespace

Growth StageGrowth(const SquareMatrix &a)
{
    Growth growth;
    if (!usable(a))
        return growth;
    const Spectrum s = spectrumOf(a, false);
    growth.lambda = finite(s.lambda);
    if (!growth.lambda || *growth.lambda == 0)
        return growth;
    growth.intrinsicRate = finite(std::log(s.lambda));
    const Ends ends = endsOf(s, reachOf(s.graph, s.classes));
    if (ends.last.size() == 1)
        growth.stableDistribution = distributionOf(scaledRightVector(s, ends.last.front()));
    return growth;
}

std::optional<double> DominantEigenvalue(const SquareMatrix &a)
{
    if (!usable(a))
        return std::nullopt;
    const Spectrum s = spectrumOf(a, false);
    return finite(s.lambda);
}

MatrixStructure StructureOf(const SquareMatrix &a)
{
    MatrixStructure structure;
    if (a.n < 1 || a.values.size() != static_cast<std::size_t>(a.n) * static_cast<std::size_t>(a.n))
        return structure;
    const Graph graph = graphOf(a);
    const Classes classes = classesOf(graph);
    structure.classOf = classes.of;
    structure.irreducible = classes.count() == 1;
    if (structure.irreducible) {
        const int period = periodsOf(graph, classes)[0];
        if (period > 0)
            structure.period = period;
    }
    return structure;
}

StageAnalysis AnalyseStage(const StageModel &model)
{
    StageAnalysis analysis;
    analysis.stages = model.stages();
    analysis.names = model.names;
    if (CheckStageModel(model))
        return analysis;
    const int n = model.stages();
    const MatrixStructure structure = StructureOf(model.a);
    analysis.irreducible = structure.irreducible;
    analysis.period = structure.period;
    analysis.primitive = structure.primitive();

    const Reproduction reproduction = reproductionOf(model);
    analysis.netReproductiveRate = reproduction.r0;
    analysis.lifeExpectancy = reproduction.lifeExpectancy;
    analysis.whyNoR0 = reproduction.why;

    Spectrum s = spectrumOf(model.a, true);
    const std::optional<double> lambda = finite(s.lambda);
    if (!lambda)
        return analysis;
    analysis.lambda = lambda;

    // The eigenvalues, lambda1 (the basic class's Perron root) first.
    if (s.eigenvaluesFound) {
        std::vector<Complex> others;
        bool first = true;
        for (int k = 0; k < s.classes.count(); ++k) {
            ClassSpectrum &c = s.perClass[static_cast<std::size_t>(k)];
            placePeripheralEigenvalues(c);
            for (Complex e : c.eigenvalues) {
                if (first && k == (s.basic.empty() ? -1 : s.basic.front()) && e == c.radius)
                    first = false;
                else
                    others.push_back(e);
            }
        }
        std::sort(others.begin(), others.end(), [](Complex p, Complex q) {
            if (std::abs(p) != std::abs(q))
                return std::abs(p) > std::abs(q);
            if (p.real() != q.real())
                return p.real() > q.real();
            return p.imag() > q.imag();
        });
        if (*lambda == 0)
            others.assign(static_cast<std::size_t>(n) - 1, 0.0);
        analysis.eigenvalues.push_back(*lambda);
        analysis.eigenvalues.insert(analysis.eigenvalues.end(), others.begin(), others.end());
        const bool allFiniteValues
            = std::all_of(analysis.eigenvalues.begin(), analysis.eigenvalues.end(), [](Complex e) {
                  return std::isfinite(e.real()) && std::isfinite(e.imag());
              });
        if (!allFiniteValues || analysis.eigenvalues.size() != static_cast<std::size_t>(n))
            analysis.eigenvalues.clear();
    }

    // |lambda2|: lambda1 itself where a second class shares the root or the basic class is
    // periodic (its other peripheral eigenvalues), else the largest of the rest.
    const bool periodicBasic
        = s.basic.size() == 1 && s.perClass[static_cast<std::size_t>(s.basic.front())].period > 1;
    if (n > 1 && (s.basic.size() > 1 || periodicBasic)) {
        analysis.secondModulus = *lambda;
        analysis.dampingRatio = 1.0;
    } else if (n > 1 && !analysis.eigenvalues.empty()) {
        const double second = std::abs(analysis.eigenvalues[1]);
        const bool negligible = second <= 8.0 * static_cast<double>(n) * kEpsilon * *lambda;
        analysis.secondModulus = negligible ? 0.0 : second;
        if (!negligible)
            analysis.dampingRatio = finite(*lambda / second);
    }

    if (*lambda == 0)
        return analysis;
    const double logLambda = std::log(s.lambda);
    analysis.intrinsicRate = finite(logLambda);
    if (logLambda != 0)
        analysis.doublingTime = finite(std::log(2.0) / logLambda);
    if (analysis.netReproductiveRate && *analysis.netReproductiveRate > 0) {
        // Where R0 or lambda1 is 1 so is the other, and the quotient of two logarithms of
        // rounding noise means nothing; so where their signs disagree.
        const double logR0 = std::log(*analysis.netReproductiveRate);
        if (logR0 != 0 && logLambda != 0 && (logR0 > 0) == (logLambda > 0))
            analysis.generationTime = finite(logR0 / logLambda);
    }

    const auto reach = reachOf(s.graph, s.classes);
    const Ends ends = endsOf(s, reach);
    Vector w, v;
    if (ends.last.size() == 1) {
        w = scaledRightVector(s, ends.last.front());
        analysis.stableDistribution = distributionOf(w);
    }
    if (ends.earliest.size() == 1) {
        v = eigenvector(s, ends.earliest.front(), true);
        v /= v.maxCoeff();
        std::vector<double> values(v.data(), v.data() + n);
        // Where v overflowed (an entry of 1e117 beside a lambda1 of 1e-300) the scaled vector
        // holds no positive entry, and v is undefined.
        const auto firstNonZero
            = std::find_if(values.begin(), values.end(), [](double x) { return x > 0; });
        if (firstNonZero != values.end()) {
            const double unit = *firstNonZero;
            for (double &x : values)
                x /= unit;
            if (allFinite(values))
                analysis.reproductiveValues = values;
        }
    }

    // Ergodic: v > 0, every stage leads to the basic class; never where lambda1 is not simple,
    // where the long-run structure depends on where the population starts.
    const bool simple = s.basic.size() == 1;
    bool everyStageLeads = simple;
    for (int k = 0; simple && k < s.classes.count(); ++k)
        everyStageLeads = everyStageLeads && reaches(reach, k, s.basic.front());
    analysis.ergodic = everyStageLeads;
    if (!simple || !analysis.stableDistribution || !analysis.reproductiveValues)
        return analysis;

    // S = v w' / <v, w> and E(i, j) = v(i) a(i, j) w(j) / (lambda1 <v, w>), free of the scale
    // of v and w. Where the rates span hundreds of orders of magnitude so do v and w, and a
    // product such as v(i) w(j) may underflow on its way to a quotient that does not; so each
    // product is carried as a mantissa and an exponent. The elasticities are divided by the sum
    // of their own numerators, which is lambda1 <v, w> up to the product of the vectors'
    // errors, so that they sum to 1 within the rounding of that sum.
    std::vector<Scaled> terms;
    for (int i = 0; i < n; ++i)
        terms.push_back(scaledProduct({v(i), w(i)}));
    const Scaled product = scaledSum(terms);
    const double condition = std::ldexp(v.norm() * w.norm() / product.mantissa, -product.exponent);
    if (!(product.mantissa > 0) || !std::isfinite(condition))
        return analysis;
    analysis.conditionNumber = condition;
    terms.clear();
    SquareMatrix sensitivity(n), elasticity(n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            sensitivity.at(i, j) = quotient(scaledProduct({v(i), w(j)}), product);
            terms.push_back(scaledProduct({v(i), s.a(i, j), w(j)}));
        }
    const Scaled total = scaledSum(terms);
    for (std::size_t e = 0; e < terms.size(); ++e)
        elasticity.values[e] = quotient(terms[e], total);
    if (allFinite(sensitivity.values))
        analysis.sensitivity = std::move(sensitivity);
    if (total.mantissa > 0 && allFinite(elasticity.values))
        analysis.elasticity = std::move(elasticity);
    return analysis;
}

} // namespace tarnvale

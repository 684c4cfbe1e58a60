#include "core/lifecyclegraph.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <numbers>

namespace tarnvale {

namespace {

constexpr double kSpacing = 4.0; // between the centres of neighbours in a row
constexpr int kLongestRow = 8;
constexpr double kPlainWidth = 1.5;
constexpr double kThinnest = 1.0, kThickest = 9.0;

GraphPoint operator+(GraphPoint a, GraphPoint b)
{
    return {a.x + b.x, a.y + b.y};
}
GraphPoint operator-(GraphPoint a, GraphPoint b)
{
    return {a.x - b.x, a.y - b.y};
}
GraphPoint operator*(double k, GraphPoint a)
{
    return {k * a.x, k * a.y};
}
double length(GraphPoint a)
{
    return std::hypot(a.x, a.y);
}
GraphPoint unit(GraphPoint a)
{
    const double l = length(a);
    return l > 0 ? (1 / l) * a : GraphPoint {0, -1};
}
GraphPoint rotated(GraphPoint a, double degrees)
{
    const double r = degrees * std::numbers::pi / 180;
    return {a.x * std::cos(r) - a.y * std::sin(r), a.x * std::sin(r) + a.y * std::cos(r)};
}

// An entry of one part that becomes an arrow.
struct Entry
{
    int from = 0, to = 0;
    ArrowKind kind = ArrowKind::Transition;
    double value = 0.0;
    double share = 1.0; // of a(to, from): value / a
};

std::vector<Entry> entriesOf(const StageModel &model)
{
    std::vector<Entry> entries;
    const int n = model.stages();
    const auto add = [&](const SquareMatrix &m, ArrowKind kind, bool aboveIsReproduction) {
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                const double v = m.at(i, j);
                if (v == 0)
                    continue;
                const double a = model.a.at(i, j);
                const ArrowKind k = aboveIsReproduction && i < j ? ArrowKind::Reproduction : kind;
                entries.push_back({j, i, k, v, a > 0 ? v / a : 0.0});
            }
    };
    if (model.split()) {
        add(*model.u, ArrowKind::Transition, false);
        add(*model.f, ArrowKind::Reproduction, false);
        if (model.c)
            add(*model.c, ArrowKind::Clonal, false);
    } else {
        add(model.a, ArrowKind::Transition, true);
    }
    return entries;
}

// Where a quadratic curve stands halfway.
GraphPoint halfway(const GraphArrow &arrow)
{
    return 0.25 * arrow.start + 0.5 * arrow.control + 0.25 * arrow.end;
}

// The curve between two nodes bent by `bend` (in units, to the left of the way from `a` to `b`
// as the screen shows it, y pointing down), its ends on the rims.
void placeCurve(GraphArrow &arrow, GraphPoint a, GraphPoint b, double bend)
{
    const GraphPoint middle = 0.5 * (a + b);
    const GraphPoint across = rotated(unit(b - a), -90);
    arrow.control = middle + bend * across;
    arrow.start = a + unit(arrow.control - a);
    arrow.end = b + unit(arrow.control - b);
    // The label beside the curve's middle, on its outer side.
    const double side = bend == 0 ? 1.0 : (bend > 0 ? 1.0 : -1.0);
    arrow.labelAt = halfway(arrow) + (side * 0.55) * across;
}

// A loop on the node at `centre` leaving in the direction `out`.
void placeLoop(GraphArrow &arrow, GraphPoint centre, GraphPoint out, int rank)
{
    const double reach = 3.2 + 1.2 * rank;
    arrow.start = centre + rotated(out, -35);
    arrow.end = centre + rotated(out, 35);
    arrow.control = centre + reach * out;
    arrow.labelAt = halfway(arrow) + 0.55 * out;
}

} // namespace

std::string ArrowValueText(double value)
{
    if (!std::isfinite(value))
        return "undefined";
    if (value == 0)
        return "0";
    std::array<char, 32> buffer {};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::general, 3)
                         .ptr;
    return std::string(buffer.data(), end);
}

LifeCycleGraph LayoutLifeCycleGraph(const StageModel &model,
                                    const std::optional<SquareMatrix> &elasticity)
{
    LifeCycleGraph graph;
    const int n = model.stages();
    if (n > kMaxDrawnStages) {
        graph.tooMany = true;
        return graph;
    }
    const std::vector<Entry> entries = entriesOf(model);

    bool neighbours = true;
    for (const Entry &e : entries)
        if (e.kind == ArrowKind::Transition && std::abs(e.from - e.to) > 1)
            neighbours = false;
    graph.layout = neighbours && n <= kLongestRow ? GraphLayout::Row : GraphLayout::Circle;

    const double radius = n < 3 ? 3.0 : std::max(3.5, 2.3 / std::sin(std::numbers::pi / n));
    for (int i = 0; i < n; ++i) {
        GraphNode node;
        node.number = std::to_string(i + 1);
        node.name = static_cast<int>(model.names.size()) == n ? model.names[i] : node.number;
        if (graph.layout == GraphLayout::Row) {
            node.centre = {i * kSpacing, 0};
            node.nameAt = {node.centre.x, 1.25};
        } else {
            const double angle = -90 + 360.0 * i / n;
            node.centre = rotated({radius, 0}, angle);
            node.nameAt = {radius + 3.5, -radius + 1.2 * i};
            node.inList = true;
        }
        graph.nodes.push_back(node);
    }

    double largest = 0;
    if (elasticity && elasticity->n == n) {
        graph.elasticities = true;
        for (const Entry &e : entries)
            largest = std::max(largest, elasticity->at(e.to, e.from) * e.share);
    }

    // Arrows that join the same two nodes in the same direction are bent apart.
    std::map<std::pair<int, int>, int> drawn;
    for (const Entry &e : entries) {
        GraphArrow arrow;
        arrow.from = e.from;
        arrow.to = e.to;
        arrow.kind = e.kind;
        arrow.loop = e.from == e.to;
        arrow.value = e.value;
        arrow.label = ArrowValueText(e.value);
        if (graph.elasticities) {
            const double share = elasticity->at(e.to, e.from) * e.share;
            arrow.label = ArrowValueText(share);
            arrow.width = largest > 0 && std::isfinite(share)
                ? kThinnest + (kThickest - kThinnest) * std::max(share, 0.0) / largest
                : kThinnest;
        } else {
            arrow.width = kPlainWidth;
        }
        const int rank = drawn[{e.from, e.to}]++;
        const GraphPoint a = graph.nodes[e.from].centre, b = graph.nodes[e.to].centre;
        if (arrow.loop) {
            const GraphPoint out = graph.layout == GraphLayout::Row ? GraphPoint {0, -1} : unit(a);
            placeLoop(arrow, a, out, rank);
        } else if (graph.layout == GraphLayout::Row) {
            // Forward to the neighbour straight; other arrows arch, backward ones above the row
            // and forward ones below it, the higher the farther they go.
            const int distance = std::abs(e.to - e.from);
            const bool forward = e.to > e.from;
            // Arches clear the loops above the row and the names below it.
            double bend = forward && distance == 1 ? 0.0 : 4.6 + 1.6 * distance;
            bend += 1.4 * rank;
            // Right of the way: above the row going backward, below it going forward.
            placeCurve(arrow, a, b, -bend);
            if (bend == 0)
                arrow.labelAt = 0.5 * (arrow.start + arrow.end) + GraphPoint {0, -0.55};
        } else {
            const double chord = length(b - a);
            placeCurve(arrow, a, b, 0.18 * chord + 1.2 * rank);
        }
        graph.arrows.push_back(arrow);
    }
    return graph;
}

} // namespace tarnvale

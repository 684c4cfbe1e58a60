#pragma once

#include "core/stagemodel.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnvale {

// Up to this many stages the life-cycle graph is drawn; above, it says so instead.
inline constexpr int kMaxDrawnStages = 12;
// Said in the graph's place above kMaxDrawnStages stages.
inline constexpr const char *kTooManyStagesText = "too many stages to draw";

// A point of the graph's drawing, in units of the node radius (a node is a circle of radius 1).
struct GraphPoint
{
    double x = 0.0;
    double y = 0.0;

    bool operator==(const GraphPoint &) const = default;
};

// What an arrow stands for: survival and growth (A, or U when split), sexual reproduction (F, or
// an entry of A above the diagonal when not split), clonal reproduction (C).
enum class ArrowKind { Transition, Reproduction, Clonal };

// One arrow j -> i for a non-zero a(i, j), or a loop on node j for a(j, j).
struct GraphArrow
{
    int from = 0; // j, the column
    int to = 0; // i, the row
    ArrowKind kind = ArrowKind::Transition;
    bool loop = false; // from == to
    double value = 0.0; // the entry
    std::string label; // the entry, or its elasticity, in 3 significant digits
    double width = 1.0; // the pen's width in pixels: 1.5, or in proportion to the elasticity
    // The arrow is the quadratic curve from `start` through the pull of `control` to `end`, which
    // lie on the rims of the two nodes; a loop starts and ends on its node's rim. The label
    // stands at `labelAt`.
    GraphPoint start, control, end, labelAt;

    bool operator==(const GraphArrow &) const = default;
};

// A stage: a circle of radius 1 around `centre` with its number from 1 inside, and its name at
// `nameAt` where the name is not that number: in a row the top centre of the text, below the
// node; on a circle the top left of a line "number  name" in a list beside the circle, where
// names do not cross the arrows.
struct GraphNode
{
    GraphPoint centre;
    std::string number;
    std::string name;
    GraphPoint nameAt;
    bool inList = false;

    bool operator==(const GraphNode &) const = default;
};

enum class GraphLayout { Row, Circle };

// The whole drawing, or `tooMany` set and nothing else.
struct LifeCycleGraph
{
    bool tooMany = false;
    GraphLayout layout = GraphLayout::Row;
    std::vector<GraphNode> nodes;
    std::vector<GraphArrow> arrows; // loops included
    bool elasticities = false; // the labels and widths tell elasticities
};

// The text of a rate or an elasticity on an arrow: 3 significant digits, locale-free ("0.675",
// "127", "0.0486", "1.23e+03").
std::string ArrowValueText(double value);

// Lays out the life-cycle graph of `model`: one node per stage, named, in a row when every arrow
// of survival and growth joins neighbours (j -> j, j + 1 or j - 1) and the row is short, else on a
// circle. An arrow for each non-zero entry: of A when not split (above the diagonal it counts as
// reproduction), of U, F and C when split (an entry non-zero in two parts gives two arrows).
// With `elasticity` (n x n, of A) each arrow is labelled with its share of the elasticity of its
// entry, a(i, j)'s elasticity split between the parts in proportion to their entries, and drawn
// with a width in proportion to it, from 1 to 9 pixels. Above kMaxDrawnStages stages: tooMany.
LifeCycleGraph LayoutLifeCycleGraph(const StageModel &model,
                                    const std::optional<SquareMatrix> &elasticity = {});

} // namespace tarnvale

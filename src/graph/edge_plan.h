// An edge's candidates as the helper plans them ahead of the builder: the
// nearest few of each round, in the order the builder's search tests them.
#pragma once

#include "point_grid.h"

#include <cstdint>

namespace tessaline::faces {

struct planned_candidate {
    double distance;
    std::int32_t index;
};

inline constexpr int max_planned_rounds = 6;
inline constexpr int planned_per_round = 4;

struct planned_round {
    double clearance; // no point nearer than this is left outside the searched cells
    double cap;       // the candidates left out of the round are no nearer than this
    std::int32_t end; // past the round's last candidate
};

struct edge_plan {
    bool usable;    // false: the edge is not planned
    bool exhausted; // after the last round every cell that can add a candidate was searched
    std::int8_t round_count;
    planned_round rounds[max_planned_rounds];
    planned_candidate candidates[max_planned_rounds * planned_per_round];
};

// Plans edge from -> to over the grid's rings. A round keeps its nearest few
// below a cap, the third nearest point found before it, which is as far as
// the builder is expected to go; rounds go on until that point would end the
// search.
void plan_edge(const point_grid& grid, std::int32_t from, std::int32_t to, edge_plan& plan);

} // namespace tessaline::faces

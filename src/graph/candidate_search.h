// The builder's search for an edge's third point: the nearest free point on
// its outer side, found over the grid's rings or taken from a helper's plan.
#pragma once

#include "edge_plan.h"
#include "face_index.h"
#include "point_grid.h"

#include <cstdint>
#include <vector>

namespace tessaline::faces {

class candidate_search {
  public:
    candidate_search(const point_grid& grid, face_index& faces);

    // The rank of the third point of edge from -> to, or -1.
    std::int32_t find(std::int32_t from, std::int32_t to);
    // The same from a plan, or -2 where the plan does not reach as far as
    // the search has to go; find then reuses the points the plan tested.
    std::int32_t from_plan(std::int32_t from, std::int32_t to, const edge_plan& plan);
    // Forgets what the last edge's search learnt.
    void next_edge() {
        tested_count_ = 0;
        faces_.next_edge();
    }

  private:
    // A candidate point or a node of a crowded cell's point tree, queued by
    // distance from the edge's midpoint.
    struct queued {
        double distance;
        std::uint64_t key; // handout order: cell order in the round, then rank
        std::int32_t index;
    };
    struct tested_point {
        std::int32_t index;
        bool free;
    };
    // One edge's search: its best point so far and the round being settled.
    class edge_search;

    const point_grid& grid_;
    face_index& faces_;
    std::vector<queued> round_candidates_, round_nodes_; // heaps of one round
    std::vector<queued> scan_buffer_;                    // one cell's points
    // Points a plan tested before it fell short, for the search that follows;
    // the faces have not changed since.
    tested_point tested_[max_planned_rounds * planned_per_round];
    std::int32_t tested_count_ = 0;
};

} // namespace tessaline::faces

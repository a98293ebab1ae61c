// The mark texts of an axis' list, caption left out: what the tests compare.
#pragma once

#include "graph/declaration.h"

#include <string>
#include <vector>

namespace tessaline::test {

inline std::vector<std::string> texts(const marks& list) {
    std::vector<std::string> out;
    for (size_t i = 1; i < list.size(); ++i)
        out.push_back(list[i].text);
    return out;
}

} // namespace tessaline::test

#pragma once

#include <algorithm>
#include <vector>

namespace tessik::tools {

// The middle value of some timings (the upper middle of an even count); `values` must not be empty.
inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace tessik::tools

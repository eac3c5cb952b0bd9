// Sorting points by one coordinate. The order is that of repeated passes
// exchanging adjacent points whose keys are strictly out of order: a stable
// sort in which a NaN key never moves. Without NaN keys a stable merge sort
// gives the same order in n log n; with them the passes are made as such.
#include "numeric/point_sort.h"

#include "pelund/numeric.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace pelund {
namespace {

using Point = std::array<double, 3>;

}  // namespace

int sortPoints(double* points, int count, int mode)
{
    if (!points || count <= 1)
        return 0;
    int axis, descending;
    switch (mode) {
    case 1: axis = 0, descending = 0; break;
    case 2: axis = 0, descending = 1; break;
    case 4: axis = 1, descending = 0; break;
    case 8: axis = 1, descending = 1; break;
    case 16: axis = 2, descending = 0; break;
    case 32: axis = 2, descending = 1; break;
    default: return 0;
    }
    auto before = [axis, descending](const Point& a, const Point& b) {
        return descending ? a[axis] > b[axis] : a[axis] < b[axis];
    };
    size_t n = size_t(count);
    bool anyNaN = false;
    for (size_t k = 0; k < n && !anyNaN; ++k)
        anyNaN = std::isnan(points[k * 3 + axis]);
    if (!anyNaN) {
        try {
            std::vector<Point> copy(n);
            std::memcpy(copy.data(), points, n * sizeof(Point));
            std::stable_sort(copy.begin(), copy.end(), before);
            std::memcpy(points, copy.data(), n * sizeof(Point));
            return 0;
        } catch (...) {
            // No memory for the copy: sort in place below.
        }
    }
    auto* p = reinterpret_cast<Point*>(points);
    for (bool exchanged = true; exchanged;) {
        exchanged = false;
        for (size_t k = 0; k + 1 < n; ++k) {
            if (before(p[k + 1], p[k])) {
                std::swap(p[k], p[k + 1]);
                exchanged = true;
            }
        }
    }
    return 0;
}

}  // namespace pelund

extern "C" {

PELUND_API int psMath_sortPoints(double* points, int count, int mode)
{
    return pelund::sortPoints(points, count, mode);
}

}  // extern "C"

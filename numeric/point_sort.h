// Sorting points (x, y, z triples of doubles) by one coordinate.
#ifndef PELUND_NUMERIC_POINT_SORT_H
#define PELUND_NUMERIC_POINT_SORT_H

namespace pelund {

// Sorts COUNT points by the coordinate and direction that MODE names (1, 2:
// x up, down; 4, 8: y; 16, 32: z); stable, and a NaN key never moves. Any
// other mode leaves the points as they are. Returns 0.
int sortPoints(double* points, int count, int mode);

}  // namespace pelund

#endif

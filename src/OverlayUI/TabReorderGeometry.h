#pragma once
// The arithmetic of moving one tab along a strip. Pure.
#include <vector>

namespace tessaly::TabReorderGeometry {

// Where a tab dropped at `pointX` goes among tabs whose midpoints are
// `midXs` (left to right): the index of the first midpoint strictly greater
// than pointX, else the count. A midpoint equal to pointX counts as passed.
int dropInsertionIndex(const std::vector<double>& midXs, double pointX);

// The index a tab dragged within its own strip should take: it passes a
// right neighbour once its right edge is beyond that neighbour's midpoint,
// a left neighbour once its left edge is before that neighbour's midpoint;
// it moves in one direction per call and a tie never moves it. An index out
// of range is returned unchanged.
int targetIndex(const std::vector<double>& widths, double spacing, double leadingX, int draggedIndex,
                double draggedOriginX);

// The left edge of slot `index` (clamped to 0...count) when the tabs lie
// side by side.
double restingX(const std::vector<double>& widths, double spacing, double leadingX, int index);

}  // namespace tessaly::TabReorderGeometry

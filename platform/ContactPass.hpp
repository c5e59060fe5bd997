#pragma once

#include "CGGeometry.hpp"

#include <cstdint>
#include <vector>

class SKNode;

// Finds the pairs of bodies below a root that overlap now and did not last time, and whose
// masks ask for a contact. Bodies are grouped by their masks, so groups that never meet (a
// laser and a laser) are never compared, and binned into a uniform grid, so only bodies that
// share a cell are. The buffers stay from frame to frame: a steady frame allocates nothing.
class ContactPass {
public:
    struct Pair {
        SKNode* nodeA;
        SKNode* nodeB;
    };

    // The new pairs: older body (lower identifier) first, ordered by the bodies' identifiers.
    const std::vector<Pair>& find(SKNode& root);

    // What the last pass did: bodies that may meet another, their places in the grid's cells,
    // and the pairs of boxes compared.
    struct Work {
        std::size_t bodies, binned, compared;
    };
    [[nodiscard]] Work work() const { return {proxies_.size(), entries_.size(), compared_}; }

private:
    struct Proxy {
        CGFloat minX, maxX, minY, maxY;
        std::uint32_t group;
        std::uint16_t cellX0, cellX1, cellY0, cellY1; // the grid cells the box covers
        bool binned;                                  // false for an oversized body
        std::uint64_t id;
        SKNode* node;
    };
    struct Group {
        std::uint32_t category, test;
        std::vector<std::uint32_t> partners; // groups whose bodies this group's bodies may touch
    };
    struct Touch {
        std::uint64_t low, high;
        SKNode* nodeLow;
        SKNode* nodeHigh;
    };
    void gather(SKNode& node, CGPoint origin, CGFloat xScale, CGFloat yScale);
    std::uint32_t groupFor(std::uint32_t category, std::uint32_t test);
    void binIntoGrid();
    void compareWithinCells();
    void compareOversized();
    void compareWithOthers(std::uint32_t i, std::uint32_t from, std::uint32_t to, std::size_t cellX, std::size_t cellY);
    void touch(std::uint32_t a, std::uint32_t b);
    void sortTouching();

    std::vector<Proxy> proxies_;
    std::vector<Group> groups_;
    // The grid: cells of `cell_` points from (originX_, originY_); each cell's entries are
    // proxy indices ordered by group, found through starts_ by (cell, group).
    CGFloat cell_ = 0, perCell_ = 0, originX_ = 0, originY_ = 0;
    std::size_t columns_ = 0, rows_ = 0;
    std::vector<std::uint32_t> starts_;
    std::vector<std::uint32_t> entries_;
    // Each entry's box beside it, so a cell's comparisons read memory in order. The far edges
    // are kept negated, so that all four of an overlap's comparisons are "less than" one box's
    // own four numbers.
    struct Box {
        CGFloat minX, minY, negMaxX, negMaxY;
    };
    std::vector<Box> boxes_;
    std::vector<std::uint32_t> oversized_; // bodies too big to bin; compared with everyone
    std::vector<std::uint32_t> scratch_, counts_;
    std::uint32_t lastGroup_ = 0;
    // This frame's touching pairs, and last frame's, both in the order of their identifiers; of
    // last frame's only the identifiers are read.
    std::vector<Touch> touching_, touchingBefore_, sorted_;
    std::vector<Pair> pairs_;
    std::size_t compared_ = 0;
};

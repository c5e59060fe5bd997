#include "ContactPass.hpp"

#include "SKNode.hpp"
#include "SKPhysicsBody.hpp"

#include <algorithm>
#include <bit>

std::uint32_t ContactPass::groupFor(std::uint32_t category, std::uint32_t test)
{
    // Neighbours in the tree mostly share their masks.
    if (lastGroup_ < groups_.size() && groups_[lastGroup_].category == category && groups_[lastGroup_].test == test)
        return lastGroup_;
    for (std::uint32_t g = 0; g < groups_.size(); ++g)
        if (groups_[g].category == category && groups_[g].test == test) return lastGroup_ = g;
    std::uint32_t g = lastGroup_ = std::uint32_t(groups_.size());
    groups_.push_back({category, test, {}});
    for (std::uint32_t other = 0; other <= g; ++other) {
        if (!wantsContact(category, test, groups_[other].category, groups_[other].test)) continue;
        groups_[g].partners.push_back(other);
        if (other != g) groups_[other].partners.push_back(g);
    }
    return g;
}

void ContactPass::gather(SKNode& node, CGPoint origin, CGFloat xScale, CGFloat yScale)
{
    const auto& children = node.children();
    for (std::size_t i = 0; i < children.size(); ++i) {
        // Nodes, then their bodies, are rarely in cache: ask for them early.
        if (i + 16 < children.size()) children[i + 16]->prefetchForWalk();
        if (i + 8 < children.size())
            if (const SKPhysicsBody* body = children[i + 8]->physicsBody().get()) body->prefetchForContacts();
        const auto& child = children[i];
        CGPoint p = child->position();
        CGPoint at{origin.x + p.x * xScale, origin.y + p.y * yScale};
        CGFloat sx = xScale * child->xScale(), sy = yScale * child->yScale();
        if (const auto& body = child->physicsBody()) {
            CGFloat hw = body->size().width * std::abs(sx) / 2, hh = body->size().height * std::abs(sy) / 2;
            std::uint32_t group = groupFor(body->categoryBitMask(), body->contactTestBitMask());
            // A body that sits nowhere (not a finite box) is left out.
            bool finite = std::isfinite(at.x - hw) && std::isfinite(at.x + hw) && std::isfinite(at.y - hh) &&
                          std::isfinite(at.y + hh);
            if (finite)
                proxies_.push_back(
                    {at.x - hw, at.x + hw, at.y - hh, at.y + hh, group, 0, 0, 0, 0, true, body->identifier(), child.get()});
        }
        if (!child->children().empty()) gather(*child, at, sx, sy);
    }
}

namespace {
// Wide enough for the game's ships, small enough that lasers spread over many cells.
constexpr CGFloat baseCell = 64;
// A body spanning more cells than this is compared with every other body instead.
constexpr std::size_t maxCellsPerBody = 64;
} // namespace

void ContactPass::binIntoGrid()
{
    CGFloat x0 = proxies_.front().minX, y0 = proxies_.front().minY, x1 = x0, y1 = y0;
    for (const Proxy& p : proxies_) {
        x0 = std::min(x0, p.minX), y0 = std::min(y0, p.minY);
        x1 = std::max(x1, p.maxX), y1 = std::max(y1, p.maxY);
    }
    // Bodies scattered far apart get coarser cells, so the grid stays near the body count.
    CGFloat budget = CGFloat(4 * proxies_.size() + 64);
    cell_ = baseCell;
    while ((x1 - x0) / cell_ + 1 > 65535 || (y1 - y0) / cell_ + 1 > 65535 ||
           ((x1 - x0) / cell_ + 1) * ((y1 - y0) / cell_ + 1) > budget)
        cell_ *= 2;
    perCell_ = 1 / cell_;
    originX_ = x0, originY_ = y0;
    columns_ = std::size_t((x1 - x0) * perCell_) + 1;
    rows_ = std::size_t((y1 - y0) * perCell_) + 1;

    // Count, then place: a counting sort by (cell, group).
    const std::size_t groups = groups_.size();
    starts_.assign(columns_ * rows_ * groups + 1, 0);
    oversized_.clear();
    for (std::uint32_t i = 0; i < proxies_.size(); ++i) {
        Proxy& p = proxies_[i];
        p.cellX0 = std::uint16_t((p.minX - originX_) * perCell_);
        p.cellX1 = std::uint16_t(std::min<std::size_t>(std::size_t((p.maxX - originX_) * perCell_), columns_ - 1));
        p.cellY0 = std::uint16_t((p.minY - originY_) * perCell_);
        p.cellY1 = std::uint16_t(std::min<std::size_t>(std::size_t((p.maxY - originY_) * perCell_), rows_ - 1));
        if (std::size_t(p.cellX1 - p.cellX0 + 1) * (p.cellY1 - p.cellY0 + 1) > maxCellsPerBody) {
            oversized_.push_back(i);
            p.binned = false;
            continue;
        }
        for (std::size_t cy = p.cellY0; cy <= p.cellY1; ++cy)
            for (std::size_t cx = p.cellX0; cx <= p.cellX1; ++cx) ++starts_[(cy * columns_ + cx) * groups + p.group + 1];
    }
    for (std::size_t k = 1; k < starts_.size(); ++k) starts_[k] += starts_[k - 1];
    entries_.resize(starts_.back());
    boxes_.resize(starts_.back());
    std::vector<std::uint32_t>& cursor = scratch_;
    cursor.assign(starts_.begin(), starts_.end() - 1);
    for (std::uint32_t i = 0; i < proxies_.size(); ++i) {
        const Proxy& p = proxies_[i];
        if (!p.binned) continue;
        for (std::size_t cy = p.cellY0; cy <= p.cellY1; ++cy)
            for (std::size_t cx = p.cellX0; cx <= p.cellX1; ++cx) {
                std::uint32_t at = cursor[(cy * columns_ + cx) * groups + p.group]++;
                entries_[at] = i;
                boxes_[at] = {p.minX, p.minY, -p.maxX, -p.maxY};
            }
    }
}

void ContactPass::touch(std::uint32_t ia, std::uint32_t ib)
{
    const Proxy& a = proxies_[ia];
    const Proxy& b = proxies_[ib];
    if (a.id < b.id)
        touching_.push_back({a.id, b.id, a.node, b.node});
    else
        touching_.push_back({b.id, a.id, b.node, a.node});
}

// Compares entry i with entries [from, to) of one cell. The overlaps are gathered without a
// branch, as most comparisons in a crowd fail, and at no foreseeable place.
void ContactPass::compareWithOthers(std::uint32_t i, std::uint32_t from, std::uint32_t to, std::size_t cellX,
                                    std::size_t cellY)
{
    const Box a = boxes_[i];
    // Touching edges do not overlap: every comparison is strict.
    const CGFloat maxX = -a.negMaxX, maxY = -a.negMaxY, negMinX = -a.minX, negMinY = -a.minY;
    std::uint32_t hits[64];
    while (from < to) {
        std::uint32_t found = 0;
        for (std::uint32_t end = std::min(to, from + 64); from < end; ++from) {
            const Box& b = boxes_[from];
            hits[found] = from;
            found += (b.minX < maxX) & (b.minY < maxY) & (b.negMaxX < negMinX) & (b.negMaxY < negMinY);
        }
        for (std::uint32_t k = 0; k < found; ++k) {
            const Box& b = boxes_[hits[k]];
            // A pair sharing several cells counts once: in the cell of its overlap's lowest corner.
            if (std::size_t((std::max(a.minX, b.minX) - originX_) * perCell_) == cellX &&
                std::size_t((std::max(a.minY, b.minY) - originY_) * perCell_) == cellY)
                touch(entries_[i], entries_[hits[k]]);
        }
    }
}

void ContactPass::compareWithinCells()
{
    const std::size_t groups = groups_.size();
    for (std::size_t cy = 0; cy < rows_; ++cy) {
        for (std::size_t cx = 0; cx < columns_; ++cx) {
            const std::uint32_t* cell = &starts_[(cy * columns_ + cx) * groups];
            for (std::uint32_t g = 0; g < groups; ++g) {
                for (std::uint32_t h : groups_[g].partners) {
                    if (h < g) continue; // each pair of groups once
                    std::size_t n = cell[g + 1] - cell[g];
                    compared_ += h == g ? (n > 1 ? n * (n - 1) / 2 : 0) : n * (cell[h + 1] - cell[h]);
                    for (std::uint32_t i = cell[g]; i < cell[g + 1]; ++i)
                        compareWithOthers(i, h == g ? i + 1 : cell[h], cell[h + 1], cx, cy);
                }
            }
        }
    }
}

void ContactPass::compareOversized()
{
    for (std::uint32_t big : oversized_) {
        const auto& partners = groups_[proxies_[big].group].partners;
        for (std::uint32_t i = 0; i < proxies_.size(); ++i) {
            if (i == big) continue;
            if (!proxies_[i].binned && i < big) continue; // that pair was compared from the other side
            if (std::find(partners.begin(), partners.end(), proxies_[i].group) == partners.end()) continue;
            ++compared_;
            const Proxy& a = proxies_[big];
            const Proxy& b = proxies_[i];
            // Touching edges do not overlap: every comparison is strict.
            if (a.minX < b.maxX && b.minX < a.maxX && a.minY < b.maxY && b.minY < a.maxY) touch(big, i);
        }
    }
}

// A radix sort over only the bits in which this frame's identifiers differ, in digits of up to
// 14 bits: one pass for each identifier while a frame's span fewer than 16384, where a hash set
// of the pairs missed the caches.
void ContactPass::sortTouching()
{
    if (touching_.size() < 2) return;
    std::uint64_t lowMin = touching_[0].low, lowMax = lowMin, highMin = touching_[0].high, highMax = highMin;
    for (const Touch& t : touching_) {
        lowMin = std::min(lowMin, t.low), lowMax = std::max(lowMax, t.low);
        highMin = std::min(highMin, t.high), highMax = std::max(highMax, t.high);
    }
    sorted_.resize(touching_.size());
    auto byDigits = [this](std::uint64_t span, auto key) {
        const int bits = int(std::bit_width(span));
        if (bits == 0) return;
        const int passes = (bits + 13) / 14, width = (bits + passes - 1) / passes;
        const std::uint64_t mask = (std::uint64_t(1) << width) - 1;
        for (int shift = 0; shift < bits; shift += width) {
            counts_.assign(std::size_t(mask) + 2, 0);
            for (const Touch& t : touching_) ++counts_[((key(t) >> shift) & mask) + 1];
            for (std::size_t d = 1; d < counts_.size(); ++d) counts_[d] += counts_[d - 1];
            for (const Touch& t : touching_) sorted_[counts_[(key(t) >> shift) & mask]++] = t;
            std::swap(touching_, sorted_);
        }
    };
    // The less significant identifier first: each pass keeps the order of the one before.
    byDigits(highMax - highMin, [=](const Touch& t) { return t.high - highMin; });
    byDigits(lowMax - lowMin, [=](const Touch& t) { return t.low - lowMin; });
}

const std::vector<ContactPass::Pair>& ContactPass::find(SKNode& root)
{
    proxies_.clear();
    entries_.clear();
    compared_ = 0;
    touching_.clear();
    pairs_.clear();
    gather(root, {0, 0}, 1, 1);
    // Bodies of a group that meets no group are never compared (and the bodies not read again
    // when every group meets one).
    if (std::any_of(groups_.begin(), groups_.end(), [](const Group& g) { return g.partners.empty(); }))
        std::erase_if(proxies_, [this](const Proxy& p) { return groups_[p.group].partners.empty(); });

    if (!proxies_.empty()) {
        binIntoGrid();
        compareWithinCells();
        compareOversized();
    }

    // Both frames' pairs in order, so one walk over them both finds the new ones.
    sortTouching();
    auto before = touchingBefore_.cbegin();
    auto earlier = [](const Touch& a, const Touch& b) { return a.low != b.low ? a.low < b.low : a.high < b.high; };
    for (const Touch& t : touching_) {
        while (before != touchingBefore_.cend() && earlier(*before, t)) ++before;
        if (before == touchingBefore_.cend() || earlier(t, *before)) pairs_.push_back({t.nodeLow, t.nodeHigh});
    }
    std::swap(touching_, touchingBefore_);
    return pairs_;
}

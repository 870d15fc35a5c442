#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "output/report_design.h"

namespace output {

// Millimetres to the whole micrometres the layout works in, so rows that fill a page exactly do
// so without rounding drift.
std::int32_t micrometres(double mm);

// One band placed on a page. Only what painting needs to ask the source again: the line and where
// the band lies (micrometres from the paper's top edge) and how high it is.
struct Placement
{
    std::int32_t line = 0;
    std::int32_t top = 0;
    std::int32_t height = 0;
    BandKind band = BandKind::Detail;
};

// The report cut into pages. The page header is on every page at the top margin and is not
// listed; page(n) holds the other bands of page n in print order.
class Layout
{
public:
    int pageCount() const { return static_cast<int>(pageStart_.size()); }
    std::span<const Placement> page(int n) const;
    std::size_t placementCount() const { return placements_.size(); }

private:
    friend Layout layOut(const ReportDesign &design, const LineSource &lines);
    std::vector<Placement> placements_;
    std::vector<std::uint32_t> pageStart_;
};

// Places the page header at the top of every page and the bands below it, starting a new page
// when a band would reach past the bottom margin. A band taller than a whole page still gets a
// page of its own. A report without lines is one page with its header.
Layout layOut(const ReportDesign &design, const LineSource &lines);

} // namespace output

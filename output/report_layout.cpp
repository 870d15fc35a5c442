#include "output/report_layout.h"

#include <cmath>

namespace output {

std::int32_t micrometres(double mm)
{
    return static_cast<std::int32_t>(std::lround(mm * 1000.0));
}

std::span<const Placement> Layout::page(int n) const
{
    if (n < 0 || n >= pageCount())
        return {};
    const std::size_t first = pageStart_[static_cast<std::size_t>(n)];
    const std::size_t end = static_cast<std::size_t>(n) + 1 < pageStart_.size()
        ? pageStart_[static_cast<std::size_t>(n) + 1]
        : placements_.size();
    return std::span<const Placement>(placements_).subspan(first, end - first);
}

Layout layOut(const ReportDesign &design, const LineSource &lines)
{
    Layout layout;
    const std::int32_t bodyTop =
        micrometres(design.page.marginTop) + micrometres(design.pageHeader.height);
    const std::int32_t bottom =
        micrometres(design.page.height) - micrometres(design.page.marginBottom);
    std::int32_t cursor = bodyTop;
    layout.pageStart_.push_back(0);

    auto place = [&](BandKind band, int line, std::int32_t height) {
        if (cursor + height > bottom && cursor > bodyTop) {
            layout.pageStart_.push_back(static_cast<std::uint32_t>(layout.placements_.size()));
            cursor = bodyTop;
        }
        layout.placements_.push_back({ line, cursor, height, band });
        cursor += height;
    };

    const std::int32_t detailHeight = micrometres(design.detail.height);
    const std::int32_t childHeight = design.child ? micrometres(design.child->height) : 0;
    const int count = lines.count();
    layout.placements_.reserve(static_cast<std::size_t>(count));
    bool anyDetail = false;
    for (int line = 0; line < count; ++line) {
        const LineShape shape = lines.shape(line);
        if (shape.detail) {
            place(BandKind::Detail, line,
                shape.height > 0 ? micrometres(shape.height) : detailHeight);
            anyDetail = true;
        }
        if (shape.child && design.child)
            place(BandKind::Child, line,
                shape.childHeight > 0 ? micrometres(shape.childHeight) : childHeight);
    }
    if (design.totals && anyDetail)
        place(BandKind::Totals, count, micrometres(design.totals->height));
    return layout;
}

Report::Report(ReportDesign design, QStringList headerTexts, std::unique_ptr<LineSource> lines)
    : design_(std::move(design))
    , headerTexts_(std::move(headerTexts))
    , lines_(std::move(lines))
{
}

Report::~Report() = default;

const Layout &Report::layout()
{
    if (!layout_)
        layout_ = std::make_unique<Layout>(layOut(design_, *lines_));
    return *layout_;
}

} // namespace output

#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

// A printed report is data: a page in millimetres and bands of boxes and rules. The rows come
// from a LineSource, asked again for a page's texts only when that page is painted, so a report
// of any length lays out in little memory.
namespace output {

enum class Align : std::uint8_t { Left, Centre, Right };

// Where a box takes its text from.
enum class TextFrom : std::uint8_t {
    Fixed, // Box::text
    Header, // the report's header text number Box::field, set per run
    Line, // text number Box::field of the band's line, from the line source
};

// Number of boxes per band whose height a line may change.
inline constexpr int GrowSlots = 4;

struct Box
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    Align align = Align::Left;
    double pointSize = 9;
    bool bold = false;
    // Names and remarks: the text breaks into lines inside the width, and the last line that fits
    // the height ends in "…" when more would follow. Any other text (figures, codes, dates) stays
    // on one line and shrinks to fit the width, down to half the point size, and is never cut.
    bool wrap = false;
    // The box is as wide as its text, growing away from the side it is aligned to (a right
    // aligned box keeps left + width as its right edge).
    bool sizedToText = false;
    TextFrom from = TextFrom::Fixed;
    int field = 0;
    QString text;
    // The line may set this box's height (LineShape::grown); -1: always the height above.
    int growSlot = -1;
};

// A straight line. A y marked fromBottom is measured up from the band's bottom, so the rule
// follows a line that grows.
struct Rule
{
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    bool y1FromBottom = false;
    bool y2FromBottom = false;
};

// The pieces the designs are written with.
inline Box box(double left, double top, double width, double height, Align align = Align::Left)
{
    Box b;
    b.left = left;
    b.top = top;
    b.width = width;
    b.height = height;
    b.align = align;
    return b;
}

// A box that shows text number which of the report's header texts (TextFrom::Header) or of its
// line (TextFrom::Line).
inline Box textOf(TextFrom from, int which, Box b)
{
    b.from = from;
    b.field = which;
    return b;
}

// A box of names or remarks, wrapped rather than shrunk.
inline Box wrapped(Box b)
{
    b.wrap = true;
    return b;
}

inline Box fixedText(const QString &text, Box b)
{
    b.text = text;
    return b;
}

// A column's head: its title centred in the box.
inline Box heading(const QString &title, double left, double top, double width, double height = 4.5)
{
    return fixedText(title, box(left, top, width, height, Align::Centre));
}

inline Rule vertical(double x, double top, double bottom)
{
    return { x, top, x, bottom, false, false };
}

inline Rule horizontal(double x1, double x2, double y)
{
    return { x1, y, x2, y, false, false };
}

struct Band
{
    double height = 0;
    std::vector<Box> boxes;
    std::vector<Rule> rules;
};

struct PageSize
{
    double width = 297; // A4 landscape
    double height = 210;
    double marginLeft = 10;
    double marginTop = 10;
    double marginRight = 10;
    double marginBottom = 10;
    bool landscape() const { return width > height; }
};

// The landscape lists (the note list, the partner summary): A4 landscape, a band 272.5 mm wide,
// rows of a height that may grow.
namespace landscapelist {

    inline constexpr PageSize Page { 297, 210, 10, 10, 5, 10 };
    inline constexpr double Right = 272.5;

    // A row's rules: verticals at xs (and at the band's right edge) over its whole height, and
    // one along its bottom 0.3 mm above the edge, however high the row has grown.
    inline void rowRules(Band &band, std::initializer_list<double> xs)
    {
        constexpr double BottomGap = 0.3;
        for (double x : xs)
            band.rules.push_back({ x, 0, x, 0, false, true });
        band.rules.push_back({ Right, 0, Right, 0, false, true });
        band.rules.push_back({ 0, BottomGap, Right, BottomGap, true, true });
    }

} // namespace landscapelist

// Page header on every page; one detail per line; a child band after a detail when the line asks
// for one; a totals band once after the last line that printed a detail.
struct ReportDesign
{
    PageSize page;
    Band pageHeader;
    Band detail;
    std::optional<Band> child;
    std::optional<Band> totals;
};

enum class BandKind : std::uint8_t { Detail, Child, Totals };

// What a line contributes to the layout.
struct LineShape
{
    // false: the detail is suppressed and takes no room (its child may still print).
    bool detail = true;
    // Detail height in millimetres; 0 keeps the design's.
    double height = 0;
    // Heights of the boxes with growSlot 0..GrowSlots-1; 0 keeps the box's own.
    std::array<float, GrowSlots> grown {};
    bool child = false;
    double childHeight = 0;
};

// The rows of one run. shape() is asked for every line by the layout and again for the lines of
// a page being painted; texts() only for lines being painted. line is 0..count()-1; the totals
// band asks texts(BandKind::Totals, count()).
class LineSource
{
public:
    virtual ~LineSource() = default;
    virtual int count() const = 0;
    virtual LineShape shape(int line) const = 0;
    virtual QStringList texts(BandKind band, int line) const = 0;
};

class Layout;

// A design, its header texts for this run and its lines; laid out once, on first use.
class Report
{
public:
    Report(ReportDesign design, QStringList headerTexts, std::unique_ptr<LineSource> lines);
    ~Report();

    const ReportDesign &design() const { return design_; }
    const QStringList &headerTexts() const { return headerTexts_; }
    const LineSource &lines() const { return *lines_; }
    const Layout &layout();

private:
    ReportDesign design_;
    QStringList headerTexts_;
    std::unique_ptr<LineSource> lines_;
    std::unique_ptr<Layout> layout_;
};

} // namespace output

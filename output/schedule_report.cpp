#include "output/schedule_report.h"

#include "core/lookups.h"
#include "session/session.h"

using namespace Qt::StringLiterals;

namespace output {

namespace {

    constexpr double BandRight = 187.9;

    Box head(double left, double width, const QString &text)
    {
        return fixedText(text, box(left, 11.9, width, 4.5, Align::Centre));
    }

    Box field(double left, double width, double height, int which)
    {
        return textOf(TextFrom::Line, which, box(left, 0.8, width, height, Align::Right));
    }

    class ScheduleLines : public LineSource
    {
    public:
        ScheduleLines(const Session &state, std::vector<schedule::Line> lines)
            : state_(state)
            , lines_(std::move(lines))
            , partners_(state.PartnerTable)
        {
        }

        int count() const override { return static_cast<int>(lines_.size()); }

        LineShape shape(int line) const override
        {
            LineShape s;
            if (lines_[static_cast<std::size_t>(line)].subtotal()) {
                s.detail = false;
                s.child = true;
            }
            return s;
        }

        QStringList texts(BandKind band, int line) const override
        {
            if (line < 0 || line >= count())
                return {};
            const schedule::Line &l = lines_[static_cast<std::size_t>(line)];
            if (band == BandKind::Child && l.subtotal())
                return schedule::printedSubtotalTexts(l);
            if (band != BandKind::Detail || l.subtotal()
                || static_cast<std::size_t>(l.note) >= state_.NoteTable.size())
                return {};
            const NoteRecord &n = state_.NoteTable[static_cast<std::size_t>(l.note)];
            const std::int32_t at = partners_.first(n.PartnerCode.view());
            const std::string_view name = partners_.nameAt(at);
            return schedule::printedNoteTexts(n, l.day, at < 0 ? nullptr : &name);
        }

    private:
        const Session &state_;
        std::vector<schedule::Line> lines_;
        CodeIndex<PartnerRecord> partners_;
    };

} // namespace

ReportDesign scheduleDesign()
{
    ReportDesign d;
    d.page = { 210, 297, 10, 10, 10, 10 };

    Band &h = d.pageHeader;
    h.height = 17.2;
    Box title = textOf(TextFrom::Header, 0, box(76.2, 4.2, 36.2, 5.3));
    title.pointSize = 12;
    // Nine full-width characters at 12 points run a little past the box; the whole title shows.
    title.sizedToText = true;
    h.boxes.push_back(title);
    h.boxes.push_back(textOf(TextFrom::Header, 1, box(131.2, 6.3, 57.4, 5.3, Align::Right)));
    h.boxes.push_back(head(0.0, 23.8, u"日付"_s));
    h.boxes.push_back(head(24.1, 87.3, u"取引先名"_s));
    h.boxes.push_back(head(111.7, 26.5, u"手形番号"_s));
    h.boxes.push_back(head(138.4, 26.5, u"金額"_s));
    h.rules.push_back(horizontal(0, BandRight, 10.6));
    for (double x : { 0.0, 24.1, 111.7, 138.4, BandRight })
        h.rules.push_back(vertical(x, 10.6, 17.2));

    Band &b = d.detail;
    b.height = ScheduleRowHeight;
    b.boxes.push_back(field(0.0, 23.8, 4.5, DateField));
    b.boxes.push_back(field(24.1, 13.2, 3.4, ScheduleCodeField));
    Box name = wrapped(field(37.6, 73.8, 4.5, ScheduleNameField));
    name.align = Align::Left;
    b.boxes.push_back(name);
    b.boxes.push_back(field(111.7, 25.1, 4.5, NumberField));
    b.boxes.push_back(field(138.4, 25.1, 4.5, YenField));
    b.rules.push_back(horizontal(0, BandRight, 0));
    for (double x : { 0.0, 24.1, 111.7, 138.4 })
        b.rules.push_back(vertical(x, 0, ScheduleRowHeight));
    // The right edge runs on over the top of a subtotal below it.
    b.rules.push_back(vertical(BandRight, 0, 6.6));

    Band c;
    c.height = SubtotalRowHeight;
    c.boxes.push_back(field(123.6, 13.2, 4.5, CountField));
    c.boxes.push_back(field(138.4, 25.1, 4.5, SubtotalYenField));
    c.rules.push_back(horizontal(0, BandRight, 0));
    c.rules.push_back(vertical(111.7, 0, 5.3));
    c.rules.push_back(vertical(138.4, 0, 5.3));
    c.rules.push_back(vertical(164.0, 0, SubtotalRowHeight));
    c.rules.push_back(horizontal(111.7, 164.1, 5.3));
    d.child = c;
    return d;
}

std::unique_ptr<Report> scheduleReport(const Session &state, std::vector<schedule::Line> lines,
    const QString &title, const QString &period)
{
    return std::make_unique<Report>(scheduleDesign(), QStringList { title, period },
        std::make_unique<ScheduleLines>(state, std::move(lines)));
}

} // namespace output

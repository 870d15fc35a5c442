#include "output/report_painter.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include "controls/screen_font.h"
#include "output/report_layout.h"

namespace output {

namespace {

    // Printed rules: a thin line that still shows on a screen at small zoom.
    constexpr double RuleWidthMm = 0.2;
    constexpr double ShrunkClearanceMm = 0.4;

    // A text shrunk to fit a room, in a box of its own point size.
    struct Shrinking
    {
        QString text;
        double room = 0;
        double boxPoints = 0;
        bool operator==(const Shrinking &) const = default;
    };

    // What texts measure in one font on a device of one resolution: their widths, and the sizes
    // they shrink to in a room. Measuring a text shapes it, which costs about as much as drawing
    // it, and a report repeats its names, codes and dates from page to page: each is measured once.
    // Each is kept in a place of its own found from its hash, taking the place of the one before:
    // the many texts seen only once cost no more than one place each.
    struct Measures
    {
        template <typename Key, std::size_t Places> struct Table
        {
            struct Place
            {
                Key key;
                double value = 0;
                bool set = false;
            };
            std::vector<Place> places = std::vector<Place>(Places);

            double known(const Key &key, std::size_t hash, const auto &measure)
            {
                Place &place = places[hash % Places];
                if (!place.set || !(place.key == key))
                    place = { key, measure(), true };
                return place.value;
            }
        };
        Table<QString, 2048> widths;
        Table<Shrinking, 512> shrunk;
    };

    // A font as painting sets it: the screen font's description, the point size with the scale in
    // it, bold, and the device's resolution.
    using FontKey = std::tuple<std::size_t, double, bool, int>;

    // The measures of a font, kept on this thread for every page painted on it.
    Measures &measuresOf(const FontKey &font)
    {
        thread_local std::map<FontKey, Measures> fonts;
        return fonts[font];
    }

    class PagePainter
    {
    public:
        PagePainter(QPainter &painter, double pxPerMm)
            : p_(painter)
            , scale_(pxPerMm)
        {
            // Point sizes are resolved against the device's logical resolution; this factor makes a
            // point a 72nd of an inch on paper at any zoom.
            const int dpi = painter.device() ? painter.device()->logicalDpiY() : 96;
            dpi_ = dpi > 0 ? dpi : 96;
            family_ = qHash(screenFont().key());
            pointFactor_ = pxPerMm * 25.4 / dpi_;
            QPen pen(Qt::black);
            pen.setWidthF(std::max(1.0, RuleWidthMm * scale_));
            pen.setCapStyle(Qt::FlatCap);
            p_.setPen(pen);
            p_.setBrush(Qt::NoBrush);
        }

        void band(const Band &band, double topMm, double heightMm, const QStringList &texts,
            const LineShape *shape, const QStringList &headerTexts)
        {
            for (const Box &box : band.boxes) {
                QString text;
                switch (box.from) {
                case TextFrom::Fixed:
                    text = box.text;
                    break;
                case TextFrom::Header:
                    text = headerTexts.value(box.field);
                    break;
                case TextFrom::Line:
                    text = texts.value(box.field);
                    break;
                }
                if (text.isEmpty())
                    continue;
                double height = box.height;
                if (shape && box.growSlot >= 0 && box.growSlot < GrowSlots
                    && shape->grown[static_cast<std::size_t>(box.growSlot)] > 0)
                    height = shape->grown[static_cast<std::size_t>(box.growSlot)];
                drawBox(box, topMm, height, text);
            }
            for (const Rule &r : band.rules) {
                const double y1 = r.y1FromBottom ? heightMm - r.y1 : r.y1;
                const double y2 = r.y2FromBottom ? heightMm - r.y2 : r.y2;
                p_.drawLine(QPointF(px(left_ + r.x1), px(topMm + y1)),
                    QPointF(px(left_ + r.x2), px(topMm + y2)));
            }
        }

        void setLeft(double mm) { left_ = mm; }

    private:
        double px(double mm) const { return mm * scale_; }

        void useFont(const Box &box)
        {
            if (fontPoint_ == box.pointSize && fontBold_ == box.bold)
                return;
            QFont font = screenFont();
            font.setPointSizeF(box.pointSize * pointFactor_);
            font.setBold(box.bold);
            p_.setFont(font);
            fontPoint_ = box.pointSize;
            fontBold_ = box.bold;
            font_ = &measures(box.pointSize);
        }

        void drawBox(const Box &box, double topMm, double heightMm, const QString &text)
        {
            useFont(box);
            const QFontMetricsF metrics(p_.font(), p_.device());
            int flags = Qt::AlignTop;
            switch (box.align) {
            case Align::Left:
                flags |= Qt::AlignLeft;
                break;
            case Align::Centre:
                flags |= Qt::AlignHCenter;
                break;
            case Align::Right:
                flags |= Qt::AlignRight;
                break;
            }
            QRectF rect(px(left_ + box.left), px(topMm + box.top), px(box.width), px(heightMm));
            const double advance = widthOf(metrics, box.pointSize, text);
            if (box.sizedToText) {
                const double width = advance;
                if (box.align == Align::Right)
                    rect.setLeft(rect.right() - width);
                else if (box.align == Align::Centre)
                    rect.adjust((rect.width() - width) / 2, 0, -(rect.width() - width) / 2, 0);
                else
                    rect.setWidth(width);
                p_.drawText(rect, flags | Qt::TextDontClip | Qt::TextSingleLine, text);
                return;
            }
            if (advance <= rect.width())
                p_.drawText(rect, flags | Qt::TextDontClip | Qt::TextSingleLine, text);
            else if (box.wrap)
                drawWrapped(rect, box.align, text);
            else
                drawShrunk(box, rect, flags, text, metrics.ascent(), advance);
        }

        // The width of text in the painter's font at points (the box's own size or a shrunk one).
        Measures &measures(double points) const
        {
            return measuresOf({ family_, points * pointFactor_, fontBold_, dpi_ });
        }

        double widthOf(const QFontMetricsF &metrics, double points, const QString &text) const
        {
            Measures &m = points == fontPoint_ && font_ ? *font_ : measures(points);
            return m.widths.known(
                text, qHash(text), [&] { return metrics.horizontalAdvance(text); });
        }

        // A figure cut at its box reads as another figure, so one that does not fit is printed
        // smaller, down to half its point size, on the same baseline. At half the size it is
        // printed whole even if it runs past the box.
        void drawShrunk(const Box &box, QRectF rect, int flags, const QString &text,
            double fullAscent, double fullAdvance)
        {
            constexpr double StepPoints = 0.1;
            // Boxes often start on a rule; a shrunk figure keeps clear of it.
            const double room = rect.width() - px(ShrunkClearanceMm);
            const double least = box.pointSize / 2;
            const double size =
                font_->shrunk.known(Shrinking { text, room, box.pointSize }, qHash(text), [&] {
                    double points = std::max(least,
                        std::floor(box.pointSize * room / fullAdvance / StepPoints) * StepPoints);
                    while (points > least && widthOf(shrunk(points).metrics, points, text) > room)
                        points = std::max(least, points - StepPoints);
                    return points;
                });
            const Shrunk &font = shrunk(size);
            rect.translate(0, fullAscent - font.metrics.ascent());
            const QFont full = p_.font();
            p_.setFont(font.font);
            p_.drawText(rect, flags | Qt::TextDontClip | Qt::TextSingleLine, text);
            p_.setFont(full);
        }

        // The painter's font at a smaller size and its metrics on this device, made once a page:
        // the figures of a page shrink to few sizes.
        struct Shrunk
        {
            QFont font;
            QFontMetricsF metrics;
        };
        const Shrunk &shrunk(double points)
        {
            const auto key = std::make_pair(points, fontBold_);
            auto at = shrunk_.find(key);
            if (at == shrunk_.end()) {
                QFont font = p_.font();
                font.setPointSizeF(points * pointFactor_);
                at = shrunk_.emplace(key, Shrunk { font, QFontMetricsF(font, p_.device()) }).first;
            }
            return at->second;
        }

        // Breaks the text into lines of the box's width and draws those that fit in its height
        // whole, at least the first: a line cut in half would show as stray marks below the box.
        // When more would follow, the last line drawn ends in "…", never in a cut character.
        void drawWrapped(const QRectF &rect, Align align, const QString &text)
        {
            const Wrapped &w = wrapped(rect, align, text);
            for (int i = 0; i < w.whole; ++i)
                w.layout->lineAt(i).draw(&p_, rect.topLeft());
            if (w.cut)
                p_.drawText(w.restAt.translated(rect.topLeft()),
                    int(w.alignment | Qt::AlignTop) | Qt::TextDontClip | Qt::TextSingleLine,
                    w.rest);
        }

        // A text broken into the lines of a box, made once a page: a page repeats its names.
        struct Wrapped
        {
            std::unique_ptr<QTextLayout> layout;
            Qt::Alignment alignment;
            int whole = 0; // the lines drawn as they are
            bool cut = false; // the text goes on past the box's height
            QString rest; // the last line that fits, ending in "…"
            QRectF restAt; // where it goes in the box
        };
        const Wrapped &wrapped(const QRectF &rect, Align align, const QString &text)
        {
            const auto key =
                std::make_tuple(text, rect.width(), rect.height(), align, fontPoint_, fontBold_);
            if (const auto at = wrapped_.find(key); at != wrapped_.end())
                return at->second;
            Wrapped w;
            w.layout = std::make_unique<QTextLayout>(text, p_.font(), p_.device());
            QTextLayout &layout = *w.layout;
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            w.alignment = align == Align::Left ? Qt::AlignLeft
                : align == Align::Right        ? Qt::AlignRight
                                               : Qt::AlignHCenter;
            option.setAlignment(w.alignment);
            layout.setTextOption(option);
            layout.beginLayout();
            double y = 0;
            int shown = 0;
            while (true) {
                QTextLine line = layout.createLine();
                if (!line.isValid())
                    break;
                line.setLineWidth(rect.width());
                line.setPosition(QPointF(0, y));
                y += line.height();
                if (shown == 0 || y <= rect.height() + 0.01)
                    ++shown;
            }
            layout.endLayout();
            w.cut = shown < layout.lineCount();
            w.whole = w.cut ? shown - 1 : shown;
            if (w.cut) {
                const QTextLine last = layout.lineAt(w.whole);
                w.rest = QFontMetricsF(p_.font(), p_.device())
                             .elidedText(text.mid(last.textStart()), Qt::ElideRight, rect.width(),
                                 Qt::TextSingleLine);
                w.restAt = QRectF(0, last.y(), rect.width(), last.height());
            }
            return wrapped_.emplace(key, std::move(w)).first->second;
        }

        QPainter &p_;
        double scale_;
        double pointFactor_ = 1;
        double left_ = 0;
        double fontPoint_ = -1;
        bool fontBold_ = false;
        int dpi_ = 96;
        std::size_t family_ = 0;
        Measures *font_ = nullptr; // of the font set
        std::map<std::pair<double, bool>, Shrunk> shrunk_;
        std::map<std::tuple<QString, double, double, Align, double, bool>, Wrapped> wrapped_;
    };

} // namespace

double unitsPerMm(const QPaintDevice &device)
{
    // An image keeps its exact resolution; the device metrics round it to whole dots per inch.
    if (device.devType() == QInternal::Image)
        return static_cast<const QImage &>(device).dotsPerMeterX() / 1000.0;
    return device.logicalDpiX() / 25.4;
}

void paintPage(QPainter &painter, Report &report, int page, double pxPerMm)
{
    const Layout &layout = report.layout();
    if (page < 0 || page >= layout.pageCount())
        return;
    const ReportDesign &design = report.design();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    PagePainter pp(painter, pxPerMm);
    pp.setLeft(design.page.marginLeft);
    pp.band(design.pageHeader, design.page.marginTop, design.pageHeader.height, {}, nullptr,
        report.headerTexts());
    const LineSource &lines = report.lines();
    for (const Placement &placed : layout.page(page)) {
        const double top = placed.top / 1000.0;
        const double height = placed.height / 1000.0;
        const QStringList texts = lines.texts(placed.band, placed.line);
        switch (placed.band) {
        case BandKind::Detail: {
            const LineShape shape = lines.shape(placed.line);
            pp.band(design.detail, top, height, texts, &shape, report.headerTexts());
            break;
        }
        case BandKind::Child:
            if (design.child)
                pp.band(*design.child, top, height, texts, nullptr, report.headerTexts());
            break;
        case BandKind::Totals:
            if (design.totals)
                pp.band(*design.totals, top, height, texts, nullptr, report.headerTexts());
            break;
        }
    }
    painter.restore();
}

void paintPage(QPaintDevice &device, Report &report, int page)
{
    QPainter painter(&device);
    paintPage(painter, report, page, unitsPerMm(device));
}

} // namespace output

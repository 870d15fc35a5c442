#include <gtest/gtest.h>

#include <QFontMetrics>

#include "controls/grid_delegate.h"
#include "controls/screen_font.h"

using namespace Qt::StringLiterals;

// A figure wider than its column is drawn smaller, never cut into another figure; a name ends
// in "…". Widths are the designed columns' room (the column less 2 pixels each side).
TEST(GridCell, FiguresShrinkToFitAndNamesEndInAnEllipsis)
{
    const QFont font = screenFont();
    const struct
    {
        QString text;
        int room;
    } figures[] = {
        { u"9,999,999,999"_s, 60 }, // 金額, 64 px
        { u"-1,234,567"_s, 60 }, // the approval list's 金額, 64 px
        { u"2026/12/07"_s, 60 }, // 振出日, 64 px
        { u"0001("_s, 36 }, // a five-byte code, 40 px
    };
    for (const auto &f : figures) {
        SCOPED_TRACE(f.text.toStdString());
        const QFont fitted = fittedFont(font, f.text, f.room);
        EXPECT_LE(QFontMetrics(fitted).horizontalAdvance(f.text), f.room);
        const qreal size = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize();
        const qreal shrunk = fitted.pointSizeF() > 0 ? fitted.pointSizeF() : fitted.pixelSize();
        EXPECT_GE(shrunk, size / 2) << "never below half the design's size";
    }
    EXPECT_EQ(fittedFont(font, u"1,000"_s, 60), font) << "what fits stays as designed";

    const QString name = u"株式会社ベルモラ商事　東京本社営業部"_s;
    const QString shown = fittedName(font, name, 124);
    EXPECT_TRUE(shown.endsWith(u"…"_s)) << shown.toStdString();
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(shown), 124);
    EXPECT_EQ(fittedName(font, u"山田工業"_s, 124), u"山田工業"_s);
}

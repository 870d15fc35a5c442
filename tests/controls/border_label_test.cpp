#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>

#include "controls/border_label.h"
#include "controls/screen_font.h"

using namespace Qt::StringLiterals;

namespace {

QImage render(QLabel &label)
{
    label.setFont(screenFont());
    label.setStyleSheet(u"background: white; color: black"_s);
    return label.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(TBorderLabel, DefaultsToThePaletteFrameColour)
{
    // Every role a frame might be taken from gets a colour of its own, so only the right one
    // can pass.
    QPalette palette;
    palette.setColor(QPalette::WindowText, QColor(128, 0, 64));
    palette.setColor(QPalette::Text, QColor(0, 128, 0));
    palette.setColor(QPalette::ButtonText, QColor(0, 64, 128));
    palette.setColor(QPalette::Dark, QColor(0, 0, 128));
    palette.setColor(QPalette::Mid, QColor(96, 96, 96));
    palette.setColor(QPalette::Shadow, QColor(64, 64, 0));
    palette.setColor(QPalette::Window, Qt::white);
    TBorderLabel label;
    label.setPalette(palette);
    label.resize(69, 20);
    // No style sheet here: it would set the text colour and hide the palette's.
    const auto leftEdge = [&] { return label.grab().toImage().pixel(0, 10) | 0xff000000u; };
    EXPECT_EQ(leftEdge(), qRgb(128, 0, 64));
    EXPECT_EQ(label.BorderColor(), QColor(128, 0, 64));

    label.setBorderColor(Qt::blue);
    EXPECT_EQ(leftEdge(), qRgb(0, 0, 255));
}

TEST(TBorderLabel, DrawsAOnePixelFrameAndInsetsTheText)
{
    const QSize box(69, 20);
    TBorderLabel framed(u"金額"_s);
    framed.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    framed.setBorderColor(Qt::red);
    framed.resize(box);
    const QImage image = render(framed);
    ASSERT_EQ(image.size(), box);

    const QRgb red = qRgb(255, 0, 0);
    for (int x = 0; x < box.width(); ++x) {
        EXPECT_EQ(image.pixel(x, 0), red) << "top " << x;
        EXPECT_EQ(image.pixel(x, box.height() - 1), red) << "bottom " << x;
    }
    for (int y = 0; y < box.height(); ++y) {
        EXPECT_EQ(image.pixel(0, y), red) << "left " << y;
        EXPECT_EQ(image.pixel(box.width() - 1, y), red) << "right " << y;
    }

    // Inside the frame the label is a plain label drawn 2 pixels right and down.
    QLabel plain(u"金額"_s);
    plain.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    plain.resize(box - QSize(2, 2));
    const QImage expected = render(plain);
    int inked = 0;
    for (int y = 0; y < box.height() - 3; ++y) {
        for (int x = 0; x < box.width() - 3; ++x) {
            ASSERT_EQ(image.pixel(x + 2, y + 2), expected.pixel(x, y)) << x << "," << y;
            inked += expected.pixel(x, y) != qRgb(255, 255, 255);
        }
    }
    EXPECT_GT(inked, 20); // the caption really was drawn
    // Nothing of the caption touches the row and column between the frame and the text.
    for (int x = 1; x < box.width() - 1; ++x)
        EXPECT_EQ(image.pixel(x, 1), qRgb(255, 255, 255)) << x;
    for (int y = 1; y < box.height() - 1; ++y)
        EXPECT_EQ(image.pixel(1, y), qRgb(255, 255, 255)) << y;
}

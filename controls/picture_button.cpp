#include "controls/picture_button.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

#include "controls/screen_font.h"

namespace {

constexpr QSize PictureSize(75, 25);

// A red seal bearing 承, as pressed on an approved note.
void drawSeal(QPainter &p, QPointF centre, qreal radius)
{
    const QColor red(200, 30, 30);
    p.setPen(QPen(red, 1.5));
    p.setBrush(QColor(255, 252, 244));
    p.drawEllipse(centre, radius, radius);
    QFont font = screenFont(static_cast<int>(radius * 1.3));
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
        Qt::AlignCenter, QStringLiteral("承"));
}

// A person's head and shoulders, with a green plus or a red minus at the lower right.
void drawUser(QPainter &p, bool plus)
{
    p.setPen(QPen(QColor(40, 70, 120), 1));
    p.setBrush(QColor(120, 160, 215));
    p.drawEllipse(QPointF(12, 8), 4, 4);
    p.drawChord(QRectF(4, 13, 16, 14), 0, 180 * 16);
    const QColor sign = plus ? QColor(0, 140, 0) : QColor(200, 0, 0);
    p.setPen(QPen(sign, 2.5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(18, 16), QPointF(26, 16));
    if (plus)
        p.drawLine(QPointF(22, 12), QPointF(22, 20));
}

void drawMark(QPainter &p, ButtonMark mark)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (mark) {
    case ButtonMark::Check:
        p.setPen(QPen(QColor(0, 128, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({ QPointF(8, 13), QPointF(14, 19), QPointF(25, 6) }));
        break;
    case ButtonMark::Triangle:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 120, 0));
        p.drawPolygon(QPolygonF({ QPointF(16, 5), QPointF(26, 20), QPointF(6, 20) }));
        break;
    case ButtonMark::Cross:
        p.setPen(QPen(QColor(200, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 6), QPointF(23, 19));
        p.drawLine(QPointF(23, 6), QPointF(9, 19));
        break;
    case ButtonMark::Seal:
        drawSeal(p, QPointF(11, 12.5), 7);
        break;
    case ButtonMark::Seals:
        for (int i = 0; i < 3; ++i)
            drawSeal(p, QPointF(8 + 3 * i, 8.5 + 3 * i), 7);
        break;
    case ButtonMark::Funnel:
        p.setPen(QPen(QColor(0, 70, 140), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(90, 160, 220));
        p.drawPolygon(QPolygonF({ QPointF(7, 5), QPointF(25, 5), QPointF(18, 13), QPointF(18, 21),
            QPointF(14, 19), QPointF(14, 13) }));
        break;
    case ButtonMark::Rows:
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 4.5, 15, 16));
        p.setPen(QPen(QColor(0, 100, 0), 2));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(7, 8 + 3.5 * i), QPointF(17, 8 + 3.5 * i));
        break;
    case ButtonMark::UserPlus:
    case ButtonMark::UserMinus:
        drawUser(p, mark == ButtonMark::UserPlus);
        break;
    case ButtonMark::Table:
        // A sheet of cells with a coloured title row.
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 5.5, 17, 15));
        p.fillRect(QRectF(3, 6, 16, 4), QColor(90, 160, 90));
        p.setPen(QPen(QColor(120, 120, 120), 0.8));
        p.drawLine(QPointF(8.5, 10), QPointF(8.5, 20.5));
        p.drawLine(QPointF(14, 10), QPointF(14, 20.5));
        p.drawLine(QPointF(3, 15.5), QPointF(19, 15.5));
        break;
    case ButtonMark::Magnifier:
        p.setPen(QPen(QColor(90, 60, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(13, 15), QPointF(18, 21));
        p.setPen(QPen(QColor(40, 40, 40), 1.5));
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QPointF(9.5, 10.5), 6, 6);
        break;
    case ButtonMark::Printer:
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 3.5, 10, 6)); // paper going in
        p.setBrush(QColor(150, 150, 160));
        p.drawRoundedRect(QRectF(2.5, 9.5, 18, 8), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 15.5, 10, 6)); // the printed page
        p.setPen(QPen(QColor(0, 0, 128), 1));
        p.drawLine(QPointF(8, 18), QPointF(15, 18));
        break;
    case ButtonMark::CircularArrow: {
        const QColor green(0, 128, 0);
        p.setPen(QPen(green, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        // Three quarters of a circle, open at the top right, with the arrow head at its end.
        const QRectF circle(9, 5, 14, 14);
        p.drawArc(circle, 60 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawPolygon(QPolygonF({ QPointF(24, 4), QPointF(25, 11), QPointF(18, 9) }));
        break;
    }
    }
}

// The room the mark takes at the picture's left; the word stands beside it.
int markWidth(ButtonMark mark)
{
    switch (mark) {
    case ButtonMark::Seal:
    case ButtonMark::Seals:
    case ButtonMark::Rows:
        return 25;
    case ButtonMark::Table:
    case ButtonMark::Magnifier:
    case ButtonMark::Printer:
        return 23;
    default:
        return 30;
    }
}

} // namespace

QPixmap buttonPicture(ButtonMark mark, const QString &word)
{
    QPixmap picture(PictureSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    drawMark(p, mark);
    const int left = markWidth(mark);
    const QRect room(left, 0, PictureSize.width() - left, PictureSize.height());
    // The largest of these sizes in which the word fits, the smallest when none does.
    QFont font;
    for (int size : { 14, 12, 11, 10 }) {
        font = screenFont(size);
        font.setBold(true);
        if (QFontMetrics(font).horizontalAdvance(word) <= room.width())
            break;
    }
    p.setFont(font);
    p.setPen(QColor(0, 0, 128));
    p.drawText(room, Qt::AlignVCenter | Qt::AlignLeft, word);
    return picture;
}

QToolButton *pictureButton(
    QWidget *parent, const char *name, const QRect &geometry, ButtonMark mark, const QString &word)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setIcon(QIcon(buttonPicture(mark, word)));
    button->setIconSize(PictureSize);
    button->setAccessibleName(word);
    button->setToolTip(word);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

#include "controls/picture_button.h"

#include <QPainter>
#include <QPixmap>
#include <QToolButton>

#include "controls/screen_font.h"

namespace {

constexpr QSize PictureSize(75, 25);

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
    }
}

} // namespace

QPixmap buttonPicture(ButtonMark mark, const QString &word)
{
    QPixmap picture(PictureSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    drawMark(p, mark);
    QFont font = screenFont(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRect(30, 0, PictureSize.width() - 30, PictureSize.height()),
        Qt::AlignVCenter | Qt::AlignLeft, word);
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

#include "controls/border_label.h"

#include <QPainter>

TBorderLabel::TBorderLabel(QWidget *parent)
    : TBorderLabel(QString(), parent)
{
}

TBorderLabel::TBorderLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    // The text rectangle loses 2 pixels at the left and top only; measuring (size hint, height
    // for width) and drawing both go through the contents rectangle, so both see the inset.
    setContentsMargins(2, 2, 0, 0);
}

QColor TBorderLabel::BorderColor() const
{
    // Qt has no window-frame role; the window text colour is the dark frame colour of the
    // platform palette and stays visible under a dark palette as well.
    return borderColor_.isValid() ? borderColor_ : palette().color(QPalette::WindowText);
}

void TBorderLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(BorderColor(), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

#include "controls/grid_delegate.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>

#include "controls/sheet_grid_model.h"

QFont fittedFont(const QFont &font, const QString &text, int width)
{
    QFont fitted = font;
    const qreal full = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize();
    const bool points = font.pointSizeF() > 0;
    for (qreal size = full; size >= full / 2; size -= full / 20) {
        if (points)
            fitted.setPointSizeF(size);
        else
            fitted.setPixelSize(std::max(1, qRound(size)));
        if (QFontMetrics(fitted).horizontalAdvance(text) <= width)
            return fitted;
    }
    return fitted;
}

QString fittedName(const QFont &font, const QString &text, int width)
{
    return QFontMetrics(font).elidedText(text, Qt::ElideRight, width);
}

void paintGridCell(QPainter *painter, const QRect &cell, const QString &text,
    Qt::Alignment horizontal, const QBrush &background, const QColor &textColour, CellFit fit)
{
    painter->save();
    painter->fillRect(cell, background);
    painter->setPen(textColour);
    const QRect inner = cell.adjusted(2, 2, -2, -2);
    painter->setClipRect(inner);
    QString shown = text;
    // A figure is never shown as another figure: it shrinks rather than being cut.
    if (painter->fontMetrics().horizontalAdvance(text) > inner.width()) {
        if (fit == CellFit::Shrink)
            painter->setFont(fittedFont(painter->font(), text, inner.width()));
        else
            shown = fittedName(painter->font(), text, inner.width());
    }
    painter->drawText(inner,
        int(horizontal & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    painter->restore();
}

void GridDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // A selection stays visible when the sheet is not the active window, as the user relies on
    // it for the menu commands.
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette &palette = option.palette;
    const QBrush background = selected ? palette.brush(QPalette::Active, QPalette::Highlight)
                                       : palette.brush(QPalette::Active, QPalette::Base);
    const QColor textColour = selected ? palette.color(QPalette::Active, QPalette::HighlightedText)
                                       : palette.color(QPalette::Active, QPalette::Text);
    const Qt::Alignment alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    painter->setFont(option.font);
    paintGridCell(painter, option.rect, index.data(Qt::DisplayRole).toString(), alignment,
        background, textColour,
        index.data(GridNameRole).toBool() ? CellFit::Elide : CellFit::Shrink);
}

GridHeader::GridHeader(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setHighlightSections(false);
    setSectionsClickable(false);
    setDefaultAlignment(Qt::AlignCenter);
}

void GridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    const QString title =
        model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    painter->setFont(font());
    paintGridCell(painter, rect, title, Qt::AlignHCenter, GridHeaderColour,
        palette().color(QPalette::WindowText));
    // The title row belongs to the grid: the same lines close its cells.
    QStyleOption option;
    option.initFrom(this);
    const QColor line = QColor::fromRgba(
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    painter->save();
    painter->setPen(line);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->restore();
}

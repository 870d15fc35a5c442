#pragma once

#include <QColor>
#include <QHeaderView>
#include <QStyledItemDelegate>

// The colour of every grid's title row.
inline const QColor GridHeaderColour(225, 234, 255);

// Draws one grid cell as every grid of the program does: the background the grid prepared for
// the cell, then the text on one line, vertically centred, 2 pixels inside the cell, aligned
// horizontally as asked.
// A text wider than its room: a name ends in "…", anything else is drawn smaller.
enum class CellFit { Shrink, Elide };
void paintGridCell(QPainter *painter, const QRect &cell, const QString &text,
    Qt::Alignment horizontal, const QBrush &background, const QColor &textColour,
    CellFit fit = CellFit::Shrink);

// The font a figure is drawn in to fit width: font itself when it fits, else smaller in steps,
// down to half its size at most.
QFont fittedFont(const QFont &font, const QString &text, int width);
// A name cut to width with "…" at its end; the whole name when it fits.
QString fittedName(const QFont &font, const QString &text, int width);

// Data cells: the model's text and horizontal alignment; selected rows in the highlight colour.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
};

// The title row: header colour, titles centred, the grid's lines around each title.
class GridHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit GridHeader(QWidget *parent = nullptr);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
};

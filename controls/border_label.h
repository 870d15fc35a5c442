#pragma once

#include <QColor>
#include <QLabel>

// A field caption: a label with a one-pixel frame in a colour of its own. The text keeps 2 pixels
// clear of the frame on the left and at the top, so centred text sits just right of and below
// the exact centre and never touches the frame there.
class TBorderLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TBorderLabel(QWidget *parent = nullptr);
    explicit TBorderLabel(const QString &text, QWidget *parent = nullptr);

    // Until set, the palette's window-frame colour, following the palette as it changes.
    QColor BorderColor() const;
    // Only stores the colour; it shows at the next repaint.
    void setBorderColor(const QColor &color) { borderColor_ = color; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor borderColor_;
};

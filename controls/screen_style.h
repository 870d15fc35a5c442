#pragma once

#include <QColor>
#include <QString>

class QWidget;

// The near-white background of most screens.
inline const QColor ScreenBackground(254, 254, 254);

// Gives a screen its design name, its caption (also its accessible name, since a child window or
// a dialog is announced by it), the screens' font and a filled background with black text.
void styleScreen(QWidget *screen, const QString &objectName, const QString &caption,
    const QColor &background = ScreenBackground);

// A control named after its caption, both as object (tests find it so) and for screen readers.
template <typename Control> Control *namedAfterCaption(Control *control, const QString &caption)
{
    control->setObjectName(caption);
    control->setAccessibleName(caption);
    return control;
}

#include "controls/screen_style.h"

#include <QWidget>

#include "controls/screen_font.h"

void styleScreen(
    QWidget *screen, const QString &objectName, const QString &caption, const QColor &background)
{
    screen->setObjectName(objectName);
    screen->setWindowTitle(caption);
    screen->setAccessibleName(caption);
    screen->setFont(screenFont());
    screen->setAutoFillBackground(true);
    QPalette palette = screen->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, Qt::black);
    screen->setPalette(palette);
}

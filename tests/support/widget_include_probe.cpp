// Built only by a test that expects the build to fail: code of a logic library must not reach
// Qt Widgets or Qt Gui, even through the module-qualified include.
#include <QtWidgets/QWidget>

int widgetIncludeProbe()
{
    return sizeof(QWidget);
}

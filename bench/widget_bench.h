#pragma once

#include <functional>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QWidget>

#include "controls/screen_font.h"
#include "sheets/sheet_ports.h"

// A main window that does nothing: screens measured alone still need a host.
class QuietHost : public SheetHost
{
public:
    void Delete1Click() override { }
    void Find1Click() override { }
    void AllUpdate() override { }
    void editNote(int) override { }
};

// Shows a screen, lets it settle and draws it once off screen, as its first appearance would.
inline void showAndDraw(QWidget &screen)
{
    screen.show();
    QApplication::processEvents();
    QImage image(screen.size(), QImage::Format_ARGB32_Premultiplied);
    screen.render(&image);
}

// Runs the registered benchmarks inside an offscreen QApplication with the screens' font;
// prepare and release run around them with the application alive.
inline int runWidgetBenchmarks(int argc, char **argv, const std::function<void()> &prepare = {},
    const std::function<void()> &release = {})
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutes();
    QApplication::setFont(screenFont());
    benchmark::Initialize(&argc, argv);
    if (prepare)
        prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (release)
        release();
    return 0;
}

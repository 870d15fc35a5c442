#pragma once

#include <QMainWindow>
#include <QString>

class QTextBrowser;
class QTreeWidget;

// The manual in a window of the program's own, so that ヘルプ works on a machine without a web
// browser: Help/Help.html beside the program, or in the installed share folder. A main window, so
// that a screen reader announces it as a window; its contents list is made from the manual's
// headings, and Esc or Ctrl+W close it.
class HelpWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit HelpWindow(const QString &helpFile, QWidget *parent = nullptr);
    QTextBrowser *browser() const { return browser_; }
    QTreeWidget *contents() const { return contents_; }

private:
    void fillContents();
    void showHeading(int position);

    QTextBrowser *browser_ = nullptr;
    QTreeWidget *contents_ = nullptr;
};

// The manual: in the program folder's Help, else in the installed share folder; empty when
// neither has it.
QString findHelpFile(const QString &programDirectory);

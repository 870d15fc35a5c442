#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

// The manual in a window of the program's own, so that ヘルプ works on a machine without a web
// browser: Help/Help.html beside the program, or in the installed share folder.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(const QString &helpFile, QWidget *parent = nullptr);
    QTextBrowser *browser() const { return browser_; }

private:
    QTextBrowser *browser_ = nullptr;
};

// The manual: in the program folder's Help, else in the installed share folder; empty when
// neither has it.
QString findHelpFile(const QString &programDirectory);

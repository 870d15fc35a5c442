#include "app/help_window.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

HelpWindow::HelpWindow(const QString &helpFile, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(u"HelpWindow"_s);
    setWindowTitle(u"Velmoraの手形管理 ヘルプ"_s);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(u"HelpBrowser"_s);
    browser_->setAccessibleName(u"ヘルプ"_s);
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({ QFileInfo(helpFile).absolutePath() });
    browser_->setSource(QUrl::fromLocalFile(helpFile));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(900, 700);
}

QString findHelpFile(const QString &programDirectory)
{
    const QString beside = programDirectory + u"Help/Help.html"_s;
    if (QFileInfo(beside).isFile())
        return beside;
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, u"tegata/Help/Help.html"_s);
}

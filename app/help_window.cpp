#include "app/help_window.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeySequence>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

constexpr int HeadingPosition = Qt::UserRole;

} // namespace

HelpWindow::HelpWindow(const QString &helpFile, QWidget *parent)
    : QMainWindow(parent, Qt::Window)
{
    setObjectName(u"HelpWindow"_s);
    setWindowTitle(u"Velmoraの手形管理 ヘルプ"_s);
    setAccessibleName(windowTitle());
    contents_ = new QTreeWidget;
    contents_->setObjectName(u"HelpContents"_s);
    contents_->setAccessibleName(u"目次"_s);
    contents_->setHeaderLabel(u"目次"_s);
    contents_->header()->hide();
    browser_ = new QTextBrowser;
    browser_->setObjectName(u"HelpBrowser"_s);
    browser_->setAccessibleName(u"ヘルプ"_s);
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({ QFileInfo(helpFile).absolutePath() });
    browser_->setSource(QUrl::fromLocalFile(helpFile));
    auto *split = new QSplitter;
    split->addWidget(contents_);
    split->addWidget(browser_);
    split->setStretchFactor(1, 1);
    split->setSizes({ 240, 660 });
    setCentralWidget(split);
    fillContents();
    const auto show = [this](QTreeWidgetItem *item) {
        showHeading(item->data(0, HeadingPosition).toInt());
    };
    connect(contents_, &QTreeWidget::itemActivated, this, show);
    connect(contents_, &QTreeWidget::itemClicked, this, show);
    for (const QKeySequence &keys : { QKeySequence(Qt::Key_Escape), QKeySequence(u"Ctrl+W"_s) })
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
    resize(900, 700);
}

// One entry per heading of the manual, nested by level under the nearest higher heading.
void HelpWindow::fillContents()
{
    contents_->clear();
    QList<QTreeWidgetItem *> parents; // the open heading of each level above the current one
    QList<int> levels;
    for (QTextBlock block = browser_->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        const QString title = block.text().trimmed();
        if (level == 0 || title.isEmpty())
            continue;
        while (!levels.isEmpty() && levels.last() >= level) {
            levels.removeLast();
            parents.removeLast();
        }
        auto *item = parents.isEmpty() ? new QTreeWidgetItem(contents_)
                                       : new QTreeWidgetItem(parents.last());
        item->setText(0, title);
        item->setData(0, HeadingPosition, block.position());
        parents.append(item);
        levels.append(level);
    }
    contents_->expandAll();
}

void HelpWindow::showHeading(int position)
{
    QTextCursor cursor(browser_->document());
    cursor.setPosition(position);
    browser_->setTextCursor(cursor);
    // The heading at the top of the view, not just somewhere on screen.
    const QTextBlock block = browser_->document()->findBlock(position);
    const qreal top = browser_->document()->documentLayout()->blockBoundingRect(block).top();
    browser_->verticalScrollBar()->setValue(static_cast<int>(top));
}

QString findHelpFile(const QString &programDirectory)
{
    const QString beside = programDirectory + u"Help/Help.html"_s;
    if (QFileInfo(beside).isFile())
        return beside;
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, u"tegata/Help/Help.html"_s);
}

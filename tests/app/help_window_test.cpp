#include <gtest/gtest.h>

#include <QAccessible>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>

#include "app/help_window.h"
#include "tests/support/main_window_fixture.h"

using namespace Qt::StringLiterals;

// ヘルプ shows the manual in the program's own window, with no web browser needed; without the
// manual it says so.
TEST_F(RealMainWindow, HelpOpensTheManualInAWindowOfItsOwn)
{
    window->Help2Click();
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_TRUE(prompter.shown.back().text.contains(u"Help/Help.html"_s));
    EXPECT_EQ(window->findChild<HelpWindow *>(), nullptr);

    QDir(program.path()).mkpath(u"Help"_s);
    program.write(
        u"Help/Help.html"_s, u"<html><body><h1>ヘルプの見出し</h1></body></html>"_s.toUtf8());
    window->Help2Click();
    auto *help = window->findChild<HelpWindow *>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->browser()->toPlainText().contains(u"ヘルプの見出し"_s));
}

// The window is reached as a window by a screen reader, lists the manual's headings nested by
// level, shows a heading when it is picked, and closes on Esc and on Ctrl+W.
TEST_F(RealMainWindow, HelpWindowHasContentsAndCloseKeys)
{
    QDir(program.path()).mkpath(u"Help"_s);
    QString body = u"<h1>表題</h1><h2>第一</h2><p>本文</p><h3>細目</h3><h2>第二</h2>"_s;
    for (int i = 0; i < 200; ++i)
        body += u"<p>行</p>"_s;
    body += u"<h2>最後</h2><p>終わり</p>"_s;
    program.write(u"Help/Help.html"_s, (u"<html><body>"_s + body + u"</body></html>"_s).toUtf8());
    for (const auto &keys : { QKeySequence(Qt::Key_Escape), QKeySequence(u"Ctrl+W"_s) }) {
        window->Help2Click();
        auto *help = window->findChild<HelpWindow *>();
        ASSERT_NE(help, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(help);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->role(), QAccessible::Window);

        QTreeWidget *contents = help->contents();
        ASSERT_EQ(contents->topLevelItemCount(), 1);
        QTreeWidgetItem *top = contents->topLevelItem(0);
        EXPECT_EQ(top->text(0), u"表題"_s);
        ASSERT_EQ(top->childCount(), 3);
        EXPECT_EQ(top->child(0)->text(0), u"第一"_s);
        ASSERT_EQ(top->child(0)->childCount(), 1);
        EXPECT_EQ(top->child(0)->child(0)->text(0), u"細目"_s);
        EXPECT_EQ(top->child(2)->text(0), u"最後"_s);

        help->browser()->verticalScrollBar()->setValue(0);
        emit contents->itemActivated(top->child(2), 0);
        EXPECT_GT(help->browser()->verticalScrollBar()->value(), 0);
        EXPECT_EQ(help->browser()->textCursor().block().text(), u"最後"_s);

        QTest::keySequence(help, keys);
        EXPECT_FALSE(help->isVisible()) << keys.toString().toStdString();
    }
}

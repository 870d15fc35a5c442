#include <gtest/gtest.h>

#include <QTextBrowser>

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

#include <gtest/gtest.h>

#include "app/command_line.h"

using namespace Qt::StringLiterals;

TEST(CommandLineTest, OptionsAndRefusals)
{
    using Action = CommandLine::Action;
    const struct
    {
        QStringList args;
        Action action;
        QString dataFolder;
    } cases[] = {
        { {}, Action::Run, {} },
        { { u"--version"_s }, Action::ShowVersion, {} },
        { { u"--help"_s }, Action::ShowHelp, {} },
        { { u"--data-folder"_s, u"/srv/手形"_s }, Action::Run, u"/srv/手形"_s },
        { { u"--data-folder=/srv/b"_s }, Action::Run, u"/srv/b"_s },
        { { u"--data-folder"_s }, Action::Refuse, {} },
        { { u"--data-folder="_s }, Action::Refuse, {} },
        { { u"--verbose"_s }, Action::Refuse, {} },
    };
    for (const auto &c : cases) {
        const CommandLine line = readCommandLine(c.args);
        EXPECT_EQ(line.action, c.action) << c.args.join(u' ').toStdString();
        EXPECT_EQ(line.dataFolder, c.dataFolder);
        EXPECT_EQ(line.refusal.isEmpty(), c.action != Action::Refuse);
    }
    EXPECT_TRUE(readCommandLine({ u"--verbose"_s }).refusal.contains(u"--verbose"_s));
    EXPECT_EQ(versionText(),
        u"Velmoraの手形管理 (tegata) "_s + QStringLiteral(TEGATA_VERSION) + u" ("_s
            + QStringLiteral(TEGATA_RELEASE_DATE) + u')');
    EXPECT_EQ(versionCaption(), u"Ver.1.00"_s) << "as バージョン情報 has always shown it";
}

#include "app/command_line.h"

using namespace Qt::StringLiterals;

namespace {

CommandLine refused(const QString &why)
{
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.refusal = why + u"\ntegata --help で使い方を表示します。 (see tegata --help)"_s;
    return line;
}

} // namespace

CommandLine readCommandLine(const QStringList &args)
{
    const QString noFolder =
        u"tegata: --data-folder にはフォルダーを指定してください。 (--data-folder needs a folder)"_s;
    CommandLine line;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"--version"_s) {
            line.action = CommandLine::Action::ShowVersion;
        } else if (arg == u"--help"_s || arg == u"-h"_s) {
            line.action = CommandLine::Action::ShowHelp;
        } else if (arg == u"--data-folder"_s || arg.startsWith(u"--data-folder="_s)) {
            const bool joined = arg.contains(u'=');
            if (!joined && i + 1 >= args.size())
                return refused(noFolder);
            line.dataFolder = joined ? arg.mid(arg.indexOf(u'=') + 1) : args[++i];
            if (line.dataFolder.isEmpty())
                return refused(noFolder);
        } else {
            return refused(u"tegata: 不明なオプションです: %1 (unknown option)"_s.arg(arg));
        }
    }
    return line;
}

QString versionText()
{
    return u"Velmoraの手形管理 (tegata) "_s + QStringLiteral(TEGATA_VERSION) + u" ("_s
        + QStringLiteral(TEGATA_RELEASE_DATE) + u')';
}

QString helpText()
{
    return u"使い方: tegata [オプション]\n"
           u"Usage: tegata [options]\n\n"
           u"  --data-folder フォルダー  "
           u"この実行だけ、設定ファイルとは別のデータフォルダーを使います。\n"
           u"                            Use another data folder for this run only.\n"
           u"  --version                 名前とバージョン、公開日を表示します。\n"
           u"                            Print the name, version and release date.\n"
           u"  --help                    このオプションの一覧を表示します。\n"
           u"                            Print these options.\n"_s;
}

QString versionCaption()
{
    return u"Ver.%1.%2%3"_s.arg(TEGATA_VERSION_MAJOR)
        .arg(TEGATA_VERSION_MINOR)
        .arg(TEGATA_VERSION_PATCH);
}

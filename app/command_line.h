#pragma once

#include <QString>
#include <QStringList>

// The program's command line, read before any window is made, so that --version and --help
// work without a display.
struct CommandLine
{
    enum class Action { Run, ShowVersion, ShowHelp, Refuse };
    Action action = Action::Run;
    QString dataFolder; // --data-folder: this run's data folder instead of the settings file's
    QString refusal; // why the command line was refused (exit status 2)
};

// args without the program's name.
CommandLine readCommandLine(const QStringList &args);

// "Velmoraの手形管理 (tegata) 1.0.0"
QString versionText();
// The options, in Japanese and English.
QString helpText();
// What バージョン情報 shows: "Ver.1.00" for version 1.0.0.
QString versionCaption();

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "access/user_file.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/program_screens.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "session/session.h"
#include "store/settings_file.h"

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    // Read before any window, so that --version and --help need no display.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = readCommandLine(args);
    switch (line.action) {
    case CommandLine::Action::ShowVersion:
        std::printf("%s\n", versionText().toUtf8().constData());
        return 0;
    case CommandLine::Action::ShowHelp:
        std::printf("%s", helpText().toUtf8().constData());
        return 0;
    case CommandLine::Action::Refuse:
        std::fprintf(stderr, "%s\n", line.refusal.toUtf8().constData());
        return 2;
    case CommandLine::Action::Run:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(u"tegata"_s);
    QApplication::setOrganizationName(u"Velmora"_s);
    Q_INIT_RESOURCE(access);
    // The menu entry's icon; the desktop finds the entry by this name too.
    QApplication::setDesktopFileName(u"jp.velmora.tegata"_s);
    QIcon icon;
    for (const int size : { 16, 32, 48, 64, 128, 256 })
        icon.addFile(u":/app/tegata-%1.png"_s.arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    // Qt's own dialogs (file, print, colour) speak Japanese whatever the session's locale.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), u"qtbase"_s, u"_"_s,
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));

    installFontSubstitutes();
    QApplication::setFont(screenFont());

    // The one file layer of the run: every file call of the register and the user file.
    FileSystem &files = systemFileSystem();
    Session state { files };
    state.ProgramDirectory = QApplication::applicationDirPath() + u'/';

    WidgetPrompter prompter;
    prompter.plainTitle = u"Velmoraの手形管理"_s;
    ProgramScreens screens;
    MainWindowOptions options;
    // The first start makes the user file the README's first login needs.
    ClockRandom random;
    const PreparedUserFile users = prepareUserFile(QDir::currentPath(),
        QApplication::applicationDirPath(), userConfigDirectory(), random, files);
    options.userFile = users.path;
    options.startNotice = users.problem.isEmpty() ? users.notice : users.problem;
    options.dataFolder = line.dataFolder;
    options.fallbackConfigDir = userConfigDirectory();
    options.fallbackDataDir = userDataDirectory();
    options.lockUser = qEnvironmentVariable("USER");

    MainWindow window(state, prompter, screens, options);
    window.start();
    return QApplication::exec();
}

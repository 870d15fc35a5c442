#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/main_window.h"
#include "app/program_screens.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "store/app_state.h"
#include "store/settings_file.h"

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"tegata"_s);
    QApplication::setOrganizationName(u"Velmora"_s);
    Q_INIT_RESOURCE(access);
    QApplication::setWindowIcon(QIcon(u":/access/login.png"_s));

    // Qt's own dialogs (file, print, colour) speak Japanese whatever the session's locale.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), u"qtbase"_s, u"_"_s,
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));

    installFontSubstitutes();
    QApplication::setFont(screenFont());

    AppState state;
    state.ProgramDirectory = QApplication::applicationDirPath() + u'/';

    WidgetPrompter prompter;
    prompter.plainTitle = u"Velmoraの手形管理"_s;
    ProgramScreens screens;
    MainWindowOptions options;
    options.userFile = u"pass.dat"_s;
    options.fallbackConfigDir = userConfigDirectory();
    options.fallbackDataDir = userDataDirectory();
    options.lockUser = qEnvironmentVariable("USER");

    MainWindow window(state, prompter, screens, options);
    window.start();
    return QApplication::exec();
}

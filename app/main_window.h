#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include <QDateTime>
#include <QMainWindow>
#include <QStringList>

#include "access/rights.h"
#include "sheets/note_grid.h"
#include "sheets/sheet_ports.h"
#include "store/file_system.h"
#include "store/program_options.h"

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class Prompter;
class ScreenFactory;
struct SaveReport;
namespace due {
class DueStatus;
}
struct Session;

struct MainWindowOptions
{
    QString userFile; // the user file the login checks; "pass.dat" in the current directory
    QString fallbackConfigDir; // settings and data when the program folder cannot be written
    QString fallbackDataDir;
    // Recorded in the data folder's lock, for a second copy to say who holds it and since when.
    QString lockUser;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // This run's data folder instead of the settings file's (--data-folder).
    QString dataFolder;
    // Said once before the login: where the first user file was made.
    QString startNotice;
};

// The frame of the application: loads the data, runs the login, opens the menus by the user's
// rights, holds the two sheets and carries the commands on the note table as a whole.
class MainWindow : public QMainWindow, public SheetHost
{
    Q_OBJECT
public:
    MainWindow(Session &state, Prompter &prompter, ScreenFactory &screens,
        const MainWindowOptions &options, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Shows the window maximised, runs the login and creates the two sheets.
    void start();

    // Steps of the run, public so that the whole flow can be driven from tests.
    void FormShow();
    void createSheets();
    void applyRights(std::uint8_t permissions);

    void Save1Click();
    void Preview();
    void Import1Click();
    void Z1Click();
    void Edit1Click();
    void Delete1Click() override;
    void ShoninClick();
    void Find1Click() override;
    void InputFormClick();
    void DataFormClick();
    void DueFormClick();
    void SET2Click();
    void SET3Click();
    void User1Click();
    void Restore1Click();
    void Help2Click();
    void N2Click();
    void AllUpdate() override;
    void editNote(int noteIndex) override;
    void showStatus(const QString &text) override;

    // Menu items by their names, for tests and tools.
    QAction *action(const QString &objectName) const;
    QMenu *menu(const QString &objectName) const;
    DataSheetPort *dataSheet() const { return dataSheet_; }
    DataSheetPort *dataSheetPort() const override { return dataSheet_; }
    InputSheetPort *inputSheet() const { return inputSheet_; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate(const MainWindowOptions &options);
    void buildMenus();
    void addMenu(MenuCommand command, const QString &caption);
    void addItem(MenuCommand menu, MenuCommand item, const QString &caption,
        const QKeySequence &shortcut, void (MainWindow::*handler)());
    // The menu bar's entry of a command: a menu's own action, or an item.
    QAction *command(MenuCommand command) const;
    GridSelection dataSheetRows() const;
    bool save();
    // After a refused save: the clerk may keep the work in another folder. True when saved.
    bool offerAnotherFolder();
    QString chooseFolder(const QString &from);
    // What a save that went through has to say.
    void saved(const SaveReport &report);
    // Reads the register from its folder and says what start-up would say of it.
    void load();
    void lockDataFolder();
    void openRegister(const MainWindowOptions &options);
    void applyReadOnly();
    void showReadOnly();
    void runModal(std::unique_ptr<QDialog> dialog);
    void runChangingModal(std::unique_ptr<QDialog> dialog);
    void showChild(QWidget *sheet);
    QWidget *addChild(QWidget *sheet);

    struct MenuEntry
    {
        QAction *action = nullptr;
        std::optional<MenuCommand> menu; // the menu an item stands in; none for a menu
    };
    std::map<MenuCommand, MenuEntry> commands_;

    Session &state_;
    Prompter &prompter_;
    ScreenFactory &screens_;
    QString userFile_;
    QString startNotice_;
    QMdiArea *mdi_ = nullptr;
    DataSheetPort *dataSheet_ = nullptr;
    InputSheetPort *inputSheet_ = nullptr;
    bool shown_ = false;
    QString lockUser_;
    std::function<QDateTime()> now_;
    QString readOnlyNotice_; // why Save is refused
    bool folderFromCommandLine_ = false; // --data-folder, not the settings line
    QString namedFolder_; // the data folder the settings line or --data-folder names
    ProgramOptions options_;
    QStringList optionsNotice_; // what start-up tells of the program's own settings
    due::DueStatus *dueStatus_ = nullptr;
    QWidget *dueWindow_ = nullptr;
    QWidget *helpWindow_ = nullptr;
    QLabel *sheetStatus_ = nullptr; // what a sheet has just done, beside the due counts
};

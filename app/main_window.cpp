#include "app/main_window.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

#include "access/login_dialog.h"
#include "access/rights.h"
#include "access/user_file.h"
#include "app/command_line.h"
#include "app/help_window.h"
#include "app/screen_factory.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "core/note_rules.h"
#include "core/sjis.h"
#include "due/due_status.h"
#include "due/due_window.h"
#include "messages/store_messages.h"
#include "session/session.h"
#include "store/generations.h"
#include "store/settings_file.h"

using namespace Qt::StringLiterals;

namespace {

// The two sheets stay for the whole run: closing one only minimises it inside the frame.
class SheetSubWindow : public QMdiSubWindow
{
public:
    using QMdiSubWindow::QMdiSubWindow;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        event->ignore();
        showMinimized();
    }
};

} // namespace

MainWindow::MainWindow(Session &state, Prompter &prompter, ScreenFactory &screens,
    const MainWindowOptions &options, QWidget *parent)
    : QMainWindow(parent)
    , state_(state)
    , prompter_(prompter)
    , screens_(screens)
    , userFile_(options.userFile)
    , startNotice_(options.startNotice)
{
    state_.UserFile = options.userFile;
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Velmoraの手形管理"_s);
    setFont(screenFont());
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(u"MdiArea"_s);
    mdi_->setBackground(QColor(254, 254, 254));
    setCentralWidget(mdi_);
    buildMenus();
    dueStatus_ = new due::DueStatus(state_, statusBar());
    statusBar()->addWidget(dueStatus_, 1);
    connect(dueStatus_, &due::DueStatus::openRequested, this, &MainWindow::DueFormClick);
    FormCreate(options);
}

MainWindow::~MainWindow() = default;

void MainWindow::FormCreate(const MainWindowOptions &options)
{
    openRegister(options);
    options_ =
        ProgramOptions(programOptionsPath(state_.Data.settingsPath()), state_.Data.fileSystem());
    OptionProblem generations;
    state_.Data.keepGenerations(generationsKept(options_, &generations));
    if (options_.readFault().isFault())
        optionsNotice_ << messages::programOptionsUnreadable(options_.path(), options_.readFault());
    if (generations.isProblem())
        optionsNotice_ << messages::optionRejected(options_.path(), generations);
    OptionProblem densaiDays;
    state_.densaiDaysBefore = densaiDaysBefore(options_, &densaiDays);
    if (densaiDays.isProblem())
        optionsNotice_ << messages::optionRejected(options_.path(), densaiDays);
    showReadOnly();
}

void MainWindow::openRegister(const MainWindowOptions &options)
{
    lockUser_ = options.lockUser;
    now_ = options.now;
    Register &reg = state_.Data;
    const DataLocation where =
        reg.locate(state_.ProgramDirectory, options.fallbackConfigDir, options.fallbackDataDir);
    if (where.known && !options.dataFolder.isEmpty()) {
        reg.useDirectory(QDir(options.dataFolder).absolutePath() + u'/');
        folderFromCommandLine_ = true;
    }
    namedFolder_ = reg.directory();
    const QString problem = messages::settingsProblem(where);
    if (!where.known) {
        prompter_.error(this, problem);
        readOnlyNotice_ = problem;
        return;
    }
    if (!problem.isEmpty())
        prompter_.error(this, problem);
    const DataFolderCheck folder =
        checkDataFolder(reg.directory(), where.settingsPath, reg.fileSystem());
    if (folder.state == DataFolderCheck::Missing) {
        // Nothing to load; a save takes the lock once the folder is there.
        prompter_.warn(this, messages::folderCheck(folder));
        return;
    }
    // Loading finishes an interrupted save, which only the lock's holder may do.
    lockDataFolder();
    load();
    if (!reg.readOnly() && folder.state == DataFolderCheck::NewRegister)
        prompter_.inform(this, messages::folderCheck(folder));
}

void MainWindow::lockDataFolder()
{
    Register &reg = state_.Data;
    const QString folder = reg.directory();
    LockOutcome lock = reg.lock(lockUser_, now_());
    if (lock.result == DataLock::Result::Acquired)
        return;
    readOnlyNotice_ = messages::readOnlyNotice(folder, lock);
    if (lock.result == DataLock::Result::HeldByOther && lock.holderMayBeStale) {
        // Only the holder's own machine can tell whether it still runs: the user decides.
        const MessageAnswer answer = prompter_.message(this, MessageKind::Warning,
            messages::takeOverQuestion(folder, lock), MessageButtons::OkCancel);
        if (answer != MessageAnswer::Ok)
            return;
        if (reg.takeOver(lockUser_, now_()).result == DataLock::Result::Acquired) {
            readOnlyNotice_.clear();
            return;
        }
        prompter_.warn(this, messages::takeOverFailed(folder));
        return;
    }
    prompter_.warn(this, messages::lockFailedAtStart(folder, lock));
}

void MainWindow::addMenu(MenuCommand command, const QString &caption)
{
    const QString name = QLatin1String(objectNameOf(command));
    QMenu *m = menuBar()->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    commands_[command] = { m->menuAction(), std::nullopt };
}

void MainWindow::addItem(MenuCommand menu, MenuCommand item, const QString &caption,
    const QKeySequence &shortcut, void (MainWindow::*handler)())
{
    QAction *a = command(menu)->menu()->addAction(caption);
    a->setObjectName(QLatin1String(objectNameOf(item)));
    a->setShortcut(shortcut);
    a->setShortcutVisibleInContextMenu(true);
    connect(a, &QAction::triggered, this, handler);
    commands_[item] = { a, menu };
}

QAction *MainWindow::command(MenuCommand command) const
{
    const auto entry = commands_.find(command);
    return entry == commands_.end() ? nullptr : entry->second.action;
}

void MainWindow::buildMenus()
{
    using enum MenuCommand;
    addMenu(File1, u"ファイル(&F)"_s);
    addItem(File1, Save1, u"上書き保存"_s, QKeySequence(u"Ctrl+S"_s), &MainWindow::Save1Click);
    addItem(File1, Print1, u"出力"_s, QKeySequence(u"Ctrl+P"_s), &MainWindow::Preview);
    addItem(File1, Import1, u"取り込み"_s, QKeySequence(), &MainWindow::Import1Click);
    addItem(File1, Z1, u"終了(&X)"_s, QKeySequence(u"Ctrl+X"_s), &MainWindow::Z1Click);

    addMenu(Edit1, u"編集(&E)"_s);
    addItem(Edit1, Delete1, u"削除"_s, QKeySequence(u"Shift+Del"_s), &MainWindow::Delete1Click);
    addItem(Edit1, N3, u"取立て確認"_s, QKeySequence(), &MainWindow::ShoninClick);
    connect(command(Edit1)->menu(), &QMenu::aboutToShow, this, &MainWindow::Edit1Click);

    addMenu(Find1, u"検索(&S)"_s);
    addItem(Find1, Find2, u"検索"_s, QKeySequence(u"Ctrl+F"_s), &MainWindow::Find1Click);

    addMenu(Show1, u"表示(&V)"_s);
    addItem(Show1, InputForm, u"インプットシート"_s, QKeySequence(), &MainWindow::InputFormClick);
    addItem(Show1, DataForm, u"データシート"_s, QKeySequence(), &MainWindow::DataFormClick);
    addItem(Show1, DueForm, u"期日案内"_s, QKeySequence(), &MainWindow::DueFormClick);

    addMenu(SET1, u"設定(&B)"_s);
    addItem(SET1, SET2, u"取引先登録"_s, QKeySequence(), &MainWindow::SET2Click);
    addItem(SET1, SET3, u"銀行登録"_s, QKeySequence(), &MainWindow::SET3Click);
    addItem(SET1, User1, u"ユーザー設定"_s, QKeySequence(), &MainWindow::User1Click);
    addItem(SET1, Restore1, u"バックアップから復元"_s, QKeySequence(), &MainWindow::Restore1Click);

    addMenu(Help1, u"ヘルプ(&H)"_s);
    addItem(Help1, Help2, u"ヘルプ"_s, QKeySequence(), &MainWindow::Help2Click);
    addItem(Help1, N2, u"バージョン情報"_s, QKeySequence(), &MainWindow::N2Click);

    applyRights(0);
}

QAction *MainWindow::action(const QString &objectName) const
{
    const std::optional<MenuCommand> named = menuCommandNamed(objectName);
    return named ? command(*named) : nullptr;
}

QMenu *MainWindow::menu(const QString &objectName) const
{
    const QAction *a = action(objectName);
    return a ? a->menu() : nullptr;
}

// A disabled menu makes all of its items unreachable, shortcuts included, so each item is
// enabled only when both it and its menu are.
void MainWindow::applyRights(std::uint8_t permissions)
{
    for (const auto &[command, entry] : commands_) {
        const bool menuOpen = !entry.menu || menuCommandOpen(*entry.menu, permissions);
        entry.action->setEnabled(menuOpen && menuCommandOpen(command, permissions));
    }
    applyReadOnly();
}

void MainWindow::start()
{
    showMaximized();
    FormShow();
    createSheets();
}

void MainWindow::FormShow()
{
    if (shown_)
        return;
    shown_ = true;
    if (!startNotice_.isEmpty())
        prompter_.inform(this, startNotice_);
    LoginDialog login(prompter_, userFile_, state_.Data.fileSystem(), this);
    const bool loggedIn = prompter_.exec(login) == QDialog::Accepted;
    applyRights(0);
    if (loggedIn) {
        state_.CurrentUser.Name = login.userName().left(10);
        state_.CurrentUser.Password = login.userPassword().left(10);
        state_.CurrentUser.Permissions = login.userRights();
        state_.Data.recordProgramUser(sjis::decode(state_.CurrentUser.Name));
        if (isFirstAdminPassword(state_.CurrentUser.Name, state_.CurrentUser.Password))
            prompter_.inform(this,
                u"\nAdmini のパスワードが、最初のパスワードのままです。"
                u"このパスワードはだれでも知ることができます。\n"
                u"設定(B) → ユーザー設定 で変更してください。"_s);
    }
    applyRights(state_.CurrentUser.Permissions);
    if (loggedIn) {
        OptionProblem days;
        dueStatus_->start(due::dueDaysOf(options_, sjis::decode(state_.CurrentUser.Name), &days));
        if (days.isProblem())
            optionsNotice_ << messages::optionRejected(options_.path(), days);
    }
    // The program's own settings are told once, the user's own among them.
    if (!optionsNotice_.isEmpty())
        prompter_.warn(this, optionsNotice_.join(u'\n'));
}

// A read-only copy never offers a change it could not keep; viewing, search and output stay.
void MainWindow::applyReadOnly()
{
    if (!state_.Data.readOnly())
        return;
    for (MenuCommand change :
        { MenuCommand::Save1, MenuCommand::Delete1, MenuCommand::N3, MenuCommand::Restore1 })
        command(change)->setEnabled(false);
}

// The status line says why nothing can be changed, and who holds the folder.
void MainWindow::showReadOnly()
{
    if (!state_.Data.readOnly())
        return;
    auto *status = new QLabel(messages::readOnlyStatus(state_.Data), statusBar());
    status->setObjectName(u"ReadOnlyStatus"_s);
    statusBar()->addPermanentWidget(status, 1);
}

QWidget *MainWindow::addChild(QWidget *sheet)
{
    // A sheet comes at its designed size, which is the size of the whole child window: the
    // frame and title bar take their share of it.
    const QSize outer = sheet->size();
    const bool fixedSize = sheet->minimumSize() == sheet->maximumSize();
    auto *sub = new SheetSubWindow(mdi_);
    sub->setWidget(sheet);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->setWindowTitle(sheet->windowTitle());
    mdi_->addSubWindow(sub);
    sub->show();
    const QSize frame = sub->size() - sheet->size();
    if (fixedSize)
        sheet->setFixedSize(outer - frame);
    sub->resize(outer);
    return sub;
}

void MainWindow::createSheets()
{
    dataSheet_ = screens_.createDataSheet(state_, *this, prompter_, nullptr);
    if (dataSheet_)
        addChild(dataSheet_->widget());
    inputSheet_ = screens_.createInputSheet(state_, *this, prompter_, nullptr);
    if (inputSheet_)
        addChild(inputSheet_->widget());
}

void MainWindow::runModal(std::unique_ptr<QDialog> dialog)
{
    if (dialog)
        prompter_.exec(*dialog);
}

// A screen that may change the register ends with the refresh of both sheets it has always ended
// with; the sheets have already shown each change it made as the register announced it.
void MainWindow::runChangingModal(std::unique_ptr<QDialog> dialog)
{
    runModal(std::move(dialog));
    AllUpdate();
}

void MainWindow::load()
{
    Register &reg = state_.Data;
    const LoadReport report = reg.load();
    if (reg.readOnly() && readOnlyNotice_.isEmpty())
        readOnlyNotice_ = messages::recoveryNotice(report.recovery);
    if (!report.ok())
        prompter_.error(this, messages::loadProblems(report));
    else if (const QString recovered = messages::recoveryNotice(report.recovery);
             !recovered.isEmpty())
        prompter_.inform(this, recovered);
}

bool MainWindow::save()
{
    const SaveOutcome outcome = state_.Data.save(lockUser_, now_());
    if (outcome.refusal == SaveOutcome::Refusal::ReadOnly) {
        prompter_.warn(this, readOnlyNotice_);
        return false;
    }
    if (outcome.refusal != SaveOutcome::Refusal::None) {
        const QString folder = state_.Data.directory();
        prompter_.error(this, messages::saveRefused(folder, outcome));
        if (offerAnotherFolder())
            return true;
        // What is on disk is not what this copy loaded: it may read it again instead, unless
        // the run has moved to another folder meanwhile.
        if (outcome.refusal == SaveOutcome::Refusal::ChangedOnDisk
            && state_.Data.directory() == folder
            && prompter_.message(this, MessageKind::Warning,
                   u"\nデータを読み込み直しますか？\n読み込み直すと、まだ保存していない変更は失われます。"_s,
                   MessageButtons::OkCancel)
                == MessageAnswer::Ok)
            load();
        return false;
    }
    if (!outcome.report.ok()) {
        prompter_.error(this, messages::saveFailed(outcome.report));
        // A full or failing disk leaves the work only in memory: it may go to another disk.
        return offerAnotherFolder();
    }
    saved(outcome.report);
    return true;
}

void MainWindow::saved(const SaveReport &report)
{
    dueStatus_->saved(now_().time());
    if (!report.generationsDropped.isEmpty())
        prompter_.warn(this, messages::generationsDropped(report.generationsDropped));
    if (report.generationFault.failed())
        prompter_.warn(this, messages::generationNotKept(report.generationFault));
    if (!report.backups.isEmpty())
        prompter_.inform(this, messages::backupsKept(report.backups));
}

bool MainWindow::offerAnotherFolder()
{
    // Cancel, Esc and the close button keep things as they are: nothing is lost by them.
    if (prompter_.message(
            this, MessageKind::Warning, messages::saveElsewhereQuestion(), MessageButtons::OkCancel)
        != MessageAnswer::Ok)
        return false;
    const QString from = state_.Data.directory();
    // Until a folder takes the work or the clerk gives up choosing.
    for (;;) {
        const QString folder = chooseFolder(from);
        if (folder.isEmpty())
            return false;
        const SaveOutcome outcome = state_.Data.saveElsewhere(folder, lockUser_, now_());
        if (outcome.refusal != SaveOutcome::Refusal::None) {
            prompter_.error(this, messages::saveElsewhereRefused(folder, outcome));
            continue;
        }
        if (!outcome.report.ok()) {
            prompter_.error(this, messages::saveFailed(outcome.report));
            // Cut off once its files were being put in place, the save still moved the run
            // there: its journal finishes the job at the next save in that folder.
            if (state_.Data.directory() != from)
                prompter_.warn(this, messages::movedUnsaved(state_.Data.directory()));
            return false;
        }
        // The settings line (or --data-folder) still names the folder the run began with, even
        // after a second move.
        prompter_.inform(this,
            messages::savedElsewhere(state_.Data.directory(), namedFolder_,
                state_.Data.settingsPath(), folderFromCommandLine_));
        saved(outcome.report);
        return true;
    }
}

QString MainWindow::chooseFolder(const QString &from)
{
    // Beside the data folder, where a copy of it is most likely wanted; a folder that is gone
    // leaves its parent, or the home folder.
    const QString parent = QFileInfo(dataFolderOf(from)).absolutePath();
    return ::chooseFolder(prompter_, this, u"別のフォルダーに保存"_s, u"SaveFolderDialog"_s,
        QFileInfo(parent).isDir() ? parent : QDir::homePath());
}

void MainWindow::Save1Click()
{
    save();
}

void MainWindow::Preview()
{
    std::vector<int> all(state_.NoteTable.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<int>(i);
    runModal(screens_.createOutputSheet(state_, prompter_, all, dataSheet_, this));
}

void MainWindow::Import1Click()
{
    const bool mayImport = state_.CurrentUser.Permissions != 0;
    runChangingModal(screens_.createImportDialog(state_, prompter_, dataSheet_, mayImport, this));
}

void MainWindow::Z1Click()
{
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A read-only copy never holds a change: the register refuses every one.
    if (state_.Data.modified()) {
        const MessageAnswer answer = prompter_.message(this, MessageKind::Information,
            u"\nデータが変更されています。保存しますか？"_s, MessageButtons::YesNo);
        if (answer == MessageAnswer::Yes && !save()) {
            // The save failed: stay open, with Modified still set, so the user can try again.
            event->ignore();
            return;
        }
    }
    event->accept();
}

GridSelection MainWindow::dataSheetRows() const
{
    GridSelection rows;
    if (dataSheet_) {
        rows.top = dataSheet_->selectionTop();
        rows.bottom = dataSheet_->selectionBottom();
        rows.filtered = dataSheet_->viewFiltered();
    }
    return rows;
}

void MainWindow::Edit1Click()
{
    command(MenuCommand::Delete1)
        ->setEnabled(
            dataSheet_ && !state_.Data.readOnly() && dataSheetRows().singleRowOfFullView());
}

void MainWindow::Delete1Click()
{
    if (!dataSheet_)
        return;
    const int note = dataSheetRows().fullViewNote(state_.NoteTable.size());
    if (note < 0)
        return;
    if (prompter_.message(this, MessageKind::Warning, u"\n本当に削除してもよろしいですか？"_s,
            MessageButtons::OkCancel)
        != MessageAnswer::Ok)
        return;
    // The sheets follow the removal through the register's announcement.
    state_.Data.removeNote(note);
}

void MainWindow::ShoninClick()
{
    const std::vector<int> due = dueNoteIndices(state_.NoteTable, state_.clock->todayNumber());
    runChangingModal(screens_.createApprovalList(state_, prompter_, due, this));
}

void MainWindow::Find1Click()
{
    runModal(screens_.createSearchSheet(state_, *this, dataSheet_, prompter_, this));
}

void MainWindow::showChild(QWidget *sheet)
{
    if (!sheet)
        return;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(sheet->parentWidget())) {
        sub->showNormal();
        mdi_->setActiveSubWindow(sub);
    }
}

void MainWindow::InputFormClick()
{
    showChild(inputSheet_ ? inputSheet_->widget() : nullptr);
}

void MainWindow::DataFormClick()
{
    showChild(dataSheet_ ? dataSheet_->widget() : nullptr);
}

void MainWindow::DueFormClick()
{
    if (!dueWindow_) {
        due::DueWindow *window = screens_.createDueWindow(state_, prompter_, options_, nullptr);
        if (!window)
            return;
        // The full view, where 編集 and 取立て確認 can act on the note; shown first, so the
        // grid scrolls within the size it is seen at.
        window->showNote = [this](int note) {
            if (!dataSheet_)
                return;
            showChild(dataSheet_->widget());
            dataSheet_->setIndexAll();
            dataSheet_->DataUpdate();
            dataSheet_->showNote(note);
        };
        connect(window, &due::DueWindow::daysChanged, dueStatus_, &due::DueStatus::setDays);
        dueWindow_ = window;
        // At the right of the frame, whole, over what is there.
        QWidget *sub = addChild(window);
        sub->move(std::max(0, mdi_->width() - sub->width()), 0);
    }
    showChild(dueWindow_);
}

void MainWindow::Restore1Click()
{
    runChangingModal(screens_.createRestoreDialog(state_, prompter_, this));
}

void MainWindow::SET2Click()
{
    runChangingModal(
        screens_.createRegistrationSheet(state_, prompter_, RegisterKind::PartnerRegister, this));
}

void MainWindow::SET3Click()
{
    runChangingModal(
        screens_.createRegistrationSheet(state_, prompter_, RegisterKind::BankRegister, this));
}

void MainWindow::User1Click()
{
    runModal(screens_.createUserRegistration(state_, prompter_, userFile_, this));
}

void MainWindow::Help2Click()
{
    if (!helpWindow_) {
        const QString file = findHelpFile(state_.ProgramDirectory);
        if (file.isEmpty()) {
            prompter_.warn(this, u"\nヘルプのファイル（Help/Help.html）が見つかりません。"_s);
            return;
        }
        helpWindow_ = screens_.createHelpWindow(file, this);
        if (!helpWindow_)
            return;
    }
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void MainWindow::N2Click()
{
    prompter_.inform(this, versionCaption() + u"\n最新のバージョンは作者のＨＰにあります"_s);
}

void MainWindow::AllUpdate()
{
    if (dataSheet_)
        dataSheet_->DataUpdate();
    if (inputSheet_)
        inputSheet_->DataUpDate();
}

// It stays until a sheet says something else, and never hides the due counts or the unsaved
// changes, as a passing status bar message would.
void MainWindow::showStatus(const QString &text)
{
    if (!sheetStatus_) {
        sheetStatus_ = new QLabel(statusBar());
        sheetStatus_->setObjectName(u"SheetStatus"_s);
        sheetStatus_->setIndent(16); // apart from the unsaved-changes note before it
        statusBar()->addWidget(sheetStatus_);
    }
    sheetStatus_->setText(text);
}

void MainWindow::editNote(int noteIndex)
{
    if (!inputSheet_)
        return;
    // The input sheet may lie behind a maximised data sheet: the note is shown where it is seen.
    InputFormClick();
    inputSheet_->setEditIndex(noteIndex);
}

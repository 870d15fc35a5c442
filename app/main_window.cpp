#include "app/main_window.h"

#include <cerrno>
#include <memory>

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QUrl>

#include "access/login_dialog.h"
#include "access/rights.h"
#include "app/screen_factory.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "store/data_files.h"
#include "store/data_lock.h"
#include "store/note_changes.h"
#include "store/note_rules.h"
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

MainWindow::MainWindow(AppState &state, Prompter &prompter, ScreenFactory &screens,
    const MainWindowOptions &options, QWidget *parent)
    : QMainWindow(parent)
    , state_(state)
    , prompter_(prompter)
    , screens_(screens)
    , userFile_(options.userFile)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Velmoraの手形管理"_s);
    setFont(screenFont());
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(u"MdiArea"_s);
    mdi_->setBackground(QColor(254, 254, 254));
    setCentralWidget(mdi_);
    buildMenus();
    FormCreate(options);
}

MainWindow::~MainWindow() = default;

void MainWindow::FormCreate(const MainWindowOptions &options)
{
    state_.Modified = false;
    lockUser_ = options.lockUser;
    now_ = options.now;
    const DataLocation where = locateDataDirectory(
        state_.ProgramDirectory, options.fallbackConfigDir, options.fallbackDataDir);
    state_.DataDirectory = where.DataDirectory;
    if (!where.known) {
        // No folder is named: loading or saving anywhere would pass an empty register off as
        // the real one.
        prompter_.error(this, where.problem);
        state_.ReadOnly = true;
        readOnlyNotice_ = where.problem;
        return;
    }
    if (!where.problem.isEmpty())
        prompter_.error(this, where.problem);
    const DataFolderCheck folder = checkDataFolder(state_.DataDirectory, where.settingsPath);
    if (folder.state == DataFolderCheck::Missing) {
        // Nothing to load; a save takes the lock once the folder is there.
        prompter_.warn(this, folder.message);
        return;
    }
    // Loading finishes an interrupted save, which only the lock's holder may do.
    lockDataFolder();
    const LoadReport report = LoadData(state_, state_.DataDirectory, systemFileSystem(),
        state_.ReadOnly ? InterruptedSave::LeaveToLockHolder : InterruptedSave::Settle);
    if (!report.ok())
        prompter_.error(this, report.message());
    else if (!report.recovery.isEmpty())
        prompter_.inform(this, report.recovery);
    if (!state_.ReadOnly && folder.state == DataFolderCheck::NewRegister)
        prompter_.inform(this, folder.message);
}

void MainWindow::lockDataFolder()
{
    lock_ = std::make_unique<DataLock>(state_.DataDirectory);
    DataLock::Result result = lock_->acquire(lockUser_, now_());
    if (result == DataLock::Result::Acquired)
        return;
    const QString folder = state_.DataDirectory;
    state_.ReadOnly = true;
    if (result == DataLock::Result::Failed) {
        readOnlyNotice_ = u"\nデータフォルダー「%1」にロックファイルを作成できないため、"
                          u"読み取り専用で開いています。保存はできません。\n理由: %2"_s.arg(
                              folder, lock_->reason());
        prompter_.warn(this, readOnlyNotice_);
        return;
    }
    const QString who = lock_->holder().known
        ? u"%1使用中です。"_s.arg(describeHolder(lock_->holder()))
        : u"ほかのプログラムが使用中です（使用者は分かりません）。"_s;
    readOnlyNotice_ =
        u"\nデータフォルダー「%1」は、%2\n読み取り専用で開いているため、保存できません。"_s.arg(
            folder, who);
    if (lock_->holderMayBeStale()) {
        // Only the holder's own machine can tell whether it still runs: the user decides.
        const MessageAnswer answer = prompter_.message(this, MessageKind::Warning,
            u"\nデータフォルダー「%1」は、%2\n"
            u"そのプログラムが既に終了している場合だけ、引き継いで開いてください。"
            u"使用中のまま引き継ぐと、どちらかの変更が失われます。\n\n"
            u"OK: 引き継いで開く\nキャンセル: 読み取り専用で開く（表示・検索・印刷のみ）"_s.arg(
                folder, who),
            MessageButtons::OkCancel);
        if (answer != MessageAnswer::Ok)
            return;
        if (lock_->takeOver(lockUser_, now_()) == DataLock::Result::Acquired) {
            state_.ReadOnly = false;
            readOnlyNotice_.clear();
            return;
        }
        prompter_.warn(this,
            u"\nデータフォルダー「%1」を引き継げませんでした。まだ使用中です。\n"
            u"読み取り専用で開きます。表示・検索・印刷はできますが、保存はできません。"_s.arg(
                folder));
        return;
    }
    prompter_.warn(this,
        u"\nデータフォルダー「%1」は、%2\n"
        u"読み取り専用で開きます。表示・検索・印刷はできますが、保存はできません。"_s.arg(
            folder, who));
}

QMenu *MainWindow::addMenu(const char *name, const QString &caption)
{
    QMenu *m = menuBar()->addMenu(caption);
    m->setObjectName(QLatin1String(name));
    m->menuAction()->setObjectName(QLatin1String(name));
    return m;
}

QAction *MainWindow::addItem(QMenu *m, const char *name, const QString &caption,
    const QKeySequence &shortcut, void (MainWindow::*command)())
{
    QAction *a = m->addAction(caption);
    a->setObjectName(QLatin1String(name));
    a->setShortcut(shortcut);
    connect(a, &QAction::triggered, this, command);
    return a;
}

void MainWindow::buildMenus()
{
    QMenu *file = addMenu(objectNameOf(MenuCommand::File1), u"ファイル(&F)"_s);
    Save1 = addItem(file, objectNameOf(MenuCommand::Save1), u"上書き保存"_s,
        QKeySequence(u"Ctrl+S"_s), &MainWindow::Save1Click);
    Print1 = addItem(file, objectNameOf(MenuCommand::Print1), u"出力"_s, QKeySequence(u"Ctrl+P"_s),
        &MainWindow::Preview);
    Z1 = addItem(file, objectNameOf(MenuCommand::Z1), u"終了(&X)"_s, QKeySequence(u"Ctrl+X"_s),
        &MainWindow::Z1Click);

    QMenu *edit = addMenu(objectNameOf(MenuCommand::Edit1), u"編集(&E)"_s);
    Delete1 = addItem(edit, objectNameOf(MenuCommand::Delete1), u"削除"_s,
        QKeySequence(u"Shift+Del"_s), &MainWindow::Delete1Click);
    N3 = addItem(edit, objectNameOf(MenuCommand::N3), u"取立て確認"_s, QKeySequence(),
        &MainWindow::ShoninClick);
    connect(edit, &QMenu::aboutToShow, this, &MainWindow::Edit1Click);

    QMenu *find = addMenu(objectNameOf(MenuCommand::Find1), u"検索(&S)"_s);
    Find2 = addItem(find, objectNameOf(MenuCommand::Find2), u"検索"_s, QKeySequence(u"Ctrl+F"_s),
        &MainWindow::Find1Click);

    QMenu *show = addMenu(objectNameOf(MenuCommand::Show1), u"表示(&V)"_s);
    InputForm = addItem(show, objectNameOf(MenuCommand::InputForm), u"インプットシート"_s,
        QKeySequence(), &MainWindow::InputFormClick);
    DataForm = addItem(show, objectNameOf(MenuCommand::DataForm), u"データシート"_s, QKeySequence(),
        &MainWindow::DataFormClick);

    QMenu *set = addMenu(objectNameOf(MenuCommand::SET1), u"設定(&B)"_s);
    SET2 = addItem(set, objectNameOf(MenuCommand::SET2), u"取引先登録"_s, QKeySequence(),
        &MainWindow::SET2Click);
    SET3 = addItem(set, objectNameOf(MenuCommand::SET3), u"銀行登録"_s, QKeySequence(),
        &MainWindow::SET3Click);
    User1 = addItem(set, objectNameOf(MenuCommand::User1), u"ユーザー設定"_s, QKeySequence(),
        &MainWindow::User1Click);

    QMenu *help = addMenu(objectNameOf(MenuCommand::Help1), u"ヘルプ(&H)"_s);
    Help2 = addItem(help, objectNameOf(MenuCommand::Help2), u"ヘルプ"_s, QKeySequence(),
        &MainWindow::Help2Click);
    N2 = addItem(help, objectNameOf(MenuCommand::N2), u"バージョン情報"_s, QKeySequence(),
        &MainWindow::N2Click);

    for (QAction *a : menuBar()->findChildren<QAction *>())
        a->setShortcutVisibleInContextMenu(true);
    applyRights(0);
}

QAction *MainWindow::action(const QString &objectName) const
{
    // Only the menu bar's own items: the sheets' context menus reuse some of the names.
    for (QAction *a : menuBar()->findChildren<QAction *>()) {
        if (a->objectName() == objectName)
            return a;
    }
    return nullptr;
}

QMenu *MainWindow::menu(const QString &objectName) const
{
    return menuBar()->findChild<QMenu *>(objectName);
}

// A disabled menu makes all of its items unreachable, shortcuts included, so each item is
// enabled only when both it and its menu are. An item no command names follows its menu alone.
void MainWindow::applyRights(std::uint8_t permissions)
{
    const auto allowed = [permissions](const QObject *item) {
        const std::optional<MenuCommand> command = menuCommandNamed(item->objectName());
        return !command || menuCommandOpen(*command, permissions);
    };
    for (QMenu *m : menuBar()->findChildren<QMenu *>()) {
        const bool menuOpen = allowed(m);
        m->menuAction()->setEnabled(menuOpen);
        for (QAction *a : m->actions())
            a->setEnabled(menuOpen && allowed(a));
    }
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
    LoginDialog login(prompter_, this, userFile_);
    const bool loggedIn = prompter_.exec(login) == QDialog::Accepted;
    applyRights(0);
    if (loggedIn) {
        state_.CurrentUser.Name = login.userName().left(10);
        state_.CurrentUser.Password = login.userPassword().left(10);
        state_.CurrentUser.Permissions = login.userRights();
    }
    applyRights(state_.CurrentUser.Permissions);
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

// The lock for a folder that was missing at start-up, or for another folder than the one locked.
bool MainWindow::lockForSave()
{
    if (lock_ && lock_->held() && lock_->directory() == state_.DataDirectory)
        return true;
    if (!QFileInfo(dataFolderOf(state_.DataDirectory)).isDir())
        return true; // the save fails on its own and names the file
    auto lock = std::make_unique<DataLock>(state_.DataDirectory);
    switch (lock->acquire(lockUser_, now_())) {
    case DataLock::Result::Acquired:
        lock_ = std::move(lock);
        return true;
    case DataLock::Result::HeldByOther:
        prompter_.error(this,
            u"\n保存できません。\nデータフォルダー「%1」は、%2使用中です。"_s.arg(
                state_.DataDirectory, describeHolder(lock->holder())));
        return false;
    case DataLock::Result::Failed:
        break;
    }
    prompter_.error(this,
        u"\n保存できません。\nロックファイル「%1」を作成できませんでした。\n理由: %2"_s.arg(
            lock->lockPath(), lock->reason()));
    return false;
}

bool MainWindow::save()
{
    if (state_.ReadOnly) {
        prompter_.warn(this, readOnlyNotice_);
        return false;
    }
    if (!lockForSave())
        return false;
    const SaveReport report = SaveData(state_, state_.DataDirectory);
    if (!report.ok) {
        prompter_.error(this, report.message);
        return false;
    }
    if (!report.backups.isEmpty())
        prompter_.inform(this, report.backupNotice());
    return true;
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

void MainWindow::Z1Click()
{
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A read-only copy has nowhere to save: closing just closes.
    if (state_.Modified && !state_.ReadOnly) {
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
    Delete1->setEnabled(dataSheet_ && dataSheetRows().singleRowOfFullView());
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
    notechanges::remove(state_, note);
    if (inputSheet_)
        inputSheet_->noteRemoved(note);
    dataSheet_->setIndexAll();
    AllUpdate();
}

void MainWindow::ShoninClick()
{
    const std::vector<int> due = dueNoteIndices(state_.NoteTable, state_.clock->todayNumber());
    runModal(screens_.createApprovalList(state_, prompter_, due, this));
    AllUpdate();
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

void MainWindow::SET2Click()
{
    runModal(
        screens_.createRegistrationSheet(state_, prompter_, RegisterKind::PartnerRegister, this));
    AllUpdate();
}

void MainWindow::SET3Click()
{
    runModal(screens_.createRegistrationSheet(state_, prompter_, RegisterKind::BankRegister, this));
    AllUpdate();
}

void MainWindow::User1Click()
{
    runModal(screens_.createUserRegistration(state_, prompter_, userFile_, this));
}

void MainWindow::Help2Click()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(state_.ProgramDirectory + u"Help/Help.html"_s));
}

void MainWindow::N2Click()
{
    prompter_.inform(this, u"Ver.1.00\n最新のバージョンは作者のＨＰにあります"_s);
}

void MainWindow::AllUpdate()
{
    if (dataSheet_)
        dataSheet_->DataUpdate();
    if (inputSheet_)
        inputSheet_->DataUpDate();
}

void MainWindow::editNote(int noteIndex)
{
    if (inputSheet_)
        inputSheet_->setEditIndex(noteIndex);
}

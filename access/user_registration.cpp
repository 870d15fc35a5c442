#include "access/user_registration.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

#include "controls/border_label.h"
#include "controls/byte_limit.h"
#include "controls/picture_button.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "controls/screen_style.h"
#include "controls/sheet_grid.h"
#include "core/sjis.h"
#include "messages/store_messages.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int RowHeight = 20;
constexpr int FieldHeight = 20;

// The list's questions as the program's message boxes.
class DialogPrompts : public UserPrompts
{
public:
    DialogPrompts(Prompter &prompter, QWidget *parent)
        : prompter_(prompter)
        , parent_(parent)
    {
    }
    void refuse(const QString &text) override { prompter_.warn(parent_, text); }
    bool confirm(const QString &text) override
    {
        return prompter_.message(parent_, MessageKind::Warning, text, MessageButtons::OkCancel)
            == MessageAnswer::Ok;
    }
    void notice(const QString &text) override
    {
        prompter_.message(parent_, MessageKind::Plain, text, MessageButtons::Ok);
    }

private:
    Prompter &prompter_;
    QWidget *parent_;
};

TBorderLabel *caption(QWidget *parent, const char *name, int top, const QString &text)
{
    auto *label = new TBorderLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(16, top, 97, 20);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QLineEdit *passwordField(QWidget *parent, const char *name, int top, const QString &caption)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(128, top, 121, FieldHeight);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(u"lineedit-password-character: 42"_s); // each character shows as "*"
    edit->setAccessibleName(caption);
    limitBytes(edit, PasswordLength);
    return edit;
}

QCheckBox *rightBox(QWidget *parent, const char *name, const QRect &place, const QString &text)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(place);
    return box;
}

} // namespace

UserRegistration::UserRegistration(Prompter &prompter, QString userFile, FileSystem &fs,
    QWidget *parent, std::unique_ptr<RandomSource> random)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , fs_(fs)
    , prompter_(prompter)
    , userFile_(std::move(userFile))
    , random_(random ? std::move(random) : std::make_unique<ClockRandom>())
{
    styleScreen(this, u"Form7"_s, u"ユーザー登録"_s);
    setFixedSize(539, 280);
    buildControls();
}

UserRegistration::~UserRegistration() = default;

void UserRegistration::buildControls()
{
    SG1 = new QTableView(this);
    SG1->setObjectName(u"SG1"_s);
    SG1->setGeometry(0, 0, 529, 137);
    model_ = new UserGridModel(table_, this);
    SG1->setModel(model_);
    setUpSheetGrid(SG1, RowHeight);
    SG1->setSelectionMode(QAbstractItemView::NoSelection);
    SG1->setFocusPolicy(Qt::NoFocus);
    SG1->setAccessibleName(u"ユーザー一覧"_s);

    BorderLabel1 = caption(this, "BorderLabel1", 152, u"ユーザー名"_s);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(u"ComboBox1"_s);
    ComboBox1->setGeometry(128, 152, 121, FieldHeight);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setCompleter(nullptr);
    ComboBox1->setAccessibleName(BorderLabel1->text());
    // Cut where it is typed: a name is stored in 10 bytes, and a longer one sharing those bytes
    // with a listed user would otherwise become a second user the login never reaches.
    limitBytes(ComboBox1->lineEdit(), UserNameCapacity);
    BorderLabel1->setBuddy(ComboBox1);

    BorderLabel2 = caption(this, "BorderLabel2", 184, u"パスワード"_s);
    Edit2 = passwordField(this, "Edit2", 184, BorderLabel2->text());
    BorderLabel2->setBuddy(Edit2);
    BorderLabel3 = caption(this, "BorderLabel3", 216, u"パスワード確認"_s);
    Edit3 = passwordField(this, "Edit3", 216, BorderLabel3->text());
    BorderLabel3->setBuddy(Edit3);

    CB1 = rightBox(this, "CB1", QRect(288, 152, 137, 17), u"保存・検索"_s);
    CB2 = rightBox(this, "CB2", QRect(288, 184, 137, 17), u"削除・期日到来承認"_s);
    CB3 = rightBox(this, "CB3", QRect(288, 216, 145, 17), u"取引先・銀行設定"_s);
    CB4 = rightBox(this, "CB4", QRect(288, 248, 145, 17), u"全ての権限"_s);

    QWidget::setTabOrder(ComboBox1, Edit2);
    QWidget::setTabOrder(Edit2, Edit3);
    QWidget::setTabOrder(Edit3, CB1);
    QWidget::setTabOrder(CB1, CB2);
    QWidget::setTabOrder(CB2, CB3);
    QWidget::setTabOrder(CB3, CB4);

    SpeedButton1 = pictureButton(
        this, "SpeedButton1", QRect(448, 160, 77, 27), ButtonMark::UserPlus, u"追加"_s);
    SpeedButton2 = pictureButton(
        this, "SpeedButton2", QRect(448, 192, 77, 27), ButtonMark::UserMinus, u"削除"_s);
    SpeedButton3 = pictureButton(
        this, "SpeedButton3", QRect(448, 224, 77, 27), ButtonMark::Cross, u"閉じる"_s);

    // A pick from the list, even of the item already current, loads that user.
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &UserRegistration::ComboBox1Change);
    connect(ComboBox1, &QComboBox::activated, this, &UserRegistration::ComboBox1Change);
    connect(SpeedButton1, &QToolButton::clicked, this, &UserRegistration::AddClick);
    connect(SpeedButton2, &QToolButton::clicked, this, &UserRegistration::DelClick);
    connect(SpeedButton3, &QToolButton::clicked, this, &UserRegistration::CloseClick);
}

void UserRegistration::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        ComboBox1->setFocus();
        FormShow();
    }
}

void UserRegistration::FormShow()
{
    applyColumnWidths(SG1, model_->columnWidths());
    readFile_ = identityOf(fs_, userFile_);
    UserFileRead read = readUserFile(userFile_, fs_);
    table_.replaceAll(std::move(read.users));
    readable_ = read.ok();
    // Writing what was read of a damaged or unreadable file would replace it with a short or
    // empty list and could lock everyone out, Admini too; the file is kept as it is instead.
    SpeedButton1->setEnabled(readable_);
    SpeedButton2->setEnabled(readable_);
    DataUpDate();
    if (!readable_)
        prompter_.error(this,
            messages::userFileUnreadable(
                userFile_, read.fault, static_cast<qsizetype>(read.users.size()))
                + u"\n\nファイルを守るため、この画面では追加も削除もできません。閉じるときもファイルには書き込みません。"_s);
}

void UserRegistration::DataUpDate()
{
    model_->refresh();
    applyColumnWidths(SG1, model_->columnWidths());
    {
        const QSignalBlocker quiet(ComboBox1);
        ComboBox1->clear();
        ComboBox1->addItems(table_.names());
        ComboBox1->setCurrentIndex(-1);
    }
    if (ComboBox1->count() > 0)
        ComboBox1->setCurrentIndex(0);
    ComboBox1Change();
}

void UserRegistration::ComboBox1Change()
{
    const int index = ComboBox1->currentIndex();
    if (index < 0 || index >= table_.size())
        return;
    const UserRecord &user = table_.at(index);
    Edit2->setText(sjis::decode(user.Password));
    Edit3->clear();
    QCheckBox *const boxes[] = { CB1, CB2, CB3, CB4 };
    for (std::size_t i = 0; i < PermissionBits.size(); ++i)
        boxes[i]->setChecked((user.Permissions & PermissionBits[i]) != 0);
}

UserEntry UserRegistration::enteredEntry() const
{
    UserEntry entry;
    entry.name = sjis::encode(ComboBox1->currentText());
    entry.password = sjis::encode(Edit2->text());
    entry.confirmation = sjis::encode(Edit3->text());
    const QCheckBox *const boxes[] = { CB1, CB2, CB3, CB4 };
    for (std::size_t i = 0; i < PermissionBits.size(); ++i) {
        if (boxes[i]->isChecked())
            entry.permissions |= PermissionBits[i];
    }
    return entry;
}

void UserRegistration::AddClick()
{
    if (!readable_)
        return;
    if (DataCheck())
        addArr();
    DataUpDate();
}

bool UserRegistration::DataCheck()
{
    DialogPrompts prompts(prompter_, this);
    return table_.DataCheck(enteredEntry(), prompts);
}

void UserRegistration::addArr()
{
    table_.addArr(enteredEntry());
}

void UserRegistration::DelClick()
{
    if (!readable_)
        return;
    DialogPrompts prompts(prompter_, this);
    if (table_.remove(sjis::encode(ComboBox1->currentText()), prompts) != DeleteOutcome::Refused)
        DataUpDate();
}

void UserRegistration::CloseClick()
{
    if (!readable_) {
        prompter_.inform(this,
            u"\nユーザーファイル「%1」は読み込めなかったため、書き込まずにそのまま残しました。"_s
                .arg(userFile_));
        done(QDialog::Rejected);
        return;
    }
    // Another copy may have changed the users since this screen read them: never write over that.
    if (identityOf(fs_, userFile_) != readFile_) {
        prompter_.error(this,
            u"\nユーザーファイル「%1」は、この画面を開いた後にほかのプログラムで変更されています。"
            u"上書きするとその変更が失われるため、保存しません。\n"
            u"この画面を開き直してから変更してください。"_s.arg(userFile_));
        done(QDialog::Rejected);
        return;
    }
    bool replaced = false;
    if (const int error = writeUserFile(userFile_, table_.users(), *random_, &replaced, fs_);
        error != 0) {
        prompter_.error(this, messages::userFileNotSaved(userFile_, error, replaced));
        if (replaced) {
            done(QDialog::Accepted);
            return;
        }
        // Closing is the only way out, so a file that cannot be written must not trap the user;
        // Cancel stays for another try.
        if (prompter_.message(this, MessageKind::Warning, u"\n変更を保存せずに閉じますか？"_s,
                MessageButtons::OkCancel)
            != MessageAnswer::Ok)
            return;
        done(QDialog::Rejected);
        return;
    }
    done(QDialog::Accepted);
}

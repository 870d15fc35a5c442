#include "access/login_dialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "controls/byte_limit.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "core/sjis.h"
#include "messages/store_messages.h"

using namespace Qt::StringLiterals;

// The picture lives in this static library's resources, which need an explicit start.
static void initAccessResources()
{
    Q_INIT_RESOURCE(access);
}

namespace {

QLabel *labelAt(QWidget *parent, const char *name, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->adjustSize();
    label->move(left, top);
    return label;
}

QLineEdit *fieldAt(QWidget *parent, const char *name, const QRect &place)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(place);
    limitBytes(edit, UserNameCapacity);
    return edit;
}

QPushButton *buttonAt(QWidget *parent, const char *name, const QString &text, const QRect &place)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    button->setAccessibleName(text);
    return button;
}

// Names and passwords take direct keyboard input only.
void inputMethodOff(QLineEdit *edit)
{
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
}

} // namespace

LoginDialog::LoginDialog(
    Prompter &prompter, const QString &userFile, FileSystem &fs, QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , prompter_(prompter)
    , check_(userFile, fs)
{
    initAccessResources();
    setObjectName(u"Form2"_s);
    setWindowTitle(u"ユーザー認証"_s);
    setFont(screenFont());
    setFixedSize(387, 168);

    Image1 = new QLabel(this);
    Image1->setObjectName(u"Image1"_s);
    Image1->setGeometry(16, 16, 42, 36);
    Image1->setPixmap(QPixmap(u":/access/login.png"_s));
    Image1->setAccessibleName(u"手形管理"_s);

    Label1 = labelAt(this, "Label1", u"手形管理のユーザー名とパスワードを入力して下さい"_s, 72, 20);
    Label2 = labelAt(this, "Label2", u"ユーザー名"_s, 72, 58);
    Edit1 = fieldAt(this, "Edit1", QRect(168, 56, 193, 20));
    Label3 = labelAt(this, "Label3", u"パスワード"_s, 72, 99);
    Edit2 = fieldAt(this, "Edit2", QRect(168, 96, 193, 20));
    Edit2->setEchoMode(QLineEdit::Password);
    Edit2->setStyleSheet(u"lineedit-password-character: 42"_s); // each character shows as "*"
    inputMethodOff(Edit1);
    inputMethodOff(Edit2);
    Label2->setBuddy(Edit1);
    Label3->setBuddy(Edit2);
    Edit1->setAccessibleName(Label2->text());
    Edit2->setAccessibleName(Label3->text());

    Button1 = buttonAt(this, "Button1", u"OK"_s, QRect(168, 136, 97, 19));
    Button2 = buttonAt(this, "Button2", u"キャンセル"_s, QRect(272, 136, 97, 19));
    // Enter in either field acts as OK.
    Button1->setDefault(true);
    Button2->setAutoDefault(false);

    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Button1);
    setTabOrder(Button1, Button2);

    connect(Button1, &QPushButton::clicked, this, &LoginDialog::OkClick);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void LoginDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void LoginDialog::FormShow()
{
    Edit1->clear();
    Edit2->clear();
    Edit1->setFocus();
    if (const QScreen *screen =
            this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + area.width() / 2 - 198, area.top() + area.height() / 4);
    }
}

void LoginDialog::OkClick()
{
    if (check_.check(sjis::encode(Edit1->text()), sjis::encode(Edit2->text()))) {
        accept();
        return;
    }
    if (check_.fault().isFault())
        prompter_.error(this,
            messages::userFileUnreadable(check_.path(), check_.fault(), check_.recordsRead()));
    else
        prompter_.warn(this, u"\nパスワードが違います！"_s);
}

#include "sheets/input_sheet.h"

#include <cstring>

#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QStyleHints>
#include <QToolButton>

#include "controls/border_label.h"
#include "controls/byte_limit.h"
#include "controls/combo_list.h"
#include "controls/date_picker.h"
#include "controls/nval_edit.h"
#include "controls/picture_button.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "controls/screen_style.h"
#include "core/day_date.h"
#include "core/kinds.h"
#include "core/sjis.h"
#include "messages/entry_messages.h"
#include "session/session.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int FieldHeight = 20;
const QColor FrameColor(102, 102, 102);

QComboBox *pickList(QWidget *parent, const char *name, int left, int top, int width)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setGeometry(left, top, width, FieldHeight);
    combo->setEditable(false);
    useStringList(combo);
    return combo;
}

QLineEdit *textField(QWidget *parent, const char *name, int left, int top, int width, int maxBytes)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(left, top, width, FieldHeight);
    limitBytes(edit, maxBytes);
    return edit;
}

DatePicker *datePicker(QWidget *parent, const char *name, int left, int top, int width)
{
    auto *picker = new DatePicker(parent);
    picker->setObjectName(QLatin1String(name));
    picker->setGeometry(left, top, width, FieldHeight);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QString::fromUtf16(daydate::ShortFormat));
    return picker;
}

// A column of binder rings beside a framed group; ours to draw.
QPixmap ringStrip(int height)
{
    QPixmap strip(16, height);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    for (int y = 4; y + 10 <= height; y += 16) {
        p.setPen(QPen(QColor(120, 120, 120), 2));
        p.setBrush(QColor(235, 235, 235));
        p.drawEllipse(QRectF(3, y, 10, 10));
        p.setBrush(QColor(90, 90, 90));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(6.5, y + 3.5, 3, 3));
    }
    return strip;
}

struct Caption
{
    const char *name;
    int top;
    const char16_t *text;
    bool red;
    const char16_t *tip;
};

const Caption Captions[] = {
    { "BorderLabel1", 40, u"取引先", false, u"取引先コード又は取引先名をリストから選んでください" },
    { "BorderLabel2", 72, u"手形番号", false, u"手形番号を入力してください" },
    { "BorderLabel3", 104, u"振出銀行", false,
        u"手形の振出銀行又は振り出し銀行名をリストから選んでください" },
    { "BorderLabel4", 136, u"振出日", false, u"手形の振出日を入力してください" },
    { "BorderLabel5", 168, u"支払日", false, u"手形の決済日を入力してください" },
    { "BorderLabel6", 200, u"金額", false, u"手形の金額を入力してください" },
    { "BorderLabel7", 232, u"備考", false, u"割引金額などご自由にお使いください" },
    { "BorderLabel8", 264, u"手形種", false, u"手形の種類をリストから選んでください" },
    { "BorderLabel9", 344, u"期日到来", true,
        u"期日が到来していない物は×　到来しているがみ承認な物は△　承認済みな物は〇" },
    { "BorderLabel10", 376, u"入力者名", true, u"このデータの最終入力者名です" },
};

} // namespace

InputSheet::InputSheet(Session &state, SheetHost &host, Prompter &prompter, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , host_(host)
    , prompter_(prompter)
{
    styleScreen(this, u"Form4"_s, u"インプットシート"_s);
    setFixedSize(391, 520);
    buildControls();
    buildCaptions();
    setTabOrder();
    reachRegistration();
    // A read-only copy shows notes but cannot register one.
    SpeedButton1->setEnabled(!state_.Data.readOnly());
    connect(&state_.Data, &Register::changed, this, &InputSheet::registerChanged);
}

void InputSheet::buildControls()
{
    ComboBox1 = pickList(this, "ComboBox1", 136, 40, 81);
    ComboBox1->setToolTip(u"取引先コード"_s);
    ComboBox2 = pickList(this, "ComboBox2", 216, 40, 145);
    ComboBox2->setToolTip(u"取引先名"_s);
    Edit2 = textField(this, "Edit2", 136, 72, 121, 10);
    Edit2->setAttribute(Qt::WA_InputMethodEnabled, false);
    ComboBox3 = pickList(this, "ComboBox3", 136, 104, 81);
    ComboBox4 = pickList(this, "ComboBox4", 216, 104, 145);
    DP1 = datePicker(this, "DP1", 136, 136, 185);
    DP2 = datePicker(this, "DP2", 136, 168, 186);

    NValEdit1 = new TNValEdit(this);
    NValEdit1->setObjectName(u"NValEdit1"_s);
    NValEdit1->setGeometry(136, 200, 121, FieldHeight);
    NValEdit1->setMaxDigits(10);
    NValEdit1->setZeroDisplay(true);
    NValEdit1->setMinusColor(Qt::black);
    NValEdit1->setFontColor(Qt::black);

    Edit7 = textField(this, "Edit7", 136, 232, 225, 40);
    ComboBox5 = pickList(this, "ComboBox5", 136, 264, 145);
    setItems(ComboBox5, noteKindNames());
    ComboBox5->setCurrentIndex(0);

    Edit10 = textField(this, "Edit10", 136, 376, 121, 40);
    Edit10->setEnabled(false);
    Edit10->setFocusPolicy(Qt::NoFocus);
    ComboBox6 = pickList(this, "ComboBox6", 136, 344, 57);
    setItems(ComboBox6, { u"〇"_s, u"×"_s });
    selectSettled(false);
    ComboBox6->setEnabled(false);

    BL11 = new TBorderLabel(u"編集中！"_s, this);
    BL11->setObjectName(u"BL11"_s);
    BL11->setGeometry(24, 456, 89, 24);
    BL11->setAlignment(Qt::AlignCenter);
    BL11->setBorderColor(Qt::red);
    QFont bold = font();
    bold.setBold(true);
    BL11->setFont(bold);
    QPalette blue = BL11->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    BL11->setPalette(blue);
    BL11->hide();

    SpeedButton1 =
        pictureButton(this, "SpeedButton1", QRect(288, 456, 77, 27), ButtonMark::Check, u"登録"_s);
    connect(SpeedButton1, &QToolButton::clicked, this, &InputSheet::OkClick);

    Image1 = new QLabel(this);
    Image1->setObjectName(u"Image1"_s);
    Image1->setGeometry(24, 32, 16, 265);
    Image1->setPixmap(ringStrip(265));
    Image2 = new QLabel(this);
    Image2->setObjectName(u"Image2"_s);
    Image2->setGeometry(24, 336, 16, 81);
    Image2->setPixmap(ringStrip(81));

    for (QComboBox *c : { ComboBox1, ComboBox2, ComboBox3, ComboBox4 })
        connect(c, &QComboBox::activated, this, [this, c] { TorihikiChange(c); });
}

void InputSheet::buildCaptions()
{
    QWidget *fields[] = { ComboBox1, Edit2, ComboBox3, DP1, DP2, NValEdit1, Edit7, ComboBox5,
        ComboBox6, Edit10 };
    int i = 0;
    for (const Caption &c : Captions) {
        auto *label = new TBorderLabel(QString::fromUtf16(c.text), this);
        label->setObjectName(QLatin1String(c.name));
        label->setGeometry(64, c.top, 69, 20);
        label->setAlignment(Qt::AlignCenter);
        label->setBorderColor(c.red ? Qt::red : Qt::blue);
        label->setToolTip(QString::fromUtf16(c.tip));
        label->setBuddy(fields[i]);
        fields[i]->setAccessibleName(label->text());
        ++i;
    }
    ComboBox1->setAccessibleName(u"取引先コード"_s);
    ComboBox2->setAccessibleName(u"取引先名"_s);
    ComboBox3->setAccessibleName(u"振出銀行コード"_s);
    ComboBox4->setAccessibleName(u"振出銀行名"_s);
}

void InputSheet::setTabOrder()
{
    QList<QWidget *> order = { ComboBox1, ComboBox2, Edit2, ComboBox3, ComboBox4, DP1, DP2,
        NValEdit1, Edit7, ComboBox5, ComboBox6 };
    // What an addition puts on the sheet comes after the designed fields, and 登録 after all.
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child != SpeedButton1 && (child->focusPolicy() & Qt::TabFocus) != 0
            && !order.contains(child))
            order << child;
    }
    order << SpeedButton1;
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

// 登録 is the last tab stop, pressed there by Enter or Space, and by Ctrl+Enter from anywhere on
// the sheet, so a note is entered without the mouse.
void InputSheet::reachRegistration()
{
    SpeedButton1->setFocusPolicy(Qt::TabFocus);
    SpeedButton1->setToolTip(u"登録 (Ctrl+Enter)"_s);
    SpeedButton1->installEventFilter(this);
    for (const QKeyCombination key : { Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter }) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        // A disabled 登録 (a read-only copy) ignores its click.
        connect(shortcut, &QShortcut::activated, SpeedButton1, &QToolButton::click);
    }
}

bool InputSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == SpeedButton1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            SpeedButton1->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void InputSheet::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void InputSheet::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter p(this);
    p.setPen(FrameColor);
    p.setBrush(Qt::NoBrush);
    // One-pixel frames whose right and bottom edges are the last pixels inside the rectangles
    // (20, 25)-(370, 300) and (20, 320)-(370, 420); drawRect strokes one pixel beyond its size.
    p.drawRect(QRect(QPoint(20, 25), QPoint(368, 298)));
    p.drawRect(QRect(QPoint(20, 320), QPoint(368, 418)));
}

void InputSheet::FormShow()
{
    Editing_ = 0;
    selectSettled(false);
    DataUpDate();
}

void InputSheet::selectSettled(bool settled)
{
    ComboBox6->setCurrentIndex(settled ? 0 : 1);
}

// Position i of both lists is record i of the table.
template <typename Table>
static void fillCodeAndName(QComboBox *codes, QComboBox *names, const Table &table)
{
    QStringList codeTexts, nameTexts;
    codeTexts.reserve(static_cast<qsizetype>(table.size()));
    nameTexts.reserve(static_cast<qsizetype>(table.size()));
    for (const auto &record : table) {
        codeTexts << sjis::decode(record.Code.view());
        nameTexts << sjis::decode(record.Name.view());
    }
    setItems(codes, codeTexts);
    setItems(names, nameTexts);
}

// The lists are read again only when a partner or a bank changed since: a change to the notes
// leaves them as they were, whatever the size of the registers.
void InputSheet::fillLists()
{
    if (!listsCurrent_) {
        fillCodeAndName(ComboBox1, ComboBox2, state_.PartnerTable);
        fillCodeAndName(ComboBox3, ComboBox4, state_.BankTable);
        listsCurrent_ = true;
    }
    for (QComboBox *c : { ComboBox1, ComboBox2, ComboBox3, ComboBox4 })
        c->setCurrentIndex(c->count() > 0 ? 0 : -1);
}

void InputSheet::DataUpDate()
{
    const QString partnerCode = ComboBox1->currentText();
    const QString bankCode = ComboBox3->currentText();
    if (state_.CurrentUser.Permissions == 0) {
        for (QComboBox *c : { ComboBox1, ComboBox2, ComboBox3, ComboBox4 })
            setItems(c, {});
        listsCurrent_ = false;
        return;
    }
    fillLists();
    if (Editing_ != 0) {
        // A refresh while a note is being edited must not put defaults into that note at the
        // next 登録: the fields keep what they show, and the lists find the same codes again.
        reselect(ComboBox1, partnerCode);
        reselect(ComboBox3, bankCode);
        return;
    }
    ComboBox5->setCurrentIndex(0);
    Edit10->setText(sjis::decode(state_.CurrentUser.Name));
    TorihikiChange(ComboBox1);
    const QDate today = state_.clock->today();
    DP1->setDate(today);
    DP2->setDate(proposedDueDate(today));
    NValEdit1->setValue(0);
}

void InputSheet::reselect(QComboBox *codes, const QString &code)
{
    codes->setCurrentIndex(codes->findText(code, Qt::MatchExactly));
    QComboBox *names = codes == ComboBox1 ? ComboBox2 : ComboBox4;
    names->setCurrentIndex(codes->currentIndex());
}

void InputSheet::TorihikiChange(QComboBox *sender)
{
    QComboBox *follower = sender == ComboBox1 ? ComboBox2
        : sender == ComboBox2                 ? ComboBox1
        : sender == ComboBox3                 ? ComboBox4
                                              : ComboBox3;
    follower->setCurrentIndex(sender->currentIndex());
    if (sender != ComboBox1 && sender != ComboBox2)
        return;
    const int bank =
        proposedBankPosition(state_.PartnerTable, state_.BankTable, ComboBox1->currentIndex());
    ComboBox3->setCurrentIndex(bank < ComboBox3->count() ? bank : -1);
    TorihikiChange(ComboBox3);
}

void InputSheet::setEditIndex(int noteIndex)
{
    if (noteIndex < 0 || static_cast<size_t>(noteIndex) >= state_.NoteTable.size())
        return;
    EditIndex_ = noteIndex;
    Editing_ = 1;
    BL11->show();
    ComboBox6->setEnabled(true);
    loaded_ = loadNote(state_.NoteTable[static_cast<size_t>(noteIndex)]);
    showEntry(entryOf(loaded_));
    ComboBox1->setFocus();
}

void InputSheet::showEntry(const NoteEntry &e)
{
    ComboBox1->setCurrentIndex(ComboBox1->findText(sjis::decode(e.partnerCode), Qt::MatchExactly));
    TorihikiChange(ComboBox1);
    ComboBox3->setCurrentIndex(ComboBox3->findText(sjis::decode(e.bankCode), Qt::MatchExactly));
    TorihikiChange(ComboBox3);
    DP1->setDate(e.issueDate);
    DP2->setDate(e.dueDate);
    Edit2->setText(e.noteNumber);
    selectSettled(e.settled);
    ComboBox5->setCurrentIndex(e.kind >= 0 && e.kind < NoteKindCount ? e.kind : -1);
    NValEdit1->setValue(e.amount.value());
    Edit7->setText(e.remarks);
    Edit10->setText(e.enteredBy);
}

NoteEntry InputSheet::entry() const
{
    NoteEntry e;
    const int partner = ComboBox1->currentIndex();
    if (partner >= 0 && static_cast<size_t>(partner) < state_.PartnerTable.size()) {
        const std::string_view code = state_.PartnerTable[static_cast<size_t>(partner)].Code.view();
        e.partnerCode = QByteArray(code.data(), static_cast<qsizetype>(code.size()));
    }
    const int bank = ComboBox3->currentIndex();
    if (bank >= 0 && static_cast<size_t>(bank) < state_.BankTable.size()) {
        const std::string_view code = state_.BankTable[static_cast<size_t>(bank)].Code.view();
        e.bankCode = QByteArray(code.data(), static_cast<qsizetype>(code.size()));
    }
    e.noteNumber = Edit2->text();
    e.issueDate = DP1->date();
    e.dueDate = DP2->date();
    e.amount = Money::fromValue(NValEdit1->Value());
    e.remarks = Edit7->text();
    e.kind = ComboBox5->currentIndex() >= 0 ? ComboBox5->currentIndex() : PayableNote;
    e.settled = ComboBox6->currentIndex() == 0;
    e.enteredBy = Edit10->text();
    return e;
}

bool InputSheet::DataCheck()
{
    const values::Problems problems =
        entryProblems(entry(), state_.CurrentUser.Permissions, Editing_ != 0 ? &loaded_ : nullptr);
    if (problems.empty())
        return true;
    prompter_.warn(this, messages::entryReport(problems));
    return false;
}

void InputSheet::OkClick()
{
    // Ctrl+Enter, or 登録 clicked, while a typed date is still in its field: the typed date is
    // the one meant, and a refused one stops the registration where the beep was.
    const bool typedDatesTaken = DP1->commitTyped();
    if (!DP2->commitTyped() || !typedDatesTaken)
        return;
    if (!DataCheck())
        return;
    const bool editing = Editing_ != 0;
    const std::optional<NoteRecord> note =
        editing ? makeEditedRecord(entry(), loaded_) : makeNoteRecord(entry());
    if (!note)
        return; // DataCheck has said why
    if (!editing) {
        // The second click of a double-click on 登録, with nothing changed, is not a second note.
        const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
        if (lastRegistered_ && lastRegistration_.isValid() && lastRegistration_.elapsed() < interval
            && std::memcmp(&*lastRegistered_, &*note, sizeof(NoteRecord)) == 0)
            return;
    }
    // A note entered twice is counted twice: another note of the same partner and number is
    // stored only when the user says so.
    const QString number = Edit2->text();
    if (holdsSameNote(state_.NoteTable, *note, editing ? EditIndex_ : -1)
        && prompter_.message(this, MessageKind::Warning, messages::sameNoteQuestion(*note, number),
               MessageButtons::OkCancelSafe)
            != MessageAnswer::Ok)
        return;
    const std::optional<int> stored = editing ? storeEdited(*note) : storeNew(*note);
    if (!stored)
        return;
    // The note is shown where it went, and the main window says what was stored.
    if (DataSheetPort *dataSheet = host_.dataSheetPort())
        dataSheet->showNote(*stored);
    host_.showStatus(messages::registeredStatus(*note, number));
}

std::optional<int> InputSheet::storeNew(const NoteRecord &note)
{
    // The registration of a new note refreshes the data sheet alone, through the register.
    const QScopedValueRollback<bool> own(appending_, true);
    if (state_.Data.appendNote(note) != ChangeOutcome::Done)
        return std::nullopt;
    lastRegistered_ = note;
    lastRegistration_.start();
    return static_cast<int>(state_.NoteTable.size()) - 1;
}

std::optional<int> InputSheet::storeEdited(const NoteRecord &note)
{
    const int index = EditIndex_;
    leaveEditing();
    if (DataSheetPort *dataSheet = host_.dataSheetPort())
        dataSheet->setIndexAll();
    // A stored note that already holds the entry is not changed, but the sheets are refreshed
    // as after any registration.
    const ChangeOutcome outcome = state_.Data.replaceNote(index, note);
    if (outcome != ChangeOutcome::Done)
        host_.AllUpdate();
    if (outcome != ChangeOutcome::Done && outcome != ChangeOutcome::Unchanged)
        return std::nullopt;
    return index;
}

void InputSheet::leaveEditing()
{
    Editing_ = 0;
    EditIndex_ = -1;
    BL11->hide();
    ComboBox6->setEnabled(false);
    selectSettled(false);
}

// Both sheets show every change to the register as the main window's refresh of them would; an
// edit in progress follows its note.
void InputSheet::registerChanged(const RegisterChange &change)
{
    if (change.table != DataTable::NoteTable || change.kind == RegisterChange::Kind::Reset)
        listsCurrent_ = false;
    if (appending_)
        return;
    // The register read again: the edit ends with the rest of what the screen showed.
    if (change.kind == RegisterChange::Kind::Reset && Editing_ != 0)
        leaveEditing();
    if (Editing_ != 0 && change.table == DataTable::NoteTable && !followEditedNote(change)) {
        // The note is gone, the fields keep what the user entered: 登録 now appends it.
        leaveEditing();
        prompter_.inform(this, u"\n編集中の手形が削除されたため、編集を中止しました。"_s);
        return;
    }
    DataUpDate();
}

// False when the edited note is gone.
bool InputSheet::followEditedNote(const RegisterChange &change)
{
    switch (change.kind) {
    case RegisterChange::Kind::Appended:
        return true;
    case RegisterChange::Kind::Reset:
        return false;
    case RegisterChange::Kind::Removed:
        for (int i = change.count - 1; i >= 0; --i) {
            if (followRemoval(EditIndex_, change.first + i) == EditFollow::Lost)
                return false;
        }
        return true;
    case RegisterChange::Kind::Replaced:
    case RegisterChange::Kind::Reclassified:
    case RegisterChange::Kind::Settled:
        if (change.touches(EditIndex_))
            takeStoredNote();
        return true;
    }
    return true;
}

void InputSheet::takeStoredNote()
{
    const LoadedNote stored = loadNote(state_.NoteTable[static_cast<size_t>(EditIndex_)]);
    const NoteEntry followed = followStoredNote(entry(), entryOf(loaded_), entryOf(stored));
    loaded_ = stored;
    showEntry(followed);
}

#include <functional>

#include <gtest/gtest.h>

#include <QStyleHints>

#include <QApplication>
#include <QGuiApplication>

#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "controls/border_label.h"
#include "controls/date_picker.h"
#include "controls/nval_edit.h"
#include "core/day_date.h"
#include "sheets/input_sheet.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/fake_sheets.h"
#include "tests/support/scripted_prompter.h"

using namespace Qt::StringLiterals;

namespace {

class Host : public SheetHost
{
public:
    Host() { data.filtered = true; }
    void Delete1Click() override { }
    void Find1Click() override { }
    void AllUpdate() override
    {
        data.calls << u"AllUpdate"_s;
        if (input)
            input->DataUpDate();
    }
    void editNote(int) override { }
    DataSheetPort *dataSheetPort() const override { return const_cast<FakeDataSheet *>(&data); }
    void showStatus(const QString &text) override { statuses << text; }
    FakeDataSheet data;
    QStringList statuses;
    InputSheet *input = nullptr;
};

class InputSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fixtures::fillSmallRegister(state);
        fixtures::reload(state, [](Tables &t) {
            t.partners[0].BankCode.assign("B02");
            t.partners[1].BankCode.assign("XX");
        });
        state.CurrentUser.Name = "tanaka";
        state.clock = &clock;
        sheet = std::make_unique<InputSheet>(state, host, prompter);
        host.input = sheet.get();
        sheet->FormShow();
    }

    void fillValidEntry()
    {
        sheet->Edit2->setText(u"AB-77"_s);
        sheet->NValEdit1->setValue(1234.5L);
        sheet->Edit7->setText(u"備考"_s);
        sheet->ComboBox5->setCurrentIndex(ReceivableNote);
    }

    FixedClock clock { QDate(2024, 1, 31) };
    Session state { systemFileSystem() };
    Host host;
    ScriptedPrompter prompter;
    std::unique_ptr<InputSheet> sheet;
};

} // namespace

TEST_F(InputSheetTest, LooksAsDesigned)
{
    EXPECT_EQ(sheet->objectName(), u"Form4"_s);
    EXPECT_EQ(sheet->windowTitle(), u"インプットシート"_s);
    EXPECT_EQ(sheet->ComboBox2->geometry().topLeft(), QPoint(216, 40));
    EXPECT_EQ(sheet->NValEdit1->geometry(), QRect(136, 200, 121, 20));
    EXPECT_EQ(sheet->NValEdit1->MaxDigits(), 10);
    EXPECT_EQ(sheet->DP1->displayFormat(), u"yyyy/MM/dd"_s);
    EXPECT_FALSE(sheet->Edit2->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(sheet->Edit10->isEnabled());
    EXPECT_FALSE(sheet->ComboBox6->isEnabled());
    EXPECT_EQ(sheet->ComboBox6->currentText(), u"×"_s);
    EXPECT_TRUE(sheet->BL11->isHidden());
    auto *caption = sheet->findChild<TBorderLabel *>(u"BorderLabel9"_s);
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->text(), u"期日到来"_s);
    EXPECT_EQ(caption->BorderColor(), QColor(Qt::red));
    EXPECT_EQ(caption->geometry(), QRect(64, 344, 69, 20));
    EXPECT_EQ(caption->toolTip(),
        u"期日が到来していない物は×　到来しているがみ承認な物は△　承認済みな物は〇"_s);
    EXPECT_EQ(sheet->Edit7->accessibleName(), u"備考"_s);
    EXPECT_EQ(sheet->SpeedButton1->accessibleName(), u"登録"_s);
    // Tab order runs down the form.
    EXPECT_EQ(sheet->ComboBox2->nextInFocusChain(), sheet->Edit2);
    EXPECT_EQ(sheet->NValEdit1->nextInFocusChain(), sheet->Edit7);
}

TEST_F(InputSheetTest, DataUpDateFillsTheListsAndDefaults)
{
    EXPECT_EQ(sheet->ComboBox1->count(), 3);
    EXPECT_EQ(sheet->ComboBox2->itemText(1), u"山田工業"_s);
    EXPECT_EQ(sheet->ComboBox4->itemText(1), u"三井住友銀行　本店"_s);
    EXPECT_EQ(sheet->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(sheet->ComboBox3->currentIndex(), 1) << "the first partner's bank is proposed";
    EXPECT_EQ(sheet->ComboBox4->currentIndex(), 1);
    EXPECT_EQ(sheet->DP1->date(), QDate(2024, 1, 31));
    EXPECT_EQ(sheet->DP2->date(), QDate(2024, 2, 29));
    EXPECT_EQ(sheet->Edit10->text(), u"tanaka"_s);
    EXPECT_EQ(sheet->NValEdit1->Value(), 0);
    EXPECT_EQ(sheet->ComboBox5->currentText(), u"支払手形"_s);
}

TEST_F(InputSheetTest, CodeAndNameListsFollowEachOther)
{
    sheet->ComboBox2->setCurrentIndex(1);
    sheet->TorihikiChange(sheet->ComboBox2);
    EXPECT_EQ(sheet->ComboBox1->currentIndex(), 1);
    EXPECT_EQ(sheet->ComboBox3->currentIndex(), 0)
        << "an unregistered bank code gives the first bank";
    sheet->ComboBox1->setCurrentIndex(0);
    sheet->TorihikiChange(sheet->ComboBox1);
    EXPECT_EQ(sheet->ComboBox2->currentIndex(), 0);
    EXPECT_EQ(sheet->ComboBox3->currentIndex(), 1);
    EXPECT_EQ(sheet->ComboBox4->currentIndex(), 1);
    sheet->ComboBox4->setCurrentIndex(0);
    sheet->TorihikiChange(sheet->ComboBox4);
    EXPECT_EQ(sheet->ComboBox3->currentIndex(), 0);
    EXPECT_EQ(sheet->ComboBox1->currentIndex(), 0) << "a bank choice leaves the partner alone";

    // A real pick with the keyboard runs the same rule.
    sheet->show();
    sheet->ComboBox2->setFocus();
    QTest::keyClick(sheet->ComboBox2, Qt::Key_Down);
    EXPECT_EQ(sheet->ComboBox1->currentIndex(), 1);
}

// The second click of a double-click on 登録, with nothing changed, registers nothing; the same
// note registered again after the interval is a second note, as the user meant.
TEST_F(InputSheetTest, ADoubleClickOnRegistrationStoresTheNoteOnce)
{
    fillValidEntry();
    const size_t before = state.NoteTable.size();
    sheet->OkClick();
    sheet->OkClick();
    EXPECT_EQ(state.NoteTable.size(), before + 1);
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    sheet->OkClick();
    EXPECT_EQ(state.NoteTable.size(), before + 2);
}

TEST_F(InputSheetTest, RegisteringAppendsUnsettledNotesAndShowsTheFullView)
{
    fillValidEntry();
    const size_t before = state.NoteTable.size();
    std::vector<RegisterChange> changes;
    QObject::connect(&state.Data, &Register::changed,
        [&](const RegisterChange &change) { changes.push_back(change); });
    sheet->OkClick();
    sheet->Edit2->setText(u"B-2"_s); // a second note, not the second click of a double-click
    sheet->OkClick();
    EXPECT_TRUE(prompter.shown.empty());
    ASSERT_EQ(state.NoteTable.size(), before + 2);
    const NoteRecord &n = state.NoteTable.back();
    EXPECT_EQ(n.Amount.stored(), 12345000);
    EXPECT_EQ(n.Settled, 0);
    EXPECT_EQ(n.Kind, ReceivableNote);
    EXPECT_EQ(n.PartnerCode.view(), "001");
    EXPECT_EQ(n.BankCode.view(), "B02");
    EXPECT_EQ(n.EnteredBy.view(), "tanaka");
    EXPECT_EQ(sjis::decode(n.Remarks.view()), u"備考"_s);
    EXPECT_TRUE(state.Data.modified());
    // The data sheet learns of each new note from the register, which lists all notes again.
    ASSERT_EQ(changes.size(), 2u);
    for (size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i].kind, RegisterChange::Kind::Appended);
        EXPECT_EQ(changes[i].first, static_cast<int>(before + i));
        EXPECT_TRUE(changes[i].resizes());
    }
    // Each new note is shown where it went, and the main window says what was stored.
    EXPECT_EQ(host.data.calls, QStringList({ u"showNote"_s, u"showNote"_s }));
    EXPECT_EQ(host.data.shown, std::vector<int>({ int(before), int(before) + 1 }));
    EXPECT_EQ(host.statuses.back(), u"登録しました: 手形番号 B-2 1,235円"_s) << "1,234.5 as shown";
    EXPECT_EQ(sheet->Edit2->text(), u"B-2"_s) << "the fields keep their contents";
}

// Another note of the same partner and number is stored only on OK; the note being edited is
// not another note, but an edit that makes it one is asked about too.
TEST_F(InputSheetTest, TheSameNoteAgainIsStoredOnlyWhenTheUserSaysSo)
{
    struct Case
    {
        const char *why;
        int edited; // -1: a new note
        int partner; // position in the partner list
        MessageAnswer answer;
        QString asked; // empty: no question
    };
    const QString of001 = u"\n取引先「001」の手形番号「A-1」は、すでにあります。登録しますか？"_s;
    const QString of002 = u"\n取引先「002」の手形番号「A-1」は、すでにあります。登録しますか？"_s;
    const Case cases[] = {
        { "a new note, OK", -1, 0, MessageAnswer::Ok, of001 },
        { "a new note, キャンセル", -1, 0, MessageAnswer::Cancel, of001 },
        { "the edited note itself", 0, 0, MessageAnswer::Cancel, {} },
        { "an edit onto other notes, キャンセル", 0, 1, MessageAnswer::Cancel, of002 },
        { "an edit onto other notes, OK", 0, 1, MessageAnswer::Ok, of002 },
    };
    long double amount = 100;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        fixtures::reload(state, [](Tables &t) { t.notes = fixtures::smallRegister().notes; });
        prompter.shown.clear();
        prompter.answers = { c.answer };
        if (c.edited >= 0)
            sheet->setEditIndex(c.edited);
        sheet->ComboBox1->setCurrentIndex(c.partner);
        sheet->TorihikiChange(sheet->ComboBox1);
        sheet->Edit2->setText(u"A-1"_s);
        sheet->NValEdit1->setValue(++amount); // never the second click of a double-click
        sheet->OkClick();
        if (c.asked.isEmpty()) {
            EXPECT_TRUE(prompter.shown.empty());
        } else {
            ASSERT_EQ(prompter.shown.size(), 1u);
            EXPECT_EQ(prompter.shown[0].text, c.asked);
            EXPECT_EQ(prompter.shown[0].kind, MessageKind::Warning);
            EXPECT_EQ(prompter.shown[0].buttons, MessageButtons::OkCancelSafe);
        }
        const bool stored = c.asked.isEmpty() || c.answer == MessageAnswer::Ok;
        EXPECT_EQ(state.Data.modified(), stored);
        EXPECT_EQ(state.NoteTable.size(), c.edited < 0 && stored ? 7u : 6u);
        EXPECT_EQ(sheet->Editing(), c.edited >= 0 && !stored) << "キャンセル keeps the edit";
    }
}

// 登録 is the last tab stop; Enter and Space press it there, Ctrl+Enter anywhere on the sheet.
TEST_F(InputSheetTest, TheKeyboardReachesRegistration)
{
    sheet->show();
    QApplication::setActiveWindow(sheet.get());
    EXPECT_EQ(sheet->SpeedButton1->toolTip(), u"登録 (Ctrl+Enter)"_s);
    const auto tabFrom = [this](QWidget *from) {
        from->setFocus(Qt::TabFocusReason);
        QTest::keyClick(from, Qt::Key_Tab);
        return QApplication::focusWidget();
    };
    EXPECT_EQ(tabFrom(sheet->ComboBox5), sheet->SpeedButton1) << "期日到来 is disabled";
    sheet->setEditIndex(0);
    EXPECT_EQ(tabFrom(sheet->ComboBox5), sheet->ComboBox6);
    EXPECT_EQ(tabFrom(sheet->ComboBox6), sheet->SpeedButton1);
    fixtures::reload(state); // ends the edit

    struct Case
    {
        const char *why;
        QWidget *focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool registers;
    };
    const Case cases[] = {
        { "Enter on 登録", sheet->SpeedButton1, Qt::Key_Return, {}, true },
        { "keypad Enter on 登録", sheet->SpeedButton1, Qt::Key_Enter, Qt::KeypadModifier, true },
        { "Space on 登録", sheet->SpeedButton1, Qt::Key_Space, {}, true },
        { "Ctrl+Enter in 備考", sheet->Edit7, Qt::Key_Return, Qt::ControlModifier, true },
        { "Ctrl+keypad Enter in 金額", sheet->NValEdit1, Qt::Key_Enter,
            Qt::ControlModifier | Qt::KeypadModifier, true },
        { "Enter in 備考", sheet->Edit7, Qt::Key_Return, {}, false },
    };
    int number = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        fillValidEntry();
        sheet->Edit2->setText(u"K-%1"_s.arg(++number));
        const size_t before = state.NoteTable.size();
        c.focus->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), c.focus);
        QTest::keyClick(c.focus, c.key, c.modifiers);
        EXPECT_EQ(state.NoteTable.size(), before + (c.registers ? 1 : 0));
    }
    EXPECT_TRUE(prompter.shown.empty());

    // Ctrl+Enter straight after typing a date stores the date typed, and a date that does not
    // exist stores nothing.
    for (const auto &[typed, stored] : { std::pair { u"2027/3/30"_s, QDate(2027, 3, 30) },
             std::pair { u"2027/2/30"_s, QDate() } }) {
        SCOPED_TRACE(typed.toStdString());
        fillValidEntry();
        sheet->Edit2->setText(u"K-%1"_s.arg(++number));
        const size_t before = state.NoteTable.size();
        sheet->DP2->setFocus(Qt::TabFocusReason);
        auto *field = sheet->DP2->findChild<QLineEdit *>();
        field->selectAll();
        QTest::keyClicks(field, typed);
        QTest::keyClick(sheet->DP2, Qt::Key_Return, Qt::ControlModifier);
        ASSERT_EQ(state.NoteTable.size(), before + (stored.isValid() ? 1 : 0));
        if (stored.isValid()) {
            EXPECT_EQ(daydate::toDate(state.NoteTable.back().DueDate), stored);
        }
    }
}

TEST_F(InputSheetTest, AnInvalidEntryWarnsAndWritesNothing)
{
    sheet->DP2->setDate(QDate(2024, 1, 30));
    sheet->OkClick();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(prompter.shown[0].text,
        u"\n金額が入力されていません。\n振出日が支払日以降に設定されています。\n手形番号が入力されていません"_s);
    EXPECT_EQ(state.NoteTable.size(), 6u);
    EXPECT_FALSE(state.Data.modified());
}

TEST_F(InputSheetTest, EditingWritesBackInPlaceKeepingTheEnteredBy)
{
    sheet->setEditIndex(2);
    EXPECT_TRUE(sheet->Editing());
    EXPECT_TRUE(sheet->BL11->isVisibleTo(sheet.get()));
    EXPECT_TRUE(sheet->ComboBox6->isEnabled());
    EXPECT_EQ(sheet->ComboBox6->currentText(), u"〇"_s);
    EXPECT_EQ(sheet->ComboBox1->currentText(), u"002"_s);
    EXPECT_EQ(sheet->ComboBox3->currentText(), u"B01"_s) << "the note's own bank, not the proposal";
    EXPECT_EQ(sheet->NValEdit1->Value(), -987654.0L);
    EXPECT_EQ(sheet->Edit10->text(), u"Admini"_s);
    EXPECT_EQ(sheet->ComboBox5->currentIndex(), ReceivableNote);

    sheet->NValEdit1->setValue(10);
    sheet->OkClick();
    ASSERT_EQ(state.NoteTable.size(), 6u);
    EXPECT_EQ(state.NoteTable[2].Amount.stored(), 100000);
    EXPECT_EQ(state.NoteTable[2].Settled, 1);
    EXPECT_EQ(state.NoteTable[2].EnteredBy.view(), "Admini");
    EXPECT_FALSE(sheet->Editing());
    EXPECT_TRUE(sheet->BL11->isHidden());
    EXPECT_FALSE(sheet->ComboBox6->isEnabled());
    EXPECT_EQ(sheet->ComboBox6->currentText(), u"×"_s);
    // The change itself refreshes the sheets through the register; the note is shown again.
    EXPECT_EQ(host.data.calls, (QStringList { u"setIndexAll"_s, u"showNote"_s }));
    EXPECT_EQ(host.data.shown, std::vector<int>({ 2 }));
    EXPECT_EQ(host.statuses, QStringList({ u"登録しました: 手形番号 A-1 10円"_s }));
    EXPECT_FALSE(host.data.filtered);
    EXPECT_EQ(sheet->Edit10->text(), u"tanaka"_s) << "the refresh resets the entry defaults";
}

TEST_F(InputSheetTest, EditingKeepsTheStoredBytesOfTextsLeftAsShown)
{
    // Texts with a stray lead byte do not decode; storing what the field shows would wipe them.
    fixtures::reload(state, [](Tables &t) {
        NoteRecord &stored = t.notes[1];
        stored.NoteNumber.assign("AB\x81");
        stored.Remarks.assign("\x82\xa0x\x9f");
        stored.EnteredBy.assign("\x88yamada");
    });
    const NoteRecord before = state.NoteTable[1];

    sheet->setEditIndex(1);
    sheet->NValEdit1->setValue(77);
    sheet->OkClick();
    const NoteRecord &after = state.NoteTable[1];
    EXPECT_EQ(after.Amount.stored(), 770000);
    EXPECT_EQ(after.NoteNumber.view(), before.NoteNumber.view());
    EXPECT_EQ(after.Remarks.view(), before.Remarks.view());
    EXPECT_EQ(after.EnteredBy.view(), before.EnteredBy.view());

    // A field the user did change is stored from what was typed.
    sheet->setEditIndex(1);
    sheet->Edit7->setText(u"書き直し"_s);
    sheet->OkClick();
    EXPECT_EQ(sjis::decode(state.NoteTable[1].Remarks.view()), u"書き直し"_s);
    EXPECT_EQ(state.NoteTable[1].NoteNumber.view(), before.NoteNumber.view());
}

TEST_F(InputSheetTest, FramesEndInsideTheirRectangles)
{
    sheet->resize(391, 520);
    const QImage image = sheet->grab().toImage();
    const QRgb frame = qRgb(102, 102, 102);
    EXPECT_EQ(image.pixel(20, 100), frame);
    EXPECT_EQ(image.pixel(369, 100), frame);
    EXPECT_NE(image.pixel(370, 100), frame);
    EXPECT_EQ(image.pixel(200, 25), frame);
    EXPECT_EQ(image.pixel(200, 299), frame);
    EXPECT_NE(image.pixel(200, 300), frame);
    EXPECT_EQ(image.pixel(369, 380), frame);
    EXPECT_NE(image.pixel(370, 380), frame);
    EXPECT_EQ(image.pixel(200, 419), frame);
    EXPECT_NE(image.pixel(200, 420), frame);
}

TEST_F(InputSheetTest, ARefreshDuringAnEditKeepsWhatTheFieldsShow)
{
    sheet->setEditIndex(2); // partner 002, bank B01, receivable, settled
    sheet->NValEdit1->setValue(321);
    sheet->DP1->setDate(QDate(2023, 5, 1));
    sheet->ComboBox5->setCurrentIndex(DiscountedNote);
    // A partner deleted before it moves 002 one place up in the lists.
    ASSERT_EQ(state.Data.removeEntries(RegisterKind::PartnerRegister, 0, 0), ChangeOutcome::Done);
    sheet->DataUpDate();
    EXPECT_EQ(sheet->ComboBox1->currentText(), u"002"_s);
    EXPECT_EQ(sheet->ComboBox2->currentText(), u"山田工業"_s);
    EXPECT_EQ(sheet->ComboBox3->currentText(), u"B01"_s) << "not the partner's proposed bank";
    EXPECT_EQ(sheet->NValEdit1->Value(), 321);
    EXPECT_EQ(sheet->DP1->date(), QDate(2023, 5, 1));
    EXPECT_EQ(sheet->ComboBox5->currentIndex(), DiscountedNote);
    EXPECT_EQ(sheet->Edit10->text(), u"Admini"_s);

    sheet->OkClick();
    const NoteRecord &n = state.NoteTable[2];
    EXPECT_EQ(n.PartnerCode.view(), "002");
    EXPECT_EQ(n.BankCode.view(), "B01");
    EXPECT_EQ(n.Amount.stored(), 3210000);
    EXPECT_EQ(n.Kind, DiscountedNote);
    EXPECT_EQ(n.EnteredBy.view(), "Admini");

    // Out of editing the refresh resets the entry as before.
    EXPECT_EQ(sheet->NValEdit1->Value(), 0);
    EXPECT_EQ(sheet->Edit10->text(), u"tanaka"_s);
}

// After any change the sheet shows what a sheet opened afresh shows: a change to the notes
// resets the entry and keeps the lists as read, one to a partner or a bank reads them again.
TEST_F(InputSheetTest, AfterAChangeTheSheetShowsWhatAFreshOneShows)
{
    const auto shown = [](const InputSheet &s) {
        QStringList texts;
        for (const QComboBox *c :
            { s.ComboBox1, s.ComboBox2, s.ComboBox3, s.ComboBox4, s.ComboBox5, s.ComboBox6 }) {
            for (int i = 0; i < c->count(); ++i)
                texts << c->itemText(i);
            texts << QString::number(c->currentIndex());
        }
        texts << s.DP1->date().toString() << s.DP2->date().toString()
              << QString::number(double(s.NValEdit1->Value())) << s.Edit10->text();
        return texts;
    };
    struct Case
    {
        const char *what;
        std::function<void(Register &)> change;
    };
    const Case cases[] = {
        { "a note approved", [](Register &r) { r.applyApprovals({ 0 }, { 1 }); } },
        { "a partner renamed",
            [](Register &r) {
                r.overwriteEntry(
                    RegisterKind::PartnerRegister, 1, { "002", sjis::encode(u"新社名"_s), "B01" });
            } },
        { "a bank added",
            [](Register &r) {
                r.appendEntry(RegisterKind::BankRegister, { "B00", "Z", {} });
            } },
        { "the register read again with a bank less",
            [](Register &r) {
                Tables t { r.notes(), r.partners(), r.banks() };
                t.banks.erase(t.banks.begin());
                r.setTables(std::move(t));
            } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sheet->ComboBox1->setCurrentIndex(1);
        sheet->TorihikiChange(sheet->ComboBox1);
        sheet->NValEdit1->setValue(5);
        c.change(state.Data);
        InputSheet fresh(state, host, prompter);
        fresh.FormShow();
        EXPECT_EQ(shown(*sheet), shown(fresh));
    }
}

TEST_F(InputSheetTest, AnEditFollowsItsNoteWhenNotesAreDeleted)
{
    sheet->setEditIndex(3);
    state.Data.removeNote(1);
    EXPECT_EQ(sheet->EditIndex(), 2);
    state.Data.removeNote(4);
    EXPECT_EQ(sheet->EditIndex(), 2);
    EXPECT_TRUE(sheet->Editing());
    EXPECT_TRUE(prompter.shown.empty());

    state.Data.removeNote(2);
    EXPECT_FALSE(sheet->Editing());
    EXPECT_TRUE(sheet->BL11->isHidden());
    ASSERT_EQ(prompter.shown.size(), 1u);

    // The next registration appends instead of overwriting another note.
    const auto before = state.NoteTable;
    fillValidEntry();
    sheet->ComboBox1->setCurrentIndex(0); // the loaded note's partner is not registered
    sheet->TorihikiChange(sheet->ComboBox1);
    sheet->OkClick();
    EXPECT_EQ(prompter.shown.size(), 1u);
    ASSERT_EQ(state.NoteTable.size(), before.size() + 1);
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(std::memcmp(&state.NoteTable[i], &before[i], sizeof(NoteRecord)), 0);
}

TEST_F(InputSheetTest, WithoutRightsNothingIsListedOrRegistered)
{
    state.CurrentUser.Permissions = 0;
    sheet->DataUpDate();
    EXPECT_EQ(sheet->ComboBox1->count(), 0);
    EXPECT_EQ(sheet->ComboBox4->count(), 0);
    fillValidEntry();
    sheet->OkClick();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.shown[0].text.endsWith(u"\n入力権限がありません！"_s));
    EXPECT_EQ(state.NoteTable.size(), 6u);
}

TEST_F(InputSheetTest, TextFieldsKeepToTheirBytesAndCodePage)
{
    sheet->show();
    sheet->Edit7->setFocus();
    QTest::keyClicks(sheet->Edit7, QString(41, u'a'));
    EXPECT_EQ(sheet->Edit7->text().size(), 40);
    sheet->Edit2->clear();
    sheet->Edit2->insert(u"A😀"_s);
    EXPECT_TRUE(sheet->Edit2->text().isEmpty()) << "a character outside code page 932 is refused";
    sheet->Edit2->insert(u"手形12345"_s); // 9 bytes
    sheet->Edit2->insert(u"手"_s); // would make 11
    EXPECT_EQ(sheet->Edit2->text(), u"手形12345"_s);
}

#include <gtest/gtest.h>

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

#include "app/main_window.h"
#include "app/program_screens.h"
#include "controls/border_label.h"
#include "output/output_sheet.h"
#include "sheets/data_sheet.h"
#include "tests/output/output_sheet_fixture.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/fake_sheets.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

const QByteArray NoteListHead =
    sjis::encode(u",取引先,手形番号,,振出銀行,振出日,支払日,金額,確認,備考\r\n"_s);

class OutputSheetTest : public OutputSheetFixture
{
protected:
    void SetUp() override
    {
        // Spread the issue dates so a period picks some of them.
        const double days[] = { 10, 40, 5, 20, 30, 31 };
        fixtures::reload(state, [&](Tables &t) {
            for (std::size_t i = 0; i < t.notes.size(); ++i)
                t.notes[i].IssueDate = daydate::fromDate(QDate(2024, 3, 1)) + days[i];
        });
        openSheet({ 0, 1, 2, 3, 4, 5 }, &data);
    }

    void choose(int choice) { sheet->RB[static_cast<std::size_t>(choice)]->click(); }

    // The CSV file's lines after the title and the header.
    QList<QByteArray> rowsOf(const QString &name) const
    {
        QList<QByteArray> lines = dir.read(name).split('\n');
        lines.removeLast(); // after the last CR LF
        return lines.mid(2);
    }
};

} // namespace

TEST_F(OutputSheetTest, LayoutAsDesigned)
{
    EXPECT_EQ(sheet->objectName(), u"Form9"_s);
    EXPECT_EQ(sheet->windowTitle(), u"出力シート"_s);
    EXPECT_EQ(sheet->size(), QSize(519, 293));
    EXPECT_EQ(sheet->minimumSize(), sheet->maximumSize());
    EXPECT_EQ(sheet->font().family(), u"ＭＳ Ｐゴシック"_s);
    EXPECT_EQ(sheet->font().pointSize(), 9);
    EXPECT_FALSE(sheet->windowFlags() & Qt::WindowMinMaxButtonsHint);

    const QStringList captions { u"支払手形記入帳"_s, u"受取手形記入帳"_s, u"裏書手形記入帳"_s,
        u"割引手形記入帳"_s, u"小切手記入帳"_s, u"出金予定表"_s, u"入金予定表"_s,
        u"データシート表示データ印刷"_s, u"取引先一覧表"_s, u"銀行一覧表"_s };
    const QList<QRect> places { { 64, 48, 113, 17 }, { 64, 72, 113, 17 }, { 64, 96, 113, 17 },
        { 64, 120, 113, 17 }, { 64, 144, 113, 17 }, { 328, 48, 113, 17 }, { 328, 72, 113, 17 },
        { 328, 128, 185, 17 }, { 64, 200, 113, 17 }, { 64, 224, 113, 17 } };
    for (int i = 0; i < 10; ++i) {
        QRadioButton *rb = sheet->findChild<QRadioButton *>(u"RB%1"_s.arg(i + 1));
        ASSERT_EQ(rb, sheet->RB[static_cast<std::size_t>(i)]);
        EXPECT_EQ(rb->text(), captions[i]);
        EXPECT_EQ(rb->geometry(), places[i]) << i;
        EXPECT_EQ(rb->parentWidget(), sheet.get());
    }

    QStringList groups;
    for (TBorderLabel *label : sheet->findChildren<TBorderLabel *>()) {
        groups << u"%1 %2,%3 %4x%5"_s.arg(label->text())
                      .arg(label->x())
                      .arg(label->y())
                      .arg(label->width())
                      .arg(label->height());
        EXPECT_EQ(label->BorderColor(), QColor(Qt::blue));
        EXPECT_EQ(label->alignment(), Qt::AlignCenter);
    }
    groups.sort();
    EXPECT_EQ(groups,
        QStringList({ u"その他 296,104 69x20"_s, u"各種データ印刷 32,176 105x20"_s,
            u"各種予定表印刷 296,24 105x20"_s, u"各種記入帳印刷 32,24 105x20"_s,
            u"期間指定 296,160 69x20"_s }));

    EXPECT_EQ(sheet->Label1->geometry(), QRect(328, 184, 65, 20));
    EXPECT_EQ(sheet->Label2->geometry(), QRect(328, 208, 65, 20));
    EXPECT_EQ(sheet->DP1->geometry(), QRect(400, 184, 89, 20));
    EXPECT_EQ(sheet->DP2->geometry(), QRect(400, 208, 89, 20));
    for (QDateEdit *dp : { sheet->DP1, sheet->DP2 }) {
        EXPECT_TRUE(dp->calendarPopup());
        EXPECT_EQ(dp->displayFormat(), u"yyyy/MM/dd"_s);
    }
    const std::pair<const char16_t *, QRect> buttons[] = { { u"SB4", { 160, 248, 77, 27 } },
        { u"SB1", { 248, 248, 77, 27 } }, { u"SB2", { 336, 248, 77, 27 } },
        { u"SpeedButton3", { 424, 248, 77, 27 } } };
    for (const auto &[name, rect] : buttons) {
        auto *button = sheet->findChild<QToolButton *>(QString::fromUtf16(name));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->geometry(), rect);
    }
    EXPECT_EQ(sheet->SB4->accessibleName(), u"CSV"_s);
    EXPECT_EQ(sheet->SB1->accessibleName(), u"プレビュー"_s);
    EXPECT_EQ(sheet->SB2->accessibleName(), u"印刷"_s);
    EXPECT_EQ(sheet->SpeedButton3->accessibleName(), u"終了"_s);

    // The background, and the open frame round the journals with its gap under the caption.
    const QImage image = sheet->grab().toImage();
    EXPECT_EQ(image.pixelColor(10, 280), QColor(0xFE, 0xFE, 0xFE));
    for (const QPoint &on :
        { QPoint(25, 34), QPoint(20, 100), QPoint(170, 176), QPoint(187, 100), QPoint(160, 34) })
        EXPECT_EQ(image.pixelColor(on), QColor(Qt::black)) << on.x() << "," << on.y();
    EXPECT_NE(image.pixelColor(QPoint(20, 30)), QColor(Qt::black));
    EXPECT_NE(image.pixelColor(QPoint(190, 100)), QColor(Qt::black));
}

TEST_F(OutputSheetTest, OpensOnTheFirstJournalWithAMonthUpToToday)
{
    EXPECT_EQ(sheet->choice(), 0);
    EXPECT_EQ(sheet->DP1->date(), QDate(2024, 2, 29)) << "31 March, leap year";
    EXPECT_EQ(sheet->DP2->date(), QDate(2024, 3, 31));
    clock.set(QDate(2023, 3, 31));
    choose(4);
    sheet->FormShow();
    EXPECT_EQ(sheet->choice(), 0);
    EXPECT_EQ(sheet->DP1->date(), QDate(2023, 2, 28));
    EXPECT_EQ(sheet->DP2->date(), QDate(2023, 3, 31));
    EXPECT_EQ(sheet->report().SourceOrder, (std::vector<std::int32_t> { 2, 0, 3, 4, 5, 1 }));
}

TEST_F(OutputSheetTest, TheChoiceDecidesWhichPeriodControlsShow)
{
    auto controls = [this] {
        return u"%1:%2 %3 %4:%5"_s.arg(sheet->Label1->isVisible() ? sheet->Label1->text() : u"-"_s)
            .arg(sheet->DP1->isVisible() ? (sheet->DP1->isEnabled() ? u"on"_s : u"off"_s) : u"-"_s)
            .arg(sheet->Label2->text())
            .arg(sheet->DP2->isVisible() ? u"shown"_s : u"-"_s)
            .arg(sheet->DP2->isEnabled() ? u"on"_s : u"off"_s);
    };
    const QString period = u"開始年月日:on 終了年月日 shown:on"_s;
    EXPECT_EQ(controls(), period);
    for (int choice : { 1, 4, 5, 6 }) {
        choose(choice);
        EXPECT_EQ(controls(), period) << choice;
    }
    choose(7);
    EXPECT_EQ(controls(), u"開始年月日:off 終了年月日 shown:off"_s);
    choose(8);
    EXPECT_EQ(controls(), u"-:- 現在日指定 shown:on"_s);
    choose(9);
    EXPECT_EQ(controls(), u"-:- 現在日指定 shown:on"_s);
    choose(0);
    EXPECT_EQ(controls(), period);
    EXPECT_EQ(sheet->choice(), 0);
}

TEST_F(OutputSheetTest, CsvOfAJournalWritesTheChosenFileAndCloses)
{
    chosenFile = dir.file(u"receivable.csv"_s);
    choose(1);
    sheet->DP1->setDate(QDate(2024, 3, 31));
    sheet->DP2->setDate(QDate(2024, 4, 10)); // note 1 issued on 10 April is the last day
    sheet->SB4->click();
    EXPECT_EQ(fileDialogs, 1);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(sheet->report().JournalTitle, u"受取手形記入帳"_s);
    EXPECT_EQ(sheet->report().PeriodCaption, u"2024/03/31　～　2024/04/10"_s);
    EXPECT_EQ(sheet->report().ReportRows, std::vector<std::int32_t> { 1 });
    const QByteArray file = dir.read(u"receivable.csv"_s);
    EXPECT_TRUE(file.startsWith(sjis::encode(u"受取手形記入帳\r\n"_s) + NoteListHead));
    EXPECT_EQ(rowsOf(u"receivable.csv"_s),
        QList<QByteArray> { sjis::encode(
            u"'002,山田工業,A-1,B02,三井住友銀行　本店,04/10,04/30,     5000,×,売掛金回収\r"_s) });
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(OutputSheetTest, TheDataSheetChoiceListsItsRowsInItsOrderWhateverThePeriod)
{
    data.index = { 5, 0, 3 };
    chosenFile = dir.file(u"rows.csv"_s);
    choose(7);
    sheet->DP1->setDate(QDate(2030, 1, 1)); // after the end: plays no part here
    sheet->PrintClick(sheet->SB4);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->report().ReportRows, (std::vector<std::int32_t> { 5, 0, 3 }));
    EXPECT_TRUE(sheet->report().PeriodCaption.isEmpty());
    EXPECT_TRUE(dir.read(u"rows.csv"_s).startsWith(sjis::encode(u"条件抽出一覧表\r\n"_s)));
    const QList<QByteArray> rows = rowsOf(u"rows.csv"_s);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[0].contains("A-1,B02,") && rows[0].contains(",       100,"));
    EXPECT_TRUE(rows[1].startsWith("'001,"));
    EXPECT_TRUE(rows[2].startsWith("'001 ,"));
}

TEST_F(OutputSheetTest, ACancelledFileDialogWritesNothingAndCloses)
{
    choose(0);
    sheet->SB4->click();
    EXPECT_EQ(fileDialogs, 1);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(OutputSheetTest, AFailedExportSaysWhyAndKeepsTheSheetOpen)
{
    chosenFile = dir.file(u"taken"_s);
    QDir(dir.path()).mkdir(u"taken"_s);
    sheet->SB4->click();
    EXPECT_TRUE(sheet->isVisible());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(prompter.shown[0].text.contains(chosenFile))
        << prompter.shown[0].text.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList { u"taken"_s });
}

// An export never takes the place of the program's own files, whatever name the user picks:
// the note file, through a link to it, the journal's place, the settings file or the user file.
TEST_F(OutputSheetTest, AnExportNeverReplacesTheProgramsOwnFiles)
{
    state.Data.useDirectory(dir.path());
    state.UserFile = dir.file(u"pass.dat"_s);
    dir.write(u"KOLVAM.vmd"_s, "the notes");
    dir.write(u"pass.dat"_s, "the users");
    QFile::link(dir.file(u"KOLVAM.vmd"_s), dir.file(u"notes.csv"_s));
    for (const QString &name : { u"KOLVAM.vmd"_s, u"notes.csv"_s, u"tegata-save.journal"_s,
             u"tegata.holder"_s, u"pass.dat"_s }) {
        SCOPED_TRACE(name.toStdString());
        prompter.shown.clear();
        chosenFile = dir.file(name);
        sheet->SB4->click();
        EXPECT_TRUE(sheet->isVisible());
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].kind, MessageKind::Warning);
        EXPECT_TRUE(prompter.shown[0].text.contains(chosenFile));
    }
    EXPECT_EQ(dir.read(u"KOLVAM.vmd"_s), "the notes");
    EXPECT_EQ(dir.read(u"pass.dat"_s), "the users");
    EXPECT_FALSE(dir.exists(u"tegata-save.journal"_s));
}

TEST_F(OutputSheetTest, TheExitButtonClosesWithoutProducingAnything)
{
    chosenFile = dir.file(u"never.csv"_s);
    choose(8);
    sheet->SpeedButton3->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
    EXPECT_EQ(fileDialogs, 0);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(OutputSheetInMainWindow, CtrlPOpensTheSheetWithEveryNoteAndTheDataSheetsRows)
{
    TestDir program;
    Session state { systemFileSystem() };
    ScriptedPrompter prompter;
    ProgramScreens screens;
    state.ProgramDirectory = program.path();
    MainWindowOptions options;
    options.userFile = program.file(u"pass.dat"_s);
    options.fallbackConfigDir = program.path() + u"config"_s;
    options.fallbackDataDir = program.path() + u"data"_s;
    MainWindow window(state, prompter, screens, options);
    fixtures::fillSmallRegister(state);
    window.applyRights(state.CurrentUser.Permissions);
    window.createSheets();
    auto *dataSheet = dynamic_cast<DataSheet *>(window.dataSheet());
    ASSERT_NE(dataSheet, nullptr);
    dataSheet->setIndex({ 4, 1 }, u"抽出"_s);

    QAction *print = window.action(u"Print1"_s);
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(print->shortcut(), QKeySequence(u"Ctrl+P"_s));
    const QString path = program.file(u"list.csv"_s);
    std::vector<std::int32_t> sorted;
    prompter.onDialog = [&](QDialog &dialog) {
        auto *sheet = qobject_cast<OutputSheet *>(&dialog);
        if (!sheet)
            return int(QDialog::Rejected);
        sorted = sheet->report().SourceOrder;
        sheet->FormShow();
        sheet->RB[outputchoice::DataSheetRows]->click();
        sheet->SaveDialog1 = [&](QWidget *) { return path; };
        sheet->PrintClick(sheet->SB4);
        return sheet->result();
    };
    print->trigger();
    EXPECT_EQ(prompter.dialogs, QStringList { u"Form9"_s });
    EXPECT_EQ(sorted.size(), state.NoteTable.size());
    QList<QByteArray> lines = program.read(u"list.csv"_s).split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[2].startsWith("'002,") && lines[2].contains(",         0,"));
    EXPECT_TRUE(lines[3].contains(",     5000,"));
}

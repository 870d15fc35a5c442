#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

#include "app/main_window.h"
#include "app/program_screens.h"
#include "controls/border_label.h"
#include "sheets/registration_sheet.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

class RegistrationSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fixtures::fillSmallRegister(state);
        fixtures::reload(state, [](Tables &t) { t.partners[1].BankCode.assign("B02"); });
    }

    std::unique_ptr<RegistrationSheet> open(unsigned mode)
    {
        auto sheet = std::make_unique<RegistrationSheet>(state, prompter);
        sheet->setMode(mode);
        sheet->FormShow();
        return sheet;
    }

    void enter(RegistrationSheet &sheet, const QString &code, const QString &name)
    {
        sheet.ComboBox1->setEditText(code);
        sheet.Edit2->setText(name);
    }

    void selectRows(RegistrationSheet &sheet, int first, int last)
    {
        const QModelIndex top = sheet.SG1->model()->index(first, 0);
        const QModelIndex bottom = sheet.SG1->model()->index(last, 0);
        sheet.SG1->selectionModel()->select(QItemSelection(top, bottom),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    Session state { systemFileSystem() };
    ScriptedPrompter prompter;
};

} // namespace

TEST_F(RegistrationSheetTest, LaysItselfOutForEachRegister)
{
    auto sheet = open(7);
    EXPECT_EQ(sheet->objectName(), u"Form5"_s);
    EXPECT_EQ(sheet->windowTitle(), u"登録シート"_s);
    EXPECT_EQ(sheet->size(), QSize(404, 262));
    EXPECT_EQ(sheet->mode(), RegisterKind::BankRegister) << "mode 7 is the bank mode";
    EXPECT_EQ(sheet->SG1->geometry(), QRect(0, 0, 404, 153));
    EXPECT_EQ(sheet->BL2->text(), u"銀行名"_s);
    EXPECT_TRUE(sheet->ComboBox2->isHidden());
    EXPECT_TRUE(sheet->BL3->isHidden());
    EXPECT_EQ(sheet->SG1->model()->columnCount(), 2);
    EXPECT_EQ(sheet->SG1->horizontalHeader()->sectionSize(1), 333);
    EXPECT_EQ(sheet->SG1->model()->data(sheet->SG1->model()->index(1, 1)).toString(),
        u"三井住友銀行　本店"_s);
    EXPECT_EQ(sheet->ComboBox1->count(), 2);
    EXPECT_EQ(sheet->SpeedButton2->geometry(), QRect(312, 192, 77, 27));
    EXPECT_EQ(sheet->SpeedButton3->accessibleName(), u"終了"_s);

    sheet = open(1);
    EXPECT_EQ(sheet->BL2->text(), u"取引先名"_s);
    EXPECT_EQ(sheet->Edit2->accessibleName(), u"取引先名"_s);
    EXPECT_FALSE(sheet->ComboBox2->isHidden());
    EXPECT_EQ(sheet->ComboBox2->geometry(), QRect(152, 216, 123, 20));
    EXPECT_EQ(sheet->SG1->horizontalHeader()->sectionSize(1), 270);
    EXPECT_EQ(sheet->BankDisplayList,
        (QStringList { u"     B01 みずほ銀行"_s, u"     B02 三井住友銀行　本店"_s }));
    EXPECT_EQ(sheet->ComboBox2->itemText(1), u"     B02 三井住友銀行　本店"_s);
}

TEST_F(RegistrationSheetTest, ChoosingACodeLoadsItsEntryAndItsBank)
{
    auto sheet = open(1);
    sheet->ComboBox2->setCurrentIndex(0);
    sheet->ComboBox1->setCurrentIndex(1); // 002, whose bank is B02
    EXPECT_EQ(sheet->Edit2->text(), u"山田工業"_s);
    EXPECT_EQ(sheet->ComboBox2->currentIndex(), 1);

    fixtures::reload(state, [](Tables &t) { t.partners[2].BankCode.assign("ZZ"); }); // unknown
    sheet->ComboBox1->setCurrentIndex(2);
    EXPECT_EQ(sheet->Edit2->text(), u"ベルモラ物産"_s);
    EXPECT_EQ(sheet->ComboBox2->currentIndex(), 1) << "an unknown bank leaves the choice";

    sheet->ComboBox1->setEditText(u"00"_s);
    EXPECT_EQ(sheet->Edit2->text(), u"ベルモラ物産"_s) << "typing a new code loads nothing";
}

TEST_F(RegistrationSheetTest, ARegisteredCodeIsOverwrittenOnlyAfterTheQuestion)
{
    auto sheet = open(1);
    enter(*sheet, u"002"_s, u"山田工業株式会社"_s);
    sheet->ComboBox2->setCurrentIndex(0);
    prompter.answers = { MessageAnswer::Cancel };
    sheet->OkClick();
    EXPECT_EQ(prompter.shown.at(0).text, u"002は既に登録されています。\n上書きしますか？"_s);
    EXPECT_EQ(prompter.shown.at(0).kind, MessageKind::Warning);
    EXPECT_EQ(state.PartnerTable.size(), 3u) << "Cancel appends nothing";
    EXPECT_EQ(sjis::decode(state.PartnerTable[1].Name.view()), u"山田工業"_s);
    EXPECT_FALSE(state.Data.modified());

    enter(*sheet, u"002"_s, u"山田工業株式会社"_s);
    sheet->ComboBox2->setCurrentIndex(0);
    sheet->OkClick();
    ASSERT_EQ(state.PartnerTable.size(), 3u) << "overwritten in place, never appended twice";
    EXPECT_EQ(sjis::decode(state.PartnerTable[1].Name.view()), u"山田工業株式会社"_s);
    EXPECT_EQ(state.PartnerTable[1].BankCode.view(), "B01");
    EXPECT_TRUE(state.Data.modified());

    // The code registered twice is asked about for each of its entries.
    prompter.shown.clear();
    enter(*sheet, u"001"_s, u"ベルモラ"_s);
    sheet->OkClick();
    EXPECT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(sjis::decode(state.PartnerTable[0].Name.view()), u"ベルモラ"_s);
    EXPECT_EQ(sjis::decode(state.PartnerTable[2].Name.view()), u"ベルモラ"_s);
}

TEST_F(RegistrationSheetTest, NewCodesAreAppendedAndAnEmptyCodeIsRefused)
{
    // A bank stored with an empty code (an old file may hold one) is not overwritten first.
    fixtures::reload(state, [](Tables &t) {
        BankRecord unnamed;
        unnamed.Name.assign("old");
        t.banks.push_back(unnamed);
    });
    auto sheet = open(0);
    enter(*sheet, QString(), u"名無し銀行"_s);
    sheet->OkClick();
    EXPECT_EQ(prompter.texts(), QStringList { u"\n未入力の項目があります。"_s });
    EXPECT_EQ(state.BankTable.size(), 3u);
    EXPECT_EQ(state.BankTable[2].Name.view(), "old");
    EXPECT_FALSE(state.Data.modified());
    fixtures::reload(state, [](Tables &t) { t.banks.pop_back(); });

    enter(*sheet, u"B03"_s, QString(40, u'銀'));
    sheet->OkClick();
    ASSERT_EQ(state.BankTable.size(), 3u);
    EXPECT_EQ(state.BankTable[2].Code.view(), "B03");
    EXPECT_EQ(state.BankTable[2].Name.length, 62) << "what is kept is what the file holds";
    EXPECT_TRUE(state.Data.modified());
    EXPECT_EQ(sheet->ComboBox1->count(), 3) << "the code list follows";
    EXPECT_EQ(sheet->SG1->model()->rowCount(), 3);
}

TEST_F(RegistrationSheetTest, DeletesTheSelectedRangeAfterTheQuestion)
{
    fixtures::reload(state, [](Tables &t) {
        t.partners.clear();
        for (const char16_t *code : { u"P1", u"P2", u"P3", u"P4", u"P5" })
            t.partners.push_back(
                fixtures::partner(QString::fromUtf16(code), u"社"_s + QString::fromUtf16(code)));
    });
    auto sheet = open(1);
    selectRows(*sheet, 1, 2);
    prompter.answers = { MessageAnswer::Cancel };
    sheet->DelClick();
    EXPECT_EQ(prompter.shown.at(0).text, u"本当に削除しますか？"_s);
    EXPECT_EQ(state.PartnerTable.size(), 5u);
    EXPECT_FALSE(state.Data.modified());

    selectRows(*sheet, 1, 2);
    sheet->DelClick();
    ASSERT_EQ(state.PartnerTable.size(), 3u);
    EXPECT_EQ(state.PartnerTable[1].Code.view(), "P4");
    EXPECT_EQ(sjis::decode(state.PartnerTable[2].Name.view()), u"社P5"_s);
    EXPECT_TRUE(state.Data.modified());

    // The empty row of an empty register is never deleted, and nothing is asked.
    fixtures::reload(state, [](Tables &t) { t.banks.clear(); });
    auto banks = open(0);
    selectRows(*banks, 0, 0);
    prompter.shown.clear();
    banks->DelClick();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(banks->SG1->model()->rowCount(), 1);
}

TEST_F(RegistrationSheetTest, ThroughTheMainWindowTheInputSheetFollowsAndExitAsksToSave)
{
    TestDir program;
    state.ProgramDirectory = program.path();
    MainWindowOptions options;
    options.userFile = program.file(u"pass.dat"_s);
    ProgramScreens screens;
    MainWindow window(state, prompter, screens, options);
    fixtures::fillSmallRegister(state);
    window.applyRights(state.CurrentUser.Permissions);
    window.createSheets();
    prompter.shown.clear();

    prompter.onDialog = [&](QDialog &dialog) {
        auto &sheet = dynamic_cast<RegistrationSheet &>(dialog);
        EXPECT_EQ(sheet.mode(), RegisterKind::PartnerRegister);
        sheet.ComboBox1->setEditText(u"010"_s);
        sheet.Edit2->setText(u"新規取引先"_s);
        sheet.OkClick();
        return int(QDialog::Rejected);
    };
    window.SET2Click();
    auto *codes = window.inputSheet()->widget()->findChild<QComboBox *>(u"ComboBox1"_s);
    ASSERT_NE(codes, nullptr);
    EXPECT_EQ(codes->itemText(codes->count() - 1), u"010"_s);
    EXPECT_TRUE(state.Data.modified());

    QCloseEvent close;
    prompter.answers = { MessageAnswer::No };
    QCoreApplication::sendEvent(&window, &close);
    EXPECT_TRUE(prompter.texts().contains(u"\nデータが変更されています。保存しますか？"_s));
}

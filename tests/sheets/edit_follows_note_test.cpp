#include <algorithm>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTableView>

#include "core/sjis.h"
#include "sheets/approval_choices.h"
#include "sheets/approval_list.h"
#include "sheets/input_sheet.h"
#include "tests/support/main_window_fixture.h"

using namespace Qt::StringLiterals;

namespace {

// A note is loaded for editing on the input sheet; then the same note is changed elsewhere
// through the program's own commands, and 登録 is pressed.
class EditFollowsNote : public RealMainWindow
{
protected:
    void SetUp() override
    {
        RealMainWindow::SetUp();
        if (HasFatalFailure())
            return;
        input = dynamic_cast<InputSheet *>(window->inputSheet());
        ASSERT_NE(input, nullptr);
        ASSERT_EQ(state.NoteTable[Edited].Kind, ReceivableNote);
        ASSERT_EQ(state.NoteTable[Edited].Settled, 0);
        dataSheet->SG1->selectRow(Edited);
        dataSheet->Edit1Click();
        ASSERT_TRUE(input->Editing());
        // What the user changed by hand before the note changed under the edit.
        input->Edit7->setText(u"手で直した備考"_s);
        prompter.shown.clear();
    }

    // The approval list's 選択承認 with the edited note's stamp set.
    void approveInTheList()
    {
        prompter.onDialog = [](QDialog &dialog) {
            auto &list = dynamic_cast<ApprovalList &>(dialog);
            const std::vector<int> &due = list.choices().DueNotes();
            const auto row = std::find(due.begin(), due.end(), Edited) - due.begin();
            list.SG1SelectCell(StampColumn, static_cast<int>(row) + 1);
            list.SpeedButton2Click();
            return int(QDialog::Accepted);
        };
        window->ShoninClick();
    }

    // The edit shows the change, and 登録 keeps it along with what the user typed.
    void expectKeptByRegistration(std::uint8_t kind, std::uint8_t settled)
    {
        ASSERT_TRUE(input->Editing());
        EXPECT_EQ(input->ComboBox5->currentIndex(), kind);
        EXPECT_EQ(input->ComboBox6->currentIndex(), settled ? 0 : 1);
        input->OkClick();
        const NoteRecord &stored = state.NoteTable[Edited];
        EXPECT_EQ(stored.Kind, kind);
        EXPECT_EQ(stored.Settled, settled);
        EXPECT_EQ(sjis::decode(stored.Remarks.view()), u"手で直した備考"_s);
    }

    static constexpr int Edited = 1;
    InputSheet *input = nullptr;
};

} // namespace

// The fields the user did not touch take the stored note's new values, so 登録 never writes an
// approval or a re-classification back; what the user typed stays.
TEST_F(EditFollowsNote, AnApprovalMadeMeanwhileIsKeptByRegistration)
{
    approveInTheList();
    expectKeptByRegistration(ReceivableNote, 1);
}

TEST_F(EditFollowsNote, AReclassificationMadeMeanwhileIsKeptByRegistration)
{
    dataSheet->SG1->selectRow(Edited);
    dataSheet->WARIBIKI1Click();
    expectKeptByRegistration(DiscountedNote, 0);
}

// A note deleted under the edit ends the edit with a word; the fields keep what the user
// entered, so 登録 adds it as a new note instead of losing it.
TEST_F(EditFollowsNote, ADeleteMeanwhileEndsTheEditAndRegistrationAddsWhatWasEntered)
{
    const NoteRecord edited = state.NoteTable[Edited];
    dataSheet->SG1->selectRow(Edited);
    window->Delete1Click();
    EXPECT_FALSE(input->Editing());
    EXPECT_TRUE(
        prompter.texts().contains(u"\n編集中の手形が削除されたため、編集を中止しました。"_s));
    ASSERT_EQ(state.NoteTable.size(), 5u);

    input->OkClick();
    ASSERT_EQ(state.NoteTable.size(), 6u);
    const NoteRecord &added = state.NoteTable.back();
    EXPECT_EQ(added.NoteNumber.view(), edited.NoteNumber.view());
    EXPECT_EQ(added.Amount.stored(), edited.Amount.stored());
    EXPECT_EQ(sjis::decode(added.Remarks.view()), u"手で直した備考"_s);
}

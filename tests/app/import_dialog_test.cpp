#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QPushButton>

#include "core/sjis.h"
#include "exchange/import_dialog.h"
#include "tests/support/main_window_fixture.h"

using namespace Qt::StringLiterals;

namespace {

class ImportDialogTest : public RealMainWindow
{
protected:
    QString file(const QString &text)
    {
        const QString path = program.file(u"in.csv"_s);
        program.write(u"in.csv"_s, sjis::encode(text));
        return path;
    }
};

} // namespace

// A file with an error cannot be taken in; once it is mended, 取り込み asks once about the
// warnings, adds the notes as one change and shows the data sheet's full view.
TEST_F(ImportDialogTest, TakesInOnlyAWholeFileAfterOneQuestion)
{
    exchange::ImportDialog dialog(state, prompter, dataSheet, true);
    dataSheet->setIndex({ 0 }, u"データシート（抽出)"_s);
    const QString head = u"種類,取引先コード,手形番号,振出銀行コード,振出日,支払日,金額\n"_s;
    dialog.readFile(file(
        head + u"0,001,N-1,B01,2024/4/1,2024/5/1,100\n0,001,N-2,B01,2024/4/1,2024/3/1,100\n"_s));
    EXPECT_EQ(dialog.plan().summary(), u"2件中 エラー 1件 警告 0件"_s);
    EXPECT_FALSE(dialog.importButton()->isEnabled());

    dialog.readFile(file(
        head + u"0,001,N-1,B01,2024/4/1,2024/5/1,100\n0,999,N-2,B01,2024/4/1,2024/5/1,100\n"_s));
    ASSERT_TRUE(dialog.importButton()->isEnabled());
    const std::size_t before = state.NoteTable.size();
    int changes = 0;
    QObject::connect(&state.Data, &Register::changed, [&] { ++changes; });
    const std::size_t said = prompter.shown.size();
    dialog.importClick();
    EXPECT_EQ(state.NoteTable.size(), before + 2);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(state.Data.modified());
    ASSERT_EQ(prompter.shown.size(), said + 2);
    EXPECT_TRUE(prompter.shown[said].text.contains(u"警告が1件あります"_s));
    EXPECT_TRUE(prompter.shown[said + 1].text.contains(u"2件を取り込みました"_s));
    EXPECT_FALSE(dataSheet->viewFiltered());
    EXPECT_FALSE(dialog.importButton()->isEnabled()) << "the same file is not taken in twice";
}

// 全件書き出し asks for a folder, names it and the three files before writing anything, and after
// writing says where they went; キャンセル writes nothing.
TEST_F(ImportDialogTest, ExportAllAsksTheFolderAndNamesTheFilesItWrote)
{
    const FixedClock clock(QDate(2026, 6, 7));
    state.clock = &clock;
    const QStringList names { u"手形_20260607.csv"_s, u"取引先_20260607.csv"_s,
        u"銀行_20260607.csv"_s };
    for (const MessageAnswer answer : { MessageAnswer::Cancel, MessageAnswer::Ok }) {
        TestDir out;
        exchange::ImportDialog dialog(state, prompter, dataSheet, true);
        int asked = 0;
        dialog.chooseFolderToWrite = [&](QWidget *) {
            ++asked;
            return out.path();
        };
        prompter.shown.clear();
        prompter.answers = { answer };
        dialog.exportClick();
        EXPECT_EQ(asked, 1);
        ASSERT_FALSE(prompter.shown.empty());
        const QString question = prompter.shown[0].text;
        EXPECT_TRUE(question.contains(QDir::toNativeSeparators(out.path())));
        for (const QString &name : names)
            EXPECT_TRUE(question.contains(name)) << name.toStdString();
        EXPECT_TRUE(question.contains(u"手形_20260607.csv（%1件）"_s.arg(state.NoteTable.size())));
        if (answer == MessageAnswer::Cancel) {
            EXPECT_EQ(prompter.shown.size(), 1U);
            EXPECT_TRUE(QDir(out.path()).isEmpty());
            continue;
        }
        ASSERT_EQ(prompter.shown.size(), 2U);
        EXPECT_EQ(prompter.shown[1].kind, MessageKind::Information);
        const QString told = prompter.shown[1].text;
        EXPECT_TRUE(told.contains(QDir::toNativeSeparators(out.path())));
        QStringList written = QDir(out.path()).entryList(QDir::Files | QDir::Hidden);
        QStringList expected = names;
        written.sort();
        expected.sort();
        EXPECT_EQ(written, expected);
        for (const QString &name : names)
            EXPECT_TRUE(told.contains(name)) << name.toStdString();
    }
}

TEST_F(ImportDialogTest, TheMenuItemFollowsTheRightToEnterNotes)
{
    window->applyRights(SaveAndSearch);
    EXPECT_TRUE(window->action(u"Import1"_s)->isEnabled());
    window->applyRights(0);
    EXPECT_FALSE(window->action(u"Import1"_s)->isEnabled());
}

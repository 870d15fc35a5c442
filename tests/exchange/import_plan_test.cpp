#include <gtest/gtest.h>

#include <cstring>

#include <QDir>
#include <QFile>

#include "core/day_date.h"
#include "core/sjis.h"
#include "exchange/import_plan.h"
#include "exchange/register_export.h"
#include "messages/entry_messages.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/scripted_progress.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;
using namespace exchange;
using values::Field;
using values::Problem;
using Kind = values::Problem::Kind;

namespace {

template <typename Record>
bool sameBytes(const std::vector<Record> &a, const std::vector<Record> &b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Record)) == 0;
}

// Every kind, negative and fractional amounts, remarks a CSV file must quote or guard (with line
// breaks and a tab, which the import keeps though it refuses other control characters), and NEC
// and IBM extension characters in names and remarks.
Tables everything()
{
    Tables t;
    t.partners = { fixtures::partner(u"001"_s, u"㈱ベルモラ商事"_s),
        fixtures::partner(u"-02"_s, u"'+髙橋工業①"_s) };
    fixtures::put(t.partners[0].BankCode, u"B01"_s);
    t.banks = { fixtures::bank(u"B01"_s, u"みずほ銀行　本店"_s),
        fixtures::bank(u"0042"_s, u"=信用金庫\"本店\""_s) };
    const QString remarks[] = { u"売掛金, 第1回"_s, u"引用符\"あり\""_s, u"1行目\r\n2行目\tタブ"_s,
        u"=SUM(A1)"_s, u"№①㈱髙"_s };
    const std::int64_t amounts[] = { 12'345'678'900'000, -5'000, 1, 99'999, -123'456'789 };
    for (int kind = 0; kind < NoteKindCount; ++kind) {
        NoteRecord n = fixtures::note(
            { kind % 2 ? u"001"_s : u"-02"_s, u"B01"_s, static_cast<std::uint8_t>(kind),
                static_cast<std::uint8_t>(kind % 2), amounts[kind], u"No.%1"_s.arg(kind) });
        n.Remarks = {}; // no bytes of the fixture's remark left past the new one
        fixtures::put(n.Remarks, remarks[kind]);
        n.IssueDate = daydate::fromDate(QDate(2024, 2, 29).addDays(kind));
        n.DueDate = n.IssueDate + 30;
        t.notes.push_back(n);
    }
    return t;
}

QByteArray exported(TableKind kind, const Session &state)
{
    TestDir dir;
    QString error;
    EXPECT_TRUE(exportTable(
        kind, dir.file(u"out.csv"_s), state.Data.tables(), &error, nullptr, systemFileSystem()))
        << error.toStdString();
    return dir.read(u"out.csv"_s);
}

QByteArray cp932(const QString &text)
{
    return sjis::encode(text);
}

ImportPlan planned(TableKind kind, const QString &file, const Session &state)
{
    return planImport(kind, cp932(file), state.Data.tables(), state.CurrentUser);
}

} // namespace

// A file written out and taken into an empty register gives the same records, byte for byte.
TEST(Exchange, EveryTableComesBackByteForByte)
{
    Session source { systemFileSystem() };
    source.Data.setTables(everything());
    source.CurrentUser.Permissions = 15;
    Session empty { systemFileSystem() };
    empty.CurrentUser.Permissions = 15;
    for (TableKind kind : { TableKind::Banks, TableKind::Partners, TableKind::Notes }) {
        SCOPED_TRACE(static_cast<int>(kind));
        const ImportPlan plan =
            planImport(kind, exported(kind, source), empty.Data.tables(), empty.CurrentUser);
        ASSERT_TRUE(plan.fileError.isEmpty()) << plan.fileError.toStdString();
        EXPECT_EQ(plan.errors, 0)
            << messages::importRowStatus(plan.checks.front().problems).toStdString();
        ASSERT_EQ(applyImport(plan, empty.Data), ChangeOutcome::Done);
    }
    EXPECT_TRUE(sameBytes(empty.NoteTable, source.NoteTable));
    EXPECT_TRUE(sameBytes(empty.PartnerTable, source.PartnerTable));
    EXPECT_TRUE(sameBytes(empty.BankTable, source.BankTable));
    EXPECT_TRUE(empty.Data.modified());
    // Written again, the file is the same.
    EXPECT_EQ(exported(TableKind::Notes, empty), exported(TableKind::Notes, source));
}

// 全件書き出し writes each table as it would be written alone; cancelled at any step, even once
// the notes are whole, it leaves none of the three and an old file as it was.
TEST(Exchange, ExportAllWritesTheThreeFilesOrNone)
{
    Session state { systemFileSystem() };
    Tables t = everything();
    // Enough lines that a cancel can fall after the notes are written.
    t.notes.resize(3000, t.notes.front());
    t.partners.resize(100, t.partners.front());
    state.Data.setTables(std::move(t));
    const ExportFiles files = exportFiles(state.Data.tables(), QDate(2026, 6, 7));
    EXPECT_EQ(files[0].name, u"手形_20260607.csv"_s);
    QString error;
    ScriptedProgress watching;
    TestDir dir;
    ASSERT_TRUE(exportRegister(
        dir.path(), files, state.Data.tables(), &error, &watching, systemFileSystem()))
        << error.toStdString();
    for (const ExportFile &f : files)
        EXPECT_EQ(dir.read(f.name), exported(f.kind, state)) << f.name.toStdString();
    ASSERT_EQ(watching.steps.size(), 6U);
    EXPECT_EQ(watching.steps.back(), std::make_pair(qint64(3072), qint64(3001 + 101 + 3)));

    for (int cancelAt = 1; cancelAt <= 6; ++cancelAt) {
        SCOPED_TRACE(cancelAt);
        TestDir again;
        again.write(files[1].name, "old partners");
        ScriptedProgress progress(cancelAt);
        EXPECT_FALSE(exportRegister(
            again.path(), files, state.Data.tables(), &error, &progress, systemFileSystem()));
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_EQ(
            QDir(again.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList { files[1].name });
        EXPECT_EQ(again.read(files[1].name), "old partners");
    }

    // A folder that refuses the second rename: the reason says the first file is already new.
    struct RefusesSecondRename : PosixFileSystem
    {
        int renames = 0;
        int rename(const char *from, const char *to) override
        {
            if (++renames == 2) {
                errno = EACCES;
                return -1;
            }
            return PosixFileSystem::rename(from, to);
        }
    } refusing;
    TestDir third;
    EXPECT_FALSE(
        exportRegister(third.path(), files, state.Data.tables(), &error, nullptr, refusing));
    EXPECT_TRUE(error.contains(u"「手形_20260607.csv」 は、すでに新しい内容で書き出しています"_s))
        << error.toStdString();
}

TEST(Exchange, EachRowSaysWhatIsWrongAndAnyErrorStopsTheWholeFile)
{
    Session state { systemFileSystem() };
    state.Data.setTables(fixtures::smallRegister());
    state.CurrentUser.Permissions = 15;
    state.CurrentUser.Name = "tanaka";
    const QString head =
        u"支払日,種類,取引先コード,手形番号,振出銀行コード,振出日,金額,余分な列\r\n"_s;
    const struct
    {
        const char *what;
        QString row;
        QString status;
    } rows[] = {
        { "fine, any column order, an unknown column",
            u"2024/5/1,受取手形,001,X-1,B01,2024/4/1,\"1,000円\",x"_s, u"取り込み可"_s },
        { "typed forms", u"R6.5.1,1,002,X-2,B02,45383,△2.5,"_s, u"取り込み可"_s },
        { "due before issue", u"2024/3/1,0,001,X-3,B01,2024/4/1,5,"_s,
            u"エラー: 振出日が支払日以降に設定されています。"_s },
        { "no such date", u"2023/2/29,0,001,X-4,B01,2023/1/1,5,"_s,
            u"エラー: 支払日が正しい日付ではありません。"_s },
        { "too long", u"2024/5/1,0,001,X-55555555555,B01,2024/4/1,5,"_s,
            u"エラー: 手形番号は10バイトまでです。"_s },
        { "empty and unreadable", u"2024/5/1,手形,001,X-6,B01,2024/4/1,,"_s,
            u"エラー: 種類「手形」が読めません。 金額が入力されていません。"_s },
        { "not registered", u"2024/5/1,0,009,X-7,B77,2024/4/1,5,"_s,
            u"警告: 取引先コード「009」は登録されていません。 振出銀行コード「B77」は登録されていません。"_s },
        { "same number again", u"2024/5/1,0,001,X-1,B01,2024/4/1,5,"_s,
            u"警告: 取引先「001」の手形番号「X-1」は、すでにあります。"_s },
    };
    QString file = head;
    for (const auto &r : rows)
        file += r.row + u"\r\n"_s;
    const ImportPlan plan = planned(TableKind::Notes, file, state);
    ASSERT_EQ(plan.rows(), static_cast<int>(std::size(rows)));
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(messages::importRowStatus(plan.checks[i].problems), rows[i].status)
            << rows[i].what;
    EXPECT_EQ(plan.summary(), u"8件中 エラー 4件 警告 2件"_s);
    EXPECT_EQ(plan.notes.size(), 4u);
    EXPECT_EQ(QString::fromLatin1(plan.notes[0].EnteredBy.view()), u"tanaka"_s)
        << "an empty 入力者名 is the logged-in user";
    EXPECT_EQ(plan.notes[1].Amount, Money::fromStored(-25'000));

    // One bad row and nothing changes.
    const auto before = state.NoteTable;
    EXPECT_FALSE(plan.importable());
    EXPECT_EQ(applyImport(plan, state.Data), ChangeOutcome::Unchanged);
    EXPECT_TRUE(sameBytes(state.NoteTable, before));
    EXPECT_FALSE(state.Data.modified());

    // A name longer than the data file keeps, a file too wide to be a table, a missing column,
    // one named twice, a name of NUL bytes, a name too long to be any, an overwritten partner, and
    // a user without rights.
    const QString enteredBy =
        u"種類,取引先コード,手形番号,振出銀行コード,振出日,支払日,金額,入力者名\r\n"
        u"0,001,Z-1,B01,2024/4/1,2024/5/1,5,"_s
        + QString(32, u'x');
    Problem tooLong { Kind::TooLong, Field::EnteredBy };
    tooLong.limit = 31;
    EXPECT_EQ(planned(TableKind::Notes, enteredBy, state).checks.at(0).problems,
        values::Problems { tooLong });
    EXPECT_TRUE(planned(TableKind::Banks, QString(1500, u','), state)
                    .fileError.contains(u"項目が多すぎます"_s));
    EXPECT_EQ(planned(TableKind::Banks, u"銀行コード\r\nB01\r\n"_s, state).fileError,
        u"見出しの行に「銀行名」がありません。"_s);
    EXPECT_EQ(
        planned(TableKind::Banks, u"銀行コード,銀行名, 銀行名 \r\nB01,a,b\r\n"_s, state).fileError,
        u"見出しの行に「銀行名」が2つ以上あります。どの列を取り込むか決められません。"_s);
    EXPECT_EQ(
        planImport(TableKind::Banks, cp932(u"銀行コード,銀行名\r\nB09,"_s) + QByteArray(3, '\0'),
            state.Data.tables(), state.CurrentUser)
            .fileError,
        u"2行目の「銀行名」に、使えない制御文字（U+0000）があります。"_s);
    EXPECT_EQ(planned(TableKind::Banks, u"銀行コード,銀行名\r\nB09,"_s + QString(1001, u'x'), state)
                  .fileError,
        u"2行目の「銀行名」が長すぎます。1つの項目は1,000バイトまでです。"_s);
    const ImportPlan partners =
        planned(TableKind::Partners, u"取引先コード,取引先名\r\n002,新しい名前\r\n"_s, state);
    EXPECT_EQ(partners.checks.at(0).problems,
        values::Problems { Problem::ofCode(Kind::Overwrites, Field::PartnerCode, "002") });
    ASSERT_EQ(applyImport(partners, state.Data), ChangeOutcome::Done);
    EXPECT_EQ(sjis::decode(state.PartnerTable[1].Name.view()), u"新しい名前"_s);
    state.CurrentUser.Permissions = 0;
    EXPECT_EQ(planned(TableKind::Notes, head + rows[0].row, state).checks.at(0).problems,
        values::Problems { Kind::NoRight });
}

// The rows' checks count with what the reader holds: past the bound the file is refused and
// nothing of it is kept.
TEST(Exchange, ChecksCountTowardTheBoundOfWhatIsHeld)
{
    Session state { systemFileSystem() };
    state.CurrentUser.Permissions = 15;
    QString file = u"銀行コード,銀行名\r\n"_s;
    for (int i = 0; i < 100; ++i)
        file += u"B%1,\r\n"_s.arg(i); // each an error: no name
    const QByteArray bytes = cp932(file);
    EXPECT_EQ(
        planImport(TableKind::Banks, bytes, state.Data.tables(), state.CurrentUser).rows(), 100);
    // The reader's part, some 2,200 bytes, fits; with every row's check it does not.
    const ImportPlan refused = planImport(TableKind::Banks, bytes, state.Data.tables(),
        state.CurrentUser, nullptr, { .keptBytes = 8000 });
    EXPECT_TRUE(refused.fileError.startsWith(u"ファイルの中身が多すぎます。"_s))
        << refused.fileError.toStdString();
    EXPECT_EQ(refused.rows(), 0);
    EXPECT_EQ(refused.table.rows(), 0u);
}

// A spreadsheet reads 0009 as the number 9: a code not registered is taken as the one registered
// code it equals padded with leading zeros, and the row says so; with two such codes, or when the
// code is registered as it is, it stays as written.
TEST(Exchange, ACodeAStrippedOfItsZerosIsReadAsTheRegisteredOne)
{
    Session state { systemFileSystem() };
    Tables t;
    t.partners = { fixtures::partner(u"00009"_s, u"山田工業"_s),
        fixtures::partner(u"001"_s, u"ベルモラ商事"_s) };
    for (const QString &code : { u"0009"_s, u"07"_s, u"007"_s, u"42"_s, u"0042"_s })
        t.banks.push_back(fixtures::bank(code, u"銀行"_s));
    state.Data.setTables(t);
    state.CurrentUser.Permissions = 15;
    const QString notes = u"種類,取引先コード,手形番号,振出銀行コード,振出日,支払日,金額\r\n"_s;
    const QString partners = u"取引先コード,取引先名,銀行コード\r\n"_s;
    const struct
    {
        TableKind kind;
        QString file;
        values::Problems warnings;
        QString partner; // as stored; for a partner file, its code
        QString bank;
    } cases[] = {
        { TableKind::Notes, notes + u"0,9,N-1,9,2024/4/1,2024/5/1,5"_s,
            { Problem::ofCode(Kind::ReadAsPadded, Field::PartnerCode, "9", "00009"),
                Problem::ofCode(Kind::ReadAsPadded, Field::NoteBank, "9", "0009") },
            u"00009"_s, u"0009"_s },
        { TableKind::Notes, notes + u"0,001,N-2,7,2024/4/1,2024/5/1,5"_s,
            { Problem::ofCode(Kind::NotRegistered, Field::NoteBank, "7") }, u"001"_s, u"7"_s },
        { TableKind::Notes, notes + u"0,001,N-3,42,2024/4/1,2024/5/1,5"_s, {}, u"001"_s, u"42"_s },
        { TableKind::Partners, partners + u"9,新規,9"_s,
            { Problem::ofCode(Kind::ReadAsPadded, Field::BankCode, "9", "0009") }, u"9"_s,
            u"0009"_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const ImportPlan plan = planned(c.kind, c.file, state);
        ASSERT_EQ(plan.rows(), 1);
        EXPECT_EQ(plan.checks[0].problems, c.warnings);
        if (c.kind == TableKind::Notes) {
            ASSERT_EQ(plan.notes.size(), 1u);
            EXPECT_EQ(QString::fromLatin1(plan.notes[0].PartnerCode.view()), c.partner);
            EXPECT_EQ(QString::fromLatin1(plan.notes[0].BankCode.view()), c.bank);
        } else {
            ASSERT_EQ(plan.entries.size(), 1u);
            EXPECT_EQ(QString::fromLatin1(plan.entries[0].code), c.partner);
            EXPECT_EQ(QString::fromLatin1(plan.entries[0].bankCode), c.bank);
        }
    }
}

// The sample files of the manual read without an error; their codes are not registered in an
// empty register, which only warns.
TEST(Exchange, TheManualsSampleFilesRead)
{
    Session empty { systemFileSystem() };
    empty.CurrentUser.Permissions = 15;
    const struct
    {
        const char16_t *file;
        TableKind kind;
        int rows;
    } samples[] = {
        { u"sample-notes.csv", TableKind::Notes, 3 },
        { u"sample-partners.csv", TableKind::Partners, 2 },
        { u"sample-banks.csv", TableKind::Banks, 2 },
    };
    for (const auto &sample : samples) {
        QFile file(
            QStringLiteral(QT_TESTCASE_SOURCEDIR "/../Help/") + QString::fromUtf16(sample.file));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        const ImportPlan plan =
            planImport(sample.kind, file.readAll(), empty.Data.tables(), empty.CurrentUser);
        EXPECT_EQ(plan.rows(), sample.rows) << file.fileName().toStdString();
        EXPECT_EQ(plan.errors, 0) << file.fileName().toStdString();
    }
}

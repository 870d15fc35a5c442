#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "store/data_files.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

NoteRecord note(const char *number, std::int64_t amount)
{
    NoteRecord n;
    n.NoteNumber.assign(number);
    n.Amount = Money::fromStored(amount);
    n.IssueDate = 45000;
    n.DueDate = 45030;
    n.Kind = ReceivableNote;
    n.EnteredBy.assign("Admini");
    return n;
}

AppState sampleState()
{
    AppState s;
    s.NoteTable = { note("N1", 10000), note("N2", -50000), note("N3", 123456789) };
    PartnerRecord p;
    p.Code.assign("001");
    p.Name.assign("\x8a\x94\x8e\xae\x89\xef\x8e\xd0"); // 株式会社
    p.BankCode.assign("B1");
    s.PartnerTable = { p };
    BankRecord b;
    b.Code.assign("B1");
    b.Name.assign(std::string(62, 'x'));
    s.BankTable = { b };
    return s;
}

QStringList leftovers(const TestDir &dir)
{
    return QDir(dir.path()).entryList({ u"*.tmp-*"_s }, QDir::Files);
}

} // namespace

TEST(DataFiles, SaveAndLoadRoundTripEveryTable)
{
    TestDir dir;
    AppState saved = sampleState();
    saved.Modified = true;
    const SaveReport report = SaveData(saved, dir.path());
    ASSERT_TRUE(report.ok) << report.message.toStdString();
    EXPECT_FALSE(saved.Modified);
    EXPECT_EQ(dir.read(u"KOLVAM.vmd"_s).size(), 3 * 125);
    EXPECT_EQ(dir.read(u"TCODE.vmd"_s).size(), 56);
    EXPECT_EQ(dir.read(u"BANK.vmd"_s).size(), 72);
    EXPECT_TRUE(leftovers(dir).isEmpty());

    AppState loaded;
    ASSERT_TRUE(LoadData(loaded, dir.path()).ok());
    ASSERT_EQ(loaded.NoteTable.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(std::memcmp(&loaded.NoteTable[i], &saved.NoteTable[i], 125), 0);
    EXPECT_EQ(loaded.PartnerTable[0].Name.view(), saved.PartnerTable[0].Name.view());
    EXPECT_EQ(loaded.BankTable[0].Name.view(), std::string(62, 'x'));
}

TEST(DataFiles, MissingFilesLoadAsEmptyTables)
{
    TestDir dir;
    AppState state;
    EXPECT_TRUE(LoadData(state, dir.path()).ok());
    EXPECT_TRUE(state.NoteTable.empty() && state.PartnerTable.empty() && state.BankTable.empty());
    EXPECT_TRUE(state.IncompleteFiles.isEmpty());
}

TEST(DataFiles, PartialRecordKeepsWholeRecordsAndTheOtherFilesStillLoad)
{
    TestDir dir;
    AppState source = sampleState();
    ASSERT_TRUE(SaveData(source, dir.path()).ok);
    dir.write(u"KOLVAM.vmd"_s, dir.read(u"KOLVAM.vmd"_s).left(251));

    AppState state;
    const LoadReport report = LoadData(state, dir.path());
    ASSERT_EQ(report.faults.size(), 1u);
    EXPECT_EQ(report.faults[0].path, dir.file(u"KOLVAM.vmd"_s));
    EXPECT_EQ(report.faults[0].recordsRead, 2);
    EXPECT_TRUE(report.message().contains(dir.file(u"KOLVAM.vmd"_s)));
    EXPECT_TRUE(report.message().contains(u"2 件"_s));
    EXPECT_EQ(state.NoteTable.size(), 2u);
    EXPECT_EQ(state.BankTable.size(), 1u) << "a fault in one file must not stop the next";
    EXPECT_EQ(state.PartnerTable.size(), 1u);

    // 250 bytes are exactly two notes.
    dir.write(u"KOLVAM.vmd"_s, dir.read(u"KOLVAM.vmd"_s).left(250));
    AppState whole;
    EXPECT_TRUE(LoadData(whole, dir.path()).ok());
    EXPECT_EQ(whole.NoteTable.size(), 2u);
}

TEST(DataFiles, FirstSaveAfterAFaultKeepsTheOriginalAsBackup)
{
    TestDir dir;
    const QByteArray original = QByteArray(125 * 2, 'A') + "tail";
    dir.write(u"KOLVAM.vmd"_s, original);
    AppState state;
    ASSERT_FALSE(LoadData(state, dir.path()).ok());

    const SaveReport first = SaveData(state, dir.path());
    ASSERT_TRUE(first.ok) << first.message.toStdString();
    ASSERT_EQ(first.backups.size(), 1);
    EXPECT_TRUE(first.backups[0].startsWith(dir.file(u"KOLVAM.vmd."_s)));
    EXPECT_TRUE(first.backupNotice().contains(first.backups[0]));
    QFile backup(first.backups[0]);
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), original);
    EXPECT_EQ(dir.read(u"KOLVAM.vmd"_s).size(), 250);

    const SaveReport second = SaveData(state, dir.path());
    EXPECT_TRUE(second.ok);
    EXPECT_TRUE(second.backups.isEmpty()) << "only the first save keeps a backup";
}

TEST(DataFiles, AnUnreadableFileIsReportedAndBackedUpBeforeBeingReplaced)
{
    TestDir dir;
    QDir(dir.path()).mkdir(u"TCODE.vmd"_s); // a folder where the partner file should be
    dir.write(u"BANK.vmd"_s, QByteArray(72, '\0'));
    AppState state;
    const LoadReport report = LoadData(state, dir.path());
    ASSERT_EQ(report.faults.size(), 1u);
    EXPECT_EQ(report.faults[0].recordsRead, 0);
    EXPECT_EQ(state.BankTable.size(), 1u);
    EXPECT_TRUE(state.IncompleteFiles.contains(u"TCODE.vmd"_s));
}

TEST(DataFiles, FailedSaveReplacesNothingAndKeepsModified)
{
    TestDir dir;
    AppState before = sampleState();
    ASSERT_TRUE(SaveData(before, dir.path()).ok);
    const QByteArray partners = dir.read(u"TCODE.vmd"_s);
    const QByteArray banks = dir.read(u"BANK.vmd"_s);
    QFile::remove(dir.file(u"KOLVAM.vmd"_s));
    QDir(dir.path()).mkdir(u"KOLVAM.vmd"_s); // cannot be replaced

    AppState changed = sampleState();
    changed.PartnerTable.clear();
    changed.BankTable.clear();
    changed.Modified = true;
    const SaveReport report = SaveData(changed, dir.path());
    EXPECT_FALSE(report.ok);
    EXPECT_TRUE(report.message.contains(dir.file(u"KOLVAM.vmd"_s)));
    EXPECT_TRUE(report.message.contains(u"理由"_s));
    EXPECT_TRUE(changed.Modified);
    EXPECT_EQ(dir.read(u"TCODE.vmd"_s), partners);
    EXPECT_EQ(dir.read(u"BANK.vmd"_s), banks);
    EXPECT_TRUE(leftovers(dir).isEmpty());
}

TEST(DataFiles, SaveIntoAMissingFolderFailsNamingTheFile)
{
    TestDir dir;
    AppState state = sampleState();
    state.Modified = true;
    const SaveReport report = SaveData(state, dir.path() + u"nowhere/"_s);
    EXPECT_FALSE(report.ok);
    EXPECT_TRUE(report.message.contains(dir.path() + u"nowhere/TCODE.vmd"_s));
    EXPECT_TRUE(report.message.contains(u"見つかりません"_s));
    EXPECT_TRUE(state.Modified);
}

TEST(DataFiles, OnlyRegularFilesThatFitInMemoryAreRead)
{
    TestDir dir;
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file(u"KOLVAM.vmd"_s)).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, dir.file(u"BANK.vmd"_s)));
    QFile huge(dir.file(u"TCODE.vmd"_s));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(1) << 40)) << "a sparse file of 1 TiB";
    huge.close();

    AppState state;
    const LoadReport report = LoadData(state, dir.path());
    ASSERT_EQ(report.faults.size(), 3u);
    EXPECT_EQ(report.faults[0].path, dir.file(u"TCODE.vmd"_s));
    EXPECT_TRUE(report.faults[0].reason.contains(u"大きすぎます"_s));
    for (size_t i : { 1u, 2u })
        EXPECT_TRUE(report.faults[i].reason.contains(u"通常のファイルではありません"_s));
    EXPECT_TRUE(report.message().contains(dir.file(u"KOLVAM.vmd"_s)));
    EXPECT_TRUE(report.message().contains(dir.file(u"BANK.vmd"_s)));
    EXPECT_TRUE(state.NoteTable.empty() && state.PartnerTable.empty() && state.BankTable.empty());
    EXPECT_EQ(state.IncompleteFiles.size(), 3);

    // None of them is replaced by a save: a FIFO or a device is no register to overwrite.
    state.NoteTable.push_back(note("N1", 1));
    state.Modified = true;
    const SaveReport save = SaveData(state, dir.path());
    EXPECT_FALSE(save.ok);
    EXPECT_TRUE(save.message.contains(dir.file(u"KOLVAM.vmd"_s)));
    EXPECT_TRUE(state.Modified);
    EXPECT_TRUE(QFileInfo(dir.file(u"KOLVAM.vmd"_s)).exists()
        && !QFileInfo(dir.file(u"KOLVAM.vmd"_s)).isFile());
    EXPECT_EQ(QFileInfo(dir.file(u"TCODE.vmd"_s)).size(), qint64(1) << 40);
    EXPECT_TRUE(QFileInfo(dir.file(u"BANK.vmd"_s)).isSymLink());
    EXPECT_TRUE(leftovers(dir).isEmpty());
}

TEST(DataFiles, SymbolicLinksAreWrittenThrough)
{
    TestDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"real"_s));
    AppState first = sampleState();
    ASSERT_TRUE(SaveData(first, dir.file(u"real/"_s)).ok);
    QFile::rename(dir.file(u"real/KOLVAM.vmd"_s), dir.file(u"real/notes.vmd"_s));
    QFile::remove(dir.file(u"real/TCODE.vmd"_s));
    // Relative links, one to a file that exists and one to a file not made yet.
    ASSERT_EQ(
        ::symlink("real/notes.vmd", QFile::encodeName(dir.file(u"KOLVAM.vmd"_s)).constData()), 0);
    ASSERT_EQ(
        ::symlink("real/partners.vmd", QFile::encodeName(dir.file(u"TCODE.vmd"_s)).constData()), 0);
    // A cut last note makes the first save keep the original: beside the file, not the link.
    const QByteArray original = dir.read(u"real/notes.vmd"_s) + "x";
    dir.write(u"real/notes.vmd"_s, original);

    AppState state;
    EXPECT_EQ(LoadData(state, dir.path()).faults.size(), 1u);
    EXPECT_EQ(state.NoteTable.size(), 3u) << "read through the link";
    state.NoteTable.push_back(note("N4", 4));
    state.PartnerTable = first.PartnerTable;
    const SaveReport save = SaveData(state, dir.path());
    ASSERT_TRUE(save.ok) << save.message.toStdString();
    ASSERT_EQ(save.backups.size(), 1);
    EXPECT_TRUE(save.backups[0].startsWith(dir.file(u"real/notes.vmd."_s)));
    QFile backup(save.backups[0]);
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), original);

    EXPECT_TRUE(QFileInfo(dir.file(u"KOLVAM.vmd"_s)).isSymLink());
    EXPECT_TRUE(QFileInfo(dir.file(u"TCODE.vmd"_s)).isSymLink());
    EXPECT_EQ(dir.read(u"real/notes.vmd"_s).size(), 4 * 125);
    EXPECT_EQ(dir.read(u"real/partners.vmd"_s).size(), 56);
    EXPECT_TRUE(leftovers(dir).isEmpty());
    EXPECT_TRUE(QDir(dir.file(u"real"_s)).entryList({ u"*.tmp-*"_s }, QDir::Files).isEmpty());
    AppState again;
    EXPECT_TRUE(LoadData(again, dir.path()).ok());
    EXPECT_EQ(again.NoteTable.size(), 4u);
    EXPECT_EQ(again.PartnerTable.size(), 1u);

    // A link into a folder that does not exist cannot be written through.
    QFile::remove(dir.file(u"BANK.vmd"_s));
    ASSERT_EQ(
        ::symlink("gone/banks.vmd", QFile::encodeName(dir.file(u"BANK.vmd"_s)).constData()), 0);
    again.Modified = true;
    const SaveReport dangling = SaveData(again, dir.path());
    EXPECT_FALSE(dangling.ok);
    EXPECT_TRUE(dangling.message.contains(dir.file(u"BANK.vmd"_s)));
    EXPECT_TRUE(again.Modified);
    EXPECT_TRUE(QFileInfo(dir.file(u"BANK.vmd"_s)).isSymLink());
}

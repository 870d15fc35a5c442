#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <QDateTime>

#include "store/data_files.h"
#include "store/register.h"
#include "tests/support/full_disk.h"
#include "tests/support/switched_file_system.h"
#include "tests/support/table_files.h"
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

Tables sampleTables()
{
    Tables s;
    s.notes = { note("N1", 10000), note("N2", -50000), note("N3", 123456789) };
    PartnerRecord p;
    p.Code.assign("001");
    p.Name.assign("\x8a\x94\x8e\xae\x89\xef\x8e\xd0"); // 株式会社
    p.BankCode.assign("B1");
    s.partners = { p };
    BankRecord b;
    b.Code.assign("B1");
    b.Name.assign(std::string(62, 'x'));
    s.banks = { b };
    return s;
}

// A register on a folder, as a run has it.
struct OneRun
{
    explicit OneRun(const QString &directory) { data.useDirectory(directory); }
    SaveOutcome save() { return data.save(u"tester"_s, QDateTime::currentDateTime()); }
    SwitchedFileSystem disk;
    Register data { disk };
};

QStringList leftovers(const TestDir &dir)
{
    return QDir(dir.path()).entryList({ u"*.tmp-*"_s }, QDir::Files);
}

} // namespace

TEST(DataFiles, SaveAndLoadRoundTripEveryTable)
{
    TestDir dir;
    OneRun saved(dir.path());
    saved.data.setTables(sampleTables());
    ASSERT_EQ(saved.data.appendNote(note("N4", 1)), ChangeOutcome::Done);
    EXPECT_TRUE(saved.data.modified());
    const SaveOutcome outcome = saved.save();
    ASSERT_TRUE(outcome.ok());
    EXPECT_FALSE(saved.data.modified());
    EXPECT_EQ(dir.read(u"KOLVAM.vmd"_s).size(), 4 * 125);
    EXPECT_EQ(dir.read(u"TCODE.vmd"_s).size(), 56);
    EXPECT_EQ(dir.read(u"BANK.vmd"_s).size(), 72);
    EXPECT_TRUE(leftovers(dir).isEmpty());

    OneRun loaded(dir.path());
    ASSERT_TRUE(loaded.data.load().ok());
    ASSERT_EQ(loaded.data.notes().size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(std::memcmp(&loaded.data.notes()[i], &saved.data.notes()[i], 125), 0);
    EXPECT_EQ(loaded.data.partners()[0].Name.view(), saved.data.partners()[0].Name.view());
    EXPECT_EQ(loaded.data.banks()[0].Name.view(), std::string(62, 'x'));
    EXPECT_FALSE(loaded.data.modified());
}

TEST(DataFiles, MissingFilesLoadAsEmptyTables)
{
    TestDir dir;
    const Loaded state(dir.path());
    EXPECT_TRUE(state.report.ok());
    EXPECT_TRUE(
        state.tables.notes.empty() && state.tables.partners.empty() && state.tables.banks.empty());
    EXPECT_TRUE(state.incomplete.isEmpty());
}

TEST(DataFiles, PartialRecordKeepsWholeRecordsAndTheOtherFilesStillLoad)
{
    TestDir dir;
    ASSERT_TRUE(saveTables(sampleTables(), dir.path()).ok());
    dir.write(u"KOLVAM.vmd"_s, dir.read(u"KOLVAM.vmd"_s).left(251));

    const Loaded state(dir.path());
    const LoadReport &report = state.report;
    ASSERT_EQ(report.faults.size(), 1u);
    EXPECT_EQ(report.faults[0].path, dir.file(u"KOLVAM.vmd"_s));
    EXPECT_EQ(report.faults[0].recordsRead, 2);
    EXPECT_EQ(report.faults[0].fault.kind, FileFault::Kind::CutRecord);
    EXPECT_EQ(report.faults[0].fault.size, 125);
    EXPECT_EQ(report.faults[0].fault.limit, 1);
    EXPECT_EQ(state.tables.notes.size(), 2u);
    EXPECT_EQ(state.tables.banks.size(), 1u) << "a fault in one file must not stop the next";
    EXPECT_EQ(state.tables.partners.size(), 1u);

    // 250 bytes are exactly two notes.
    dir.write(u"KOLVAM.vmd"_s, dir.read(u"KOLVAM.vmd"_s).left(250));
    const Loaded whole(dir.path());
    EXPECT_TRUE(whole.report.ok());
    EXPECT_EQ(whole.tables.notes.size(), 2u);
}

TEST(DataFiles, FirstSaveAfterAFaultKeepsTheOriginalAsBackup)
{
    TestDir dir;
    const QByteArray original = QByteArray(125 * 2, 'A') + "tail";
    dir.write(u"KOLVAM.vmd"_s, original);
    OneRun state(dir.path());
    ASSERT_FALSE(state.data.load().ok());
    EXPECT_TRUE(state.data.incompleteFiles().contains(u"KOLVAM.vmd"_s));

    const SaveOutcome first = state.save();
    ASSERT_TRUE(first.ok());
    ASSERT_EQ(first.report.backups.size(), 1);
    EXPECT_TRUE(first.report.backups[0].startsWith(dir.file(u"KOLVAM.vmd."_s)));
    QFile backup(first.report.backups[0]);
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), original);
    EXPECT_EQ(dir.read(u"KOLVAM.vmd"_s).size(), 250);

    const SaveOutcome second = state.save();
    EXPECT_TRUE(second.ok());
    EXPECT_TRUE(second.report.backups.isEmpty()) << "only the first save keeps a backup";
}

TEST(DataFiles, AnUnreadableFileIsReportedAndBackedUpBeforeBeingReplaced)
{
    TestDir dir;
    QDir(dir.path()).mkdir(u"TCODE.vmd"_s); // a folder where the partner file should be
    dir.write(u"BANK.vmd"_s, QByteArray(72, '\0'));
    const Loaded state(dir.path());
    ASSERT_EQ(state.report.faults.size(), 1u);
    EXPECT_EQ(state.report.faults[0].recordsRead, 0);
    EXPECT_EQ(state.report.faults[0].fault.error, EISDIR);
    EXPECT_EQ(state.tables.banks.size(), 1u);
    EXPECT_TRUE(state.incomplete.contains(u"TCODE.vmd"_s));
}

TEST(DataFiles, FailedSaveReplacesNothingAndKeepsModified)
{
    TestDir dir;
    ASSERT_TRUE(saveTables(sampleTables(), dir.path()).ok());
    const QByteArray partners = dir.read(u"TCODE.vmd"_s);
    const QByteArray banks = dir.read(u"BANK.vmd"_s);
    QFile::remove(dir.file(u"KOLVAM.vmd"_s));
    QDir(dir.path()).mkdir(u"KOLVAM.vmd"_s); // cannot be replaced

    OneRun changed(dir.path());
    changed.data.load();
    ASSERT_EQ(changed.data.removeEntries(RegisterKind::PartnerRegister, 0, 0), ChangeOutcome::Done);
    ASSERT_EQ(changed.data.removeEntries(RegisterKind::BankRegister, 0, 0), ChangeOutcome::Done);
    const SaveOutcome outcome = changed.save();
    EXPECT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.report.failure.phase, SaveFailure::Phase::Check);
    EXPECT_EQ(outcome.report.failure.file, dir.file(u"KOLVAM.vmd"_s));
    EXPECT_EQ(outcome.report.failure.fault.error, EISDIR);
    EXPECT_TRUE(changed.data.modified());
    EXPECT_EQ(dir.read(u"TCODE.vmd"_s), partners);
    EXPECT_EQ(dir.read(u"BANK.vmd"_s), banks);
    EXPECT_TRUE(leftovers(dir).isEmpty());
}

TEST(DataFiles, SaveIntoAMissingFolderFailsNamingTheFile)
{
    TestDir dir;
    OneRun state(dir.path() + u"nowhere/"_s);
    state.data.setTables(sampleTables());
    ASSERT_EQ(state.data.settleNote(0), ChangeOutcome::Done);
    const SaveOutcome outcome = state.save();
    EXPECT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.report.failure.phase, SaveFailure::Phase::Write);
    EXPECT_EQ(outcome.report.failure.file, dir.path() + u"nowhere/TCODE.vmd"_s);
    EXPECT_EQ(outcome.report.failure.fault.error, ENOENT);
    EXPECT_TRUE(state.data.modified());
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

    OneRun state(dir.path());
    const LoadReport report = state.data.load();
    ASSERT_EQ(report.faults.size(), 3u);
    EXPECT_EQ(report.faults[0].path, dir.file(u"TCODE.vmd"_s));
    EXPECT_EQ(report.faults[0].fault.kind, FileFault::Kind::TooLarge);
    EXPECT_EQ(report.faults[1].path, dir.file(u"KOLVAM.vmd"_s));
    EXPECT_EQ(report.faults[2].path, dir.file(u"BANK.vmd"_s));
    for (size_t i : { 1u, 2u })
        EXPECT_EQ(report.faults[i].fault.kind, FileFault::Kind::NotRegular);
    EXPECT_TRUE(
        state.data.notes().empty() && state.data.partners().empty() && state.data.banks().empty());
    EXPECT_EQ(state.data.incompleteFiles().size(), 3);

    // None of them is replaced by a save: a FIFO or a device is no register to overwrite.
    ASSERT_EQ(state.data.appendNote(note("N1", 1)), ChangeOutcome::Done);
    const SaveOutcome save = state.save();
    EXPECT_FALSE(save.ok());
    EXPECT_EQ(save.report.failure.phase, SaveFailure::Phase::Check);
    EXPECT_EQ(save.report.failure.file, dir.file(u"KOLVAM.vmd"_s));
    EXPECT_TRUE(state.data.modified());
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
    const Tables first = sampleTables();
    ASSERT_TRUE(saveTables(first, dir.file(u"real/"_s)).ok());
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

    {
        OneRun state(dir.path());
        EXPECT_EQ(state.data.load().faults.size(), 1u);
        EXPECT_EQ(state.data.notes().size(), 3u) << "read through the link";
        ASSERT_EQ(state.data.appendNote(note("N4", 4)), ChangeOutcome::Done);
        ASSERT_EQ(state.data.appendEntry(RegisterKind::PartnerRegister, { "001", "name", "B1" }),
            ChangeOutcome::Done);
        const SaveOutcome outcome = state.save();
        const SaveReport &save = outcome.report;
        ASSERT_TRUE(outcome.ok());
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
    }
    OneRun again(dir.path());
    EXPECT_TRUE(again.data.load().ok());
    EXPECT_EQ(again.data.notes().size(), 4u);
    EXPECT_EQ(again.data.partners().size(), 1u);

    // A link into a folder that does not exist cannot be written through.
    QFile::remove(dir.file(u"BANK.vmd"_s));
    ASSERT_EQ(
        ::symlink("gone/banks.vmd", QFile::encodeName(dir.file(u"BANK.vmd"_s)).constData()), 0);
    EXPECT_EQ(again.save().refusal, SaveOutcome::Refusal::ChangedOnDisk)
        << "the bank file loaded is gone";
    again.data.load();
    ASSERT_EQ(again.data.settleNote(0), ChangeOutcome::Done);
    const SaveOutcome dangling = again.save();
    EXPECT_FALSE(dangling.ok());
    EXPECT_EQ(dangling.report.failure.file, dir.file(u"BANK.vmd"_s));
    EXPECT_TRUE(again.data.modified());
    EXPECT_TRUE(QFileInfo(dir.file(u"BANK.vmd"_s)).isSymLink());
}

// A disk that fills up at any write of a save leaves the old register whole, nothing of the
// save behind, and the change still to be saved.
TEST(DataFiles, AFullDiskAtAnyWriteOfASaveLosesNothing)
{
    TestDir dir;
    ASSERT_TRUE(saveTables(sampleTables(), dir.path()).ok());
    const QByteArray notes = dir.read(u"KOLVAM.vmd"_s);
    for (int from = 0; from < 4; ++from) {
        SCOPED_TRACE(from);
        OneRun state(dir.path());
        // Locked before the disk fills, as a running program is.
        ASSERT_EQ(state.data.lock(u"tester"_s, QDateTime::currentDateTime()).result,
            DataLock::Result::Acquired);
        ASSERT_TRUE(state.data.load().ok());
        ASSERT_EQ(state.data.appendNote(note("N9", 9)), ChangeOutcome::Done);
        FullDisk full(from);
        state.disk.under = &full;
        const SaveOutcome outcome = state.data.save(u"tester"_s, QDateTime::currentDateTime());
        state.disk.under = &systemFileSystem();
        ASSERT_FALSE(outcome.ok());
        EXPECT_EQ(outcome.report.failure.fault.error, ENOSPC);
        EXPECT_TRUE(outcome.report.failure.replaced.isEmpty());
        EXPECT_EQ(outcome.report.failure.phase,
            from < 3 ? SaveFailure::Phase::Write : SaveFailure::Phase::Journal);
        EXPECT_TRUE(state.data.modified());
        EXPECT_EQ(dir.read(u"KOLVAM.vmd"_s), notes);
        EXPECT_TRUE(leftovers(dir).isEmpty());
        EXPECT_FALSE(dir.exists(QString::fromUtf16(SaveJournalName)));
    }
}

// New files get what any program's new files get under the user's umask; a replaced file keeps
// its mode.
TEST(DataFiles, NewFilesFollowTheUmaskAndReplacedOnesKeepTheirMode)
{
    TestDir dir;
    const mode_t mask = ::umask(027);
    QSet<QString> incomplete;
    const bool saved = SaveData(sampleTables(), incomplete, dir.path(), systemFileSystem()).ok();
    ::umask(mask);
    ASSERT_TRUE(saved);
    const auto modeOf = [&](const QString &name) {
        struct stat info;
        ::stat(QFile::encodeName(dir.file(name)).constData(), &info);
        return info.st_mode & 0777;
    };
    EXPECT_EQ(modeOf(u"KOLVAM.vmd"_s), 0640u) << "0666 less the umask 027";
    ASSERT_EQ(::chmod(QFile::encodeName(dir.file(u"BANK.vmd"_s)).constData(), 0604), 0);
    ASSERT_TRUE(saveTables(sampleTables(), dir.path()).ok());
    EXPECT_EQ(modeOf(u"BANK.vmd"_s), 0604u);
}

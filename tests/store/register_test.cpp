#include <cerrno>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "store/data_files.h"
#include "store/generations.h"
#include "store/register.h"
#include "tests/support/switched_file_system.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

NoteRecord note(const char *number, std::uint8_t kind)
{
    NoteRecord n;
    n.NoteNumber.assign(number);
    n.Kind = kind;
    n.IssueDate = 45000;
    n.DueDate = 45030;
    return n;
}

Tables small()
{
    Tables t;
    t.notes = { note("N1", ReceivableNote), note("N2", PayableNote), note("N3", ReceivableNote) };
    PartnerRecord p;
    p.Code.assign("001");
    p.Name.assign("A");
    t.partners = { p, p };
    BankRecord b;
    b.Code.assign("B1");
    t.banks = { b };
    return t;
}

using Change = std::function<ChangeOutcome(Register &)>;

struct Case
{
    const char *what;
    Change change;
    ChangeOutcome outcome;
    RegisterChange::Kind kind; // announced when Done
    DataTable table;
    int first;
    int count;
};

// Every change the register offers, what it answers on the small register and what it announces.
const Case cases[] = {
    { "append a note", [](Register &r) { return r.appendNote(note("N4", Cheque)); },
        ChangeOutcome::Done, RegisterChange::Kind::Appended, DataTable::NoteTable, 3, 1 },
    { "replace a note", [](Register &r) { return r.replaceNote(1, note("X", Cheque)); },
        ChangeOutcome::Done, RegisterChange::Kind::Replaced, DataTable::NoteTable, 1, 1 },
    { "replace with the same note", [](Register &r) { return r.replaceNote(1, r.notes()[1]); },
        ChangeOutcome::Unchanged, {}, {}, 0, 0 },
    { "replace past the end", [](Register &r) { return r.replaceNote(3, note("X", 0)); },
        ChangeOutcome::NoSuchRow, {}, {}, 0, 0 },
    { "remove a note", [](Register &r) { return r.removeNote(0); }, ChangeOutcome::Done,
        RegisterChange::Kind::Removed, DataTable::NoteTable, 0, 1 },
    { "remove before the start", [](Register &r) { return r.removeNote(-1); },
        ChangeOutcome::NoSuchRow, {}, {}, 0, 0 },
    { "reclassify", [](Register &r) { return r.reclassifyNote(2, DiscountedNote); },
        ChangeOutcome::Done, RegisterChange::Kind::Reclassified, DataTable::NoteTable, 2, 1 },
    { "reclassify to its own kind", [](Register &r) { return r.reclassifyNote(1, PayableNote); },
        ChangeOutcome::Unchanged, {}, {}, 0, 0 },
    { "settle", [](Register &r) { return r.settleNote(0); }, ChangeOutcome::Done,
        RegisterChange::Kind::Settled, DataTable::NoteTable, 0, 1 },
    { "append a partner",
        [](Register &r) {
            return r.appendEntry(RegisterKind::PartnerRegister, { "002", "B", "" });
        },
        ChangeOutcome::Done, RegisterChange::Kind::Appended, DataTable::PartnerTable, 2, 1 },
    { "overwrite a bank",
        [](Register &r) {
            return r.overwriteEntry(RegisterKind::BankRegister, 0, { "B1", "N", "" });
        },
        ChangeOutcome::Done, RegisterChange::Kind::Replaced, DataTable::BankTable, 0, 1 },
    { "overwrite a partner with what it holds",
        [](Register &r) {
            return r.overwriteEntry(RegisterKind::PartnerRegister, 1, { "001", "A", "" });
        },
        ChangeOutcome::Unchanged, {}, {}, 0, 0 },
    { "remove two partners",
        [](Register &r) { return r.removeEntries(RegisterKind::PartnerRegister, 0, 1); },
        ChangeOutcome::Done, RegisterChange::Kind::Removed, DataTable::PartnerTable, 0, 2 },
    { "remove a range past the end",
        [](Register &r) { return r.removeEntries(RegisterKind::BankRegister, 0, 1); },
        ChangeOutcome::NoSuchRow, {}, {}, 0, 0 },
};

} // namespace

// Only a real change marks the register changed, and every real change is announced once, with
// the table and the rows it touched.
TEST(Register, OnlyARealChangeSetsModifiedAndEachIsAnnounced)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Register reg { systemFileSystem() };
        reg.setTables(small());
        std::vector<RegisterChange> heard;
        QObject::connect(&reg, &Register::changed,
            [&](const RegisterChange &change) { heard.push_back(change); });
        const Tables before { reg.notes(), reg.partners(), reg.banks() };

        EXPECT_EQ(c.change(reg), c.outcome);
        const bool done = c.outcome == ChangeOutcome::Done;
        EXPECT_EQ(reg.modified(), done);
        ASSERT_EQ(heard.size(), done ? 1u : 0u);
        if (done) {
            EXPECT_EQ(heard[0].kind, c.kind);
            EXPECT_EQ(heard[0].table, c.table);
            EXPECT_EQ(heard[0].first, c.first);
            EXPECT_EQ(heard[0].count, c.count);
        } else {
            EXPECT_EQ(reg.notes().size(), before.notes.size());
            EXPECT_EQ(reg.partners().size(), before.partners.size());
        }
    }
}

TEST(Register, ApprovalsChangeOnlyTheNotesWhoseChoiceDiffers)
{
    Register reg { systemFileSystem() };
    reg.setTables(small());
    std::vector<RegisterChange> heard;
    QObject::connect(
        &reg, &Register::changed, [&](const RegisterChange &c) { heard.push_back(c); });

    EXPECT_EQ(reg.applyApprovals({ 0, 2 }, { 0, 0 }), 0);
    EXPECT_FALSE(reg.modified()) << "choices that change nothing leave nothing to save";
    EXPECT_TRUE(heard.empty());

    EXPECT_EQ(reg.applyApprovals({ 0, 2, 7 }, { 1, 0, 1 }), 1) << "index 7 is passed over";
    EXPECT_TRUE(reg.modified());
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].kind, RegisterChange::Kind::Settled);
    EXPECT_EQ(heard[0].rows, std::vector<int> { 0 });
    EXPECT_TRUE(heard[0].touches(0));
    EXPECT_FALSE(heard[0].touches(2));
    EXPECT_EQ(reg.notes()[0].Settled, 1);
}

// A copy that could not take the folder's lock refuses every change, so nothing is ever typed
// into it that closing would silently drop; it never saves either.
TEST(Register, AReadOnlyCopyRefusesEveryChangeAndEverySave)
{
    TestDir dir;
    const QDateTime now = QDateTime::currentDateTime();
    Register holder { systemFileSystem() };
    holder.useDirectory(dir.path());
    ASSERT_EQ(holder.lock(u"suzuki"_s, now).result, DataLock::Result::Acquired);
    holder.recordProgramUser(u"山田"_s);

    Register copy { systemFileSystem() };
    copy.useDirectory(dir.path());
    const LockOutcome lock = copy.lock(u"tanaka"_s, now);
    ASSERT_EQ(lock.result, DataLock::Result::HeldByOther);
    EXPECT_TRUE(copy.readOnly());
    EXPECT_EQ(copy.lockHolder().programUser, u"山田"_s) << "the person, not only the login";
    copy.setTables(small());

    int heard = 0;
    QObject::connect(&copy, &Register::changed, [&] { ++heard; });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.change(copy), ChangeOutcome::ReadOnly);
    }
    EXPECT_EQ(copy.applyApprovals({ 0 }, { 1 }), -1);
    EXPECT_EQ(heard, 0);
    EXPECT_FALSE(copy.modified());
    EXPECT_EQ(copy.notes().size(), 3u);
    EXPECT_EQ(copy.notes()[0].Settled, 0);
    EXPECT_EQ(copy.save(u"tanaka"_s, now).refusal, SaveOutcome::Refusal::ReadOnly);
    EXPECT_FALSE(dir.exists(u"KOLVAM.vmd"_s));
}

// A save never overwrites a register this copy did not load: files that appeared, were
// replaced or were written since, a lock that is no longer this copy's, or a folder name run on
// by a lone LF refuse it, and nothing on disk changes.
TEST(Register, ASaveNeverOverwritesARegisterItDidNotLoad)
{
    const QDateTime now = QDateTime::currentDateTime();
    const auto writeOther = [](const QString &folder) {
        Tables other = small();
        other.notes.resize(1000);
        QSet<QString> incomplete;
        ASSERT_TRUE(SaveData(other, incomplete, folder, systemFileSystem()).ok());
    };
    const struct
    {
        const char *what;
        // Opens the register on folder and then does what another program would; answers
        // the folder the register saves to.
        std::function<QString(Register &, const TestDir &)> meanwhile;
        SaveOutcome::Refusal refusal;
    } cases[] = {
        { "a folder missing at start-up appears with a register",
            [&](Register &r, const TestDir &dir) {
                r.useDirectory(dir.file(u"later/"_s));
                QDir(dir.path()).mkdir(u"later"_s);
                writeOther(dir.file(u"later/"_s));
                return dir.file(u"later/"_s);
            },
            SaveOutcome::Refusal::ChangedOnDisk },
        { "the note file replaced by another program",
            [&](Register &r, const TestDir &dir) {
                writeOther(dir.path());
                r.useDirectory(dir.path());
                r.load();
                writeOther(dir.path());
                return dir.path();
            },
            SaveOutcome::Refusal::ChangedOnDisk },
        { "the note file written in place",
            [&](Register &r, const TestDir &dir) {
                writeOther(dir.path());
                r.useDirectory(dir.path());
                r.load();
                QFile notes(dir.file(u"KOLVAM.vmd"_s));
                notes.open(QIODevice::Append);
                notes.write(QByteArray(125, 'x'));
                return dir.path();
            },
            SaveOutcome::Refusal::ChangedOnDisk },
        { "the lock file deleted while held",
            [&](Register &r, const TestDir &dir) {
                r.useDirectory(dir.path());
                r.lock(u"suzuki"_s, QDateTime::currentDateTime());
                r.load();
                QFile::remove(dir.file(QString::fromUtf16(LockFileName)));
                return dir.path();
            },
            SaveOutcome::Refusal::LockLost },
        { "a settings line ended by LF alone",
            [&](Register &r, const TestDir &dir) {
                r.useDirectory(dir.path() + u"\n"_s);
                return dir.path();
            },
            SaveOutcome::Refusal::FolderRunOn },
        { "an empty settings line",
            [&](Register &r, const TestDir &dir) {
                r.useDirectory(QString());
                return dir.path();
            },
            SaveOutcome::Refusal::NoFolder },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TestDir dir;
        Register reg { systemFileSystem() };
        const QString folder = c.meanwhile(reg, dir);
        const QByteArray notes = QFile::exists(folder + u"KOLVAM.vmd"_s)
            ? dir.read(QDir(dir.path()).relativeFilePath(folder + u"KOLVAM.vmd"_s))
            : QByteArray();
        ASSERT_EQ(reg.appendNote(note("N9", Cheque)), ChangeOutcome::Done);
        const SaveOutcome outcome = reg.save(u"tanaka"_s, now);
        EXPECT_EQ(outcome.refusal, c.refusal);
        if (c.refusal == SaveOutcome::Refusal::ChangedOnDisk) {
            EXPECT_TRUE(outcome.changedFiles.contains(folder + u"KOLVAM.vmd"_s));
        }
        EXPECT_TRUE(reg.modified());
        if (!notes.isEmpty()) {
            EXPECT_EQ(dir.read(QDir(dir.path()).relativeFilePath(folder + u"KOLVAM.vmd"_s)), notes);
        }
    }

    // What this copy saved itself is what it knows: it saves again without a word.
    TestDir dir;
    Register reg { systemFileSystem() };
    reg.useDirectory(dir.path());
    reg.lock(u"suzuki"_s, now);
    reg.load();
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(reg.appendNote(note("N9", Cheque)), ChangeOutcome::Done);
        EXPECT_TRUE(reg.save(u"suzuki"_s, now).ok());
    }
}

namespace {

// A register saved, locked and loaded in dir/data/, with one change not yet saved.
struct RunningRegister
{
    explicit RunningRegister(const TestDir &dir)
        : folder(dir.file(u"data/"_s))
    {
        QDir(dir.path()).mkdir(u"data"_s);
        QSet<QString> incomplete;
        Tables saved = small();
        EXPECT_TRUE(SaveData(saved, incomplete, folder, systemFileSystem()).ok());
        reg.useDirectory(folder);
        EXPECT_EQ(
            reg.lock(u"suzuki"_s, QDateTime::currentDateTime()).result, DataLock::Result::Acquired);
        reg.load();
        EXPECT_EQ(reg.appendNote(note("N9", Cheque)), ChangeOutcome::Done);
    }
    QString folder;
    // What the register's calls go through; a test puts a failing disk under it for one step.
    SwitchedFileSystem disk;
    Register reg { disk };
};

// Fails every look at one path, as a network drive that went away does; records, in order, each
// file a save puts in place or removes.
struct WatchedDisk : PosixFileSystem
{
    int stat(const char *path, struct stat *info) override
    {
        if (!unreachable.isEmpty() && QFile::decodeName(path) == unreachable) {
            errno = EIO;
            return -1;
        }
        return PosixFileSystem::stat(path, info);
    }
    int rename(const char *from, const char *to) override
    {
        touched << QFile::decodeName(to);
        return PosixFileSystem::rename(from, to);
    }
    int unlink(const char *path) override
    {
        touched << QFile::decodeName(path);
        return PosixFileSystem::unlink(path);
    }
    QString unreachable;
    QStringList touched;
};

} // namespace

// A data folder renamed, moved or out of reach while the program runs is said as such, not as a
// lock another copy took, and nothing is written at its old name.
TEST(Register, AFolderMovedAwayIsNamedAsSuchAndNothingIsWritten)
{
    const struct
    {
        const char *what;
        std::function<void(const TestDir &, WatchedDisk &)> meanwhile;
        SaveOutcome::Refusal refusal;
        int error;
    } cases[] = {
        { "renamed",
            [](const TestDir &dir, WatchedDisk &) {
                QDir(dir.path()).rename(u"data"_s, u"renamed"_s);
            },
            SaveOutcome::Refusal::FolderGone, ENOENT },
        { "renamed and another made under its name",
            [](const TestDir &dir, WatchedDisk &) {
                QDir(dir.path()).rename(u"data"_s, u"renamed"_s);
                QDir(dir.path()).mkdir(u"data"_s);
            },
            SaveOutcome::Refusal::FolderReplaced, 0 },
        { "out of reach",
            [](const TestDir &dir, WatchedDisk &disk) { disk.unreachable = dir.file(u"data"_s); },
            SaveOutcome::Refusal::FolderUnreachable, EIO },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TestDir dir;
        WatchedDisk disk; // outlives the register, which calls it until it lets its lock go
        RunningRegister running(dir);
        c.meanwhile(dir, disk);
        running.disk.under = &disk;
        const SaveOutcome outcome = running.reg.save(u"suzuki"_s, QDateTime());
        EXPECT_EQ(outcome.refusal, c.refusal);
        if (c.error != 0) {
            EXPECT_EQ(outcome.error, c.error);
        }
        EXPECT_TRUE(disk.touched.isEmpty()) << disk.touched.join(u' ').toStdString();
        EXPECT_TRUE(running.reg.modified());
        if (c.refusal != SaveOutcome::Refusal::FolderUnreachable) {
            EXPECT_TRUE(QDir(dir.file(u"data"_s)).isEmpty());
        }
    }
}

// Saving into another folder writes the register there with the journaled save, under that
// folder's lock, and later saves go there; the old folder's lock is let go only when it is still
// this copy's.
TEST(Register, SavingElsewhereMovesTheRegisterUnderItsLock)
{
    const QString lockName = QString::fromUtf16(LockFileName);
    const struct
    {
        const char *what;
        std::function<void(const TestDir &, std::unique_ptr<DataLock> &)> meanwhile;
        QString oldLock; // where the old folder's lock file is looked for
        bool oldLockStays; // another copy's, or one that went with the folder
    } cases[] = {
        { "the folder renamed",
            [](const TestDir &dir, std::unique_ptr<DataLock> &) {
                QDir(dir.path()).rename(u"data"_s, u"renamed"_s);
            },
            u"renamed/"_s + lockName, true },
        { "a data file written by another program",
            [](const TestDir &dir, std::unique_ptr<DataLock> &) {
                QFile notes(dir.file(u"data/KOLVAM.vmd"_s));
                notes.open(QIODevice::Append);
                notes.write(QByteArray(125, 'x'));
            },
            u"data/"_s + lockName, false },
        { "the lock taken by another copy",
            [&](const TestDir &dir, std::unique_ptr<DataLock> &other) {
                QFile::remove(dir.file(u"data/"_s + lockName));
                other = std::make_unique<DataLock>(dir.file(u"data/"_s), systemFileSystem());
                ASSERT_EQ(other->acquire(u"tanaka"_s, QDateTime()), DataLock::Result::Acquired);
            },
            u"data/"_s + lockName, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TestDir dir;
        std::unique_ptr<DataLock> other;
        WatchedDisk disk; // outlives the register, which calls it until it lets its lock go
        RunningRegister running(dir);
        Register &reg = running.reg;
        c.meanwhile(dir, other);
        ASSERT_NE(reg.save(u"suzuki"_s, QDateTime()).refusal, SaveOutcome::Refusal::None);

        QDir(dir.path()).mkdir(u"elsewhere"_s);
        running.disk.under = &disk;
        const QDateTime moved(QDate(2026, 12, 7), QTime(10, 0));
        const SaveOutcome outcome = reg.saveElsewhere(dir.file(u"elsewhere"_s), u"suzuki"_s, moved);
        ASSERT_TRUE(outcome.ok());
        EXPECT_FALSE(reg.modified());
        EXPECT_EQ(reg.directory(), dir.file(u"elsewhere/"_s));
        // The journal is removed only once the three are in place.
        const qsizetype journal =
            disk.touched.indexOf(dir.file(u"elsewhere/tegata-save.journal"_s));
        // A register of paper notes has no side file to write.
        for (const QString &name : dataFileNames().mid(0, DesignedDataFiles)) {
            const qsizetype renamed = disk.touched.indexOf(dir.file(u"elsewhere/"_s + name));
            EXPECT_TRUE(renamed >= 0 && renamed < journal) << name.toStdString();
        }
        EXPECT_EQ(dir.read(u"elsewhere/KOLVAM.vmd"_s).size(), 4 * 125);
        Register second { systemFileSystem() };
        second.useDirectory(dir.file(u"elsewhere/"_s));
        EXPECT_EQ(second.lock(u"tanaka"_s, QDateTime()).result, DataLock::Result::HeldByOther);
        EXPECT_EQ(dir.exists(c.oldLock), c.oldLockStays);

        // The next save keeps what the move wrote, known by the time of the move.
        reg.keepGenerations(5);
        ASSERT_EQ(reg.appendNote(note("N10", Cheque)), ChangeOutcome::Done);
        EXPECT_TRUE(reg.save(u"suzuki"_s, moved.addSecs(60)).ok());
        EXPECT_EQ(dir.read(u"elsewhere/KOLVAM.vmd"_s).size(), 5 * 125);
        const std::vector<Generation> kept =
            listGenerations(dir.file(u"elsewhere/"_s), systemFileSystem());
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kept[0].contentSavedAt, moved);
    }
}

// A folder that holds a register of its own, the data folder itself or what is not a folder is
// refused, and nothing is written there: two registers are never mixed.
TEST(Register, SavingElsewhereNeverMixesTwoRegisters)
{
    const struct
    {
        const char *what;
        QString target; // inside the test folder
        QString planted; // a file put there first; empty for none
        SaveOutcome::Refusal refusal;
    } cases[] = {
        { "a bank file", u"other"_s, u"other/BANK.vmd"_s, SaveOutcome::Refusal::TargetHoldsData },
        { "a generation", u"other"_s, u"other/backup/20240601-093000/KOLVAM.vmd"_s,
            SaveOutcome::Refusal::TargetHoldsData },
        { "the data folder itself", u"data"_s, QString(), SaveOutcome::Refusal::TargetIsCurrent },
        { "a file", u"file"_s, u"file"_s, SaveOutcome::Refusal::TargetUnusable },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TestDir dir;
        RunningRegister running(dir);
        if (!c.planted.isEmpty()) {
            QDir(dir.path()).mkpath(QFileInfo(c.planted).path());
            dir.write(c.planted, "planted");
        }
        const QStringList before =
            QDir(dir.file(c.target)).entryList(QDir::AllEntries | QDir::Hidden);
        const SaveOutcome outcome =
            running.reg.saveElsewhere(dir.file(c.target), u"suzuki"_s, QDateTime());
        EXPECT_EQ(outcome.refusal, c.refusal);
        if (c.refusal == SaveOutcome::Refusal::TargetHoldsData) {
            EXPECT_EQ(outcome.foundFiles.size(), 1);
        }
        EXPECT_EQ(QDir(dir.file(c.target)).entryList(QDir::AllEntries | QDir::Hidden), before);
        EXPECT_EQ(running.reg.directory(), running.folder);
        EXPECT_TRUE(running.reg.modified());
    }
}

// A save journal that cannot be looked at is left for a later start: the register opens
// read-only and nothing of the folder is touched.
TEST(Register, ARecoveryThatCouldNotCheckOpensReadOnly)
{
    TestDir dir;
    dir.write(QString::fromUtf16(SaveJournalName), "a journal");
    dir.write(u"KOLVAM.vmd.tmp-Ab12Cd"_s, "a temporary");
    class JournalUnreadable : public PosixFileSystem
    {
    public:
        int lstat(const char *path, struct stat *info) override
        {
            if (QByteArray(path).endsWith(".journal")) {
                errno = EIO;
                return -1;
            }
            return PosixFileSystem::lstat(path, info);
        }
    } faulty;
    const QDateTime now = QDateTime::currentDateTime();
    Register reg { faulty };
    reg.useDirectory(dir.path());
    ASSERT_EQ(reg.lock(u"suzuki"_s, now).result, DataLock::Result::Acquired);
    EXPECT_EQ(reg.load().recovery.outcome, SettledSave::Outcome::Unchecked);
    EXPECT_TRUE(reg.readOnly());
    EXPECT_EQ(reg.save(u"suzuki"_s, now).refusal, SaveOutcome::Refusal::ReadOnly);
    EXPECT_TRUE(dir.exists(u"KOLVAM.vmd.tmp-Ab12Cd"_s));
    EXPECT_TRUE(dir.exists(QString::fromUtf16(SaveJournalName)));
}

#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "store/atomic_file.h"
#include "store/data_files.h"
#include "store/register.h"
#include "tests/support/call_faults.h"
#include "tests/support/generations.h"
#include "tests/support/table_files.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

enum class Step { Write, Sync, Rename, FolderSync };

// The real calls, counted per step; the chosen call of the chosen step fails with EIO.
class FaultyFileSystem : public PosixFileSystem
{
public:
    FaultyFileSystem(Step step = Step::Write, int at = -1)
        : step_(step)
        , at_(at)
    {
    }
    std::map<Step, int> calls;

    ssize_t write(int fd, const char *data, size_t size) override
    {
        return fails(Step::Write) ? -1 : PosixFileSystem::write(fd, data, size);
    }
    int sync(int fd) override { return fails(Step::Sync) ? -1 : PosixFileSystem::sync(fd); }
    int rename(const char *from, const char *to) override
    {
        return fails(Step::Rename) ? -1 : PosixFileSystem::rename(from, to);
    }
    int syncDirectory(const char *directory) override
    {
        return fails(Step::FolderSync) ? -1 : PosixFileSystem::syncDirectory(directory);
    }

private:
    bool fails(Step step)
    {
        const int n = calls[step]++;
        if (step != step_ || n != at_)
            return false;
        errno = EIO;
        return true;
    }
    Step step_;
    int at_;
};

const QStringList dataFiles { u"TCODE.vmd"_s, u"KOLVAM.vmd"_s, u"BANK.vmd"_s };

// Everything in the folder that is not a data file.
QStringList others(const TestDir &dir)
{
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : dataFiles)
        left.removeOne(name);
    return left;
}

const QString journal = QString::fromUtf16(SaveJournalName);

// What a load of the folder read, and the names of the files it could not trust.
// Generation 0 saved, then a save of generation 1 stopped at its rename number at: before it
// the files are already new, from it on the temporary files and the journal are left.
void stopAtRename(const TestDir &dir, int at)
{
    EXPECT_TRUE(saveTables(generations::make(0), dir.path()).ok());
    FaultyFileSystem faulty(Step::Rename, at);
    EXPECT_FALSE(saveTables(generations::make(1), dir.path(), faulty).ok());
    EXPECT_TRUE(dir.exists(journal));
}

} // namespace

// Every write, sync, rename and folder sync of a save fails in turn. Before the renames nothing
// changes; during them the message says what is new and the next load finishes the save; after
// them the report does not deny the replacement.
TEST(SaveJournal, EachStepFailsInTurnWithTheTruthTold)
{
    // Old files of one generation, new ones of the other.
    std::map<QString, QByteArray> oldBytes, newBytes;
    FaultyFileSystem counter;
    {
        TestDir reference;
        ASSERT_TRUE(saveTables(generations::make(0), reference.path()).ok());
        for (const QString &name : dataFiles)
            oldBytes[name] = reference.read(name);
        ASSERT_TRUE(saveTables(generations::make(1), reference.path(), counter).ok());
        for (const QString &name : dataFiles)
            newBytes[name] = reference.read(name);
        EXPECT_TRUE(others(reference).isEmpty());
    }
    ASSERT_EQ(counter.calls[Step::Rename], 3);
    ASSERT_GE(counter.calls[Step::Write], 4) << "three files and the journal";
    ASSERT_EQ(counter.calls[Step::Sync], 4);
    ASSERT_EQ(counter.calls[Step::FolderSync], 3);

    for (Step step : { Step::Write, Step::Sync, Step::Rename, Step::FolderSync }) {
        for (int at = 0; at < counter.calls[step]; ++at) {
            SCOPED_TRACE(testing::Message() << "step " << int(step) << " call " << at);
            TestDir dir;
            for (const QString &name : dataFiles)
                dir.write(name, oldBytes[name]);
            FaultyFileSystem faulty(step, at);
            const SaveReport report = saveTables(generations::make(1), dir.path(), faulty);
            const SaveFailure &failure = report.failure;

            // The last folder sync comes after the journal is gone: the save is complete.
            if (step == Step::FolderSync && at == 2) {
                EXPECT_TRUE(report.ok());
                EXPECT_TRUE(others(dir).isEmpty());
                continue;
            }
            ASSERT_FALSE(report.ok());
            EXPECT_EQ(failure.fault.kind, FileFault::Kind::System);
            EXPECT_EQ(failure.fault.error, EIO);

            int renamed = 0; // how many files the failure leaves replaced
            if (step == Step::Rename)
                renamed = at;
            else if (step == Step::FolderSync && at == 1)
                renamed = 3;
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(dir.read(dataFiles[i]),
                    i < renamed ? newBytes[dataFiles[i]] : oldBytes[dataFiles[i]])
                    << dataFiles[i].toStdString();

            if (step == Step::Write || step == Step::Sync
                || (step == Step::FolderSync && at == 0)) {
                EXPECT_TRUE(failure.replaced.isEmpty());
                EXPECT_TRUE(others(dir).isEmpty()) << others(dir).join(u' ').toStdString();
                // Syncs go file by file, then the journal; a large table takes several writes.
                if (step == Step::Sync) {
                    EXPECT_EQ(failure.phase,
                        at < 3 ? SaveFailure::Phase::Write : SaveFailure::Phase::Journal);
                    EXPECT_EQ(failure.file, dir.file(at < 3 ? dataFiles[at] : journal));
                } else if (step == Step::Write) {
                    EXPECT_TRUE(failure.phase == SaveFailure::Phase::Write
                        || failure.phase == SaveFailure::Phase::Journal);
                    EXPECT_TRUE((dataFiles + QStringList { journal })
                                    .contains(QFileInfo(failure.file).fileName()))
                        << failure.file.toStdString();
                } else {
                    EXPECT_EQ(failure.phase, SaveFailure::Phase::JournalSync);
                    EXPECT_EQ(failure.file, dir.path().chopped(1));
                }
                continue;
            }

            QStringList expectReplaced;
            for (int i = 0; i < renamed; ++i)
                expectReplaced << dir.file(dataFiles[i]);
            EXPECT_EQ(failure.replaced, expectReplaced);
            if (step == Step::FolderSync) {
                EXPECT_EQ(failure.phase, SaveFailure::Phase::FolderSync);
                EXPECT_TRUE(failure.notReplaced.isEmpty());
            } else {
                EXPECT_EQ(failure.phase, SaveFailure::Phase::Replace);
                EXPECT_EQ(failure.file, dir.file(dataFiles[at]));
                QStringList expectOld;
                for (int i = at; i < 3; ++i)
                    expectOld << dir.file(dataFiles[i]);
                EXPECT_EQ(failure.notReplaced, expectOld);
            }

            // The journal stayed: the next load finishes the save.
            ASSERT_TRUE(dir.exists(journal));
            const Loaded loaded(dir.path());
            EXPECT_TRUE(loaded.report.ok());
            EXPECT_EQ(loaded.report.recovery.outcome, SettledSave::Outcome::Finished);
            EXPECT_EQ(generations::of(loaded.tables), 1);
            EXPECT_TRUE(others(dir).isEmpty()) << others(dir).join(u' ').toStdString();
        }
    }
}

// Roll forward or back from what a crash leaves: a torn journal or a short temporary file undoes
// the save; temporary files no journal names are removed without a word; files of ours only.
TEST(SaveJournal, LoadSettlesWhatACrashLeft)
{
    const auto crashedSave = [](const TestDir &dir) { stopAtRename(dir, 0); };
    const auto temporaries = [](const TestDir &dir) {
        return QDir(dir.path()).entryList({ u"*.tmp-*"_s }, QDir::Files);
    };
    // The next load undoes the save: the old generation, and nothing of ours left over.
    const auto expectUndone = [](const TestDir &dir) {
        const Loaded loaded(dir.path());
        EXPECT_TRUE(loaded.report.ok());
        EXPECT_EQ(loaded.report.recovery.outcome, SettledSave::Outcome::Undone);
        EXPECT_EQ(generations::of(loaded.tables), 0);
        EXPECT_TRUE(others(dir).isEmpty());
    };

    {
        TestDir dir;
        crashedSave(dir);
        QByteArray text = dir.read(journal);
        dir.write(journal, text.left(text.size() - 5)); // torn while written
        expectUndone(dir);
    }
    {
        TestDir dir;
        crashedSave(dir);
        const QStringList temps = temporaries(dir);
        ASSERT_EQ(temps.size(), 3);
        const QString note = temps.filter(u"KOLVAM"_s).value(0);
        dir.write(note, dir.read(note).chopped(1)); // short
        expectUndone(dir);
    }
    {
        // A roll-forward whose rename fails keeps the journal and says the files may be mixed;
        // every original is then kept before the next save replaces it.
        TestDir dir;
        crashedSave(dir);
        FaultyFileSystem faulty(Step::Rename, 1);
        const Loaded loaded(dir.path(), faulty);
        EXPECT_FALSE(loaded.report.ok());
        EXPECT_EQ(loaded.report.recovery.outcome, SettledSave::Outcome::RenameFailed);
        EXPECT_EQ(loaded.report.recovery.file, dir.file(u"KOLVAM.vmd"_s));
        EXPECT_EQ(loaded.report.recovery.error, EIO);
        EXPECT_TRUE(dir.exists(journal));
        EXPECT_EQ(temporaries(dir).size(), 2);
        EXPECT_EQ(loaded.incomplete.size(), dataFileNames().size());
        // The next start finishes it.
        const Loaded again(dir.path());
        EXPECT_TRUE(again.report.ok());
        EXPECT_EQ(generations::of(again.tables), 1);
        EXPECT_TRUE(others(dir).isEmpty());
    }
    {
        // A roll-forward whose folder cannot be made durable keeps its journal, so a power cut
        // before the next start cannot leave the renames half undone without anyone knowing.
        TestDir dir;
        crashedSave(dir);
        FaultyFileSystem faulty(Step::FolderSync, 0);
        const Loaded loaded(dir.path(), faulty);
        EXPECT_FALSE(loaded.report.ok());
        EXPECT_EQ(loaded.report.recovery.outcome, SettledSave::Outcome::FolderNotSynced);
        EXPECT_EQ(loaded.report.recovery.error, EIO);
        EXPECT_EQ(generations::of(loaded.tables), 1) << "the renames themselves were done";
        EXPECT_TRUE(dir.exists(journal));
        const Loaded again(dir.path());
        EXPECT_TRUE(again.report.ok());
        EXPECT_EQ(again.report.recovery.outcome, SettledSave::Outcome::Finished);
        EXPECT_TRUE(others(dir).isEmpty());
    }
    {
        TestDir dir;
        ASSERT_TRUE(saveTables(generations::make(0), dir.path()).ok());
        dir.write(u"TCODE.vmd.tmp-a1B2c3"_s, "partial");
        dir.write(u"BANK.vmd.tmp-ZZZZZZ"_s, "");
        dir.write(u"notes.txt.tmp-a1B2c3"_s, "not ours");
        dir.write(u"TCODE.vmd.tmp-toolong"_s, "not ours");
        const Loaded loaded(dir.path());
        EXPECT_TRUE(loaded.report.ok());
        EXPECT_EQ(loaded.report.recovery.outcome, SettledSave::Outcome::NoJournal)
            << "housekeeping says nothing";
        EXPECT_EQ(generations::of(loaded.tables), 0);
        QStringList left = others(dir);
        left.sort();
        EXPECT_EQ(left, (QStringList { u"TCODE.vmd.tmp-toolong"_s, u"notes.txt.tmp-a1B2c3"_s }));
    }
}

TEST(SaveJournal, ACopyWithoutTheLockLeavesTheHoldersSaveAlone)
{
    // What a save in progress leaves: its journal and a temporary file beside a data file.
    TestDir dir;
    dir.write(QString::fromUtf16(SaveJournalName), "half a journal");
    dir.write(u"KOLVAM.vmd.tmp-Ab12Cd"_s, QByteArray(125, 'x'));

    const Loaded reader(dir.path(), systemFileSystem(), InterruptedSave::LeaveToLockHolder,
        std::chrono::milliseconds(50));
    EXPECT_TRUE(reader.report.ok()) << "it says so, but reads what is there";
    EXPECT_EQ(reader.report.recovery.outcome, SettledSave::Outcome::HolderSaving);
    EXPECT_TRUE(dir.exists(QString::fromUtf16(SaveJournalName)));
    EXPECT_TRUE(dir.exists(u"KOLVAM.vmd.tmp-Ab12Cd"_s));

    const Loaded holder(dir.path());
    EXPECT_FALSE(dir.exists(QString::fromUtf16(SaveJournalName))) << "the holder settles it";
    EXPECT_FALSE(dir.exists(u"KOLVAM.vmd.tmp-Ab12Cd"_s));
}

// A save cut after its first rename is finished however the folder is reached next: through a
// link, spelt with "//", or moved. Before, the journal matched its files by the path string and
// the next start loaded the new partners with the old notes and banks.
TEST(SaveJournal, RecoveryDoesNotDependOnHowTheFolderIsSpelt)
{
    const struct
    {
        const char *how;
        std::function<QString(const TestDir &, const TestDir &)> reach;
    } ways[] = {
        { "through a link",
            [](const TestDir &dir, const TestDir &other) {
                QFile::link(dir.path().chopped(1), other.file(u"link"_s));
                return other.file(u"link/"_s);
            } },
        { "with a double slash",
            [](const TestDir &dir, const TestDir &) { return dir.path() + u'/'; } },
        { "moved",
            [](const TestDir &dir, const TestDir &other) {
                QDir().rename(dir.path().chopped(1), other.file(u"moved"_s));
                return other.file(u"moved/"_s);
            } },
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.how);
        TestDir other;
        auto dir = std::make_unique<TestDir>();
        stopAtRename(*dir, 1);
        const QString folder = way.reach(*dir, other);
        const Loaded loaded(folder);
        EXPECT_TRUE(loaded.report.ok());
        EXPECT_EQ(loaded.report.recovery.outcome, SettledSave::Outcome::Finished);
        EXPECT_EQ(generations::of(loaded.tables), 1);
        EXPECT_FALSE(QFileInfo::exists(folder + journal));
    }
}

// A journal of the earlier version, whose checksums are Blake2b-256, is still settled: a save
// cut off before an update is finished by the program that replaced it.
TEST(SaveJournal, AJournalOfTheEarlierVersionIsStillFinished)
{
    TestDir dir;
    stopAtRename(dir, 1);
    const QList<QByteArray> lines = dir.read(journal).split('\n');
    QByteArray body = "tegata-save-journal 1\n";
    for (qsizetype i = 1; i + 2 < lines.size(); ++i) {
        QList<QByteArray> fields = lines[i].split(' ');
        ASSERT_EQ(fields.size(), 5);
        // The new content: in the temporary file, or already renamed into place.
        const QString temporary = QString::fromUtf8(QByteArray::fromPercentEncoding(fields[3]));
        const QString target = QString::fromUtf8(QByteArray::fromPercentEncoding(fields[4]));
        const QByteArray content = dir.exists(temporary) ? dir.read(temporary) : dir.read(target);
        fields[2] = ContentChecksum::of(content, ChecksumKind::Blake2b256).toHex();
        body += fields.join(' ') + '\n';
    }
    dir.write(journal,
        body + "end " + ContentChecksum::of(body, ChecksumKind::Blake2b256).toHex() + '\n');

    const Loaded loaded(dir.path());
    EXPECT_TRUE(loaded.report.ok());
    EXPECT_EQ(loaded.report.recovery.outcome, SettledSave::Outcome::Finished);
    EXPECT_EQ(generations::of(loaded.tables), 1);
    EXPECT_FALSE(dir.exists(journal));
}

// A whole journal that names other files than the folder's is never discarded, and no
// temporary file is swept: the register opens read-only and says why.
TEST(SaveJournal, AJournalThatCannotBeMatchedIsKeptWithItsTemporaries)
{
    TestDir dir;
    stopAtRename(dir, 0);
    const QByteArray written = dir.read(journal);
    // The same journal, whole, but naming a partner file elsewhere.
    QByteArray body = written.left(written.lastIndexOf('\n', written.size() - 2) + 1);
    body.replace("TCODE.vmd ", "TCODE.vmd ")
        .replace(" TCODE.vmd\n", " ..%2Felsewhere%2FTCODE.vmd\n");
    ASSERT_NE(body, written.left(body.size()));
    dir.write(journal, body + "end " + ContentChecksum::of(body).toHex() + '\n');
    const QStringList temporaries = QDir(dir.path()).entryList({ u"*.tmp-*"_s }, QDir::Files);
    ASSERT_EQ(temporaries.size(), 3);

    Register reg { systemFileSystem() };
    reg.useDirectory(dir.path());
    const LoadReport report = reg.load();
    EXPECT_FALSE(report.ok());
    EXPECT_EQ(report.recovery.outcome, SettledSave::Outcome::Unmatched);
    EXPECT_TRUE(reg.readOnly());
    EXPECT_TRUE(dir.exists(journal));
    EXPECT_EQ(QDir(dir.path()).entryList({ u"*.tmp-*"_s }, QDir::Files), temporaries);
}

// A retried save that fails again, at any call, never destroys the journal of the first: the
// first is settled before the second begins, so the files stay one whole save.
TEST(SaveJournal, AFailedRetryLeavesTheFirstSaveWhole)
{
    FaultyFileSystem counter;
    {
        TestDir dir;
        stopAtRename(dir, 1);
        ASSERT_TRUE(saveTables(generations::make(1), dir.path(), counter).ok());
    }
    for (Step step : { Step::Write, Step::Sync, Step::Rename, Step::FolderSync }) {
        for (int at = 0; at < counter.calls[step]; ++at) {
            SCOPED_TRACE(testing::Message() << "step " << int(step) << " call " << at);
            TestDir dir;
            stopAtRename(dir, 1);
            FaultyFileSystem faulty(step, at);
            saveTables(generations::make(1), dir.path(), faulty);
            const Loaded loaded(dir.path());
            EXPECT_TRUE(loaded.report.ok());
            EXPECT_EQ(generations::of(loaded.tables), 1) << "never a mix of two saves";
        }
    }
}

// A copy without the lock that starts while the holder is between its renames waits for the
// save to end instead of reading a mix.
TEST(SaveJournal, ACopyWithoutTheLockWaitsForTheHoldersSave)
{
    TestDir dir;
    ASSERT_TRUE(saveTables(generations::make(0), dir.path()).ok());
    dir.write(journal, "a save under way");
    // The holder's renames: the new files take their places, then the journal goes.
    TestDir scratch;
    ASSERT_TRUE(saveTables(generations::make(1), scratch.path()).ok());
    std::thread holder([&] {
        for (const QString &name : dataFiles) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ::rename(QFile::encodeName(scratch.file(name)).constData(),
                QFile::encodeName(dir.file(name)).constData());
        }
        QFile::remove(dir.file(journal));
    });
    const Loaded reader(dir.path(), systemFileSystem(), InterruptedSave::LeaveToLockHolder);
    holder.join();
    EXPECT_TRUE(reader.report.ok());
    EXPECT_EQ(generations::of(reader.tables), 1);
}

// Each file call of a recovery fails in turn. A check that fails is never taken for an answer:
// the files stay as they were, the notice says the save could not be checked, and a later start
// settles it the way a clean one would. No run ends with a mix, no notice says what did not
// happen.
TEST(SaveJournal, RecoveryNeverGuessesWhenAFileCallFails)
{
    struct Case
    {
        const char *name;
        int stopAt; // the rename the crashed save stopped at
        bool breakTemporary; // its KOLVAM temporary is cut short: the save must be undone
        int settled; // the generation a clean recovery ends at
    };
    const Case cases[] = {
        { "before the first rename", 0, false, 1 },
        { "after the first rename", 1, false, 1 },
        { "a temporary cut short", 0, true, 0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto crashed = [&](const TestDir &dir) {
            stopAtRename(dir, c.stopAt);
            if (c.breakTemporary) {
                const QString temp =
                    QDir(dir.path()).entryList({ u"KOLVAM.vmd.tmp-*"_s }, QDir::Files).value(0);
                dir.write(temp, dir.read(temp).chopped(1));
            }
        };
        CallFaultFileSystem counter;
        {
            TestDir dir;
            crashed(dir);
            ASSERT_EQ(generations::of(Loaded(dir.path(), counter).tables), c.settled);
        }
        ASSERT_GT(counter.calls(), 20);
        for (int at = 0; at < counter.calls(); ++at) {
            SCOPED_TRACE(testing::Message() << "call " << at);
            TestDir dir;
            crashed(dir);
            CallFaultFileSystem faulty(at);
            const Loaded first(dir.path(), faulty);
            const SettledSave &told = first.report.recovery;
            switch (told.outcome) {
            case SettledSave::Outcome::Finished:
            case SettledSave::Outcome::Undone:
                EXPECT_EQ(int(told.outcome == SettledSave::Outcome::Finished), c.settled)
                    << faulty.failedCall();
                break;
            case SettledSave::Outcome::Unchecked:
                EXPECT_TRUE(dir.exists(journal)) << "nothing is removed";
                break;
            case SettledSave::Outcome::RenameFailed:
            case SettledSave::Outcome::FolderNotSynced:
                EXPECT_EQ(c.settled, 1);
                break;
            default:
                ADD_FAILURE() << "told " << int(told.outcome);
            }
            const Loaded later(dir.path());
            EXPECT_TRUE(later.report.ok());
            EXPECT_EQ(generations::of(later.tables), c.settled)
                << "told " << int(told.outcome) << " after " << faulty.failedCall();
            EXPECT_TRUE(others(dir).isEmpty()) << others(dir).join(u' ').toStdString();
        }
    }
}

namespace {

// The holder saves the other register while the reader opens KOLVAM.vmd, as often as asked:
// between the reader's reads of TCODE.vmd and of the rest.
class SaveWhileRead : public PosixFileSystem
{
public:
    SaveWhileRead(const QString &directory, int saves)
        : directory_(directory)
        , saves_(saves)
    {
    }
    int open(const char *path, int flags, mode_t mode) override
    {
        if (saves_ > 0 && QByteArray(path).endsWith("KOLVAM.vmd")) {
            --saves_;
            saveTables(generations::make(++generation_ % 2), directory_);
        }
        return PosixFileSystem::open(path, flags, mode);
    }
    int generation() const { return generation_ % 2; }

private:
    QString directory_;
    int saves_;
    int generation_ = 0;
};

} // namespace

// A copy without the lock never shows a register that never existed: when the holder saved
// between its reads, it reads again; when the holder keeps saving, it says so.
TEST(SaveJournal, ACopyWithoutTheLockReadsAgainWhenTheHolderSavedMeanwhile)
{
    for (int saves : { 1, 2, 10 }) {
        SCOPED_TRACE(saves);
        TestDir dir;
        ASSERT_TRUE(saveTables(generations::make(0), dir.path()).ok());
        SaveWhileRead holder(dir.path(), saves);
        const Loaded reader(dir.path(), holder, InterruptedSave::LeaveToLockHolder);
        if (saves < 3) {
            EXPECT_EQ(reader.report.recovery.outcome, SettledSave::Outcome::NoJournal);
            EXPECT_EQ(generations::of(reader.tables), holder.generation());
        } else {
            EXPECT_EQ(reader.report.recovery.outcome, SettledSave::Outcome::HolderSaving);
        }
    }
}

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "store/data_files.h"
#include "store/register.h"
#include "tests/support/call_faults.h"
#include "tests/support/full_disk.h"
#include "tests/support/generations.h"
#include "tests/support/other_user.h"
#include "tests/support/table_files.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

const QStringList DataFileNames { u"TCODE.vmd"_s, u"KOLVAM.vmd"_s, u"BANK.vmd"_s };
const QDateTime At(QDate(2026, 12, 7), QTime(10, 42, 0));

std::map<QString, QByteArray> filesIn(const QString &folder)
{
    std::map<QString, QByteArray> files;
    for (const QString &name : DataFileNames) {
        QFile f(folder + name);
        if (f.open(QIODevice::ReadOnly))
            files[name] = f.readAll();
    }
    return files;
}

QStringList backupEntries(const TestDir &dir)
{
    return QDir(dir.file(u"backup"_s))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

// Link and copy both refused: the generation cannot be made at all.
class NoLinksNoCopies : public PosixFileSystem
{
public:
    int link(const char *, const char *) override
    {
        errno = EPERM;
        return -1;
    }
    int open(const char *path, int flags, mode_t mode) override
    {
        if ((flags & O_CREAT) && QByteArray(path).contains("/backup/")) {
            errno = ENOSPC;
            return -1;
        }
        return PosixFileSystem::open(path, flags, mode);
    }
};

// Which save of generations::make a register is; -1 for anything else.
int savedBy(const Tables &t)
{
    const int n = static_cast<int>(t.notes.size()) - generations::NoteCount;
    return n >= 0 && t.partners.size() == static_cast<size_t>(40 + n)
            && t.banks.size() == static_cast<size_t>(20 + n)
        ? n
        : -1;
}

QString pathOfFd(int fd)
{
    return QFile::symLinkTarget(u"/proc/self/fd/%1"_s.arg(fd));
}

// backup/ shown with another owner or group, as a second user's folder would be.
class BackupSeenAs : public PosixFileSystem
{
public:
    BackupSeenAs(bool otherOwner, bool otherGroup)
        : otherOwner_(otherOwner)
        , otherGroup_(otherGroup)
    {
    }
    int fstat(int fd, struct stat *info) override
    {
        return seen(PosixFileSystem::fstat(fd, info), pathOfFd(fd), info);
    }
    int lstat(const char *path, struct stat *info) override
    {
        return seen(PosixFileSystem::lstat(path, info), QFile::decodeName(path), info);
    }

private:
    int seen(int rc, const QString &path, struct stat *info) const
    {
        if (rc == 0 && (path.endsWith(u"/backup"_s) || path.endsWith(u"/backup/"_s))) {
            info->st_uid += otherOwner_ ? 1 : 0;
            info->st_gid += otherGroup_ ? 1 : 0;
        }
        return rc;
    }
    bool otherOwner_;
    bool otherGroup_;
};

} // namespace

// Each save keeps the bytes it replaced, newest first, and the oldest beyond the number go.
TEST(Generations, EachSaveKeepsWhatItReplacedAndTheOldestGo)
{
    TestDir dir;
    std::vector<std::map<QString, QByteArray>> replaced;
    for (int save = 0; save < 4; ++save) {
        replaced.push_back(filesIn(dir.path()));
        const SaveReport report = saveTables(
            generations::make(save % 2), dir.path(), systemFileSystem(), { 2, At.addSecs(save) });
        ASSERT_TRUE(report.ok());
        EXPECT_EQ(report.generation.isEmpty(), save == 0) << "the first save replaces nothing";
    }
    const std::vector<Generation> kept = listGenerations(dir.path(), systemFileSystem());
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].name, u"20261207-104203"_s);
    EXPECT_EQ(kept[1].name, u"20261207-104202"_s);
    EXPECT_EQ(filesIn(kept[0].path), replaced[3]);
    EXPECT_EQ(filesIn(kept[1].path), replaced[2]);
    Tables restored;
    ASSERT_TRUE(LoadGeneration(kept[0], restored, systemFileSystem()));
    EXPECT_EQ(generations::of(restored), 0);

    // Two saves in one second are told apart, and ordered.
    const QDateTime later = At.addSecs(10);
    ASSERT_TRUE(
        saveTables(generations::make(1), dir.path(), systemFileSystem(), { 9, later }).ok());
    ASSERT_TRUE(
        saveTables(generations::make(0), dir.path(), systemFileSystem(), { 9, later }).ok());
    const std::vector<Generation> now = listGenerations(dir.path(), systemFileSystem());
    EXPECT_EQ(now.at(0).name, u"20261207-104210-2"_s);
    EXPECT_EQ(now.at(1).name, u"20261207-104210"_s);

    // A link in the place of a generation being removed is never followed into the register.
    ASSERT_TRUE(QFile::link(dir.path(), dir.file(u"backup/20200101-000000.old"_s)));
    const Loaded loaded(dir.path());
    EXPECT_EQ(generations::of(loaded.tables), 0);
    EXPECT_TRUE(QFile::exists(dir.file(u"KOLVAM.vmd"_s)));
}

TEST(Generations, AGenerationThatCannotBeMadeNeverStopsTheSave)
{
    TestDir dir;
    ASSERT_TRUE(saveTables(generations::make(0), dir.path()).ok());
    NoLinksNoCopies failing;
    const SaveReport report = saveTables(generations::make(1), dir.path(), failing, { 10, At });
    ASSERT_TRUE(report.ok());
    EXPECT_TRUE(report.generation.isEmpty());
    EXPECT_TRUE(report.generationFault.failed());
    EXPECT_EQ(report.generationFault.fault.error, ENOSPC);
    EXPECT_TRUE(backupEntries(dir).isEmpty()) << backupEntries(dir).join(u' ').toStdString();
    EXPECT_EQ(generations::of(Loaded(dir.path()).tables), 1);
}

// A generation says when what it keeps was saved, not when the save that replaced it ran: by an
// earlier run, as the files' times said when they were loaded, or by this run.
TEST(Generations, EachKeepsWhenWhatItHoldsWasSaved)
{
    TestDir dir;
    const QDateTime yesterday(QDate(2026, 12, 6), QTime(17, 5, 12));
    ASSERT_TRUE(saveTables(generations::make(0), dir.path()).ok());
    for (const QString &name : DataFileNames) {
        const timespec times[2] = { { yesterday.toSecsSinceEpoch(), 0 },
            { yesterday.toSecsSinceEpoch(), 0 } };
        ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(dir.file(name)).constData(), times, 0), 0);
    }
    Register reg { systemFileSystem() };
    reg.useDirectory(dir.path());
    ASSERT_EQ(reg.lock(u"suzuki"_s, At).result, DataLock::Result::Acquired);
    reg.load();
    reg.keepGenerations(1);
    const struct
    {
        QDateTime at;
        QDateTime contentSaved;
        const char *what;
    } saves[] = {
        { At, yesterday, "loaded from the earlier run" },
        { At.addSecs(60), At, "saved by this run" },
        { At.addSecs(120), At.addSecs(60), "saved by this run again" },
    };
    for (std::size_t i = 0; i < std::size(saves); ++i) {
        SCOPED_TRACE(saves[i].what);
        ASSERT_EQ(reg.restore(generations::make(static_cast<int>(i + 1) % 2)), ChangeOutcome::Done);
        ASSERT_TRUE(reg.save(u"suzuki"_s, saves[i].at).ok());
        const std::vector<Generation> kept = listGenerations(dir.path(), systemFileSystem());
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kept[0].savedAt, saves[i].at);
        EXPECT_EQ(kept[0].contentSavedAt, saves[i].contentSaved);
        EXPECT_EQ(backupEntries(dir), QStringList { kept[0].name }) << "pruned whole";
    }
}

// 復元 puts a generation in place as a change; the save that follows writes exactly its files
// and keeps the register it replaced as the newest generation, so the restore can be undone.
TEST(Generations, ARestoredGenerationSavesAsItWasAndKeepsWhatItReplaced)
{
    TestDir dir;
    const QDateTime now = At;
    Register reg { systemFileSystem() };
    reg.useDirectory(dir.path());
    ASSERT_EQ(reg.lock(u"suzuki"_s, now).result, DataLock::Result::Acquired);
    reg.load();
    reg.keepGenerations(10);
    for (int g : { 0, 1 }) {
        ASSERT_EQ(reg.restore(generations::make(g)), ChangeOutcome::Done);
        ASSERT_TRUE(reg.save(u"suzuki"_s, now.addSecs(g)).ok());
    }
    const std::map<QString, QByteArray> beforeRestore = filesIn(dir.path());
    const Generation first = listGenerations(dir.path(), systemFileSystem()).at(0);
    const std::map<QString, QByteArray> firstFiles = filesIn(first.path);
    Tables tables;
    ASSERT_TRUE(LoadGeneration(first, tables, systemFileSystem()));
    ASSERT_EQ(reg.restore(std::move(tables)), ChangeOutcome::Done);
    EXPECT_TRUE(reg.modified());
    ASSERT_TRUE(reg.save(u"suzuki"_s, now.addSecs(5)).ok());
    EXPECT_EQ(filesIn(dir.path()), firstFiles);
    EXPECT_EQ(filesIn(listGenerations(dir.path(), systemFileSystem()).at(0).path), beforeRestore);
}

// Every file call of a save that keeps generations fails in turn. The save fails and says so, or
// it goes through and keeps a generation that holds the whole register it replaced, or none and
// says which file and why: a look that fails is never taken for a file that is not there.
TEST(Generations, AFailedFileCallNeverLeavesAGenerationThatIsNotWhole)
{
    const auto prepare = [](const TestDir &dir) {
        ASSERT_TRUE(
            saveTables(generations::make(0), dir.path(), systemFileSystem(), { 1, At }).ok());
        ASSERT_TRUE(
            saveTables(generations::make(1), dir.path(), systemFileSystem(), { 1, At.addSecs(1) })
                .ok());
    };
    int calls = 0;
    {
        TestDir dir;
        prepare(dir);
        CallFaultFileSystem counting;
        ASSERT_TRUE(
            saveTables(generations::make(2), dir.path(), counting, { 1, At.addSecs(2) }).ok());
        calls = counting.calls();
    }
    for (int at = 0; at < calls; ++at) {
        SCOPED_TRACE(testing::Message() << "call " << at << " of " << calls);
        TestDir dir;
        prepare(dir);
        CallFaultFileSystem failing(at);
        const SaveReport report =
            saveTables(generations::make(2), dir.path(), failing, { 1, At.addSecs(2) });
        if (!report.ok())
            continue;
        if (report.generation.isEmpty()) {
            EXPECT_TRUE(report.generationFault.failed()) << "no generation, and nobody told";
            EXPECT_FALSE(report.generationFault.path.isEmpty());
        }
        for (const Generation &g : listGenerations(dir.path(), systemFileSystem())) {
            Tables kept;
            ASSERT_TRUE(LoadGeneration(g, kept, systemFileSystem())) << g.name.toStdString();
            if (g.path.chopped(1) == report.generation) {
                EXPECT_EQ(savedBy(kept), 1) << "the register the save replaced, whole";
            }
        }
    }
}

// A backup/ folder others can change is never used: its owner could plant generations for the
// restore list to offer, or swap one for a link while it is removed. Only one of this user or of
// the data folder's owner, that nobody else can write but through the data folder's group.
TEST(Generations, ABackupFolderOthersCanChangeIsNeverUsed)
{
    using Kind = GenerationFault::Kind;
    const bool real = other_user::available();
    const struct
    {
        const char *what;
        mode_t mode;
        bool otherOwner;
        bool otherGroup;
        Kind refused;
    } cases[] = {
        { "another user's", 0755, true, false, Kind::OtherOwner },
        { "writable by anyone", 0777, false, false, Kind::OpenToOthers },
        { "writable by another group", 0775, false, true, Kind::OpenToOthers },
        { "writable by the data folder's group", 0775, false, false, Kind::None },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TestDir dir;
        ASSERT_TRUE(saveTables(generations::make(0), dir.path()).ok());
        const QString backup = dir.file(u"backup"_s);
        const QString forged = backup + u"/20200101-000000"_s;
        if (real && c.otherOwner) {
            ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
            ASSERT_TRUE(other_user::run(
                u"mkdir -m 755 %1 %2 && cp %3*.vmd %2/"_s.arg(backup, forged, dir.path())));
        } else {
            ASSERT_TRUE(QDir().mkpath(forged));
            for (const QString &name : DataFileNames) {
                ASSERT_TRUE(QFile::copy(dir.file(name), forged + u'/' + name));
            }
            ASSERT_EQ(::chmod(QFile::encodeName(backup).constData(), c.mode), 0);
            const gid_t group = real && c.otherGroup ? other_user::Gid : ::getegid();
            ASSERT_EQ(
                ::chown(QFile::encodeName(backup).constData(), static_cast<uid_t>(-1), group), 0);
        }
        BackupSeenAs fs(!real && c.otherOwner, !real && c.otherGroup);
        GenerationFault why;
        EXPECT_EQ(listGenerations(dir.path(), fs, &why).size(), c.refused == Kind::None ? 1u : 0u);
        EXPECT_EQ(why.kind, c.refused);
        const SaveReport report = saveTables(generations::make(1), dir.path(), fs, { 3, At });
        ASSERT_TRUE(report.ok());
        EXPECT_EQ(report.generationFault.kind, c.refused);
        EXPECT_EQ(report.generation.isEmpty(), c.refused != Kind::None);
        if (c.refused != Kind::None) {
            EXPECT_EQ(report.generationFault.path, backup);
            EXPECT_TRUE(QFileInfo::exists(forged + u"/KOLVAM.vmd"_s)) << "left as it was";
        }
    }
}

// Removing a generation acts on the folder it opened: swapped for a link to another folder of the
// user's at that moment, the link leads nowhere and that folder keeps its files.
TEST(Generations, AGenerationSwappedForALinkWhileItIsRemovedLosesNothingElsewhere)
{
    class SwapsGoing : public PosixFileSystem
    {
    public:
        explicit SwapsGoing(QString target)
            : target_(std::move(target))
        {
        }
        int lstat(const char *path, struct stat *info) override
        {
            const int rc = PosixFileSystem::lstat(path, info);
            swap(QFile::decodeName(path));
            return rc;
        }
        int openAt(int fd, const char *name, int flags, mode_t mode) override
        {
            const int rc = PosixFileSystem::openAt(fd, name, flags, mode);
            swap(pathOfFd(fd) + u'/' + QFile::decodeName(name));
            return rc;
        }

    private:
        void swap(const QString &path)
        {
            if (swapped_ || !path.endsWith(u".old"_s))
                return;
            swapped_ = QFile::rename(path, path + u"-moved"_s) && QFile::link(target_, path);
        }
        QString target_;
        bool swapped_ = false;
    };
    TestDir dir;
    TestDir elsewhere;
    ASSERT_TRUE(saveTables(generations::make(0), elsewhere.path()).ok());
    ASSERT_TRUE(saveTables(generations::make(0), dir.path(), systemFileSystem(), { 1, At }).ok());
    ASSERT_TRUE(
        saveTables(generations::make(1), dir.path(), systemFileSystem(), { 1, At.addSecs(1) })
            .ok());
    SwapsGoing swapping(elsewhere.path().chopped(1));
    ASSERT_TRUE(saveTables(generations::make(0), dir.path(), swapping, { 1, At.addSecs(2) }).ok());
    EXPECT_EQ(filesIn(elsewhere.path()).size(), 3u);
    EXPECT_EQ(generations::of(Loaded(elsewhere.path()).tables), 0);
}

// Saves in one second are told apart in the order they were made, and a name once given is never
// given again: pruning keeps the newest, and the list shows them newest first.
TEST(Generations, SavesInOneSecondArePrunedOldestFirst)
{
    TestDir dir;
    for (int save = 0; save < 8; ++save)
        ASSERT_TRUE(
            saveTables(generations::make(save), dir.path(), systemFileSystem(), { 3, At }).ok());
    const std::vector<Generation> kept = listGenerations(dir.path(), systemFileSystem());
    ASSERT_EQ(kept.size(), 3u);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        Tables tables;
        ASSERT_TRUE(LoadGeneration(kept[i], tables, systemFileSystem()));
        EXPECT_EQ(savedBy(tables), 6 - static_cast<int>(i)) << kept[i].name.toStdString();
    }
}

// A generation changed since it was kept is never brought back, and says which file and why. One
// made by an earlier version, without the list of what it keeps, gets the checks a load can make:
// every file there, and records a save could have written.
TEST(Generations, ADamagedGenerationIsNeverBroughtBack)
{
    using Kind = GenerationFault::Kind;
    const auto cut = [](qint64 by) {
        return
            [by](const QString &path) { return QFile::resize(path, QFileInfo(path).size() - by); };
    };
    const auto ff = [](qint64 at, qint64 size) {
        return [at, size](const QString &path) {
            QFile f(path);
            return f.open(QIODevice::ReadWrite) && f.seek(at)
                && f.write(QByteArray(size, '\xff')) == size;
        };
    };
    const auto remove = [](const QString &path) { return QFile::remove(path); };
    const struct
    {
        const char *what;
        bool listed;
        QString file;
        std::function<bool(const QString &)> damage;
        Kind found;
    } cases[] = {
        { "a missing file", true, u"KOLVAM.vmd"_s, remove, Kind::Missing },
        { "a 0-byte file", true, u"TCODE.vmd"_s,
            [](const QString &p) { return QFile::resize(p, 0); }, Kind::SizeDiffers },
        { "cut at a record boundary", true, u"KOLVAM.vmd"_s, cut(125), Kind::SizeDiffers },
        { "a record of 0xFF bytes", true, u"BANK.vmd"_s, ff(72, 72), Kind::ChecksumDiffers },
        { "earlier version: a missing file", false, u"BANK.vmd"_s, remove, Kind::Missing },
        { "earlier version: a cut record", false, u"KOLVAM.vmd"_s, cut(1), Kind::File },
        { "earlier version: a note of 0xFF bytes", false, u"KOLVAM.vmd"_s, ff(125, 125),
            Kind::BadRecord },
        { "earlier version: a partner of 0xFF bytes", false, u"TCODE.vmd"_s, ff(56, 56),
            Kind::BadRecord },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TestDir dir;
        ASSERT_TRUE(
            saveTables(generations::make(0), dir.path(), systemFileSystem(), { 3, At }).ok());
        ASSERT_TRUE(
            saveTables(generations::make(1), dir.path(), systemFileSystem(), { 3, At.addSecs(1) })
                .ok());
        std::vector<Generation> kept = listGenerations(dir.path(), systemFileSystem());
        ASSERT_EQ(kept.size(), 1u);
        if (!c.listed) {
            ASSERT_TRUE(QFile::remove(kept[0].path + QString::fromUtf16(GenerationContentsName)));
        }
        ASSERT_TRUE(c.damage(kept[0].path + c.file));
        kept = listGenerations(dir.path(), systemFileSystem());
        ASSERT_EQ(kept.size(), 1u) << "listed, to say what is wrong with it";
        Tables tables;
        GenerationFault why;
        EXPECT_FALSE(LoadGeneration(kept[0], tables, systemFileSystem(), &why));
        EXPECT_EQ(why.kind, c.found);
        EXPECT_EQ(why.path, kept[0].path + c.file);
        if (c.found == Kind::BadRecord) {
            EXPECT_EQ(why.record, 2);
        }
    }
}

// Near a full disk the generations give way to the save: this save's generation and an empty
// backup/ it left go first, then the oldest generations, each said; a save that goes through
// without generations goes through with them.
TEST(Generations, GenerationsGiveWayToTheSaveWhenTheDiskIsFull)
{
    const qint64 ample = qint64(1) << 40;
    const struct
    {
        const char *what;
        qint64 bytes;
        qint64 files;
    } cases[] = {
        { "room for a few blocks more than saves without generations need", 64 * 1024, ample },
        { "room for three files more", ample, 3 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        constexpr int Saves = 6;
        SmallDisk::Room room;
        {
            TestDir measure;
            SmallDisk unlimited(measure.path());
            for (int save = 0; save < Saves; ++save)
                ASSERT_TRUE(
                    saveTables(generations::make(save % 2), measure.path(), unlimited).ok());
            room = { unlimited.peak().bytes + c.bytes, unlimited.peak().files + c.files };
        }
        TestDir dir;
        SmallDisk disk(dir.path(), room);
        bool gaveWay = false;
        for (int save = 0; save < Saves; ++save) {
            SCOPED_TRACE(save);
            QStringList before;
            for (const Generation &g : listGenerations(dir.path(), systemFileSystem()))
                before << g.name;
            const SaveReport report =
                saveTables(generations::make(save % 2), dir.path(), disk, { 3, At.addSecs(save) });
            ASSERT_TRUE(report.ok()) << "failed at " << report.failure.file.toStdString();
            EXPECT_EQ(generations::of(Loaded(dir.path()).tables), save % 2);
            QStringList now;
            for (const Generation &g : listGenerations(dir.path(), systemFileSystem()))
                now << g.name;
            for (const QString &name : report.generationsDropped) {
                EXPECT_TRUE(before.contains(name)) << name.toStdString();
                EXPECT_FALSE(now.contains(name)) << name.toStdString();
            }
            if (report.generation.isEmpty() && save > 0) {
                EXPECT_TRUE(report.generationFault.failed()) << "no generation, and nobody told";
            }
            if (now.isEmpty()) {
                EXPECT_FALSE(QFileInfo::exists(dir.file(u"backup"_s))) << "an empty backup/ left";
            }
            gaveWay = gaveWay || !report.generationsDropped.isEmpty()
                || report.generationFault.kind == GenerationFault::Kind::DroppedForRoom;
        }
        EXPECT_TRUE(gaveWay) << "the disk was never short: the case proves nothing";
        for (const Generation &g : listGenerations(dir.path(), systemFileSystem())) {
            Tables tables;
            EXPECT_TRUE(LoadGeneration(g, tables, systemFileSystem())) << g.name.toStdString();
        }
    }
}

#include "store/register.h"

#include <QHash>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

bool inTable(std::size_t size, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

// Records are packed byte images: equal bytes are what the file would hold anyway.
template <typename Record> bool sameBytes(const Record &a, const Record &b)
{
    return std::memcmp(&a, &b, sizeof(Record)) == 0;
}

template <std::size_t N> void store(ShortText<N> &field, const QByteArray &bytes)
{
    field.assign(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void fill(BankRecord &bank, const RegisterEntry &entry)
{
    store(bank.Name, entry.name);
}

void fill(PartnerRecord &partner, const RegisterEntry &entry)
{
    store(partner.Name, entry.name);
    store(partner.BankCode, entry.bankCode);
}

template <typename Record> Record newEntry(const RegisterEntry &entry)
{
    Record record {};
    store(record.Code, entry.code);
    fill(record, entry);
    return record;
}

// When the newest of these files was written: every save writes all three.
QDateTime lastWritten(const std::array<FileIdentity, DataFiles.size()> &files)
{
    QDateTime newest;
    for (const FileIdentity &f : files) {
        const QDateTime at = QDateTime::fromMSecsSinceEpoch(f.modifiedNs / 1'000'000);
        if (f.exists && (!newest.isValid() || at > newest))
            newest = at;
    }
    return newest;
}

// A file renamed into place is another file; one merely linked into a generation is not.
bool anyReplaced(const std::array<FileIdentity, DataFiles.size()> &before,
    const std::array<FileIdentity, DataFiles.size()> &after)
{
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i].exists != after[i].exists || before[i].device != after[i].device
            || before[i].inode != after[i].inode)
            return true;
    return false;
}

DataTable tableOf(RegisterKind kind)
{
    return kind == RegisterKind::PartnerRegister ? DataTable::PartnerTable : DataTable::BankTable;
}

} // namespace

Register::Register(FileSystem &fs, QObject *parent)
    : QObject(parent)
    , fs_(fs)
{
}

Register::~Register() = default;

// ---- The data folder's session ----

DataLocation Register::locate(const QString &programDirectory, const QString &fallbackConfigDir,
    const QString &fallbackDataDir)
{
    const DataLocation where =
        locateDataDirectory(programDirectory, fallbackConfigDir, fallbackDataDir, fs_);
    directory_ = where.DataDirectory;
    settingsPath_ = where.settingsPath;
    // Loading or saving anywhere else would pass an empty register off as the real one.
    if (!where.known)
        readOnly_ = true;
    return where;
}

QStringList Register::ownFiles() const
{
    QStringList files = dataFileNames();
    files << QString::fromUtf16(SaveJournalName) << QString::fromUtf16(LockFileName)
          << QString::fromUtf16(HolderFileName);
    for (QString &file : files)
        file.prepend(directory_);
    if (!settingsPath_.isEmpty())
        files << settingsPath_;
    return files;
}

void Register::useDirectory(const QString &directory)
{
    directory_ = directory;
    // Nothing of that folder is loaded yet: whatever it holds is not this register's to replace.
    knownFiles_ = {};
    knownContents_ = {};
}

LockOutcome Register::lockOutcome(DataLock &lock, DataLock::Result result)
{
    LockOutcome outcome;
    outcome.result = result;
    outcome.lockPath = lock.lockPath();
    if (result == DataLock::Result::Acquired) {
        if (!programUser_.isEmpty())
            lock.recordProgramUser(programUser_);
        return outcome;
    }
    outcome.holder = lock.holder();
    outcome.holderMayBeStale = result == DataLock::Result::HeldByOther && lock.holderMayBeStale();
    outcome.error = lock.error();
    return outcome;
}

LockOutcome Register::lock(const QString &user, const QDateTime &now)
{
    lock_ = std::make_unique<DataLock>(directory_, fs_);
    return takeLock(lock_->acquire(user, now));
}

LockOutcome Register::takeOver(const QString &user, const QDateTime &now)
{
    if (!lock_)
        lock_ = std::make_unique<DataLock>(directory_, fs_);
    return takeLock(lock_->takeOver(user, now));
}

LockOutcome Register::takeLock(DataLock::Result result)
{
    const LockOutcome outcome = lockOutcome(*lock_, result);
    readOnly_ = result != DataLock::Result::Acquired;
    lockHolder_ = outcome.holder;
    if (result == DataLock::Result::Acquired)
        lockedFolder_ = identityOf(fs_, dataFolderOf(lock_->directory()));
    return outcome;
}

void Register::holdLock(std::unique_ptr<DataLock> lock)
{
    // The lock given up is released only while it is still this copy's (DataLock::release).
    lock_ = std::move(lock);
    lockedFolder_ = identityOf(fs_, dataFolderOf(lock_->directory()));
}

void Register::recordProgramUser(const QString &name)
{
    programUser_ = name;
    if (lock_ && lock_->held())
        lock_->recordProgramUser(name);
}

LoadReport Register::load()
{
    Tables loaded;
    QSet<QString> incomplete;
    const LoadReport report = LoadData(loaded, incomplete, directory_, fs_,
        readOnly_ ? InterruptedSave::LeaveToLockHolder : InterruptedSave::Settle);
    incompleteFiles_ = incomplete;
    knownFiles_ = filesOnDisk();
    knownContents_ = report.contents;
    contentSavedAt_ = lastWritten(knownFiles_);
    // A journal that names other files is the user's to look at, and one that could not be
    // checked is left for a later start: nothing may be saved over either.
    if (report.recovery.outcome == SettledSave::Outcome::Unmatched
        || report.recovery.outcome == SettledSave::Outcome::Unchecked)
        readOnly_ = true;
    setTables(std::move(loaded));
    return report;
}

std::array<FileIdentity, DataFiles.size()> Register::filesOnDisk() const
{
    return dataFileIdentities(directory_, fs_);
}

SaveOutcome::Refusal Register::folderLost(int *error) const
{
    struct stat info;
    if (fs_.stat(nativePath(dataFolderOf(directory_)).constData(), &info) != 0) {
        *error = errno;
        return *error == ENOENT || *error == ENOTDIR ? SaveOutcome::Refusal::FolderGone
                                                     : SaveOutcome::Refusal::FolderUnreachable;
    }
    if (!S_ISDIR(info.st_mode) || (lockedFolder_.exists && !isLockedFolder(info)))
        return SaveOutcome::Refusal::FolderReplaced;
    return SaveOutcome::Refusal::None;
}

// A folder that cannot be reached, is not a folder, or is this copy's own folder already.
SaveOutcome::Refusal Register::targetRefusal(const QString &place, int *error) const
{
    struct stat info;
    if (fs_.stat(nativePath(place).constData(), &info) != 0) {
        *error = errno;
        return SaveOutcome::Refusal::TargetUnusable;
    }
    if (!S_ISDIR(info.st_mode)) {
        *error = ENOTDIR;
        return SaveOutcome::Refusal::TargetUnusable;
    }
    // Its own lock is already this copy's: the folder would be locked twice.
    if (lock_ && lock_->held() && isLockedFolder(info))
        return SaveOutcome::Refusal::TargetIsCurrent;
    return SaveOutcome::Refusal::None;
}

// What in folder belongs to a register: its data files, a save journal, generations.
QStringList Register::registerFilesIn(const QString &folder) const
{
    QStringList own = dataFileNames();
    own << QString::fromUtf16(SaveJournalName);
    QStringList found;
    for (const QString &name : own) {
        if (pathExists(fs_, folder + name))
            found << folder + name;
    }
    if (!listGenerations(folder, fs_).empty())
        found << folder + QString::fromUtf16(GenerationsFolderName);
    return found;
}

bool Register::isLockedFolder(const struct stat &info) const
{
    return lockedFolder_.exists && info.st_dev == lockedFolder_.device
        && info.st_ino == lockedFolder_.inode;
}

// What must hold before a save may replace anything.
SaveOutcome Register::refusalBeforeSave(const QString &user, const QDateTime &now)
{
    SaveOutcome outcome;
    if (readOnly_) {
        outcome.refusal = SaveOutcome::Refusal::ReadOnly;
        return outcome;
    }
    if (directory_.isEmpty()) {
        outcome.refusal = SaveOutcome::Refusal::NoFolder;
        return outcome;
    }
    if (directory_.contains(u'\n') || directory_.contains(u'\r')) {
        outcome.refusal = SaveOutcome::Refusal::FolderRunOn;
        return outcome;
    }
    // A folder missing at start-up, or another folder than the one locked, is locked now; a
    // folder that is still missing fails on its own and names the file.
    if (lock_ && lock_->directory() == directory_ && lock_->held()) {
        // A folder renamed or moved away takes its lock file with it: that is said as it is, not
        // as a lock another copy took.
        outcome.refusal = folderLost(&outcome.error);
        if (outcome.refusal != SaveOutcome::Refusal::None)
            return outcome;
        if (!lock_->stillOurs()) {
            outcome.refusal = SaveOutcome::Refusal::LockLost;
            return outcome;
        }
    } else if (isFolder(fs_, dataFolderOf(directory_))) {
        auto fresh = std::make_unique<DataLock>(directory_, fs_);
        outcome.lock = lockOutcome(*fresh, fresh->acquire(user, now));
        if (outcome.lock.result != DataLock::Result::Acquired) {
            outcome.refusal = SaveOutcome::Refusal::Locked;
            return outcome;
        }
        holdLock(std::move(fresh));
    }
    const auto onDisk = filesOnDisk();
    for (std::size_t i = 0; i < onDisk.size(); ++i) {
        if (onDisk[i] != knownFiles_[i])
            outcome.changedFiles << directory_ + DataFiles[i].fileName();
    }
    if (!outcome.changedFiles.isEmpty())
        outcome.refusal = SaveOutcome::Refusal::ChangedOnDisk;
    return outcome;
}

SaveOutcome Register::save(const QString &user, const QDateTime &now)
{
    SaveOutcome outcome = refusalBeforeSave(user, now);
    if (outcome.refusal != SaveOutcome::Refusal::None)
        return outcome;
    const auto before = knownFiles_;
    outcome.report = SaveData(tables_, incompleteFiles_, directory_, fs_,
        { generationsKept_, now, contentSavedAt_, knownContents_ });
    // Whatever the save replaced before it stopped is what this register wrote.
    knownFiles_ = filesOnDisk();
    knownContents_ = outcome.report.written;
    if (anyReplaced(before, knownFiles_))
        contentSavedAt_ = now;
    if (outcome.report.ok())
        setModified(false);
    return outcome;
}

SaveOutcome Register::saveElsewhere(
    const QString &folder, const QString &user, const QDateTime &now)
{
    SaveOutcome outcome;
    if (readOnly_) {
        outcome.refusal = SaveOutcome::Refusal::ReadOnly;
        return outcome;
    }
    const QString place = absoluteCleanPath(folder);
    const QString target = place.endsWith(u'/') ? place : place + u'/';
    outcome.refusal = targetRefusal(place, &outcome.error);
    if (outcome.refusal != SaveOutcome::Refusal::None)
        return outcome;
    // Locked before it is looked at, so no other copy starts a register there meanwhile.
    auto fresh = std::make_unique<DataLock>(target, fs_);
    outcome.lock = lockOutcome(*fresh, fresh->acquire(user, now));
    if (outcome.lock.result != DataLock::Result::Acquired) {
        outcome.refusal = SaveOutcome::Refusal::Locked;
        return outcome;
    }
    outcome.foundFiles = registerFilesIn(target);
    if (!outcome.foundFiles.isEmpty()) {
        outcome.refusal = SaveOutcome::Refusal::TargetHoldsData;
        return outcome;
    }
    // Nothing is replaced there, so there is nothing to keep as a generation or a backup.
    QSet<QString> nothingIncomplete;
    outcome.report = SaveData(tables_, nothingIncomplete, target, fs_, { 0, now });
    const SaveFailure::Phase phase = outcome.report.failure.phase;
    // Once the renames have begun the new folder holds this register, and its journal lets the
    // next save there finish the job.
    if (!outcome.report.ok() && phase != SaveFailure::Phase::Replace
        && phase != SaveFailure::Phase::FolderSync)
        return outcome;
    holdLock(std::move(fresh));
    directory_ = target;
    // What the new folder holds was written now, whatever the old folder's files say.
    contentSavedAt_ = now;
    // The originals of incompletely loaded files stay untouched in the old folder.
    incompleteFiles_.clear();
    knownFiles_ = filesOnDisk();
    knownContents_ = outcome.report.written;
    if (outcome.report.ok())
        setModified(false);
    return outcome;
}

void Register::setTables(Tables tables)
{
    tables_ = std::move(tables);
    setModified(false);
    announce({ DataTable::NoteTable, RegisterChange::Kind::Reset, 0,
        static_cast<int>(tables_.notes.size()), {} });
}

// ---- Changes ----

void Register::announce(const RegisterChange &change)
{
    emit changed(change);
}

void Register::setModified(bool modified)
{
    if (modified_ == modified)
        return;
    modified_ = modified;
    emit modifiedChanged(modified);
}

template <typename Table, typename Edit>
ChangeOutcome Register::editRow(
    Table &table, DataTable which, int index, RegisterChange::Kind kind, Edit edit)
{
    if (readOnly_)
        return ChangeOutcome::ReadOnly;
    if (!inTable(table.size(), index))
        return ChangeOutcome::NoSuchRow;
    auto &row = table[static_cast<std::size_t>(index)];
    auto changed = row;
    edit(changed);
    if (sameBytes(row, changed))
        return ChangeOutcome::Unchanged;
    row = changed;
    setModified(true);
    RegisterChange change { which, kind, index, 1, {} };
    if (kind == RegisterChange::Kind::Settled)
        change.rows = { index };
    announce(change);
    return ChangeOutcome::Done;
}

template <typename Table>
ChangeOutcome Register::removeRows(Table &table, DataTable which, int first, int last)
{
    if (readOnly_)
        return ChangeOutcome::ReadOnly;
    if (first < 0 || last < first || !inTable(table.size(), last))
        return ChangeOutcome::NoSuchRow;
    table.erase(table.begin() + first, table.begin() + last + 1);
    setModified(true);
    announce({ which, RegisterChange::Kind::Removed, first, last - first + 1, {} });
    return ChangeOutcome::Done;
}

template <typename Table>
ChangeOutcome Register::appendRow(
    Table &table, DataTable which, const typename Table::value_type &record)
{
    if (readOnly_)
        return ChangeOutcome::ReadOnly;
    table.push_back(record);
    setModified(true);
    announce({ which, RegisterChange::Kind::Appended, static_cast<int>(table.size()) - 1, 1, {} });
    return ChangeOutcome::Done;
}

ChangeOutcome Register::restore(Tables tables)
{
    if (readOnly_)
        return ChangeOutcome::ReadOnly;
    tables_ = std::move(tables);
    setModified(true);
    announce({ DataTable::NoteTable, RegisterChange::Kind::Reset, 0,
        static_cast<int>(tables_.notes.size()), {} });
    return ChangeOutcome::Done;
}

ChangeOutcome Register::appendNote(
    const NoteRecord &note, const std::optional<densai::NoteExtension> &extension)
{
    std::vector<densai::NoteExtension> extensions;
    if (extension) {
        extensions.push_back(*extension);
        extensions.back().note = 0;
    }
    return appendNotes({ note }, extensions);
}

ChangeOutcome Register::appendNotes(
    const std::vector<NoteRecord> &notes, const std::vector<densai::NoteExtension> &extensions)
{
    if (readOnly_)
        return ChangeOutcome::ReadOnly;
    if (notes.empty())
        return ChangeOutcome::Unchanged;
    const auto first = static_cast<int>(tables_.notes.size());
    tables_.notes.insert(tables_.notes.end(), notes.begin(), notes.end());
    for (densai::NoteExtension extension : extensions) {
        if (extension.note < 0 || extension.note >= static_cast<int>(notes.size()))
            continue;
        extension.note += first;
        tables_.extensions.set(extension);
    }
    setModified(true);
    announce({ DataTable::NoteTable, RegisterChange::Kind::Appended, first,
        static_cast<int>(notes.size()), {} });
    return ChangeOutcome::Done;
}

ChangeOutcome Register::replaceNote(int index, const NoteRecord &note)
{
    return editRow(tables_.notes, DataTable::NoteTable, index, RegisterChange::Kind::Replaced,
        [&](NoteRecord &n) { n = note; });
}

ChangeOutcome Register::replaceNote(
    int index, const NoteRecord &note, const std::optional<densai::NoteExtension> &extension)
{
    if (readOnly_)
        return ChangeOutcome::ReadOnly;
    if (!inTable(tables_.notes.size(), index))
        return ChangeOutcome::NoSuchRow;
    const densai::NoteExtension *had = tables_.extensions.of(index);
    std::optional<densai::NoteExtension> wanted = extension;
    if (wanted)
        wanted->note = index;
    const bool sameExtension = had ? wanted && *had == *wanted : !wanted;
    if (sameExtension)
        return replaceNote(index, note);
    if (wanted)
        tables_.extensions.set(*wanted);
    else
        tables_.extensions.erase(index);
    tables_.notes[static_cast<std::size_t>(index)] = note;
    setModified(true);
    announce({ DataTable::NoteTable, RegisterChange::Kind::Replaced, index, 1, {} });
    return ChangeOutcome::Done;
}

ChangeOutcome Register::removeNote(int index)
{
    const ChangeOutcome outcome = removeRows(tables_.notes, DataTable::NoteTable, index, index);
    if (outcome == ChangeOutcome::Done)
        tables_.extensions.noteRemoved(index);
    return outcome;
}

ChangeOutcome Register::splitNote(
    int index, const densai::SplitChild &child, int daysBefore, densai::SplitProblem *problem)
{
    if (readOnly_)
        return ChangeOutcome::ReadOnly;
    if (!inTable(tables_.notes.size(), index))
        return ChangeOutcome::NoSuchRow;
    NoteRecord parent = tables_.notes[static_cast<std::size_t>(index)];
    const densai::NoteExtension *parentExtension = tables_.extensions.of(index);
    const densai::SplitProblem why =
        densai::splitProblem(parent, parentExtension, tables_.extensions, child, daysBefore);
    if (problem)
        *problem = why;
    if (why != densai::SplitProblem::None)
        return ChangeOutcome::Unchanged;

    NoteRecord split = parent;
    split.Amount = child.amount;
    split.Kind = child.kind;
    split.NoteNumber.assign(child.number.noteNumber());
    densai::NoteExtension splitExtension = *parentExtension;
    splitExtension.number = child.number;
    splitExtension.parent = parentExtension->number;
    splitExtension.guarantee = child.kind == EndorsedNote && child.guarantee;
    splitExtension.transferee.assign(
        std::string_view(child.transferee.constData(), child.transferee.size()));
    parent.Amount = Money::fromStored(parent.Amount.stored() - child.amount.stored());

    // Both changes under one Modified: the models still hear each row's change.
    tables_.notes[static_cast<std::size_t>(index)] = parent;
    splitExtension.note = static_cast<int>(tables_.notes.size());
    tables_.notes.push_back(split);
    tables_.extensions.set(splitExtension);
    setModified(true);
    announce({ DataTable::NoteTable, RegisterChange::Kind::Replaced, index, 1, {} });
    announce({ DataTable::NoteTable, RegisterChange::Kind::Appended, splitExtension.note, 1, {} });
    return ChangeOutcome::Done;
}

ChangeOutcome Register::attachStray(int stray, int note)
{
    if (readOnly_)
        return ChangeOutcome::ReadOnly;
    if (!inTable(tables_.extensions.stray().size(), stray) || !inTable(tables_.notes.size(), note)
        || tables_.extensions.of(note) != nullptr)
        return ChangeOutcome::NoSuchRow;
    densai::NoteExtension extension =
        tables_.extensions.stray()[static_cast<std::size_t>(stray)].extension;
    extension.note = note;
    tables_.extensions.set(extension);
    tables_.extensions.eraseStray(stray);
    setModified(true);
    announce({ DataTable::NoteTable, RegisterChange::Kind::Replaced, note, 1, {} });
    return ChangeOutcome::Done;
}

ChangeOutcome Register::removeStray(int stray)
{
    if (readOnly_)
        return ChangeOutcome::ReadOnly;
    if (!inTable(tables_.extensions.stray().size(), stray))
        return ChangeOutcome::NoSuchRow;
    tables_.extensions.eraseStray(stray);
    setModified(true);
    return ChangeOutcome::Done;
}

ChangeOutcome Register::reclassifyNote(int index, NoteKind kind)
{
    return editRow(tables_.notes, DataTable::NoteTable, index, RegisterChange::Kind::Reclassified,
        [&](NoteRecord &n) { n.Kind = kind; });
}

ChangeOutcome Register::settleNote(int index)
{
    return editRow(tables_.notes, DataTable::NoteTable, index, RegisterChange::Kind::Settled,
        [](NoteRecord &n) { n.Settled = 1; });
}

int Register::applyApprovals(
    const std::vector<int> &indices, const std::vector<std::uint8_t> &choices)
{
    if (readOnly_)
        return -1;
    RegisterChange change { DataTable::NoteTable, RegisterChange::Kind::Settled, 0, 0, {} };
    const std::size_t count = std::min(indices.size(), choices.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (!inTable(tables_.notes.size(), indices[i]))
            continue;
        std::uint8_t &settled = tables_.notes[static_cast<std::size_t>(indices[i])].Settled;
        const std::uint8_t wanted = choices[i] != 0 ? 1 : 0;
        if (settled != wanted) {
            settled = wanted;
            change.rows.push_back(indices[i]);
        }
    }
    if (change.rows.empty())
        return 0;
    setModified(true);
    announce(change);
    return static_cast<int>(change.rows.size());
}

ChangeOutcome Register::appendEntry(RegisterKind kind, const RegisterEntry &entry)
{
    if (kind == RegisterKind::PartnerRegister)
        return appendRow(tables_.partners, DataTable::PartnerTable, newEntry<PartnerRecord>(entry));
    return appendRow(tables_.banks, DataTable::BankTable, newEntry<BankRecord>(entry));
}

ChangeOutcome Register::overwriteEntry(RegisterKind kind, int position, const RegisterEntry &entry)
{
    const auto edit = [&](auto &record) { fill(record, entry); };
    if (kind == RegisterKind::PartnerRegister)
        return editRow(tables_.partners, DataTable::PartnerTable, position,
            RegisterChange::Kind::Replaced, edit);
    return editRow(
        tables_.banks, DataTable::BankTable, position, RegisterChange::Kind::Replaced, edit);
}

template <typename Record>
ChangeOutcome Register::importInto(
    std::vector<Record> &table, DataTable which, const std::vector<RegisterEntry> &entries)
{
    if (readOnly_)
        return ChangeOutcome::ReadOnly;
    std::vector<Record> changed = table;
    // Codes to the positions bearing them, kept up to date as entries are appended.
    QHash<QByteArray, std::vector<std::size_t>> positions;
    for (std::size_t i = 0; i < changed.size(); ++i)
        positions[QByteArray(changed[i].Code.view().data(),
                      static_cast<qsizetype>(changed[i].Code.view().size()))]
            .push_back(i);
    for (const RegisterEntry &entry : entries) {
        std::vector<std::size_t> &bearing = positions[entry.code];
        if (bearing.empty()) {
            bearing.push_back(changed.size());
            changed.push_back(newEntry<Record>(entry));
            continue;
        }
        for (std::size_t at : bearing)
            fill(changed[at], entry);
    }
    if (changed.size() == table.size()
        && std::equal(changed.begin(), changed.end(), table.begin(), sameBytes<Record>))
        return ChangeOutcome::Unchanged;
    table = std::move(changed);
    setModified(true);
    announce({ which, RegisterChange::Kind::Replaced, 0, static_cast<int>(table.size()), {} });
    return ChangeOutcome::Done;
}

ChangeOutcome Register::importEntries(RegisterKind kind, const std::vector<RegisterEntry> &entries)
{
    if (kind == RegisterKind::PartnerRegister)
        return importInto(tables_.partners, DataTable::PartnerTable, entries);
    return importInto(tables_.banks, DataTable::BankTable, entries);
}

ChangeOutcome Register::removeEntries(RegisterKind kind, int first, int last)
{
    if (kind == RegisterKind::PartnerRegister)
        return removeRows(tables_.partners, tableOf(kind), first, last);
    return removeRows(tables_.banks, tableOf(kind), first, last);
}

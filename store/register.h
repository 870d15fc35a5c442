#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>

#include "core/records.h"
#include "core/tables.h"
#include "store/data_files.h"
#include "store/data_lock.h"
#include "store/file_system.h"
#include "store/settings_file.h"

// Which of the two small registers the registration sheet lists and edits.
enum class RegisterKind { BankRegister = 0, PartnerRegister = 1 };

// One partner or bank as the registration sheet enters it: Shift-JIS bytes, already cut to their
// limits. The bank code is a partner's usual bank.
struct RegisterEntry
{
    QByteArray code;
    QByteArray name;
    QByteArray bankCode;
};

// What a change did to which rows of which table, for the models and sheets that show them.
struct RegisterChange
{
    enum class Kind {
        Reset, // every table replaced (loaded)
        Appended, // rows first .. first + count - 1 are new at the end
        Removed, // rows first .. first + count - 1 are gone; later rows moved up
        Replaced, // rows first .. first + count - 1 hold other values
        Reclassified, // a note's kind changed
        Settled, // the Settled flag of the notes in rows changed
    };
    DataTable table = DataTable::NoteTable;
    Kind kind = Kind::Reset;
    int first = 0;
    int count = 0;
    // Settled: the notes whose flag changed, in no particular order.
    std::vector<int> rows;

    bool touches(int row) const
    {
        if (kind == Kind::Settled)
            return std::find(rows.begin(), rows.end(), row) != rows.end();
        return row >= first && row < first + count;
    }
    // A change in the number of notes sends the data sheet back to all notes.
    bool resizes() const
    {
        return kind == Kind::Reset || kind == Kind::Appended || kind == Kind::Removed;
    }
};

// Why a change was not made.
enum class ChangeOutcome {
    Done,
    Unchanged, // the table already held it: nothing to save
    NoSuchRow, // the index is outside the table
    ReadOnly, // another copy holds the folder, or where the data lives is unknown
};

// How taking the data folder's lock went.
struct LockOutcome
{
    DataLock::Result result = DataLock::Result::Acquired;
    LockHolder holder; // after HeldByOther
    bool holderMayBeStale = false; // after HeldByOther: only the user can tell
    int error = 0; // after Failed: errno, or 0 when the lock file could not be made
    QString lockPath;
};

// What a save did, or why it was refused before it began.
struct SaveOutcome
{
    enum class Refusal {
        None,
        ReadOnly,
        Locked, // the lock of a folder that was missing at start-up is another copy's
        LockLost, // this copy's lock file was removed or replaced: another copy may write too
        ChangedOnDisk, // the files in changedFiles are not the ones loaded (or appeared since)
        FolderRunOn, // the folder's name holds a line break: a settings line ended in LF alone
        NoFolder, // the settings line names no folder
        // The folder this copy opened and locked, while it runs:
        FolderGone, // nothing at its path any more: renamed, moved or removed
        FolderReplaced, // another folder (or a file) at its path: the one opened was moved away
        FolderUnreachable, // its path cannot be looked at (error): a network drive lost, rights
        // Saving into another folder:
        TargetIsCurrent, // the chosen folder is the data folder itself
        TargetUnusable, // the chosen folder is not a folder that can be reached (error)
        TargetHoldsData, // the chosen folder holds a register of its own (foundFiles)
    };
    Refusal refusal = Refusal::None;
    LockOutcome lock; // after Locked
    QStringList changedFiles; // after ChangedOnDisk
    int error = 0; // after FolderUnreachable and TargetUnusable: the errno
    QStringList foundFiles; // after TargetHoldsData: what of a register is there already
    SaveReport report; // when not refused
    bool ok() const { return refusal == Refusal::None && report.ok(); }
};

// The register of one run: the three tables in memory and the data folder they come from and
// go back to. It is the only thing that changes a table. It works out Modified itself, refuses
// every change while read-only, and announces each change, so no screen keeps these rules.
class Register : public QObject
{
    Q_OBJECT
public:
    // Every file call of the register goes through fs, the layer it keeps for the whole run.
    explicit Register(FileSystem &fs, QObject *parent = nullptr);
    ~Register() override;

    const Notes &notes() const { return tables_.notes; }
    const Partners &partners() const { return tables_.partners; }
    const Banks &banks() const { return tables_.banks; }
    // The three tables, for logic that only reads them.
    const Tables &tables() const { return tables_; }
    bool modified() const { return modified_; }
    bool readOnly() const { return readOnly_; }
    // The data folder with its trailing separator; the file names are appended as written.
    const QString &directory() const { return directory_; }
    // The settings file the folder was taken from.
    const QString &settingsPath() const { return settingsPath_; }
    // Data file names whose load stopped at a fault: their original is kept as a backup before
    // the first save replaces it with what was loaded.
    const QSet<QString> &incompleteFiles() const { return incompleteFiles_; }
    // The files of the register's own that nothing else may replace: the data files, the save
    // journal, the lock and its holder's note, and the settings file.
    QStringList ownFiles() const;
    // Who holds the folder when this copy is read-only because of the lock.
    const LockHolder &lockHolder() const { return lockHolder_; }

    // ---- The data folder's session ----

    // Finds the data folder through the settings file (created when missing). A folder that
    // cannot be known leaves the register empty and read-only.
    DataLocation locate(const QString &programDirectory, const QString &fallbackConfigDir,
        const QString &fallbackDataDir);
    // Uses this folder, as a settings file would name it.
    void useDirectory(const QString &directory);
    // Takes the folder's lock for this copy; any other result makes the register read-only.
    LockOutcome lock(const QString &user, const QDateTime &now);
    // Takes the lock from a holder the user says is gone.
    LockOutcome takeOver(const QString &user, const QDateTime &now);
    // The holder file names the program's user beside the system login.
    void recordProgramUser(const QString &name);
    // Reads the three files into empty tables. The lock's holder first settles a save an earlier
    // run left unfinished; a read-only copy leaves it to the holder. Modified is cleared.
    LoadReport load();
    // Writes the three tables as one journaled step, taking the lock first when the folder did
    // not exist at start-up. A register that was not loaded is never overwritten: the save is
    // refused when the lock is no longer this copy's or a data file on disk is not the one loaded
    // (replaced, written, or there when it was not). Modified is cleared only when all is done.
    SaveOutcome save(const QString &user, const QDateTime &now);
    // Writes the three tables into another folder with the same journaled save, and uses that
    // folder for the rest of the run: its lock is taken first, the old folder's let go when it is
    // still this copy's. The settings file is left as it is. A folder that holds a register of its
    // own (a data file, a save journal, generations) is refused with nothing written, so two
    // registers are never mixed. Modified is cleared only when all is done.
    SaveOutcome saveElsewhere(const QString &folder, const QString &user, const QDateTime &now);
    // The file layer every call of the register goes through.
    FileSystem &fileSystem() const { return fs_; }

    // Installs whole tables as they were read (a run's data, or a test's), unchanged and saved.
    void setTables(Tables tables);
    // Puts whole tables in place as a change not yet saved: a generation brought back.
    ChangeOutcome restore(Tables tables);
    // How many generations each save keeps (generations.h); 0 keeps none.
    void keepGenerations(int count) { generationsKept_ = count; }

    // ---- Changes to notes; a note is named by its index in the note table ----

    // A note appended with what it carries (a でんさい), or none for paper; extension->note is
    // set here.
    ChangeOutcome appendNote(
        const NoteRecord &note, const std::optional<densai::NoteExtension> &extension = {});
    // Notes read from a file, appended in their order as one change. Each extension names its
    // note by its index in notes.
    ChangeOutcome appendNotes(const std::vector<NoteRecord> &notes,
        const std::vector<densai::NoteExtension> &extensions = {});
    // The note keeps what it carries.
    ChangeOutcome replaceNote(int index, const NoteRecord &note);
    // The note and what it carries: none makes it a paper note.
    ChangeOutcome replaceNote(
        int index, const NoteRecord &note, const std::optional<densai::NoteExtension> &extension);
    // Later notes move up one place, keeping their order.
    ChangeOutcome removeNote(int index);
    // A received note turned into a discounted or endorsed one.
    ChangeOutcome reclassifyNote(int index, NoteKind kind);
    // The collection of a note confirmed.
    ChangeOutcome settleNote(int index);
    // 分割: a child split off the received でんさい at index is appended, transferred or
    // discounted at once; the parent keeps the remainder. One change. daysBefore is the setting
    // of the period before 支払期日 in which the network refuses it. problem, when given, says why
    // it was refused (Unchanged).
    ChangeOutcome splitNote(int index, const densai::SplitChild &child, int daysBefore,
        densai::SplitProblem *problem = nullptr);
    // An extension kept aside on load: attached to a note without one, or removed for good.
    ChangeOutcome attachStray(int stray, int note);
    ChangeOutcome removeStray(int stray);

    // The approval list's choices: Settled of note indices[i] := choices[i] (0 or 1). Indices
    // outside the table are passed over. How many notes changed, or -1 when read-only.
    int applyApprovals(const std::vector<int> &indices, const std::vector<std::uint8_t> &choices);

    // ---- The registration sheet's changes to partners and banks ----

    ChangeOutcome appendEntry(RegisterKind kind, const RegisterEntry &entry);
    // Name (and a partner's bank code) of an existing entry; its code stays.
    ChangeOutcome overwriteEntry(RegisterKind kind, int position, const RegisterEntry &entry);
    // Entries first to last, inclusive; later entries move up in order. Notes that use a
    // removed code keep it.
    ChangeOutcome removeEntries(RegisterKind kind, int first, int last);
    // Entries read from a file, in their order, as one change of the whole table: an entry whose
    // code is registered overwrites every entry bearing it, as the registration sheet does; the
    // others are appended.
    ChangeOutcome importEntries(RegisterKind kind, const std::vector<RegisterEntry> &entries);

signals:
    void changed(const RegisterChange &change);
    void modifiedChanged(bool modified);

private:
    template <typename Table, typename Edit>
    ChangeOutcome editRow(
        Table &table, DataTable which, int index, RegisterChange::Kind kind, Edit edit);
    template <typename Record>
    ChangeOutcome importInto(
        std::vector<Record> &table, DataTable which, const std::vector<RegisterEntry> &entries);
    template <typename Table>
    ChangeOutcome removeRows(Table &table, DataTable which, int first, int last);
    template <typename Table>
    ChangeOutcome appendRow(
        Table &table, DataTable which, const typename Table::value_type &record);
    void announce(const RegisterChange &change);
    void setModified(bool modified);
    LockOutcome lockOutcome(DataLock &lock, DataLock::Result result);
    LockOutcome takeLock(DataLock::Result result);
    // The data files as they are on disk now, in file order.
    std::array<FileIdentity, DataFiles.size()> filesOnDisk() const;
    SaveOutcome refusalBeforeSave(const QString &user, const QDateTime &now);
    // Holds lock as the lock of the data folder, which is the folder it now stands for.
    void holdLock(std::unique_ptr<DataLock> lock);
    // Why the folder opened and locked can no longer take a save; None when it still can.
    SaveOutcome::Refusal targetRefusal(const QString &place, int *error) const;
    QStringList registerFilesIn(const QString &folder) const;
    // The folder stat described is the one this copy locked, however it is reached now.
    bool isLockedFolder(const struct stat &info) const;
    SaveOutcome::Refusal folderLost(int *error) const;

    Tables tables_;
    QString directory_;
    QString settingsPath_;
    int generationsKept_ = 0;
    QSet<QString> incompleteFiles_;
    bool modified_ = false;
    bool readOnly_ = false;
    std::unique_ptr<DataLock> lock_;
    // The folder the lock was taken in (device and inode): a folder renamed away while the
    // program runs takes its lock file with it, and another may take its name.
    FileIdentity lockedFolder_;
    LockHolder lockHolder_;
    QString programUser_;
    // The data files as this register last read or wrote them; none existing before a load.
    FileSystem &fs_;
    std::array<FileIdentity, DataFiles.size()> knownFiles_ {};
    // What those files held as this register read or wrote them: a generation lists it without
    // reading them again. Unknown after a save that did not complete.
    std::array<FileContent, DataFiles.size()> knownContents_ {};
    // When the data files on disk were saved: by this run, or as their times said when loaded.
    // The next save's generation keeps it, since that generation's name is the later save's time.
    QDateTime contentSavedAt_;
};

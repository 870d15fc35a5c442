#pragma once

#include <QString>
#include <QStringList>

#include "store/program_options.h"
#include "store/register.h"

// The Japanese texts of what the store reports. The store answers with typed outcomes; the
// wording the user sees lives here alone.
namespace messages {

// "ユーザー「u」がコンピューター「h」で yyyy/MM/dd HH:mm から", the holder in one phrase; the
// program's user comes first when the holder has recorded one.
QString holderPhrase(const LockHolder &holder);

// Why a read-only copy cannot change or save anything, for the status line.
QString readOnlyStatus(const Register &data);

// Start-up: the lock of folder could not be taken (HeldByOther or Failed).
QString lockFailedAtStart(const QString &folder, const LockOutcome &lock);
// The question before taking over a lock whose holder may be gone.
QString takeOverQuestion(const QString &folder, const LockOutcome &lock);
QString takeOverFailed(const QString &folder);
// Why 上書き保存 is refused in a copy that opened read-only.
QString readOnlyNotice(const QString &folder, const LockOutcome &lock);
// A save refused before it began (not for a read-only copy, which has its own notice).
QString saveRefused(const QString &folder, const SaveOutcome &outcome);
// After a refused save: the question whether to save into another folder instead.
QString saveElsewhereQuestion();
// Saving into the chosen folder was refused or failed.
QString saveElsewhereRefused(const QString &folder, const SaveOutcome &outcome);
// A save into another folder cut off once its files were being put in place: the run uses that
// folder now, and the work is not saved yet.
QString movedUnsaved(const QString &folder);
// The register now lives in folder; the settings file still names the one it came from, or the
// command line named that one for this run only.
QString savedElsewhere(const QString &folder, const QString &from, const QString &settingsPath,
    bool fromCommandLine = false);

// Why a data file could not be read or written.
QString reason(const FileFault &fault);
// Paths as a message lists them: each in 「」.
QString quotedList(const QStringList &paths);

// Start-up: the settings file could not be read or made; empty when there was no problem.
QString settingsProblem(const DataLocation &where);
// Start-up: what to say about the data folder before loading it; empty when it is ready.
QString folderCheck(const DataFolderCheck &check);
// What was done about a save an earlier run did not finish; empty when there was none.
QString recoveryNotice(const SettledSave &settled);
// Every data file that did not load whole, the records read and the reason, and a recovery
// that failed.
QString loadProblems(const LoadReport &report);
// A save that stopped: which file, why, and which files are already new.
QString saveFailed(const SaveFailure &failure);
// The whole message of a failed save, with what became of a save an earlier run left.
QString saveFailed(const SaveReport &report);
// The originals of incompletely loaded files kept before the save replaced them.
QString backupsKept(const QStringList &backups);
// A save that went through without keeping a generation of what it replaced.
QString generationNotKept(const GenerationFault &fault);
// A save that needed the room of older generations (their names) on a full disk.
QString generationsDropped(const QStringList &names);
// Why a generation cannot be used, as one line.
QString generationReason(const GenerationFault &fault);
// The restore list's row of a generation that cannot be brought back: "エラー" and why.
QString generationError(const GenerationFault &fault);
// 復元 found the chosen generation unreadable.
QString generationNotRestored(const QString &path, const GenerationFault &fault);
// The restore list lists nothing: backup/ cannot be used or read.
QString generationsUnavailable(const GenerationFault &fault);

// An export may not take the place of one of the program's own files.
QString exportRefused(const QString &path);

// The user file could not be read; recordsRead whole records came before the fault.
QString userFileUnreadable(const QString &path, const FileFault &fault, qsizetype recordsRead);
// replaced: the new file is in place, only the folder's sync failed.
QString userFileNotSaved(const QString &path, int error, bool replaced = false);

// Start-up: the program's own settings file could not be read; every setting is its default.
QString programOptionsUnreadable(const QString &path, const FileFault &fault);
// Start-up: a kept value that is not used, and the one used instead.
QString optionRejected(const QString &path, const OptionProblem &problem);
// A changed setting could not be kept; the file is as it was.
QString programOptionsNotSaved(const QString &path, const FileFault &fault);

} // namespace messages

#pragma once

#include <QByteArray>
#include <QString>

#include "store/file_fault.h"
#include "store/file_system.h"

// A kept value that could not be used: which, what the file says, the whole numbers it may be,
// and what is used instead.
struct OptionProblem
{
    QString name; // the setting, as the program names it
    QString user; // whose setting, for one kept per user; empty otherwise
    QString value; // as the file spells it
    int least = 0;
    int most = 0;
    int fallback = 0;
    bool isProblem() const { return !name.isEmpty(); }
};

// The program's own settings, apart from VMKolvam.ini, whose lines are the design's: a small INI
// file of its own beside it, in the layout QSettings gave it (top-level keys under [General], a
// per-user key in its setting's section). Without a place to keep them (no settings folder
// known), every setting reads as its fallback and nothing is kept.
class ProgramOptions
{
public:
    ProgramOptions() = default;
    // Reads the file once: only a regular file, and only a small one.
    explicit ProgramOptions(QString path, FileSystem &fs);

    // Why the file could not be read; none when it was read or is not there. Every setting then
    // reads as its fallback.
    const FileFault &readFault() const { return readFault_; }

    // A whole number from least to most kept under name; fallback when none is kept, and also
    // when the kept one is no such number, which problem then describes.
    int number(const QString &name, int least, int most, int fallback,
        OptionProblem *problem = nullptr) const;
    // The same for a number kept for one user.
    int userNumber(const QString &name, const QString &user, int least, int most, int fallback,
        OptionProblem *problem = nullptr) const;

    // Keeps value for user: the file as it is now, read again so that no other setting is lost,
    // with this one changed, replaces it whole. A link another user owns is never followed. On
    // failure fault says why, and the file is as it was.
    bool setUserNumber(
        const QString &name, const QString &user, int value, FileFault *fault = nullptr);

    const QString &path() const { return path_; }

private:
    int lookUp(const QString &key, const QString &name, const QString &user, int least, int most,
        int fallback, OptionProblem *problem) const;

    QString path_;
    FileSystem *fs_ = nullptr;
    FileFault readFault_;
    QByteArray content_;
};

// Where the program's own settings go: beside the settings file at settingsPath.
QString programOptionsPath(const QString &settingsPath);

// The setting for how many generations each save keeps; 0 keeps none.
inline constexpr const char16_t *GenerationsSetting = u"generations";
inline constexpr int MostGenerationsKept = 1000;
int generationsKept(const ProgramOptions &options, OptionProblem *problem = nullptr);

// The setting for how many bank days before 支払期日 a でんさい can no longer be transferred,
// split or discounted (core/densai.h says where the default comes from).
inline constexpr const char16_t *DensaiDaysSetting = u"densaiDaysBeforeDue";
inline constexpr int MostDensaiDaysBefore = 20;
int densaiDaysBefore(const ProgramOptions &options, OptionProblem *problem = nullptr);

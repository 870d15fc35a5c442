#pragma once

#include <QString>

// The program's own settings, apart from VMKolvam.ini, whose lines are the design's: a small INI
// file of its own beside it. Without a place to keep them (no settings folder known), every
// setting reads as its fallback and nothing is kept.
class ProgramOptions
{
public:
    ProgramOptions() = default;
    explicit ProgramOptions(QString path);

    // A whole number kept for the whole program under name; fallback when none is kept.
    int number(const QString &name, int fallback) const;

    // A whole number kept for one user under name; fallback when none is kept or it is no number.
    int userNumber(const QString &name, const QString &user, int fallback) const;
    void setUserNumber(const QString &name, const QString &user, int value);

    const QString &path() const { return path_; }

private:
    QString path_;
};

// Where the program's own settings go: beside the settings file at settingsPath.
QString programOptionsPath(const QString &settingsPath);

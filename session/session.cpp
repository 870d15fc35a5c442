#include "session/session.h"

#include <algorithm>

#include <QFileInfo>

bool Session::isProgramFile(const QString &path) const
{
    // A data file may be a link to the real one: both names are the file.
    const auto places = [](const QString &p) {
        const QString real = QFileInfo(p).canonicalFilePath();
        return QStringList { placeOf(p), real.isEmpty() ? placeOf(p) : real };
    };
    const QStringList wanted = places(path);
    QStringList own = Data.ownFiles();
    if (!UserFile.isEmpty())
        own << UserFile;
    return std::any_of(own.begin(), own.end(), [&](const QString &file) {
        const QStringList at = places(file);
        return std::any_of(at.begin(), at.end(),
            [&](const QString &place) { return !place.isEmpty() && wanted.contains(place); });
    });
}

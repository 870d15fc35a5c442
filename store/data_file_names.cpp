#include "store/data_file_names.h"

using namespace Qt::StringLiterals;

QStringList dataFileNames()
{
    QStringList names;
    for (const DataFile &file : DataFiles)
        names << file.fileName();
    return names;
}

QString quotedList(const QStringList &paths)
{
    QString text;
    for (const QString &p : paths)
        text += u"「%1」"_s.arg(p);
    return text;
}

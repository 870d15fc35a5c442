#include "store/data_file_names.h"

#include "store/data_files.h"

using namespace Qt::StringLiterals;

QStringList dataFileNames()
{
    return { QString::fromUtf16(PartnerFileName), QString::fromUtf16(NoteFileName),
        QString::fromUtf16(BankFileName) };
}

QString quotedList(const QStringList &paths)
{
    QString text;
    for (const QString &p : paths)
        text += u"「%1」"_s.arg(p);
    return text;
}

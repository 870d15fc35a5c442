#include "core/kinds.h"

#include <QStringList>

#include "core/records.h"

using namespace Qt::StringLiterals;

QStringList noteKindNames()
{
    return { u"支払手形"_s, u"受取手形"_s, u"裏書手形"_s, u"割引手形"_s, u"小切手"_s };
}

QString noteKindName(int kind)
{
    static const QStringList names = noteKindNames();
    return kind >= 0 && kind < NoteKindCount ? names.at(kind) : QString();
}

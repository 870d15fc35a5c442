#include "output/yen_unit.h"

#include "core/sjis.h"

using namespace Qt::StringLiterals;

QString yenUnit(Money amount)
{
    if (amount.atUpperLimit())
        return u"円以上"_s;
    if (amount.atLowerLimit())
        return u"円以下"_s;
    return u"円"_s;
}

const QByteArray &yenUnitBytes(Money amount)
{
    static const QByteArray plain = sjis::encode(u"円"_s);
    static const QByteArray above = sjis::encode(u"円以上"_s);
    static const QByteArray below = sjis::encode(u"円以下"_s);
    return amount.atUpperLimit() ? above : amount.atLowerLimit() ? below : plain;
}

#include "access/rights.h"

#include "access/user_file.h"

using namespace Qt::StringLiterals;

QStringList governedMenuItems()
{
    return { u"File1"_s, u"Save1"_s, u"Print1"_s, u"Edit1"_s, u"Find1"_s, u"Show1"_s, u"SET1"_s,
        u"SET2"_s, u"SET3"_s, u"User1"_s };
}

QStringList enabledMenuItems(std::uint8_t permissions)
{
    if (permissions & AllRights)
        return governedMenuItems();
    QStringList items;
    if (permissions & SaveAndSearch)
        items << u"File1"_s << u"Save1"_s << u"Show1"_s << u"Find1"_s;
    if (permissions & DeleteAndApprove)
        items << u"Edit1"_s << u"Show1"_s;
    if (permissions & PartnerAndBankSettings)
        items << u"SET1"_s << u"SET2"_s << u"SET3"_s << u"Show1"_s;
    items.removeDuplicates();
    return items;
}

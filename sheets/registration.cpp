#include "sheets/registration.h"

#include "store/sjis.h"

using namespace Qt::StringLiterals;

namespace {

template <std::size_t N> void store(ShortText<N> &field, const QByteArray &bytes)
{
    field.assign(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QByteArray bytesOf(std::string_view view)
{
    return QByteArray(view.data(), static_cast<qsizetype>(view.size()));
}

template <typename Table> std::vector<int> positionsIn(const Table &table, const QByteArray &code)
{
    std::vector<int> found;
    const std::string_view wanted(code.constData(), static_cast<std::size_t>(code.size()));
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].Code.view() == wanted)
            found.push_back(static_cast<int>(i));
    }
    return found;
}

template <typename Table> bool removeFrom(Table &table, int first, int last)
{
    if (first < 0 || last < first || static_cast<std::size_t>(last) >= table.size())
        return false;
    table.erase(table.begin() + first, table.begin() + last + 1);
    return true;
}

void fill(BankRecord &bank, const RegisterEntry &entry)
{
    store(bank.Name, entry.name);
}

void fill(PartnerRecord &partner, const RegisterEntry &entry)
{
    store(partner.Name, entry.name);
    store(partner.BankCode, entry.bankCode);
}

template <typename Table> bool overwriteIn(Table &table, int position, const RegisterEntry &entry)
{
    if (position < 0 || static_cast<std::size_t>(position) >= table.size())
        return false;
    fill(table[static_cast<std::size_t>(position)], entry);
    return true;
}

template <typename Table> void appendTo(Table &table, const RegisterEntry &entry)
{
    typename Table::value_type record {};
    store(record.Code, entry.code);
    fill(record, entry);
    table.push_back(record);
}

} // namespace

RegisterKind registerKindOf(unsigned mode)
{
    return mode == 1 ? RegisterKind::PartnerRegister : RegisterKind::BankRegister;
}

RegisterLimits registerLimits(RegisterKind kind)
{
    if (kind == RegisterKind::PartnerRegister)
        return { 5, 40 };
    return { 8, static_cast<int>(BankNameDiskText) };
}

QByteArray cutToBytes(const QString &text, int maxBytes)
{
    return sjis::cutBytes(sjis::encode(text), maxBytes);
}

RegisterEntry registerEntry(
    RegisterKind kind, const QString &code, const QString &name, const QByteArray &bankCode)
{
    const RegisterLimits limits = registerLimits(kind);
    RegisterEntry entry;
    entry.code = cutToBytes(code, limits.code);
    entry.name = cutToBytes(name, limits.name);
    if (kind == RegisterKind::PartnerRegister)
        entry.bankCode = sjis::cutBytes(bankCode, 8);
    return entry;
}

namespace registerchanges {

int entryCount(const AppState &state, RegisterKind kind)
{
    const std::size_t n =
        kind == RegisterKind::PartnerRegister ? state.PartnerTable.size() : state.BankTable.size();
    return static_cast<int>(n);
}

std::vector<int> positionsOf(const AppState &state, RegisterKind kind, const QByteArray &code)
{
    return kind == RegisterKind::PartnerRegister ? positionsIn(state.PartnerTable, code)
                                                 : positionsIn(state.BankTable, code);
}

void append(AppState &state, RegisterKind kind, const RegisterEntry &entry)
{
    if (kind == RegisterKind::PartnerRegister)
        appendTo(state.PartnerTable, entry);
    else
        appendTo(state.BankTable, entry);
    state.Modified = true;
}

bool overwrite(AppState &state, RegisterKind kind, int position, const RegisterEntry &entry)
{
    const bool done = kind == RegisterKind::PartnerRegister
        ? overwriteIn(state.PartnerTable, position, entry)
        : overwriteIn(state.BankTable, position, entry);
    if (done)
        state.Modified = true;
    return done;
}

bool removeRange(AppState &state, RegisterKind kind, int first, int last)
{
    const bool done = kind == RegisterKind::PartnerRegister
        ? removeFrom(state.PartnerTable, first, last)
        : removeFrom(state.BankTable, first, last);
    if (done)
        state.Modified = true;
    return done;
}

} // namespace registerchanges

QString bankDisplayText(const BankRecord &bank)
{
    const QByteArray code = bytesOf(bank.Code.view());
    const QByteArray padded = code.size() < 8 ? QByteArray(8 - code.size(), ' ') + code : code;
    return sjis::decode(padded + ' ' + bytesOf(bank.Name.view()));
}

QStringList bankDisplayList(const Banks &banks)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(banks.size()));
    for (const BankRecord &bank : banks)
        list << bankDisplayText(bank);
    return list;
}

QString overwriteQuestion(const QString &code)
{
    return code + u"は既に登録されています。\n上書きしますか？"_s;
}

#include "sheets/registration.h"

#include "core/sjis.h"
#include "core/value_parsers.h"
#include "messages/entry_messages.h"

using namespace Qt::StringLiterals;

namespace {

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

std::optional<RegisterEntry> registerEntry(RegisterKind kind, const QString &code,
    const QString &name, const QByteArray &bankCode, QString *problem)
{
    const values::Field nameField = kind == RegisterKind::PartnerRegister
        ? values::Field::PartnerName
        : values::Field::BankName;
    for (const auto &[text, field] :
        { std::pair { &code, values::Field::Code }, std::pair { &name, nameField } }) {
        if (!sjis::canEncode(*text)) {
            if (problem)
                *problem = messages::problemText({ values::Problem::Kind::Unencodable, field });
            return std::nullopt;
        }
    }
    const RegisterLimits limits = registerLimits(kind);
    RegisterEntry entry;
    entry.code = cutToBytes(code, limits.code);
    entry.name = cutToBytes(name, limits.name);
    if (kind == RegisterKind::PartnerRegister)
        entry.bankCode = sjis::cutBytes(bankCode, 8);
    return entry;
}

int entryCount(const Tables &tables, RegisterKind kind)
{
    const std::size_t n =
        kind == RegisterKind::PartnerRegister ? tables.partners.size() : tables.banks.size();
    return static_cast<int>(n);
}

std::vector<int> positionsOf(const Tables &tables, RegisterKind kind, const QByteArray &code)
{
    return kind == RegisterKind::PartnerRegister ? positionsIn(tables.partners, code)
                                                 : positionsIn(tables.banks, code);
}

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

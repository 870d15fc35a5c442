#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "session/session.h"

// Which register the registration sheet lists and edits. Any other mode value means banks.
RegisterKind registerKindOf(unsigned mode);

// The byte limits of the sheet's fields. A bank name keeps 62 bytes: that is what its record
// holds on disk, so what is typed is what comes back.
struct RegisterLimits
{
    int code;
    int name;
};
RegisterLimits registerLimits(RegisterKind kind);

// Text cut to maxBytes of code page 932 on a character boundary.
QByteArray cutToBytes(const QString &text, int maxBytes);

// The entry the controls show, cut to the limits of the register; nothing when the code or the
// name holds a character code page 932 cannot (problem then names the field), which is never
// stored empty.
std::optional<RegisterEntry> registerEntry(RegisterKind kind, const QString &code,
    const QString &name, const QByteArray &bankCode, QString *problem = nullptr);

// How many entries the register holds.
int entryCount(const Tables &tables, RegisterKind kind);
// Positions, in table order, of the entries bearing exactly this code.
std::vector<int> positionsOf(const Tables &tables, RegisterKind kind, const QByteArray &code);

// "%8s " of the bank code followed by the name: the partner's bank list shows both though its
// value is the code alone. Widths count Shift-JIS bytes, as the code's limit does.
QString bankDisplayText(const BankRecord &bank);
QStringList bankDisplayList(const Banks &banks);

// "…は既に登録されています。\n上書きしますか？" for a code already registered.
QString overwriteQuestion(const QString &code);

#pragma once

#include <cstdint>
#include <utility>

#include <QAbstractItemModel>
#include <QDate>
#include <QString>
#include <QStringList>

#include "controls/sheet_grid_model.h"
#include "core/day_date.h"
#include "core/sjis.h"
#include "session/session.h"
#include "tests/support/qt_printers.h"

// Small registers for the data sheet's tests, with texts given as QString and stored as the
// Shift-JIS bytes the files hold.
namespace fixtures {

template <typename Field> void put(Field &field, const QString &text)
{
    const QByteArray bytes = sjis::encode(text);
    field.assign(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

inline PartnerRecord partner(const QString &code, const QString &name)
{
    PartnerRecord p;
    put(p.Code, code);
    put(p.Name, name);
    return p;
}

inline BankRecord bank(const QString &code, const QString &name)
{
    BankRecord b;
    put(b.Code, code);
    put(b.Name, name);
    return b;
}

struct NoteFields
{
    QString partnerCode;
    QString bankCode;
    std::uint8_t kind = ReceivableNote;
    std::uint8_t settled = 0;
    std::int64_t amount = 0; // times 10,000
    QString number = QStringLiteral("A-1");
};

inline NoteRecord note(const NoteFields &wanted)
{
    NoteRecord n;
    put(n.PartnerCode, wanted.partnerCode);
    put(n.BankCode, wanted.bankCode);
    put(n.NoteNumber, wanted.number);
    put(n.Remarks, QStringLiteral("売掛金回収"));
    put(n.EnteredBy, QStringLiteral("Admini"));
    n.IssueDate = daydate::fromDate(QDate(2024, 1, 5));
    n.DueDate = daydate::fromDate(QDate(2024, 4, 30));
    n.Kind = wanted.kind;
    n.Settled = wanted.settled;
    n.Amount = Money::fromStored(wanted.amount);
    return n;
}

// Three partners (one code registered twice), two banks, and notes of every kind.
inline Tables smallRegister()
{
    Tables t;
    t.partners = { partner(QStringLiteral("001"), QStringLiteral("株式会社ベルモラ商事")),
        partner(QStringLiteral("002"), QStringLiteral("山田工業")),
        partner(QStringLiteral("001"), QStringLiteral("ベルモラ物産")) };
    t.banks = { bank(QStringLiteral("B01"), QStringLiteral("みずほ銀行")),
        bank(QStringLiteral("B02"), QStringLiteral("三井住友銀行　本店")) };
    t.notes = {
        note({ QStringLiteral("001"), QStringLiteral("B01"), PayableNote, 0, 12'345'670'000 }),
        note({ QStringLiteral("002"), QStringLiteral("B02"), ReceivableNote, 0, 50'000'000 }),
        note({ QStringLiteral("002"), QStringLiteral("B01"), ReceivableNote, 1, -9'876'540'000 }),
        note({ QStringLiteral("001 "), QStringLiteral("B9"), EndorsedNote, 1, 5'000 }),
        note({ QStringLiteral("002"), QStringLiteral("B02"), DiscountedNote, 0, 0 }),
        note({ QStringLiteral("002"), QStringLiteral("B02"), Cheque, 0, 1'000'000 }),
    };
    return t;
}

// The small register as loaded, for a user with every right.
inline void fillSmallRegister(Session &state)
{
    state.Data.setTables(smallRegister());
    state.CurrentUser.Permissions = 15;
}

// The tables as they are now, with edit applied, installed again as a fresh load would install
// them: for what no user action changes (codes, raw bytes) or a register changed behind a screen.
template <typename Edit> void reload(Session &state, Edit edit)
{
    Tables t { state.NoteTable, state.PartnerTable, state.BankTable };
    edit(t);
    state.Data.setTables(std::move(t));
}

// The tables as they are now, installed again: unmodified, as after a load.
inline void reload(Session &state)
{
    reload(state, [](Tables &) {});
}

// Every cell of a grid model, row by row: what its view shows.
inline QStringList gridTexts(const SheetGridModel &model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 0; column < model.columnCount(); ++column)
            texts << model.cellText(row, column);
    }
    return texts;
}

// Writes what the model tells its views into seen, while context lives: "modelReset",
// "rowsInserted 6-6", "rowsRemoved 2-2", "dataChanged 0-4" (first and last row).
inline void recordRowSignals(const QAbstractItemModel &model, QObject &context, QStringList &seen)
{
    const auto rows = [&seen](const QString &what) {
        return [&seen, what](const QModelIndex &, int first, int last) {
            seen << QStringLiteral("%1 %2-%3").arg(what).arg(first).arg(last);
        };
    };
    QObject::connect(
        &model, &QAbstractItemModel::rowsInserted, &context, rows(QStringLiteral("rowsInserted")));
    QObject::connect(
        &model, &QAbstractItemModel::rowsRemoved, &context, rows(QStringLiteral("rowsRemoved")));
    QObject::connect(&model, &QAbstractItemModel::dataChanged, &context,
        [&seen](const QModelIndex &top, const QModelIndex &bottom) {
            seen << QStringLiteral("dataChanged %1-%2").arg(top.row()).arg(bottom.row());
        });
    QObject::connect(&model, &QAbstractItemModel::modelReset, &context,
        [&seen] { seen << QStringLiteral("modelReset"); });
}

} // namespace fixtures

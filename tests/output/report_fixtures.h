#pragma once

#include <numeric>
#include <vector>

#include <QString>

#include "session/session.h"
#include "tests/sheets/sheet_fixtures.h"

// A register for the note list's pages: a partner and two banks, one whose name is long enough
// for the tall row, and count notes with numbers N0000, N0001, ... in table order.
namespace reportfixtures {

inline const QString PartnerName = QStringLiteral("株式会社ベルモラ商事");
// 16 full-width characters and one more byte: 33 bytes.
inline const QString LongBankName = QStringLiteral("ベルモラ信用金庫東京中央支店営業A");

inline Tables noteRegister(int count, bool tallEvery10th = false)
{
    Tables s;
    s.partners = { fixtures::partner(QStringLiteral("001"), PartnerName) };
    s.banks = { fixtures::bank(QStringLiteral("B01"), QStringLiteral("みずほ銀行")),
        fixtures::bank(QStringLiteral("B02"), LongBankName) };
    for (int i = 0; i < count; ++i) {
        const bool tall = tallEvery10th && i % 10 == 9;
        NoteRecord n = fixtures::note({ QStringLiteral("001"),
            tall ? QStringLiteral("B02") : QStringLiteral("B01"), PayableNote, 0,
            (i + 1) * 10'000'000LL, QStringLiteral("N%1").arg(i, 4, 10, QLatin1Char('0')) });
        s.notes.push_back(n);
    }
    return s;
}

inline std::vector<int> allRows(const Session &s)
{
    std::vector<int> rows(s.NoteTable.size());
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

} // namespace reportfixtures

#include "due/due_texts.h"

#include "core/day_date.h"
#include "core/formats.h"
#include "core/kinds.h"
#include "core/sjis.h"
#include "output/partner_summary.h"
#include "output/yen_unit.h"

using namespace Qt::StringLiterals;

namespace due {

QString dateText(QDate day)
{
    return day.isValid() ? day.toString(u"yyyy/MM/dd"_s) : QString();
}

QString amountText(Money amount)
{
    return formats::wholeUnits(amount, true).toString();
}

QString yenText(Money amount)
{
    return amountText(amount) + yenUnit(amount);
}

QString monthText(QDate month)
{
    return month.toString(u"yyyy年MM月"_s);
}

QString countText(std::int64_t count)
{
    return QString::number(count) + u"件"_s;
}

QString totalLine(const NoteList &list)
{
    return u"合計 %1 %2"_s.arg(
        countText(static_cast<std::int64_t>(list.rows.size())), yenText(list.sum));
}

QStringList dueColumns()
{
    return { u"支払日"_s, u"決済日"_s, u"取引先名"_s, u"手形番号"_s, u"金額"_s, u"振出銀行"_s };
}

QStringList dueCells(const DueNote &row, const NoteRecord &note, std::string_view partnerName,
    std::string_view bankName)
{
    return { dateText(row.due), dateText(row.settles), sjis::decode(partnerName),
        sjis::decode(note.NoteNumber.view()), amountText(note.Amount), sjis::decode(bankName) };
}

QStringList planColumns()
{
    return { u"年月"_s, u"支払手形"_s, u"受取手形"_s, u"差引"_s };
}

QStringList planCells(const MonthPlan &month)
{
    return { monthText(month.month), amountText(month.payable), amountText(month.receivable),
        amountText(month.difference()) };
}

QStringList planPastDueCells(const MonthPlan &pastDue)
{
    QStringList cells = planCells(pastDue);
    cells[0] = u"期日経過"_s;
    return cells;
}

QStringList planTotalCells(const MonthPlan &total)
{
    QStringList cells = planCells(total);
    cells[0] = u"合計"_s;
    return cells;
}

QStringList longTermColumns()
{
    return { u"取引先名"_s, u"手形番号"_s, u"振出日"_s, u"支払日"_s, u"サイト"_s, u"金額"_s };
}

QStringList longTermCells(const DueNote &row, const NoteRecord &note, std::string_view partnerName)
{
    return { sjis::decode(partnerName), sjis::decode(note.NoteNumber.view()),
        dateText(daydate::toDate(note.IssueDate)), dateText(row.due),
        QString::number(termDays(note)) + u"日"_s, amountText(note.Amount) };
}

QString longTermCountLine(const NoteList &list)
{
    return u"サイトが%1日を超える支払手形（過去12か月の振出）: %2"_s.arg(
        QString::number(LongestAcceptedTerm),
        countText(static_cast<std::int64_t>(list.rows.size())));
}

QString longTermExplanation()
{
    return u"下請代金の支払に手形を使うとき、支払サイトが60日を超えるものは下請法の指導の対象とされ"
           u"てきました。"
           u"2026年1月からは、対象となる取引では手形による支払そのものが禁止されています。"
           u"このプログラムはどの取引先が対象になるかを知りません。ご自分の取引の義務を確認してください。"_s;
}

QStringList clearingColumns()
{
    return { u"種類"_s, u"取引先名"_s, u"手形番号"_s, u"支払日"_s, u"金額"_s, u"振出銀行"_s };
}

QStringList clearingCells(const DueNote &row, const NoteRecord &note, std::string_view partnerName,
    std::string_view bankName)
{
    return { noteKindName(note.Kind), sjis::decode(partnerName),
        sjis::decode(note.NoteNumber.view()), dateText(row.due), amountText(note.Amount),
        sjis::decode(bankName) };
}

QString clearingCountLine(const Overview &overview)
{
    QStringList parts;
    for (int kind = 0; kind < NoteKindCount; ++kind) {
        const KindTotal &t = overview.afterClearingByKind[static_cast<std::size_t>(kind)];
        if (t.count > 0)
            parts << u"%1 %2 %3"_s.arg(noteKindName(kind), countText(t.count), yenText(t.sum));
    }
    const QString count =
        u"合計 %1"_s.arg(countText(static_cast<std::int64_t>(overview.afterClearing.rows.size())));
    return parts.isEmpty() ? count : count + u"（"_s + parts.join(u" ／ "_s) + u"）"_s;
}

QString clearingExplanation()
{
    return u"2027年4月からは、手形・小切手は手形交換で取り立てられなくなります。"
           u"これらの手形の決済は、電子記録債権（でんさい）や振込などへの切り替えを、"
           u"銀行または取引先と早めに取り決めてください。"_s;
}

QString statusText(const StatusCounts &counts, int days)
{
    return u"期日経過の受取手形 %1 ／ %2日以内の支払 %3 %4 ／ 入金 %5 %6"_s.arg(
        countText(counts.overdue), QString::number(days), countText(counts.payable),
        yenText(counts.payableSum), countText(counts.receivable), yenText(counts.receivableSum));
}

} // namespace due

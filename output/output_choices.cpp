#include "output/output_choices.h"

#include <algorithm>
#include <cstring>

#include "core/day_date.h"
#include "output/sort_keys.h"

using namespace Qt::StringLiterals;

static_assert(decltype(NoteRecord::PartnerCode)::capacity <= sortkey::CodeBytes,
    "a code key holds seven bytes at most");

void ReportState::setArr(const Notes &notes, const std::vector<int> &indices)
{
    std::vector<sortkey::NoteKey> keys;
    keys.reserve(indices.size());
    for (int i : indices) {
        const NoteRecord &n = notes[static_cast<std::size_t>(i)];
        keys.push_back({ sortkey::date(n.IssueDate), sortkey::code(n.PartnerCode.view()),
            n.Amount.stored(), static_cast<std::int32_t>(i) });
    }
    SourceOrder = sortkey::sortedIndices(std::move(keys));
}

QString choiceTitle(int choice)
{
    switch (choice) {
    case 0:
        return u"支払手形記入帳"_s;
    case 1:
        return u"受取手形記入帳"_s;
    case 2:
        return u"裏書手形記入帳"_s;
    case 3:
        return u"割引手形記入帳"_s;
    case 4:
        return u"小切手記入帳"_s;
    case outputchoice::PaymentSchedule:
        return u"出　金　予　定　表"_s;
    case outputchoice::CollectionSchedule:
        return u"入　金　予　定　表"_s;
    case outputchoice::DataSheetRows:
        return u"条件抽出一覧表"_s;
    default:
        return {};
    }
}

std::vector<std::int32_t> journalRows(const Notes &notes,
    const std::vector<std::int32_t> &sourceOrder, int kind, double startDay, double endDay)
{
    std::vector<std::int32_t> rows;
    for (std::int32_t i : sourceOrder) {
        const NoteRecord &n = notes[static_cast<std::size_t>(i)];
        if (n.Kind == kind && startDay <= n.IssueDate && n.IssueDate <= endDay)
            rows.push_back(i);
    }
    return rows;
}

QString periodCaption(QDate start, QDate end)
{
    const QString format = QString::fromUtf16(daydate::ShortFormat);
    return start.toString(format) + u"　～　"_s + end.toString(format);
}

QString asOfCaption(QDate day)
{
    return day.toString(u"yyyy'年'MM'月'dd'日現在'"_s);
}

std::pair<QDate, QDate> openingPeriod(QDate today)
{
    // addMonths keeps the day where the month has it and takes the month's last day otherwise.
    return { today.addMonths(-1), today };
}

#include "output/output_choices.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "store/day_date.h"

using namespace Qt::StringLiterals;

namespace {

// The sort keys of one note, gathered once so that a million notes sort without reaching back
// into the table at every comparison.
struct IssueKey
{
    std::int64_t date;
    std::uint64_t code;
    std::int64_t amount;
    std::int32_t index;
};

// A date as an integer in the same order; -0 equals 0, and a damaged value (NaN) still gets a
// fixed place, so the order stays strict for the sort.
std::int64_t dateKey(double day)
{
    if (day == 0)
        day = 0;
    const auto bits = std::bit_cast<std::int64_t>(day);
    return bits < 0 ? bits ^ INT64_MAX : bits;
}

// A code of up to five bytes: its bytes from the top, zeros after them, its length last.
// Comparing two keys compares the common bytes first; when those are equal, the zeros standing
// in for the shorter code's missing bytes tie with or lose to the longer code's, and the length
// then puts the shorter first.
std::uint64_t codeKey(std::string_view code)
{
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < code.size(); ++i)
        key |= std::uint64_t(static_cast<unsigned char>(code[i])) << (56 - 8 * i);
    return key | code.size();
}

static_assert(
    decltype(NoteRecord::PartnerCode)::capacity <= 7, "a code key holds seven bytes at most");

} // namespace

void ReportState::setArr(const Notes &notes, const std::vector<int> &indices)
{
    std::vector<IssueKey> keys;
    keys.reserve(indices.size());
    for (int i : indices) {
        const NoteRecord &n = notes[static_cast<std::size_t>(i)];
        keys.push_back({ dateKey(n.IssueDate), codeKey(n.PartnerCode.view()), n.Amount.stored(),
            static_cast<std::int32_t>(i) });
    }
    std::stable_sort(keys.begin(), keys.end(), [](const IssueKey &a, const IssueKey &b) {
        if (a.date != b.date)
            return a.date < b.date;
        if (a.code != b.code)
            return a.code < b.code;
        return a.amount < b.amount;
    });
    SourceOrder.resize(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        SourceOrder[i] = keys[i].index;
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

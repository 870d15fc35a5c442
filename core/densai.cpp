#include "core/densai.h"

#include <algorithm>
#include <cstring>

#include "core/bank_calendar.h"
#include "core/day_date.h"

namespace densai {

bool isRecordNumberCharacter(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z' && c != 'I' && c != 'O' && c != 'Z');
}

std::optional<RecordNumber> RecordNumber::fromBytes(std::string_view bytes)
{
    if (bytes.size() != RecordNumberLength
        || !std::all_of(bytes.begin(), bytes.end(), isRecordNumberCharacter))
        return std::nullopt;
    RecordNumber number;
    std::memcpy(number.chars_.data(), bytes.data(), RecordNumberLength);
    return number;
}

std::string_view RecordNumber::view() const
{
    return empty() ? std::string_view {} : std::string_view(chars_.data(), chars_.size());
}

std::string_view RecordNumber::noteNumber() const
{
    return view().substr(empty() ? 0 : RecordNumberLength - NoteNumberDigits);
}

bool amountAllowed(Money amount)
{
    return amount >= SmallestAmount && amount <= LargestAmount;
}

NoteSummary summaryOf(const NoteRecord &note)
{
    return { note.DueDate, note.Amount, note.NoteNumber, note.PartnerCode };
}

std::vector<NoteExtension>::const_iterator NoteExtensions::find(int note) const
{
    return std::lower_bound(attached_.begin(), attached_.end(), note,
        [](const NoteExtension &e, int n) { return e.note < n; });
}

const NoteExtension *NoteExtensions::of(int note) const
{
    const auto at = find(note);
    return at != attached_.end() && at->note == note ? &*at : nullptr;
}

bool NoteExtensions::isDensai(int note) const
{
    const NoteExtension *e = of(note);
    return e != nullptr && e->medium == Medium::Densai;
}

int NoteExtensions::noteWithNumber(const RecordNumber &number) const
{
    if (number.empty())
        return -1;
    for (const NoteExtension &e : attached_)
        if (e.number == number)
            return e.note;
    return -1;
}

void NoteExtensions::set(const NoteExtension &extension)
{
    const auto at = find(extension.note);
    const auto offset = at - attached_.cbegin();
    if (at != attached_.end() && at->note == extension.note)
        attached_[static_cast<std::size_t>(offset)] = extension;
    else
        attached_.insert(attached_.begin() + offset, extension);
}

void NoteExtensions::erase(int note)
{
    const auto at = find(note);
    if (at != attached_.end() && at->note == note)
        attached_.erase(at);
}

void NoteExtensions::noteRemoved(int note)
{
    erase(note);
    for (auto at = attached_.begin() + (find(note) - attached_.cbegin()); at != attached_.end();
         ++at)
        --at->note;
}

void NoteExtensions::assign(std::vector<NoteExtension> attached, std::vector<StrayExtension> stray)
{
    attached_ = std::move(attached);
    stray_ = std::move(stray);
}

namespace {

    QDate bankDaysFrom(QDate day, int count, int step)
    {
        while (count > 0) {
            day = day.addDays(step);
            if (!bankcalendar::isBankHoliday(day))
                --count;
        }
        return day;
    }

} // namespace

BlockedPeriod blockedPeriod(QDate due, int daysBefore)
{
    const QDate settles = bankcalendar::settlementDay(due);
    return { bankDaysFrom(settles, daysBefore, -1), bankDaysFrom(settles, DaysAfterDue, 1) };
}

SplitProblem splitProblem(const NoteRecord &note, const NoteExtension *extension,
    const NoteExtensions &extensions, const SplitChild &child, int daysBefore)
{
    if (extension == nullptr || extension->medium != Medium::Densai || note.Kind != ReceivableNote
        || note.Settled != 0)
        return SplitProblem::NotHeld;
    if (child.amount < SmallestAmount
        || child.amount.stored() > note.Amount.stored() - SmallestAmount.stored())
        return SplitProblem::Amount;
    if (child.number.empty() || child.number == extension->number)
        return SplitProblem::Number;
    if (extensions.noteWithNumber(child.number) >= 0)
        return SplitProblem::NumberTaken;
    if (child.transferee.isEmpty())
        return SplitProblem::Transferee;
    if (blockedPeriod(daydate::toDate(note.DueDate), daysBefore).contains(child.recorded))
        return SplitProblem::Blocked;
    return SplitProblem::None;
}

QDate lastTransferDay(QDate due, int daysBefore)
{
    return blockedPeriod(due, daysBefore).first.addDays(-1);
}

} // namespace densai

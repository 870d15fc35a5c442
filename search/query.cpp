#include "search/query.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "core/day_date.h"
#include "core/lookups.h"
#include "core/money.h"
#include "core/sjis.h"

namespace search {

namespace {

    struct FieldInfo
    {
        const char16_t *caption;
        ValueKind kind;
    };

    constexpr std::array<FieldInfo, FieldCount> Fields { {
        { u"振出日", ValueKind::Date },
        { u"支払期日", ValueKind::Date },
        { u"手形番号", ValueKind::Text },
        { u"取引先コード", ValueKind::Text },
        { u"取引先名", ValueKind::Text },
        { u"銀行コード", ValueKind::Text },
        { u"銀行名", ValueKind::Text },
        { u"承認", ValueKind::SettledFlag },
        { u"手形種", ValueKind::NoteKind },
        { u"金額", ValueKind::Amount },
        { u"備考", ValueKind::Text },
        { u"入力者名", ValueKind::Text },
    } };

    struct OperatorInfo
    {
        Operator op;
        const char16_t *caption;
        const char16_t *dateCaption; // where it differs for dates
    };

    constexpr std::array<OperatorInfo, 5> Operators { {
        { Operator::Equal, u"等しい", nullptr },
        { Operator::NotEqual, u"等しくない", nullptr },
        { Operator::AtLeast, u"以上", u"以降" },
        { Operator::AtMost, u"以下", u"以前" },
        { Operator::Contains, u"含む", nullptr },
    } };

    // How many operators, from the top of the table, a kind of value offers.
    constexpr int operatorCount(ValueKind kind)
    {
        switch (kind) {
        case ValueKind::Text:
            return 5;
        case ValueKind::Date:
        case ValueKind::Amount:
            return 4;
        case ValueKind::SettledFlag:
        case ValueKind::NoteKind:
            return 2;
        }
        return 0;
    }

    bool isField(int field)
    {
        return field >= 0 && field < FieldCount;
    }

    // What the query compares against: the note's stored bytes, or a looked-up name.
    struct NoteTexts
    {
        const CodeIndex<PartnerRecord> &partners;
        const CodeIndex<BankRecord> &banks;

        // known is false for a partner or bank name whose code nobody bears.
        std::string_view text(const NoteRecord &note, int field, bool &known) const
        {
            known = true;
            switch (field) {
            case PartnerNameField: {
                const std::int32_t at = partners.first(note.PartnerCode.view());
                known = at >= 0;
                return partners.nameAt(at);
            }
            case BankNameField: {
                const std::int32_t at = banks.first(note.BankCode.view());
                known = at >= 0;
                return banks.nameAt(at);
            }
            default:
                return heldText(note, field);
            }
        }
    };

    // "含む" counts a match only where it starts on a character: a run of bytes starting on the
    // trail byte of a two-byte character is part of another character. A value that is whole
    // characters and starts on one also ends on one.
    bool containsWholeCharacters(std::string_view haystack, std::string_view needle)
    {
        std::size_t boundary = 0; // the first character start not before the candidate
        for (std::size_t at = haystack.find(needle); at != std::string_view::npos;
             at = haystack.find(needle, at + 1)) {
            while (boundary < at)
                boundary +=
                    sjis::isLeadByte(static_cast<unsigned char>(haystack[boundary])) ? 2 : 1;
            if (boundary == at)
                return true;
        }
        return false;
    }

    // By value: a note's fields are packed, so a reference to one may be misaligned.
    template <typename T> bool compare(Operator op, T n, T v)
    {
        switch (op) {
        case Operator::Equal:
            return n == v;
        case Operator::NotEqual:
            return n != v;
        case Operator::AtLeast:
            return n >= v;
        case Operator::AtMost:
            return n <= v;
        case Operator::Contains:
            break;
        }
        return false;
    }

    // The field a value that cannot be read is named after.
    values::Field problemField(int field)
    {
        switch (field) {
        case IssueDateField:
            return values::Field::IssueDate;
        case DueDateField:
            return values::Field::DueDate;
        case SettledField:
            return values::Field::Settled;
        case KindField:
            return values::Field::Kind;
        default:
            return values::Field::Amount;
        }
    }

    // One row made ready to test notes: the value read once, the test a plain function of a note.
    struct Filter
    {
        std::function<bool(const NoteRecord &)> holds;
        bool unreadable = false;
    };

    Filter filterFor(const QueryCondition &c, const NoteTexts &texts)
    {
        const auto never = [](const NoteRecord &) { return false; };
        const Filter unreadable { never, true };
        if (!isField(c.field))
            return { never };
        const ValueKind kind = Fields[static_cast<std::size_t>(c.field)].kind;
        const std::optional<Operator> picked = operatorAt(c.field, c.op);
        const bool opValid = picked.has_value();
        const Operator op = picked.value_or(Operator::Equal);
        switch (kind) {
        case ValueKind::Date: {
            const std::optional<QDate> date = values::parseDate(c.value, values::SearchForms);
            if (!date)
                return unreadable;
            const double v = daydate::fromDate(*date);
            if (!opValid)
                return { never };
            if (c.field == IssueDateField)
                return { [op, v](const NoteRecord &n) { return compare(op, n.IssueDate, v); } };
            return { [op, v](const NoteRecord &n) { return compare(op, n.DueDate, v); } };
        }
        case ValueKind::Amount: {
            const std::optional<Money> v = values::parseAmount(c.value, values::SearchForms);
            if (!v)
                return unreadable;
            if (!opValid)
                return { never };
            return { [op, v = v->stored()](
                         const NoteRecord &n) { return compare(op, n.Amount.stored(), v); } };
        }
        case ValueKind::NoteKind: {
            const std::optional<NoteKind> v = values::parseKind(c.value);
            if (!v)
                return unreadable;
            if (!opValid)
                return { never };
            return { [op, v = int(*v)](
                         const NoteRecord &n) { return compare<int>(op, n.Kind, v); } };
        }
        case ValueKind::SettledFlag: {
            const std::optional<bool> v = values::parseSettled(c.value, values::SearchForms);
            if (!v)
                return unreadable;
            if (!opValid)
                return { never };
            return { [op, v = *v](const NoteRecord &n) { return compare(op, n.Settled != 0, v); } };
        }
        case ValueKind::Text:
            break;
        }
        if (!opValid)
            return { never };
        bool encodable = true;
        const std::string v = sjis::encode(c.value, &encodable).toStdString();
        if (!encodable)
            return { [op](const NoteRecord &) { return op == Operator::NotEqual; } };
        const int field = c.field;
        return { [op, v, field, &texts](const NoteRecord &n) {
            bool known = true;
            const std::string_view text = texts.text(n, field, known);
            if (op == Operator::Contains)
                return known && containsWholeCharacters(text, v);
            return compare(op, text, std::string_view(v));
        } };
    }

} // namespace

std::string_view heldText(const NoteRecord &note, int field)
{
    switch (field) {
    case NoteNumberField:
        return note.NoteNumber.view();
    case PartnerCodeField:
        return note.PartnerCode.view();
    case BankCodeField:
        return note.BankCode.view();
    case RemarksField:
        return note.Remarks.view();
    case EnteredByField:
        return note.EnteredBy.view();
    default:
        return {};
    }
}

QStringList fieldCaptions()
{
    QStringList captions;
    for (const FieldInfo &f : Fields)
        captions << QString::fromUtf16(f.caption);
    return captions;
}

ValueKind valueKindOf(int field)
{
    return isField(field) ? Fields[static_cast<std::size_t>(field)].kind : ValueKind::Text;
}

QStringList operatorCaptions(int field)
{
    if (!isField(field))
        return {};
    const ValueKind kind = valueKindOf(field);
    QStringList captions;
    for (int i = 0; i < operatorCount(kind); ++i) {
        const OperatorInfo &info = Operators[static_cast<std::size_t>(i)];
        captions << QString::fromUtf16(
            kind == ValueKind::Date && info.dateCaption ? info.dateCaption : info.caption);
    }
    return captions;
}

std::optional<Operator> operatorAt(int field, int position)
{
    if (!isField(field) || position < 0 || position >= operatorCount(valueKindOf(field)))
        return std::nullopt;
    return Operators[static_cast<std::size_t>(position)].op;
}

QueryResult RunQuery(const QueryConditions &conditions, const Notes &notes,
    const Partners &partners, const Banks &banks)
{
    const CodeIndex<PartnerRecord> partnerNames(partners);
    const CodeIndex<BankRecord> bankNames(banks);
    const NoteTexts texts { partnerNames, bankNames };

    // Every value is read before any note is looked at, so the first bad row is reported
    // whatever the rows above it would have kept.
    std::vector<Filter> filters;
    for (const QueryCondition &c : conditions) {
        if (c.value.isEmpty())
            continue;
        Filter f = filterFor(c, texts);
        if (f.unreadable) {
            return { {},
                values::Problem::ofText(
                    values::Problem::Kind::Unreadable, problemField(c.field), c.value) };
        }
        filters.push_back(std::move(f));
    }
    QueryResult result;
    if (filters.empty())
        return result;
    // One pass: a note is kept when every row holds, which keeps table order and equals
    // narrowing the list row by row.
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const NoteRecord &n = notes[i];
        if (std::all_of(
                filters.begin(), filters.end(), [&](const Filter &f) { return f.holds(n); }))
            result.indices.push_back(static_cast<int>(i));
    }
    return result;
}

} // namespace search

#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include <QString>
#include <QStringList>

#include "core/value_parsers.h"
#include "session/session.h"

// The extraction sheet's query over the note register, without any screen: five conditions in,
// the matching note indices (in table order) or the value that could not be read out.
namespace search {

// The fields a condition can name, by their position in the field list.
enum Field : int {
    IssueDateField = 0,
    DueDateField = 1,
    NoteNumberField = 2,
    PartnerCodeField = 3,
    PartnerNameField = 4,
    BankCodeField = 5,
    BankNameField = 6,
    SettledField = 7,
    KindField = 8,
    AmountField = 9,
    RemarksField = 10,
    EnteredByField = 11,
};
inline constexpr int FieldCount = 12;

enum class ValueKind { Date, Text, Amount, SettledFlag, NoteKind };

// The stored bytes of a text the note holds itself (number, codes, remarks, entered by); empty
// for the other fields.
std::string_view heldText(const NoteRecord &note, int field);

// What a condition compares with. Every kind of value offers the first few, in this order: text
// all five, dates and amounts the first four, the settled flag and the kind of note two.
enum class Operator { Equal, NotEqual, AtLeast, AtMost, Contains };

// The field list's captions, in order: "振出日", "支払期日", …, "入力者名".
QStringList fieldCaptions();
// The captions of the operators a field offers, in order; empty for -1 (a field typed rather than
// picked).
QStringList operatorCaptions(int field);
// The operator at a position of that list; nothing for a position the list has not.
std::optional<Operator> operatorAt(int field, int position);
ValueKind valueKindOf(int field);

// One condition row: field and operator by their position in their lists (-1 when typed rather
// than picked) and the value box's text as shown.
struct QueryCondition
{
    int field = -1;
    int op = -1;
    QString value;
};
inline constexpr int ConditionCount = 5;
using QueryConditions = std::array<QueryCondition, ConditionCount>;

struct QueryResult
{
    std::vector<int> indices;
    // A value that could not be read (Unreadable, its field and text): messages::conditionProblem
    // says it.
    std::optional<values::Problem> problem;
    bool ok() const { return !problem; }
};

// The notes meeting every row that has a value, in table order; an empty list when no row has
// one. Only the first row, from the top, with a value that cannot be read is reported.
QueryResult RunQuery(const QueryConditions &conditions, const Notes &notes,
    const Partners &partners, const Banks &banks);

} // namespace search

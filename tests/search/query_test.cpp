#include <map>

#include <gtest/gtest.h>

#include <QDate>

#include "core/day_date.h"
#include "core/sjis.h"
#include "messages/entry_messages.h"
#include "search/query.h"
#include "search/value_list.h"
#include "tests/support/qt_printers.h"

using namespace Qt::StringLiterals;
using namespace search;

namespace {

template <typename Field> void put(Field &field, const QString &text)
{
    const QByteArray bytes = sjis::encode(text);
    field.assign(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

struct Sample
{
    Notes notes;
    Partners partners;
    Banks banks;

    void note(const QString &number, QDate issued, std::uint8_t kind, std::int64_t yen,
        const QString &partner = u"001"_s, const QString &remarks = QString(),
        std::uint8_t settled = 0)
    {
        NoteRecord n;
        put(n.NoteNumber, number);
        put(n.PartnerCode, partner);
        put(n.BankCode, u"B01"_s);
        put(n.Remarks, remarks);
        n.IssueDate = daydate::fromDate(issued);
        n.DueDate = daydate::fromDate(issued.addMonths(3));
        n.Kind = kind;
        n.Amount = Money::fromStored(yen * 10000);
        n.Settled = settled;
        notes.push_back(n);
    }

    QueryResult run(std::initializer_list<QueryCondition> rows) const
    {
        QueryConditions conditions;
        std::copy(rows.begin(), rows.end(), conditions.begin());
        return RunQuery(conditions, notes, partners, banks);
    }
};

Sample sample()
{
    Sample r;
    PartnerRecord p;
    put(p.Code, u"001"_s);
    put(p.Name, u"株式会社ベルモラ商事"_s);
    r.partners.push_back(p);
    put(p.Name, u"二番目の名前"_s); // the same code again: the first one counts
    r.partners.push_back(p);
    BankRecord b;
    put(b.Code, u"B01"_s);
    put(b.Name, u"みずほ銀行"_s);
    r.banks.push_back(b);
    r.note(u"100"_s, QDate(2001, 3, 31), ReceivableNote, 100000);
    r.note(u"99"_s, QDate(2001, 4, 1), ReceivableNote, 99999, u"001"_s, u"ア"_s);
    r.note(u"A-1"_s, QDate(2001, 4, 2), PayableNote, 3000000000, u"002"_s, u"Aランク"_s, 1);
    r.note(u"a-1"_s, QDate(2001, 5, 1), ReceivableNote, 0, u"001"_s, QString(), 1);
    return r;
}

QueryCondition row(int field, int op, const QString &value)
{
    return { field, op, value };
}

std::optional<values::Problem> unreadable(values::Field field, const QString &text)
{
    return values::Problem::ofText(values::Problem::Kind::Unreadable, field, text);
}

} // namespace

TEST(RunQuery, EveryFilledRowMustHoldInWhateverOrder)
{
    const Sample r = sample();
    const QueryCondition kind = row(KindField, 0, u"受取手形"_s);
    const QueryCondition since = row(IssueDateField, 2, u"2001/4/1"_s);
    EXPECT_EQ(r.run({ kind, since }).indices, (std::vector<int> { 1, 3 }));
    EXPECT_EQ(r.run({ {}, since, {}, kind }).indices, (std::vector<int> { 1, 3 }));
    EXPECT_EQ(
        r.run({ row(IssueDateField, 3, u"2001/04/01"_s) }).indices, (std::vector<int> { 0, 1 }));

    const QueryResult none = r.run({});
    EXPECT_TRUE(none.ok());
    EXPECT_TRUE(none.indices.empty()) << "no value in any row lists nothing";

    // A field or operator typed rather than picked holds for no note.
    EXPECT_TRUE(r.run({ row(-1, 0, u"100"_s) }).indices.empty());
    EXPECT_TRUE(r.run({ row(NoteNumberField, -1, u"100"_s) }).indices.empty());
    EXPECT_TRUE(r.run({ row(KindField, 2, u"受取手形"_s) }).indices.empty())
        << "an operator the field does not offer";
}

TEST(RunQuery, AmountsAreWholeYenOfAnySizeTheFileHolds)
{
    const Sample r = sample();
    EXPECT_EQ(r.run({ row(AmountField, 2, u"100000"_s) }).indices, (std::vector<int> { 0, 2 }));
    EXPECT_EQ(r.run({ row(AmountField, 0, u"0"_s) }).indices, std::vector<int> { 3 });
    EXPECT_EQ(r.run({ row(AmountField, 2, u"3000000000"_s) }).indices, std::vector<int> { 2 })
        << "beyond 32 bits, as the amount field allows";
    EXPECT_EQ(r.run({ row(AmountField, 1, u"-5"_s) }).indices.size(), 4u);
    EXPECT_EQ(r.run({ row(AmountField, 3, u"922337203685477"_s) }).indices.size(), 4u);
    for (const QString &bad : { u"abc"_s, u"922337203685478"_s, u"1.23456"_s, u"1 000"_s }) {
        const QueryResult refused = r.run({ row(AmountField, 0, bad) });
        EXPECT_EQ(refused.problem, unreadable(values::Field::Amount, bad)) << bad.toStdString();
        EXPECT_TRUE(refused.indices.empty());
    }
}

// Besides its own forms, the search reads every form the input sheet and the import take.
TEST(RunQuery, ValuesInTheFormsOfTheInputSheetAndTheImport)
{
    const Sample r = sample();
    const struct
    {
        int field;
        int op;
        QString value;
        std::vector<int> found;
    } cases[] = {
        { IssueDateField, 0, u"2001-04-01"_s, { 1 } },
        { IssueDateField, 0, u"20010401"_s, { 1 } },
        { IssueDateField, 0, u"2001年4月1日"_s, { 1 } },
        { IssueDateField, 0, u"２００１／４／１"_s, { 1 } },
        { IssueDateField, 3, u"R8.12.1"_s, { 0, 1, 2, 3 } },
        { IssueDateField, 2, u"令和元年5月1日"_s, {} },
        { IssueDateField, 2, u"1/4/1"_s, { 0, 1, 2, 3 } },
        { AmountField, 0, u"100,000"_s, { 0 } },
        { AmountField, 0, u"99,999円"_s, { 1 } },
        { AmountField, 0, u"+100000"_s, { 0 } },
        { AmountField, 0, u" ３,０００,０００,０００ "_s, { 2 } },
        { AmountField, 1, u"99999.5"_s, { 0, 1, 2, 3 } },
        { KindField, 0, u"1"_s, { 0, 1, 3 } },
        { KindField, 1, u" 受取手形 "_s, { 2 } },
        { SettledField, 0, u"〇"_s, { 2, 3 } },
        { SettledField, 0, u"×"_s, { 0, 1 } },
        { SettledField, 0, u"1"_s, { 2, 3 } },
    };
    for (const auto &c : cases) {
        const QueryResult result = r.run({ row(c.field, c.op, c.value) });
        EXPECT_TRUE(result.ok()) << c.value.toStdString();
        EXPECT_EQ(result.indices, c.found) << c.value.toStdString();
    }
}

TEST(RunQuery, TextsCompareAsStoredBytesAndContainWholeCharacters)
{
    const Sample r = sample();
    EXPECT_EQ(
        r.run({ row(NoteNumberField, 2, u"100"_s) }).indices, (std::vector<int> { 0, 1, 2, 3 }))
        << "\"99\", \"A-1\" and \"a-1\" sort after \"100\" as text";
    EXPECT_EQ(r.run({ row(NoteNumberField, 3, u"100"_s) }).indices, std::vector<int> { 0 });
    EXPECT_EQ(r.run({ row(NoteNumberField, 0, u"a-1"_s) }).indices, std::vector<int> { 3 })
        << "case counts";
    EXPECT_EQ(r.run({ row(RemarksField, 4, u"A"_s) }).indices, std::vector<int> { 2 })
        << "the A inside ア (0x83 0x41) is half a character, not an A";
    EXPECT_EQ(r.run({ row(RemarksField, 4, u"ランク"_s) }).indices, std::vector<int> { 2 });

    // Names are looked up by code, the first partner winning; no partner, no match.
    EXPECT_EQ(
        r.run({ row(PartnerNameField, 4, u"ベルモラ"_s) }).indices, (std::vector<int> { 0, 1, 3 }));
    EXPECT_TRUE(r.run({ row(PartnerNameField, 4, u"二番目"_s) }).indices.empty());
    EXPECT_EQ(r.run({ row(PartnerNameField, 1, u"株式会社ベルモラ商事"_s) }).indices,
        std::vector<int> { 2 });
    EXPECT_EQ(r.run({ row(BankNameField, 0, u"みずほ銀行"_s) }).indices.size(), 4u);
    EXPECT_TRUE(r.run({ row(RemarksField, 0, u"😀"_s) }).indices.empty());
}

TEST(RunQuery, KindsFlagsAndDatesAreReadOrReportedFromTheFirstBadRow)
{
    const Sample r = sample();
    EXPECT_EQ(r.run({ row(SettledField, 0, u"済み"_s) }).indices, (std::vector<int> { 2, 3 }));
    EXPECT_EQ(r.run({ row(SettledField, 0, u"済"_s) }).indices, (std::vector<int> { 2, 3 }));
    EXPECT_EQ(r.run({ row(SettledField, 1, u"済"_s) }).indices, (std::vector<int> { 0, 1 }));
    EXPECT_EQ(r.run({ row(SettledField, 0, u"未"_s) }).indices, (std::vector<int> { 0, 1 }));

    // What the search says of each value it cannot read.
    const struct
    {
        int field;
        QString value;
        std::optional<values::Problem> problem;
        QString shown;
    } refused[] = {
        { SettledField, u"はい"_s, unreadable(values::Field::Settled, u"はい"_s),
            u"\n未,済のどれかを入力して下さい"_s },
        { KindField, u"手形"_s, unreadable(values::Field::Kind, u"手形"_s),
            u"\n受取手形,支払手形,裏書手形,割引手形,小切手のどれかを入力して下さい"_s },
        { AmountField, u"1,000ドル"_s, unreadable(values::Field::Amount, u"1,000ドル"_s),
            u"\n1,000ドルは正しい金額ではありません。"_s },
        { DueDateField, u"2001/13/01"_s, unreadable(values::Field::DueDate, u"2001/13/01"_s),
            u"\n2001/13/01は正しい日付ではありません。\n日付を指定する場合は\n  yyyy/mm/dd\n"
            u"  2001/01/05\n  20010105\n  2001年1月5日\n  令和8年1月5日\n  R8.1.5\n"
            u"の様に指定して下さい。"_s },
        { IssueDateField, u"46027"_s, unreadable(values::Field::IssueDate, u"46027"_s), {} },
    };
    for (const auto &c : refused) {
        const QueryResult result = r.run({ row(c.field, 0, c.value) });
        EXPECT_EQ(result.problem, c.problem) << c.value.toStdString();
        if (!c.shown.isEmpty() && result.problem) {
            EXPECT_EQ(messages::conditionProblem(*result.problem), c.shown);
        }
    }
    EXPECT_EQ(r.run({ row(KindField, 0, u"受取手形"_s), row(DueDateField, 0, u"2001/13/01"_s),
                        row(AmountField, 0, u"x"_s) })
                  .problem,
        unreadable(values::Field::DueDate, u"2001/13/01"_s))
        << "the first bad row from the top is the one reported";
    EXPECT_EQ(r.run({ row(-1, 0, u"x"_s), row(AmountField, 0, u"x"_s) }).problem,
        unreadable(values::Field::Amount, u"x"_s))
        << "a typed field is not reported, the rows below still are";
}

TEST(ValueLists, FirstOccurrenceOnceLetterCaseIgnored)
{
    Sample r = sample();
    r.note(u"Ａ-1"_s, QDate(2001, 3, 31), ReceivableNote, 12);
    r.note(u"ａ-1"_s, QDate(2001, 3, 31), ReceivableNote, 12);
    EXPECT_EQ(valueList(NoteNumberField, r.notes, r.partners, r.banks),
        (QStringList { u"100"_s, u"99"_s, u"A-1"_s, u"Ａ-1"_s }))
        << "a-1 and ａ-1 differ from an earlier number only in letter case";
    EXPECT_EQ(valueList(IssueDateField, r.notes, r.partners, r.banks),
        (QStringList { u"2001/03/31"_s, u"2001/04/01"_s, u"2001/04/02"_s, u"2001/05/01"_s }));
    EXPECT_EQ(valueList(PartnerNameField, r.notes, r.partners, r.banks),
        QStringList { u"株式会社ベルモラ商事"_s })
        << "a note whose partner is unknown adds nothing";
    EXPECT_EQ(
        valueList(SettledField, r.notes, r.partners, r.banks), (QStringList { u"未"_s, u"済"_s }));
    EXPECT_EQ(valueList(KindField, r.notes, r.partners, r.banks).size(), 5);
    EXPECT_TRUE(valueList(-1, r.notes, r.partners, r.banks).isEmpty());

    r.notes[0].Amount = Money::fromStored(-12345);
    r.notes[1].Amount = Money::fromStored(30000000000000);
    EXPECT_EQ(valueList(AmountField, r.notes, r.partners, r.banks),
        (QStringList { u"-1.2345"_s, u"3000000000"_s, u"0"_s, u"12"_s }));
}

// Enough numbers that the list's hash probes past occupied places and wraps around its end: each
// number once, at its first occurrence, whatever its letter case later.
TEST(ValueLists, ThousandsOfNumbersEachOnceInTableOrder)
{
    Notes notes;
    QStringList expected;
    for (const char *form : { "N%1", "n%1", "N%1" })
        for (int i = 0; i < 5000; ++i) {
            const QString number = QString::fromLatin1(form).arg(i * 7 % 5000);
            NoteRecord n;
            n.NoteNumber.assign(number.toStdString());
            notes.push_back(n);
            if (expected.size() < 5000)
                expected << number;
        }
    const ValueList list(NoteNumberField, notes, {}, {});
    EXPECT_EQ(list.size(), 5000);
    EXPECT_EQ(list.texts(), expected);
}

TEST(QueryTables, FieldsAndTheirOperators)
{
    const QStringList fields = fieldCaptions();
    ASSERT_EQ(fields.size(), FieldCount);
    EXPECT_EQ(fields.first(), u"振出日"_s);
    EXPECT_EQ(fields[1], u"支払期日"_s);
    EXPECT_EQ(fields.last(), u"入力者名"_s);
    EXPECT_EQ(operatorCaptions(DueDateField),
        (QStringList { u"等しい"_s, u"等しくない"_s, u"以降"_s, u"以前"_s }));
    EXPECT_EQ(operatorCaptions(PartnerNameField).last(), u"含む"_s);
    EXPECT_EQ(operatorCaptions(AmountField).size(), 4);
    EXPECT_EQ(operatorCaptions(KindField), (QStringList { u"等しい"_s, u"等しくない"_s }));
    EXPECT_TRUE(operatorCaptions(-1).isEmpty());

    // Each caption names the comparison at its position; a position past the list names none.
    const std::map<QString, Operator> meaning { { u"等しい"_s, Operator::Equal },
        { u"等しくない"_s, Operator::NotEqual }, { u"以上"_s, Operator::AtLeast },
        { u"以降"_s, Operator::AtLeast }, { u"以下"_s, Operator::AtMost },
        { u"以前"_s, Operator::AtMost }, { u"含む"_s, Operator::Contains } };
    for (int field = -1; field < FieldCount; ++field) {
        const QStringList captions = operatorCaptions(field);
        for (int i = 0; i < captions.size(); ++i)
            EXPECT_EQ(operatorAt(field, i), meaning.at(captions[i])) << field << " " << i;
        EXPECT_EQ(operatorAt(field, static_cast<int>(captions.size())), std::nullopt) << field;
        EXPECT_EQ(operatorAt(field, -1), std::nullopt) << field;
    }
}

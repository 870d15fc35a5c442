#include <gtest/gtest.h>

#include "messages/entry_messages.h"
#include "tests/support/qt_printers.h"

using namespace Qt::StringLiterals;
using values::Field;
using values::Problem;
using Kind = values::Problem::Kind;

// The import's words for what its rows hold and the registration sheet's for a name it cannot
// store, each with the whole text the user reads. The input sheet's and the search's are pinned
// with their checks.
TEST(EntryMessages, EachProblemReadsAsTheUserIsTold)
{
    Problem tooLong(Kind::TooLong, Field::PartnerName);
    tooLong.limit = 40;
    Problem repeated = Problem::ofCode(Kind::NoteRepeated, Field::PartnerCode, "001");
    repeated.text = u"A-1"_s;
    const struct
    {
        QString shown;
        QString expected;
    } cases[] = {
        { messages::problemText(Problem(Kind::Missing, Field::Kind)),
            u"種類が入力されていません。"_s },
        { messages::problemText(Problem(Kind::Missing, Field::BankName)),
            u"銀行名が入力されていません。"_s },
        { messages::problemText(Problem::ofText(Kind::Unreadable, Field::Amount, u"12a"_s)),
            u"金額「12a」が読めません。"_s },
        { messages::problemText(Problem::ofText(Kind::Unreadable, Field::Settled, u"未"_s)),
            u"承認「未」が読めません。"_s },
        { messages::problemText(tooLong), u"取引先名は40バイトまでです。"_s },
        { messages::problemText(Problem(Kind::Unencodable, Field::Code)),
            u"コードに、使えない文字があります。"_s },
        { messages::problemText(Problem(Kind::NotStorable)), u"この行は記録できません。"_s },
        { messages::problemText(Problem::ofCode(Kind::NotRegistered, Field::BankCode, "B7")),
            u"銀行コード「B7」は登録されていません。"_s },
        { messages::problemText(
              Problem::ofCode(Kind::ReadAsPadded, Field::PartnerCode, "9", "00009")),
            u"取引先コード「9」は登録されていません。「00009」として取り込みます。"_s },
        { messages::problemText(Problem::ofCode(Kind::Overwrites, Field::BankCode, "B01")),
            u"銀行コード「B01」はすでに登録されています。上書きします。"_s },
        { messages::importWarningLine(3, repeated),
            u"3件目: 取引先「001」の手形番号「A-1」は、すでにあります。"_s },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.shown, c.expected);
}

#include "messages/entry_messages.h"

#include <QStringList>

#include "core/formats.h"
#include "core/sjis.h"

using namespace Qt::StringLiterals;

using values::Field;
using values::Problem;

namespace {

QString caption(Field field)
{
    switch (field) {
    case Field::Kind:
        return u"種類"_s;
    case Field::PartnerCode:
        return u"取引先コード"_s;
    case Field::NoteNumber:
        return u"手形番号"_s;
    case Field::NoteBank:
        return u"振出銀行コード"_s;
    case Field::IssueDate:
        return u"振出日"_s;
    case Field::DueDate:
        return u"支払日"_s;
    case Field::Amount:
        return u"金額"_s;
    case Field::Settled:
        return u"承認"_s;
    case Field::Remarks:
        return u"備考"_s;
    case Field::EnteredBy:
        return u"入力者名"_s;
    case Field::PartnerName:
        return u"取引先名"_s;
    case Field::BankCode:
        return u"銀行コード"_s;
    case Field::BankName:
        return u"銀行名"_s;
    case Field::Code:
        return u"コード"_s;
    }
    return {};
}

QString quoted(const QByteArray &code)
{
    return u"「"_s + sjis::decode(code) + u"」"_s;
}

} // namespace

namespace messages {

QString problemText(const Problem &p)
{
    const QString field = caption(p.field);
    switch (p.kind) {
    case Problem::Kind::NoAmount:
        return u"金額が入力されていません。"_s;
    case Problem::Kind::DueBeforeIssue:
        return u"振出日が支払日以降に設定されています。"_s;
    case Problem::Kind::NoPartner:
        return u"取引先が未登録です。"_s;
    case Problem::Kind::NoBank:
        return u"銀行が未登録です。"_s;
    case Problem::Kind::NoNoteNumber:
        return u"手形番号が入力されていません"_s;
    case Problem::Kind::NoRight:
        return u"入力権限がありません！"_s;
    case Problem::Kind::Unencodable:
        return field + u"に、使えない文字があります。"_s;
    case Problem::Kind::NotADate:
        return field + u"が正しい日付ではありません。"_s;
    case Problem::Kind::Unreadable:
        return u"%1「%2」が読めません。"_s.arg(field, p.text);
    case Problem::Kind::Missing:
        return field + u"が入力されていません。"_s;
    case Problem::Kind::TooLong:
        return u"%1は%2バイトまでです。"_s.arg(field).arg(p.limit);
    case Problem::Kind::NotStorable:
        return u"この行は記録できません。"_s;
    case Problem::Kind::NotRegistered:
        return field + quoted(p.code) + u"は登録されていません。"_s;
    case Problem::Kind::ReadAsPadded:
        return field + quoted(p.code) + u"は登録されていません。"_s + quoted(p.padded)
            + u"として取り込みます。"_s;
    case Problem::Kind::NoteRepeated:
        return u"取引先%1の手形番号「%2」は、すでにあります。"_s.arg(quoted(p.code), p.text);
    case Problem::Kind::Overwrites:
        return field + quoted(p.code) + u"はすでに登録されています。上書きします。"_s;
    }
    return {};
}

QString entryReport(const values::Problems &problems)
{
    QString text;
    for (const Problem &p : problems)
        text += u'\n' + problemText(p);
    return text;
}

QString sameNoteQuestion(const NoteRecord &note, const QString &noteNumber)
{
    // Worded as the import's warning of the same case.
    const std::string_view partner = note.PartnerCode.view();
    Problem repeated = Problem::ofCode(Problem::Kind::NoteRepeated, Field::PartnerCode,
        QByteArray(partner.data(), static_cast<qsizetype>(partner.size())));
    repeated.text = noteNumber;
    return u"\n"_s + problemText(repeated) + u"登録しますか？"_s;
}

QString registeredStatus(const NoteRecord &note, const QString &noteNumber)
{
    const formats::CharBuffer amount = formats::wholeUnits(note.Amount, true);
    return u"登録しました: 手形番号 %1 %2円"_s.arg(noteNumber, amount.toString());
}

QString importRowStatus(const values::Problems &problems)
{
    if (problems.empty())
        return u"取り込み可"_s;
    // A row's problems are all errors or, when it has none, all warnings.
    QString text = problems.front().warning() ? u"警告: "_s : u"エラー: "_s;
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (i > 0)
            text += u' ';
        text += problemText(problems[i]);
    }
    return text;
}

QString importWarningLine(int row, const Problem &problem)
{
    return u"%1件目: %2"_s.arg(row).arg(problemText(problem));
}

QString importSummary(int rows, int errors, int warnings)
{
    return u"%1件中 エラー %2件 警告 %3件"_s.arg(rows).arg(errors).arg(warnings);
}

QString conditionProblem(const Problem &problem)
{
    switch (problem.field) {
    case Field::IssueDate:
    case Field::DueDate:
        return u"\n"_s + problem.text
            + u"は正しい日付ではありません。\n日付を指定する場合は\n  yyyy/mm/dd\n  2001/01/05\n"
              u"  20010105\n  2001年1月5日\n  令和8年1月5日\n  R8.1.5\nの様に指定して下さい。"_s;
    case Field::Amount:
        return u"\n"_s + problem.text + u"は正しい金額ではありません。"_s;
    case Field::Kind:
        return u"\n受取手形,支払手形,裏書手形,割引手形,小切手のどれかを入力して下さい"_s;
    case Field::Settled:
        return u"\n未,済のどれかを入力して下さい"_s;
    default:
        return problemText(problem);
    }
}

} // namespace messages

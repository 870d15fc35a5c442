#include "messages/import_messages.h"

#include "core/formats.h"

using namespace Qt::StringLiterals;

namespace {

QString grouped(qint64 value)
{
    return formats::number(static_cast<long double>(value), 0, true);
}

} // namespace

namespace messages {

QString csvColumn(int column, const QString &name)
{
    return name.isEmpty() ? u"%1列目"_s.arg(column) : u"「%1」"_s.arg(name);
}

QString csvUnclosedQuote(int line)
{
    return u"%1行目の引用符（\"）が閉じられていません。"_s.arg(line);
}

QString csvTooManyFields(int line, qsizetype most)
{
    return u"%1行目の項目が多すぎます（%2項目まで）。"_s.arg(line).arg(most);
}

QString csvTooManyRows(qsizetype most)
{
    return u"ファイルの行が多すぎます。一度に取り込めるのは、見出しのほかに%1行までです。"_s.arg(
        grouped(most));
}

QString csvFieldTooLong(int line, const QString &column, qsizetype mostBytes)
{
    return u"%1行目の%2が長すぎます。1つの項目は%3バイトまでです。"_s.arg(
        QString::number(line), column, grouped(mostBytes));
}

QString csvTooMuchKept(int line, qint64 mostBytes)
{
    return u"ファイルの中身が多すぎます。読み込んで確かめた内容が%1 MBを超えたので、%2行目で止めました。ファイルを分けて取り込んでください。"_s
        .arg(grouped(mostBytes / (1024 * 1024)))
        .arg(line);
}

QString csvControlCharacter(int line, const QString &column, char16_t character)
{
    const QString code = QString::number(character, 16).toUpper().rightJustified(4, u'0');
    return u"%1行目の%2に、使えない制御文字（U+%3）があります。"_s.arg(
        QString::number(line), column, code);
}

QString importNoHeader()
{
    return u"ファイルに見出しの行がありません。"_s;
}

QString importMissingColumn(const QString &column)
{
    return u"見出しの行に「%1」がありません。"_s.arg(column);
}

QString importRepeatedColumn(const QString &column)
{
    return u"見出しの行に「%1」が2つ以上あります。どの列を取り込むか決められません。"_s.arg(column);
}

} // namespace messages

#pragma once

#include <QString>

// Why a file given to 取り込み is refused as a whole. The dialog puts the file's name before
// each of them.
namespace messages {

// The file's column, as its header names it: 「取引先名」, or "3列目" when the header cell is
// empty.
QString csvColumn(int column, const QString &name);

QString csvUnclosedQuote(int line);
QString csvTooManyFields(int line, qsizetype most);
QString csvTooManyRows(qsizetype most);
// column as csvColumn gives it.
QString csvFieldTooLong(int line, const QString &column, qsizetype mostBytes);
// What was read and checked of the file up to line holds more than mostBytes.
QString csvTooMuchKept(int line, qint64 mostBytes);
QString csvControlCharacter(int line, const QString &column, char16_t character);

QString importNoHeader();
QString importMissingColumn(const QString &column);
QString importRepeatedColumn(const QString &column);

} // namespace messages

#pragma once

#include <string_view>

#include <QByteArray>
#include <QString>

// The one place where Shift-JIS (code page 932) bytes and QString meet.
namespace sjis {

// Decodes code page 932 bytes; an undecodable byte becomes U+FFFD.
QString decode(std::string_view bytes);
inline QString decode(const QByteArray &bytes)
{
    return decode(std::string_view(bytes.constData(), bytes.size()));
}

// Encodes to code page 932; ok is false (and the result empty) when a character has no
// code page 932 form.
QByteArray encode(const QString &text, bool *ok = nullptr);
bool canEncode(const QString &text);

// Number of code page 932 bytes the text takes (a Japanese character counts 2); -1 when it
// cannot be encoded.
int byteLength(const QString &text);

bool isLeadByte(unsigned char byte);
// The longest prefix of at most maxBytes bytes that does not split a double-byte character.
QByteArray cutBytes(const QByteArray &bytes, int maxBytes);

} // namespace sjis

#include "core/sjis.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace {

// iconv descriptors are not thread-safe; each thread keeps its own pair.
class Converter
{
public:
    Converter(const char *to, const char *from)
        : cd(iconv_open(to, from))
    {
    }
    ~Converter()
    {
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return cd != reinterpret_cast<iconv_t>(-1); }
    void reset() { iconv(cd, nullptr, nullptr, nullptr, nullptr); }
    iconv_t cd;
};

Converter &decoder()
{
    thread_local Converter c("UTF-16LE", "CP932");
    return c;
}

Converter &encoder()
{
    thread_local Converter c("CP932", "UTF-16LE");
    return c;
}

} // namespace

namespace sjis {

bool isLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

QString decode(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    bool ascii = true;
    for (char ch : bytes)
        ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
    if (ascii)
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));

    Converter &c = decoder();
    QString out;
    if (!c.valid())
        return out;
    c.reset();
    out.resize(static_cast<qsizetype>(bytes.size()));
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = bytes.size();
    char *dst = reinterpret_cast<char *>(out.data());
    size_t dstLeft = bytes.size() * 2;
    while (inLeft > 0) {
        if (iconv(c.cd, &in, &inLeft, &dst, &dstLeft) != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen: one byte never yields more than one UTF-16 unit here
        // Undecodable or truncated sequence: show a replacement character and move on.
        const char16_t replacement = 0xFFFD;
        std::memcpy(dst, &replacement, 2);
        dst += 2;
        dstLeft -= 2;
        ++in;
        --inLeft;
        c.reset();
    }
    out.resize(static_cast<qsizetype>((bytes.size() * 2 - dstLeft) / 2));
    return out;
}

QByteArray encode(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    if (text.isEmpty())
        return {};
    Converter &c = encoder();
    if (!c.valid()) {
        if (ok)
            *ok = false;
        return {};
    }
    c.reset();
    QByteArray out(text.size() * 2 + 4, Qt::Uninitialized);
    char *in = reinterpret_cast<char *>(const_cast<QChar *>(text.constData()));
    size_t inLeft = static_cast<size_t>(text.size()) * 2;
    char *dst = out.data();
    size_t dstLeft = static_cast<size_t>(out.size());
    if (iconv(c.cd, &in, &inLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
        if (ok)
            *ok = false;
        return {};
    }
    out.truncate(out.size() - static_cast<qsizetype>(dstLeft));
    return out;
}

bool canEncode(const QString &text)
{
    bool ok = false;
    encode(text, &ok);
    return ok;
}

int byteLength(const QString &text)
{
    bool ok = false;
    const QByteArray bytes = encode(text, &ok);
    return ok ? static_cast<int>(bytes.size()) : -1;
}

QByteArray cutBytes(const QByteArray &bytes, int maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    int end = 0;
    while (end < bytes.size()) {
        const int width = isLeadByte(static_cast<unsigned char>(bytes[end])) ? 2 : 1;
        if (end + width > maxBytes)
            break;
        end += width;
    }
    return bytes.left(end);
}

} // namespace sjis

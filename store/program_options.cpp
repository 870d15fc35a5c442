#include "store/program_options.h"

#include <algorithm>
#include <utility>

#include "core/densai.h"
#include "store/atomic_file.h"
#include "store/generations.h"

using namespace Qt::StringLiterals;

namespace {

// A few settings per user: anything near this size is not such a file, and a FIFO or a device
// is never waited on or read.
constexpr qint64 LargestOptionsFile = 64 * 1024;

// One "key=value" line of the file, and where it lies, so that a change rewrites that line only.
struct Entry
{
    QString key; // with its section: "section/key"; top-level keys have none
    QByteArray rawKey; // as the file spells it
    QByteArray value; // without quotes or a comment
    qsizetype begin = 0; // the line, without its line break
    qsizetype end = 0;
};

// A section's lines: from its header to the next one.
struct Section
{
    QString name; // empty for the top level ([General] or no header)
    qsizetype end = 0; // after the last line's break
};

struct Parsed
{
    std::vector<Entry> entries;
    std::vector<Section> sections;
};

bool plainKeyCharacter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
        || c == u'_' || c == u'-' || c == u'.';
}

// QSettings' spelling of a key in an INI file, kept so that files it wrote read back the same:
// '/' as '\', every other character but letters, digits, '_', '-' and '.' as %XX or %UXXXX.
QByteArray escapedKey(const QString &key)
{
    QByteArray out;
    for (const QChar ch : key) {
        const char16_t c = ch.unicode();
        if (c == u'/')
            out += '\\';
        else if (plainKeyCharacter(c))
            out += static_cast<char>(c);
        else if (c <= 0xff)
            out += '%' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
        else
            out += "%U" + QByteArray::number(c, 16).toUpper().rightJustified(4, '0');
    }
    return out;
}

QString unescapedKey(QByteArrayView raw)
{
    QString out;
    qsizetype i = 0;
    const auto hex = [&](qsizetype from, qsizetype digits, char16_t *value) {
        if (from + digits > raw.size())
            return false;
        bool ok = false;
        *value = static_cast<char16_t>(raw.sliced(from, digits).toUShort(&ok, 16));
        return ok;
    };
    while (i < raw.size()) {
        char16_t c = 0;
        if (raw[i] == '\\') {
            out += u'/';
            ++i;
        } else if (raw[i] == '%' && i + 1 < raw.size() && raw[i + 1] == 'U' && hex(i + 2, 4, &c)) {
            out += QChar(c);
            i += 6;
        } else if (raw[i] == '%' && hex(i + 1, 2, &c)) {
            out += QChar(c);
            i += 3;
        } else {
            out += QChar::fromLatin1(raw[i]);
            ++i;
        }
    }
    return out;
}

// The value as QSettings reads it: up to a ';' that begins a comment, trimmed, and without the
// quotes around it.
QByteArray valueOf(QByteArrayView raw)
{
    bool quoted = false;
    qsizetype end = 0;
    for (; end < raw.size(); ++end) {
        if (raw[end] == '"')
            quoted = !quoted;
        else if (raw[end] == ';' && !quoted)
            break;
    }
    QByteArray value = raw.first(end).trimmed().toByteArray();
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.sliced(1, value.size() - 2);
    return value;
}

Parsed parse(const QByteArray &content)
{
    Parsed p;
    p.sections.push_back({ {}, 0 });
    qsizetype at = content.startsWith("\xef\xbb\xbf") ? 3 : 0;
    while (at < content.size()) {
        qsizetype next = content.indexOf('\n', at);
        next = next < 0 ? content.size() : next + 1;
        qsizetype end = next;
        while (end > at && (content[end - 1] == '\n' || content[end - 1] == '\r'))
            --end;
        const QByteArrayView line = QByteArrayView(content).sliced(at, end - at).trimmed();
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('[') && line.contains(']')) {
            QString name = unescapedKey(line.sliced(1, line.indexOf(']') - 1));
            if (name.compare(u"General"_s, Qt::CaseInsensitive) == 0)
                name.clear();
            p.sections.push_back({ name, next });
        } else if (!line.startsWith(';') && equals > 0) {
            const QByteArray rawKey = line.first(equals).trimmed().toByteArray();
            const QString &section = p.sections.back().name;
            const QString key = unescapedKey(rawKey);
            p.entries.push_back({ section.isEmpty() ? key : section + u'/' + key, rawKey,
                valueOf(line.sliced(equals + 1)), at, end });
        }
        p.sections.back().end = next;
        at = next;
    }
    return p;
}

// content with key set to value: its last line rewritten (the last one is the one read), else a
// line added to the end of its section, else the section added to the end of the file.
QByteArray withValue(QByteArray content, const QString &full, const QByteArray &value)
{
    const QByteArray lineBreak = content.contains("\r\n") ? "\r\n" : "\n";
    const Parsed p = parse(content);
    const qsizetype slash = full.indexOf(u'/');
    const QString section = slash < 0 ? QString() : full.first(slash);
    const QString key = full.sliced(slash + 1);
    for (auto e = p.entries.rbegin(); e != p.entries.rend(); ++e) {
        if (e->key == full)
            return content.replace(e->begin, e->end - e->begin, e->rawKey + '=' + value);
    }
    QByteArray line = escapedKey(key) + '=' + value + lineBreak;
    qsizetype at = content.size();
    const auto own = std::find_if(p.sections.rbegin(), p.sections.rend(),
        [&](const Section &s) { return s.name == section; });
    if (own != p.sections.rend()) {
        at = own->end;
    } else {
        line = '[' + escapedKey(section) + ']' + lineBreak + line;
        if (!content.isEmpty())
            line.prepend(lineBreak);
    }
    if (at > 0 && content[at - 1] != '\n')
        line.prepend(lineBreak);
    return content.insert(at, line);
}

QString userKey(const QString &name, const QString &user)
{
    // One key per user name, whatever characters it holds; QSettings kept an empty one's
    // setting under the name alone.
    if (user.isEmpty())
        return name;
    return name + u'/' + QString::fromLatin1(user.toUtf8().toPercentEncoding());
}

} // namespace

ProgramOptions::ProgramOptions(QString path, FileSystem &fs)
    : path_(std::move(path))
    , fs_(&fs)
{
    if (path_.isEmpty())
        return;
    WholeFile read = readWholeFile(path_, LargestOptionsFile, fs);
    readFault_ = read.fault;
    if (!readFault_.isFault())
        content_ = std::move(read.bytes);
}

int ProgramOptions::lookUp(const QString &key, const QString &name, const QString &user, int least,
    int most, int fallback, OptionProblem *problem) const
{
    const Parsed p = parse(content_);
    const auto kept = std::find_if(
        p.entries.rbegin(), p.entries.rend(), [&](const Entry &e) { return e.key == key; });
    if (kept == p.entries.rend())
        return fallback;
    const QByteArray &text = kept->value;
    const qsizetype digits = text.startsWith('-') || text.startsWith('+') ? 1 : 0;
    bool ok = text.size() > digits && std::all_of(text.begin() + digits, text.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
    const qint64 value = ok ? text.toLongLong(&ok) : 0;
    if (ok && value >= least && value <= most)
        return static_cast<int>(value);
    if (problem)
        *problem = { name, user, QString::fromUtf8(text), least, most, fallback };
    return fallback;
}

int ProgramOptions::number(
    const QString &name, int least, int most, int fallback, OptionProblem *problem) const
{
    return lookUp(name, name, {}, least, most, fallback, problem);
}

int ProgramOptions::userNumber(const QString &name, const QString &user, int least, int most,
    int fallback, OptionProblem *problem) const
{
    return lookUp(userKey(name, user), name, user, least, most, fallback, problem);
}

bool ProgramOptions::setUserNumber(
    const QString &name, const QString &user, int value, FileFault *fault)
{
    if (path_.isEmpty())
        return true;
    // What another copy kept meanwhile stays; a file that cannot be read is never replaced.
    const WholeFile now = readWholeFile(path_, LargestOptionsFile, *fs_);
    FileFault why = now.fault;
    QByteArray content;
    if (!why.isFault()) {
        content = withValue(now.bytes, userKey(name, user), QByteArray::number(value));
        int error = 0;
        bool replaced = false;
        // The new content is in place even when only the folder's sync failed.
        if (!writeFileAtomically(path_, content, NewFileMode, false, &error, &replaced, *fs_)
            && !replaced)
            why = FileFault::system(error);
    }
    if (fault)
        *fault = why;
    if (why.isFault())
        return false;
    content_ = std::move(content);
    readFault_ = {};
    return true;
}

QString programOptionsPath(const QString &settingsPath)
{
    if (settingsPath.isEmpty())
        return {};
    return besidePath(settingsPath, u"tegata.ini"_s);
}

int densaiDaysBefore(const ProgramOptions &options, OptionProblem *problem)
{
    return options.number(QString::fromUtf16(DensaiDaysSetting), 0, MostDensaiDaysBefore,
        densai::DefaultDaysBeforeDue, problem);
}

int generationsKept(const ProgramOptions &options, OptionProblem *problem)
{
    return options.number(QString::fromUtf16(GenerationsSetting), 0, MostGenerationsKept,
        DefaultGenerationsKept, problem);
}

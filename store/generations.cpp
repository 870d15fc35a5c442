#include "store/generations.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "store/data_file_names.h"

using namespace Qt::StringLiterals;

namespace {

constexpr mode_t FolderMode = 0777; // less the umask, as any new folder
const QString PartSuffix = u".part"_s;
// A generation being removed is first renamed so, so that one cut off half-way is never taken for
// a whole generation.
const QString GoingSuffix = u".old"_s;

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

QString generationsFolder(const QString &dataDirectory)
{
    return dataDirectory + QString::fromUtf16(GenerationsFolderName);
}

QString savedAtFile(const QString &generation)
{
    return generation + u'/' + QString::fromUtf16(GenerationSavedAtName);
}

// 0, or the errno of the failure, leaving no file behind.
int writeSavedAt(FileSystem &fs, const QString &generation, const QDateTime &savedAt)
{
    const QByteArray path = encoded(savedAtFile(generation));
    const int fd = fs.open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NewFileMode);
    if (fd < 0)
        return errno;
    const QByteArray text = savedAt.toUTC().toString(Qt::ISODate).toLatin1() + '\n';
    return finishNewFile(
        fs, fd, path, writeAll(fs, fd, text.constData(), static_cast<size_t>(text.size())));
}

// Not valid when the generation has no such record (one made by an earlier version) or it
// cannot be read.
QDateTime savedAtOf(FileSystem &fs, const QString &generation)
{
    const WholeFile file = readWholeFile(savedAtFile(generation), 64, fs);
    if (file.missing || file.fault.isFault())
        return {};
    const QDateTime at =
        QDateTime::fromString(QString::fromLatin1(file.bytes.trimmed()), Qt::ISODate);
    return at.isValid() ? at.toLocalTime() : QDateTime();
}

bool isFinishedName(const QString &name)
{
    static const QRegularExpression pattern(u"^\\d{8}-\\d{6}(-\\d+)?$"_s);
    return pattern.match(name).hasMatch();
}

// By the date in the name, and a later save of the same second by its number ("-2" and on).
bool olderName(const QString &a, const QString &b)
{
    const auto numberOf = [](const QString &name) {
        return name.size() > 15 ? name.mid(16).toInt() : 1;
    };
    if (a.left(15) != b.left(15))
        return a.left(15) < b.left(15);
    return numberOf(a) < numberOf(b);
}

bool exists(FileSystem &fs, const QString &path)
{
    struct stat info;
    return fs.lstat(encoded(path).constData(), &info) == 0;
}

bool isPlainFolder(FileSystem &fs, const QString &path)
{
    struct stat info;
    return fs.lstat(encoded(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Removes a generation folder of ours: its data files, then the folder. Anything else in it
// keeps the folder; a link in its place is never followed, since it could lead to the register.
void removeGeneration(const QString &path, FileSystem &fs)
{
    if (!isPlainFolder(fs, path))
        return;
    for (const QString &name : dataFileNames())
        fs.unlink(encoded(path + u'/' + name).constData());
    fs.unlink(encoded(savedAtFile(path)).constData());
    fs.removeDirectory(encoded(path).constData());
}

// The entries of the generations folder; none when it is not a folder of its own.
QStringList entriesOf(FileSystem &fs, const QString &folder)
{
    if (!isPlainFolder(fs, folder))
        return {};
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

bool PendingGeneration::fail(const QString &path, int error, FileSystem &fs)
{
    fault_ = { path, FileFault::system(error) };
    discard(fs);
    return false;
}

bool PendingGeneration::prepare(const QString &dataDirectory, const QStringList &files,
    const QStringList &names, const QDateTime &at, const QDateTime &contentSavedAt, FileSystem &fs)
{
    // The first save of a folder replaces nothing: there is no generation to keep.
    if (std::none_of(files.begin(), files.end(), [&](const QString &f) { return exists(fs, f); }))
        return false;
    folder_ = generationsFolder(dataDirectory);
    if (fs.makeDirectory(encoded(folder_).constData(), FolderMode) != 0 && errno != EEXIST)
        return fail(folder_, errno, fs);
    struct stat info;
    if (fs.lstat(encoded(folder_).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return fail(folder_, ENOTDIR, fs);
    // A second save in the same second gets "-2" and on.
    const QString stamp = at.toString(u"yyyyMMdd-HHmmss"_s);
    QString name = stamp;
    for (int n = 2;
         exists(fs, folder_ + u'/' + name) || exists(fs, folder_ + u'/' + name + PartSuffix); ++n)
        name = stamp + u'-' + QString::number(n);
    finalPath_ = folder_ + u'/' + name;
    const QString part = finalPath_ + PartSuffix;
    if (fs.makeDirectory(encoded(part).constData(), FolderMode) != 0)
        return fail(part, errno, fs);
    partPath_ = part;
    for (qsizetype i = 0; i < files.size() && i < names.size(); ++i) {
        if (!exists(fs, files[i]))
            continue;
        const QString copy = part + u'/' + names[i];
        if (const int err = linkOrCopy(fs, files[i], copy); err != 0)
            return fail(copy, err, fs);
    }
    if (contentSavedAt.isValid()) {
        if (const int err = writeSavedAt(fs, part, contentSavedAt); err != 0)
            return fail(savedAtFile(part), err, fs);
    }
    if (fs.syncDirectory(encoded(part).constData()) != 0)
        return fail(part, errno, fs);
    if (fs.syncDirectory(encoded(folder_).constData()) != 0)
        return fail(folder_, errno, fs);
    return true;
}

bool PendingGeneration::finish(FileSystem &fs)
{
    if (!prepared())
        return false;
    if (fs.rename(encoded(partPath_).constData(), encoded(finalPath_).constData()) != 0)
        return fail(finalPath_, errno, fs);
    partPath_.clear();
    fs.syncDirectory(encoded(folder_).constData());
    return true;
}

void PendingGeneration::discard(FileSystem &fs)
{
    if (!partPath_.isEmpty())
        removeGeneration(partPath_, fs);
    partPath_.clear();
    finalPath_.clear();
}

void settlePendingGenerations(const QString &dataDirectory, bool saveFinished, FileSystem &fs)
{
    const QString folder = generationsFolder(dataDirectory);
    QStringList parts;
    for (const QString &entry : entriesOf(fs, folder)) {
        if (entry.endsWith(GoingSuffix) && isFinishedName(entry.chopped(GoingSuffix.size())))
            removeGeneration(folder + u'/' + entry, fs);
        else if (entry.endsWith(PartSuffix) && isFinishedName(entry.chopped(PartSuffix.size())))
            parts << entry;
    }
    // The save being settled made the newest; an older one is a leftover, never finished.
    std::sort(parts.begin(), parts.end(), [](const QString &a, const QString &b) {
        return olderName(a.chopped(PartSuffix.size()), b.chopped(PartSuffix.size()));
    });
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString part = folder + u'/' + parts[i];
        const QString finished = part.chopped(PartSuffix.size());
        if (saveFinished && i + 1 == parts.size() && isPlainFolder(fs, part)
            && !exists(fs, finished)
            && fs.rename(encoded(part).constData(), encoded(finished).constData()) == 0)
            continue;
        removeGeneration(part, fs);
    }
    fs.syncDirectory(encoded(folder).constData());
}

std::vector<Generation> listGenerations(const QString &dataDirectory, FileSystem &fs)
{
    const QString folder = generationsFolder(dataDirectory);
    std::vector<Generation> generations;
    for (const QString &entry : entriesOf(fs, folder)) {
        if (!isFinishedName(entry))
            continue;
        Generation g;
        g.name = entry;
        g.path = folder + u'/' + entry + u'/';
        g.savedAt = QDateTime::fromString(entry.left(15), u"yyyyMMdd-HHmmss"_s);
        struct stat info;
        g.plainFolder = fs.lstat(encoded(folder + u'/' + entry).constData(), &info) == 0
            && S_ISDIR(info.st_mode);
        if (g.plainFolder)
            g.contentSavedAt = savedAtOf(fs, folder + u'/' + entry);
        generations.push_back(g);
    }
    // By date, and a later save of the same second by its number ("-2" and on).
    const auto numberOf = [](const Generation &g) {
        return g.name.size() > 15 ? g.name.mid(16).toInt() : 1;
    };
    std::sort(
        generations.begin(), generations.end(), [&](const Generation &a, const Generation &b) {
            if (a.savedAt != b.savedAt)
                return a.savedAt > b.savedAt;
            return numberOf(a) > numberOf(b);
        });
    return generations;
}

void pruneGenerations(const QString &dataDirectory, int keep, FileSystem &fs, const QString &spare)
{
    if (keep <= 0)
        return;
    std::vector<Generation> generations = listGenerations(dataDirectory, fs);
    // Only folders of our own count; the one a save has just made always stays, whatever its
    // date says after a clock was put back.
    std::erase_if(generations, [](const Generation &g) { return !g.plainFolder; });
    for (std::size_t i = static_cast<std::size_t>(keep); i < generations.size(); ++i) {
        const QString path = generations[i].path.chopped(1);
        if (path == spare)
            continue;
        if (fs.rename(encoded(path).constData(), encoded(path + GoingSuffix).constData()) == 0)
            removeGeneration(path + GoingSuffix, fs);
    }
    fs.syncDirectory(encoded(generationsFolder(dataDirectory)).constData());
}

#include "access/user_file.h"
#include "messages/store_messages.h"

#include <QDir>

#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "access/user_table.h"
#include "store/atomic_file.h"
#include "store/file_system.h"
#include "store/settings_file.h"

using namespace Qt::StringLiterals;

namespace {

constexpr char PaddingKey[] = "pelvorantiskubemaridoqwesfunatarigo";
constexpr int NameField = 15;
constexpr int RightsByte = 15;
constexpr int PasswordField = 16;

// A user list of a small business is a few dozen records; half a million (16 MiB) is far beyond
// any real one and still small beside memory, so a huge file is refused before it is read.
qint64 largestUserFile()
{
    return std::min<qint64>(qint64(16) << 20, memoryBudget());
}

QByteArray nameOf(const char *record)
{
    QByteArray name;
    for (int i = 0; i < NameField; ++i) {
        if (record[i] != 0)
            name += record[i];
    }
    return name;
}

std::uint8_t rightsOf(const char *record)
{
    return static_cast<std::uint8_t>((static_cast<unsigned char>(record[RightsByte]) >> 2) & 15);
}

QByteArray passwordOf(const char *record)
{
    QByteArray password(PasswordLength, '\0');
    for (int j = 0; j < 5; ++j) {
        const auto k = static_cast<unsigned char>(record[PasswordField + 3 * j]);
        const auto c1 = static_cast<unsigned char>(record[PasswordField + 3 * j + 1]);
        const auto c2 = static_cast<unsigned char>(record[PasswordField + 3 * j + 2]);
        password[2 * j] = static_cast<char>(static_cast<unsigned char>(c1 - k % 16));
        password[2 * j + 1] = static_cast<char>(static_cast<unsigned char>(c2 - k / 2));
    }
    return password;
}

} // namespace

void ClockRandom::reseed()
{
    engine_.seed(static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
}

int ClockRandom::next(int bound)
{
    return std::uniform_int_distribution<int>(0, bound - 1)(engine_);
}

QByteArray padPassword(const QByteArray &password)
{
    QByteArray padded = password.left(PasswordLength);
    for (int i = 0; padded.size() < PasswordLength; ++i)
        padded += PaddingKey[i];
    return padded;
}

QByteArray encodeUserRecord(const UserRecord &user, RandomSource &random)
{
    QByteArray record(UserRecordSize, '\0');
    const QByteArray name = user.Name.left(UserNameCapacity);
    std::copy(name.begin(), name.end(), record.begin());
    record[RightsByte] =
        static_cast<char>((random.next(255) & 195) | ((user.Permissions & 15) << 2));
    const QByteArray password = padPassword(user.Password);
    for (int j = 0; j < 5; ++j) {
        const auto k = static_cast<unsigned char>(100 + random.next(32));
        record[PasswordField + 3 * j] = static_cast<char>(k);
        record[PasswordField + 3 * j + 1] =
            static_cast<char>(static_cast<unsigned char>(password[2 * j]) + k % 16);
        record[PasswordField + 3 * j + 2] =
            static_cast<char>(static_cast<unsigned char>(password[2 * j + 1]) + k / 2);
    }
    return record;
}

UserRecord decodeUserRecord(const char *record)
{
    UserRecord user;
    user.Name = nameOf(record).left(UserNameCapacity);
    user.Permissions = rightsOf(record);
    user.Password = passwordOf(record);
    return user;
}

UserFileRead readUserFile(const QString &path, FileSystem &fs)
{
    UserFileRead result;
    const WholeFile file = readWholeFile(path, largestUserFile(), fs);
    if (file.missing || file.fault.isFault()) {
        result.fault = file.missing ? FileFault::system(ENOENT) : file.fault;
        return result;
    }
    const QByteArray &content = file.bytes;
    const qsizetype whole = content.size() / UserRecordSize;
    for (qsizetype i = 0; i < whole; ++i)
        result.users.push_back(decodeUserRecord(content.constData() + i * UserRecordSize));
    if (content.size() % UserRecordSize != 0)
        result.fault = FileFault::cutRecord(UserRecordSize, content.size() % UserRecordSize);
    return result;
}

int writeUserFile(const QString &path, const std::vector<UserRecord> &users, RandomSource &random,
    bool *replaced, FileSystem &fs)
{
    random.reseed();
    QByteArray content;
    content.reserve(static_cast<qsizetype>(users.size()) * UserRecordSize);
    for (const UserRecord &user : users)
        content += encodeUserRecord(user, random);
    int err = 0;
    if (writeFileAtomically(path, content, 0600, false, &err, replaced, fs))
        return 0;
    return err != 0 ? err : EIO;
}

bool isFirstAdminPassword(const QByteArray &name, const QByteArray &paddedPassword)
{
    return name == AdminUserName && paddedPassword == padPassword(FirstAdminPassword);
}

bool PassCheck::check(const QByteArray &name, const QByteArray &password)
{
    fault_ = {};
    recordsRead_ = 0;
    if (name.isEmpty() || password.isEmpty())
        return false;
    const QByteArray padded = padPassword(password);
    const WholeFile file = readWholeFile(path_, largestUserFile(), fs_);
    if (file.missing)
        return false;
    if (file.fault.isFault()) {
        fault_ = file.fault;
        return false;
    }
    // An empty file lets nobody in; say so rather than refuse every password.
    if (file.bytes.isEmpty()) {
        fault_ = { FileFault::Kind::Empty, 0, 0, 0 };
        return false;
    }
    const QByteArray &content = file.bytes;
    for (qsizetype at = 0; at < content.size(); at += UserRecordSize) {
        if (content.size() - at < UserRecordSize) {
            fault_ = FileFault::cutRecord(UserRecordSize, content.size() - at);
            recordsRead_ = at / UserRecordSize;
            return false;
        }
        const char *record = content.constData() + at;
        if (nameOf(record) != name)
            continue;
        name_ = nameOf(record);
        pass_ = passwordOf(record);
        auth_ = rightsOf(record);
        return padded == pass_;
    }
    return false;
}

std::vector<UserRecord> firstUsers()
{
    return {
        { "Admini", SaveAndSearch | DeleteAndApprove | PartnerAndBankSettings | AllRights,
            FirstAdminPassword },
        { "guest", SaveAndSearch, "guest" },
    };
}

UserFilePlace locateUserFile(const QString &currentFolder, const QString &programFolder,
    const QString &configFolder, FileSystem &fs)
{
    const QString name = QString::fromUtf16(UserFileName);
    const bool shared = installedForAllUsers(programFolder, fs);
    for (const QString &folder : { currentFolder, programFolder, configFolder }) {
        if (shared && folder == programFolder)
            continue;
        const QString path = QDir(folder).filePath(name);
        // lstat: a link to a missing file is there too, and never replaced.
        struct stat info;
        if (fs.lstat(nativePath(path).constData(), &info) == 0)
            return { path, false };
    }
    const bool programWritable = !shared && isFolder(fs, programFolder)
        && ::access(nativePath(programFolder).constData(), W_OK) == 0;
    return { QDir(programWritable ? programFolder : configFolder).filePath(name), true };
}

PreparedUserFile prepareUserFile(const QString &currentFolder, const QString &programFolder,
    const QString &configFolder, RandomSource &random, FileSystem &fs)
{
    const UserFilePlace place = locateUserFile(currentFolder, programFolder, configFolder, fs);
    PreparedUserFile prepared { place.path, {}, {} };
    if (!place.missing)
        return prepared;
    makePath(fs, parentFolderOf(place.path));
    if (const int error = writeUserFile(place.path, firstUsers(), random, nullptr, fs);
        error != 0) {
        prepared.problem = messages::userFileNotSaved(place.path, error);
        return prepared;
    }
    prepared.notice = QStringLiteral("\n最初のユーザーファイルを作りました。\n場所: %1\n"
                                     "ユーザー名「Admini」、パスワード「%2」でログインし、設定(B) "
                                     "→ ユーザー設定 でパスワードを変更してください。")
                          .arg(place.path, QString::fromLatin1(FirstAdminPassword));
    return prepared;
}

#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include <QByteArray>
#include <QString>

#include "store/file_fault.h"
#include "store/file_system.h"

inline constexpr const char16_t *UserFileName = u"pass.dat";
inline constexpr int UserRecordSize = 32;
inline constexpr int PasswordLength = 10;
inline constexpr int UserNameCapacity = 10;

// Rights bits.
enum Permission : std::uint8_t {
    SaveAndSearch = 1,
    DeleteAndApprove = 2,
    PartnerAndBankSettings = 4,
    AllRights = 8,
};

// One user as held in memory: Shift-JIS name, the padded (or, until written, typed) password
// and the rights bits.
struct UserRecord
{
    QByteArray Name;
    std::uint8_t Permissions = 0;
    QByteArray Password;
    bool operator==(const UserRecord &) const = default;
};

// Filler bits and password groups are random; tests inject a source of their own.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void reseed() = 0;
    // A value from 0 to bound - 1.
    virtual int next(int bound) = 0;
};

class ClockRandom : public RandomSource
{
public:
    void reseed() override;
    int next(int bound) override;

private:
    std::mt19937 engine_ { std::random_device {}() };
};

// Passwords are compared as exactly 10 bytes, a shorter one padded from a fixed key.
QByteArray padPassword(const QByteArray &password);

// The first user file's Admini password, which the README gives to everyone.
inline constexpr char FirstAdminPassword[] = "velmora";
// True for Admini logging in with that password: anyone who read the README can do the same.
bool isFirstAdminPassword(const QByteArray &name, const QByteArray &paddedPassword);

// One 32-byte record of the user file.
QByteArray encodeUserRecord(const UserRecord &user, RandomSource &random);
UserRecord decodeUserRecord(const char *record);

struct UserFileRead
{
    std::vector<UserRecord> users;
    FileFault fault; // none when the whole file was read; the users before it are kept
    bool ok() const { return !fault.isFault(); }
};

// Reads every whole record; a short last record or a read failure is reported in error, with
// the records before it kept. Only a regular file of a sane size is read (a folder, a FIFO or a
// file of gigabytes is reported, not waited on or taken into memory).
UserFileRead readUserFile(const QString &path, FileSystem &fs);

// Replaces the user file safely (temporary file, sync, rename) with mode 0600; 0, or the errno
// of the failure, the old file then unchanged unless replaced says the new one is in place and
// only the folder's sync failed. A symbolic link is written through: the file it leads to is
// replaced and the link stays.
int writeUserFile(const QString &path, const std::vector<UserRecord> &users, RandomSource &random,
    bool *replaced, FileSystem &fs);

// The first users of an installation: "Admini" with every right and the first password, and
// "guest" with 保存・検索 only.
std::vector<UserRecord> firstUsers();

// Where the login reads the user file: pass.dat in the current folder wins, as the design reads
// it; then the program folder's; then the one in the user's settings folder. When there is none,
// the first is made in the program folder when it can be written, else in the settings folder.
// A program installed for all users neither reads nor makes one in its folder.
struct UserFilePlace
{
    QString path;
    bool missing = false; // to be made before the login
};
UserFilePlace locateUserFile(const QString &currentFolder, const QString &programFolder,
    const QString &configFolder, FileSystem &fs);

// The user file the login reads, made with the first users when there is none. notice tells
// the user once where it is and what the first password is; problem says why it could not be
// made. A file that is there but cannot be read is never replaced.
struct PreparedUserFile
{
    QString path;
    QString notice;
    QString problem;
};
PreparedUserFile prepareUserFile(const QString &currentFolder, const QString &programFolder,
    const QString &configFolder, RandomSource &random, FileSystem &fs);

// The login check against the user file: the first record whose name equals the entered name
// decides.
class PassCheck
{
public:
    PassCheck(QString path, FileSystem &fs)
        : path_(std::move(path))
        , fs_(fs)
    {
    }

    bool check(const QByteArray &name, const QByteArray &password);

    QByteArray getName() const { return name_; }
    QByteArray getPass() const { return pass_; }
    std::uint8_t getAuth() const { return auth_; }
    // Why the file could not be read to the end of the search, or Empty (nobody could ever log
    // in); none for a missing file, which is only a failed login.
    const FileFault &fault() const { return fault_; }
    // Whole records before the fault.
    qsizetype recordsRead() const { return recordsRead_; }
    const QString &path() const { return path_; }

private:
    QString path_;
    FileSystem &fs_;
    QByteArray name_;
    QByteArray pass_;
    std::uint8_t auth_ = 0;
    FileFault fault_;
    qsizetype recordsRead_ = 0;
};

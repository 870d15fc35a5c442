#pragma once

#include <cerrno>

#include "store/file_system.h"

// The real calls, counted across every kind; the call numbered at (from 0) fails with error. With
// at -1 nothing fails and calls() tells how many a run makes, so a test can fail each in turn.
class CallFaultFileSystem : public PosixFileSystem
{
public:
    explicit CallFaultFileSystem(int at = -1, int error = EIO)
        : at_(at)
        , error_(error)
    {
    }
    int calls() const { return calls_; }
    bool failed() const { return at_ >= 0 && calls_ > at_; }

    int stat(const char *p, struct stat *i) override
    {
        return fails() ? -1 : PosixFileSystem::stat(p, i);
    }
    int lstat(const char *p, struct stat *i) override
    {
        return fails() ? -1 : PosixFileSystem::lstat(p, i);
    }
    int fstat(int fd, struct stat *i) override
    {
        return fails() ? -1 : PosixFileSystem::fstat(fd, i);
    }
    ssize_t read(int fd, char *b, size_t n) override
    {
        return fails() ? -1 : PosixFileSystem::read(fd, b, n);
    }
    int link(const char *f, const char *t) override
    {
        return fails() ? -1 : PosixFileSystem::link(f, t);
    }
    int createTemporary(QByteArray &t) override
    {
        return fails() ? -1 : PosixFileSystem::createTemporary(t);
    }
    int open(const char *p, int f, mode_t m) override
    {
        return fails() ? -1 : PosixFileSystem::open(p, f, m);
    }
    int changeMode(int fd, mode_t m) override
    {
        return fails() ? -1 : PosixFileSystem::changeMode(fd, m);
    }
    ssize_t write(int fd, const char *d, size_t n) override
    {
        return fails() ? -1 : PosixFileSystem::write(fd, d, n);
    }
    int sync(int fd) override { return fails() ? -1 : PosixFileSystem::sync(fd); }
    // A failed close still releases the descriptor, as the system's does.
    int close(int fd) override
    {
        const bool fail = fails();
        const int rc = PosixFileSystem::close(fd);
        errno = fail ? error_ : errno;
        return fail ? -1 : rc;
    }
    int rename(const char *f, const char *t) override
    {
        return fails() ? -1 : PosixFileSystem::rename(f, t);
    }
    int unlink(const char *p) override { return fails() ? -1 : PosixFileSystem::unlink(p); }
    int syncDirectory(const char *d) override
    {
        return fails() ? -1 : PosixFileSystem::syncDirectory(d);
    }
    int makeDirectory(const char *p, mode_t m) override
    {
        return fails() ? -1 : PosixFileSystem::makeDirectory(p, m);
    }
    int removeDirectory(const char *p) override
    {
        return fails() ? -1 : PosixFileSystem::removeDirectory(p);
    }
    int openAt(int d, const char *n, int f, mode_t m) override
    {
        return fails() ? -1 : PosixFileSystem::openAt(d, n, f, m);
    }
    int lstatAt(int d, const char *n, struct stat *i) override
    {
        return fails() ? -1 : PosixFileSystem::lstatAt(d, n, i);
    }
    int unlinkAt(int d, const char *n, int f) override
    {
        return fails() ? -1 : PosixFileSystem::unlinkAt(d, n, f);
    }
    int renameAt(int d, const char *f, const char *t) override
    {
        return fails() ? -1 : PosixFileSystem::renameAt(d, f, t);
    }
    int makeDirectoryAt(int d, const char *n, mode_t m) override
    {
        return fails() ? -1 : PosixFileSystem::makeDirectoryAt(d, n, m);
    }
    int listDirectory(int d, std::vector<QByteArray> &n) override
    {
        return fails() ? -1 : PosixFileSystem::listDirectory(d, n);
    }

private:
    bool fails()
    {
        if (calls_++ != at_)
            return false;
        errno = error_;
        return true;
    }
    template <typename R, typename... P, typename... A>
    R call(R (PosixFileSystem::*f)(P...), A &&...a)
    {
        if (fails()) {
            errno = error_;
            return -1;
        }
        return (this->*f)(std::forward<A>(a)...);
    }
    int at_;
    int error_;
    int calls_ = 0;
};

#pragma once

#include "store/file_system.h"

// The layer a register keeps for its whole run, passing each call on to the layer the test puts
// under it at that moment: the real one, or one that fails the step the test is about.
class SwitchedFileSystem : public FileSystem
{
public:
    FileSystem *under = &systemFileSystem();

    int stat(const char *path, struct stat *info) override { return under->stat(path, info); }
    int lstat(const char *path, struct stat *info) override { return under->lstat(path, info); }
    int fstat(int fd, struct stat *info) override { return under->fstat(fd, info); }
    ssize_t read(int fd, char *buffer, size_t size) override
    {
        return under->read(fd, buffer, size);
    }
    int link(const char *from, const char *to) override { return under->link(from, to); }
    int createTemporary(QByteArray &pathTemplate) override
    {
        return under->createTemporary(pathTemplate);
    }
    int open(const char *path, int flags, mode_t mode) override
    {
        return under->open(path, flags, mode);
    }
    int changeMode(int fd, mode_t mode) override { return under->changeMode(fd, mode); }
    ssize_t write(int fd, const char *data, size_t size) override
    {
        return under->write(fd, data, size);
    }
    int sync(int fd) override { return under->sync(fd); }
    int close(int fd) override { return under->close(fd); }
    int rename(const char *from, const char *to) override { return under->rename(from, to); }
    int unlink(const char *path) override { return under->unlink(path); }
    int syncDirectory(const char *directory) override { return under->syncDirectory(directory); }
    int makeDirectory(const char *path, mode_t mode) override
    {
        return under->makeDirectory(path, mode);
    }
    int removeDirectory(const char *path) override { return under->removeDirectory(path); }
    int openAt(int directoryFd, const char *name, int flags, mode_t mode) override
    {
        return under->openAt(directoryFd, name, flags, mode);
    }
    int lstatAt(int directoryFd, const char *name, struct stat *info) override
    {
        return under->lstatAt(directoryFd, name, info);
    }
    int unlinkAt(int directoryFd, const char *name, int flags) override
    {
        return under->unlinkAt(directoryFd, name, flags);
    }
    int renameAt(int directoryFd, const char *from, const char *to) override
    {
        return under->renameAt(directoryFd, from, to);
    }
    int makeDirectoryAt(int directoryFd, const char *name, mode_t mode) override
    {
        return under->makeDirectoryAt(directoryFd, name, mode);
    }
    int listDirectory(int directoryFd, std::vector<QByteArray> &names) override
    {
        return under->listDirectory(directoryFd, names);
    }
    std::unique_ptr<LockFile> lockFile(const QString &path) override
    {
        return under->lockFile(path);
    }
};

#pragma once

#include <QtGlobal>

// Why a file could not be read or written, as data: the words for it are chosen above the store.
struct FileFault
{
    enum class Kind {
        None,
        System, // a system call failed; error holds its errno
        NotRegular, // a FIFO, a device or a socket: never waited on or read
        TooLarge, // size bytes, more than the limit that fits in memory
        CutRecord, // the last record stops short: limit bytes of a size-byte record
        Empty, // a file that must hold records holds none
        UnknownForm, // not a file of this kind, or a later version of it
        BadRecord, // record number size (from 1) holds a value no record of ours holds
    };
    Kind kind = Kind::None;
    int error = 0;
    qint64 size = 0;
    qint64 limit = 0;

    bool isFault() const { return kind != Kind::None; }
    static FileFault system(int errorNumber) { return { Kind::System, errorNumber, 0, 0 }; }
    static FileFault tooLarge(qint64 size, qint64 limit)
    {
        return { Kind::TooLarge, 0, size, limit };
    }
    static FileFault cutRecord(qint64 recordSize, qint64 present)
    {
        return { Kind::CutRecord, 0, recordSize, present };
    }
    static FileFault badRecord(qint64 number) { return { Kind::BadRecord, 0, number, 0 }; }
};

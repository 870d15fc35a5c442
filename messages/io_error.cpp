#include "messages/io_error.h"

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

QString systemReason(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
        return u"ファイルまたはフォルダーが見つかりません。"_s;
    case ENOTDIR:
        return u"パスの途中にフォルダーでないものがあります。"_s;
    case EISDIR:
        return u"ファイルではなくフォルダーです。"_s;
    case EACCES:
    case EPERM:
        return u"アクセスが拒否されました。"_s;
    case EROFS:
        return u"読み取り専用の場所には書き込めません。"_s;
    case ENOSPC:
    case EDQUOT:
        return u"ディスクの空き容量が不足しています。"_s;
    case EIO:
        return u"ディスクの入出力エラーが発生しました。"_s;
    case EMFILE:
    case ENFILE:
        return u"開いているファイルが多すぎます。"_s;
    case ENAMETOOLONG:
        return u"ファイル名が長すぎます。"_s;
    case EFBIG:
        return u"ファイルが大きすぎます。"_s;
    default:
        return u"システムエラーが発生しました（%1: %2）。"_s.arg(errorNumber)
            .arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}

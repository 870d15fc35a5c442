#pragma once

#include <QString>

#include "store/register.h"

// The Japanese texts of what the store reports. The store answers with typed outcomes; the
// wording the user sees lives here alone.
namespace messages {

// "ユーザー「u」がコンピューター「h」で yyyy/MM/dd HH:mm から", the holder in one phrase; the
// program's user comes first when the holder has recorded one.
QString holderPhrase(const LockHolder &holder);

// Why a read-only copy cannot change or save anything, for the status line.
QString readOnlyStatus(const Register &data);

// Start-up: the lock of folder could not be taken (HeldByOther or Failed).
QString lockFailedAtStart(const QString &folder, const LockOutcome &lock);
// The question before taking over a lock whose holder may be gone.
QString takeOverQuestion(const QString &folder, const LockOutcome &lock);
QString takeOverFailed(const QString &folder);
// Why 上書き保存 is refused in a copy that opened read-only.
QString readOnlyNotice(const QString &folder, const LockOutcome &lock);
// A save refused before it began.
QString saveRefused(const QString &folder, const LockOutcome &lock);

} // namespace messages

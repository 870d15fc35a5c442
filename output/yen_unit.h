#pragma once

#include <QByteArray>
#include <QString>

#include "core/money.h"

// The unit after an amount of yen: "円". A sum past the 64-bit range stops at its end (see
// Money); there the figure is not the true one, so the unit says which way it lies beyond:
// "円以上" or "円以下".
QString yenUnit(Money amount);
// The same in code page 932, for the CSV lines written from stored bytes.
const QByteArray &yenUnitBytes(Money amount);

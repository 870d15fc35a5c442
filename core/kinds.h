#pragma once

#include <QString>

// Display name of a note kind in the fixed order of the kind lists; empty outside 0..4.
QString noteKindName(int kind);
QStringList noteKindNames();

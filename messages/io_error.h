#pragma once

#include <QString>

// Japanese wording of a system error number, for messages that name a file and the reason.
QString systemReason(int errorNumber);

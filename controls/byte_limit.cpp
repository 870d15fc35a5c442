#include "controls/byte_limit.h"

#include <QApplication>
#include <QLineEdit>

#include "core/sjis.h"

ByteLimitValidator::ByteLimitValidator(int maxBytes, QObject *parent)
    : QValidator(parent)
    , maxBytes_(maxBytes)
{
}

QValidator::State ByteLimitValidator::validate(QString &input, int &) const
{
    const int bytes = sjis::byteLength(input);
    if (bytes >= 0 && bytes <= maxBytes_)
        return Acceptable;
    QApplication::beep();
    return Invalid;
}

void limitBytes(QLineEdit *edit, int maxBytes)
{
    edit->setValidator(new ByteLimitValidator(maxBytes, edit));
}

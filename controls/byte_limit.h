#pragma once

#include <QValidator>

class QLineEdit;

// Limits a text field by Shift-JIS bytes (a Japanese character counts 2) and refuses, with a
// beep, any character that code page 932 cannot hold, so it never reaches a record.
class ByteLimitValidator : public QValidator
{
    Q_OBJECT
public:
    ByteLimitValidator(int maxBytes, QObject *parent);
    State validate(QString &input, int &pos) const override;
    int maxBytes() const { return maxBytes_; }

private:
    int maxBytes_;
};

void limitBytes(QLineEdit *edit, int maxBytes);

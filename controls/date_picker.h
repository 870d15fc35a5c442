#pragma once

#include <QDateEdit>

// A date field with a calendar drop-down that takes a typed date as typed: the whole text is
// read when the user presses Enter or leaves the field (see values::parseDate). A text that is
// no date, or a date that does not exist, is refused with a beep and the field shows its old
// date again; the date is never moved to a nearby day. The arrow keys still step the part of the
// date the cursor is in, and Tab leaves the field as it does every other field.
class DatePicker : public QDateEdit
{
    Q_OBJECT

public:
    explicit DatePicker(QWidget *parent = nullptr);

    // Takes a typed text as the date, or refuses it (false) and shows the old date again. A
    // command that reads the date calls it first: a key shortcut or a click on a button that
    // takes no focus reads the field while the typed text is still in it.
    bool commitTyped();

    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

signals:
    // A typed text was refused.
    void refused();

protected:
    QDateTime dateTimeFromText(const QString &text) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool typing() const;
    void stepFromCursor();
};

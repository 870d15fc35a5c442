#include "controls/date_picker.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "core/value_parsers.h"

namespace {

// Longer than any accepted form ("令和元年12月31日" and the like, with spaces).
constexpr int MostTypedCharacters = 20;

bool mayBeTypedDate(const QString &text)
{
    if (text.size() > MostTypedCharacters)
        return false;
    for (const QChar c : text.normalized(QString::NormalizationForm_KC))
        if (!c.isDigit() && !QStringLiteral("/.- 年月日令和元Rr").contains(c))
            return false;
    return true;
}

bool editsText(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        break;
    }
    const Qt::KeyboardModifiers command =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return command == Qt::NoModifier && !event.text().isEmpty() && event.text().at(0).isPrint();
}

} // namespace

DatePicker::DatePicker(QWidget *parent)
    : QDateEdit(parent)
{
    setKeyboardTracking(false);
    // The date edit follows the cursor from one part of the date to the next and re-reads the
    // text at each move, which would take a half-typed date for a whole one. The cursor is free
    // here; stepFromCursor finds the part to step when an arrow key asks for it.
    disconnect(lineEdit(), &QLineEdit::cursorPositionChanged, this, nullptr);
}

QValidator::State DatePicker::validate(QString &input, int &) const
{
    if (values::parseDate(input))
        return QValidator::Acceptable;
    return mayBeTypedDate(input) ? QValidator::Intermediate : QValidator::Invalid;
}

void DatePicker::fixup(QString &) const { }

QDateTime DatePicker::dateTimeFromText(const QString &text) const
{
    const std::optional<QDate> typed = values::parseDate(text);
    return typed ? QDateTime(*typed, time()) : dateTime();
}

bool DatePicker::typing() const
{
    return lineEdit()->text() != textFromDateTime(dateTime());
}

bool DatePicker::commitTyped()
{
    if (!typing())
        return true;
    const std::optional<QDate> typed = values::parseDate(lineEdit()->text());
    if (typed && *typed >= minimumDate() && *typed <= maximumDate()) {
        setDate(*typed);
        if (typing()) // the same date as before, typed another way
            setDate(date());
        return true;
    }
    QApplication::beep();
    setDate(date());
    emit refused();
    return false;
}

void DatePicker::stepFromCursor()
{
    // yyyy/MM/dd: the year, the month or the day by where the cursor stands.
    const int at = lineEdit()->cursorPosition();
    setCurrentSectionIndex(at <= 4 ? 0 : at <= 7 ? 1 : 2);
}

void DatePicker::keyPressEvent(QKeyEvent *event)
{
    if (editsText(*event)) {
        // Straight to the text, past the date edit's part-by-part typing.
        QAbstractSpinBox::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Enter:
    case Qt::Key_Return:
        commitTyped();
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int at = lineEdit()->cursorPosition();
        commitTyped();
        lineEdit()->setCursorPosition(at);
        stepFromCursor();
        break;
    }
    default:
        break;
    }
    QDateEdit::keyPressEvent(event);
}

void DatePicker::focusInEvent(QFocusEvent *event)
{
    QDateEdit::focusInEvent(event);
    // A date typed into the field replaces the whole of the old one. A click places the cursor
    // after this, so the selection waits for it.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    if (event->reason() == Qt::MouseFocusReason)
        QTimer::singleShot(0, this, [this] {
            if (hasFocus())
                selectAll();
        });
    else
        selectAll();
}

void DatePicker::focusOutEvent(QFocusEvent *event)
{
    commitTyped();
    QDateEdit::focusOutEvent(event);
}

void DatePicker::wheelEvent(QWheelEvent *event)
{
    commitTyped();
    stepFromCursor();
    QDateEdit::wheelEvent(event);
}

bool DatePicker::focusNextPrevChild(bool next)
{
    // The date edit would walk through the year, month and day first; a typed date is whole.
    commitTyped();
    return QAbstractSpinBox::focusNextPrevChild(next);
}

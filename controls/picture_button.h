#pragma once

#include <QString>

class QPixmap;
class QRect;
class QToolButton;
class QWidget;

// The marks on the sheets' command buttons: a seal bearing 承 for approving the chosen notes, a
// pile of them for approving all; a funnel for narrowing a list, a list of rows for showing it
// whole, a circular arrow for starting over; a person with a plus or a minus for adding or
// deleting a user; a table for a CSV file, a magnifier for a preview, a printer for printing.
enum class ButtonMark {
    Check,
    Triangle,
    Cross,
    Seal,
    Seals,
    Funnel,
    Rows,
    CircularArrow,
    UserPlus,
    UserMinus,
    Table,
    Magnifier,
    Printer
};

// A picture of our own for a command button: the mark at the left and the word beside it, in a
// smaller size when a long word would not fit.
QPixmap buttonPicture(ButtonMark mark, const QString &word);

// A flat picture button with a hand cursor, as the sheets' commands are. The word is also its
// accessible name and tooltip; it takes no keyboard focus, so fields keep theirs.
QToolButton *pictureButton(
    QWidget *parent, const char *name, const QRect &geometry, ButtonMark mark, const QString &word);

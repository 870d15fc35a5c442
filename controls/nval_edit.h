#pragma once

#include <QColor>
#include <QLineEdit>

#include "controls/nval_model.h"

class QMenu;

// What the field says beside itself when it refuses a character: why, in the field's own limits.
QString refusalText(NValRefusal why, const NValModel &model);

// The amount field: a right-aligned edit that holds a number and is typed like a pocket
// calculator. All the rules live in NValModel; this widget forwards keys, focus, mouse and
// clipboard events to it and shows the text, selection and colour it returns. The text is the
// model's to write: set the number through setValue.
class TNValEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TNValEdit(QWidget *parent = nullptr);

    long double Value() const { return model_.Value(); }
    void setValue(long double value);
    int MaxDigits() const { return model_.MaxDigits(); }
    void setMaxDigits(int digits);
    int FixDecimal() const { return model_.FixDecimal(); }
    void setFixDecimal(int decimals);
    bool PrmtNegative() const { return model_.PrmtNegative(); }
    void setPrmtNegative(bool permitted);
    QChar LeadingChar() const { return model_.LeadingChar(); }
    void setLeadingChar(QChar ch);
    bool ZeroDisplay() const { return model_.ZeroDisplay(); }
    void setZeroDisplay(bool display);
    bool PutAComma() const { return model_.PutAComma(); }
    void setPutAComma(bool comma);
    bool DelAllClear() const { return model_.DelAllClear(); }
    void setDelAllClear(bool clear) { model_.setDelAllClear(clear); }
    bool EnterNext() const { return model_.EnterNext(); }
    void setEnterNext(bool next) { model_.setEnterNext(next); }
    bool ArrowNext() const { return model_.ArrowNext(); }
    void setArrowNext(bool next) { model_.setArrowNext(next); }
    bool AutoSelect() const { return model_.AutoSelect(); }
    void setAutoSelect(bool autoSelect) { model_.setAutoSelect(autoSelect); }

    // Colour of negative numbers; an invalid QColor stands for the window-text colour. Shows at
    // the next change of the number.
    QColor MinusColor() const;
    void setMinusColor(const QColor &color);
    // The font colour, as the field's palette text colour. While a separate minus colour is in
    // use, a colour set here becomes the colour of non-negative numbers.
    QColor FontColor() const;
    void setFontColor(const QColor &color);

    const NValModel &model() const { return model_; }

    // The edit's context menu, with undo, cut, paste and delete going through the number rules.
    QMenu *createNValContextMenu();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void pasteValue();
    void cutValue();
    void clearValue();
    void undoValue();
    void onTextChanged(const QString &text);
    bool handleClipboardKey(QKeyEvent *event);
    bool handleVirtualKey(QKeyEvent *event);
    bool isDefaultKey(QKeyEvent *event) const;
    // Hands the edit's current selection and read-only state to the model before an event.
    void syncToModel();
    // Shows what the model returns: text, selection, colour and any beeps.
    void present();
    void showRefusal(NValRefusal why);
    QColor resolve(NValColor color) const;
    void switchTextColor(const QColor &color);

    NValModel model_;
    int beepsHeard_ = 0;
    bool writingText_ = false;
    bool colorSwitching_ = false;
};

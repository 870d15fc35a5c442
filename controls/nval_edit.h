#pragma once

#include <QColor>
#include <QLineEdit>

#include "controls/nval_model.h"

class QMenu;

// The amount field: a right-aligned edit that holds a number and is typed like a pocket
// calculator. All the rules live in NValModel; this widget forwards keys, focus, mouse and
// clipboard events to it and shows the text, selection and colour it returns. The text is the
// model's to write: set the number through setValue.
class TNValEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TNValEdit(QWidget *parent = nullptr);

    long double Value() const { return m_model.Value(); }
    void setValue(long double value);
    int MaxDigits() const { return m_model.MaxDigits(); }
    void setMaxDigits(int digits);
    int FixDecimal() const { return m_model.FixDecimal(); }
    void setFixDecimal(int decimals);
    bool PrmtNegative() const { return m_model.PrmtNegative(); }
    void setPrmtNegative(bool permitted);
    QChar LeadingChar() const { return m_model.LeadingChar(); }
    void setLeadingChar(QChar ch);
    bool ZeroDisplay() const { return m_model.ZeroDisplay(); }
    void setZeroDisplay(bool display);
    bool PutAComma() const { return m_model.PutAComma(); }
    void setPutAComma(bool comma);
    bool DelAllClear() const { return m_model.DelAllClear(); }
    void setDelAllClear(bool clear) { m_model.setDelAllClear(clear); }
    bool EnterNext() const { return m_model.EnterNext(); }
    void setEnterNext(bool next) { m_model.setEnterNext(next); }
    bool ArrowNext() const { return m_model.ArrowNext(); }
    void setArrowNext(bool next) { m_model.setArrowNext(next); }
    bool AutoSelect() const { return m_model.AutoSelect(); }
    void setAutoSelect(bool autoSelect) { m_model.setAutoSelect(autoSelect); }

    // Colour of negative numbers; an invalid QColor stands for the window-text colour. Shows at
    // the next change of the number.
    QColor MinusColor() const;
    void setMinusColor(const QColor &color);
    // The font colour, as the field's palette text colour. While a separate minus colour is in
    // use, a colour set here becomes the colour of non-negative numbers.
    QColor FontColor() const;
    void setFontColor(const QColor &color);

    const NValModel &model() const { return m_model; }

    // The edit's context menu, with undo, cut, paste and delete going through the number rules.
    QMenu *createNValContextMenu();

protected:
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
    QColor resolve(NValColor color) const;
    void switchTextColor(const QColor &color);

    NValModel m_model;
    int m_beepsHeard = 0;
    bool m_writingText = false;
    bool m_colorSwitching = false;
};

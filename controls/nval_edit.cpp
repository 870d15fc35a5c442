#include "controls/nval_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace {

std::optional<NValKey> virtualKeyOf(int key)
{
    switch (key) {
    case Qt::Key_Backspace:
        return NValKey::Backspace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return NValKey::Enter;
    case Qt::Key_Escape:
        return NValKey::Escape;
    case Qt::Key_Home:
        return NValKey::Home;
    case Qt::Key_Left:
        return NValKey::Left;
    case Qt::Key_Up:
        return NValKey::Up;
    case Qt::Key_Down:
        return NValKey::Down;
    case Qt::Key_Delete:
        return NValKey::Delete;
    }
    return std::nullopt;
}

} // namespace

QString refusalText(NValRefusal why, const NValModel &model)
{
    switch (why) {
    case NValRefusal::None:
        break;
    case NValRefusal::NotANumber: {
        QString signs;
        if (model.PrmtNegative())
            signs += u"「-」"_s;
        if (model.FixDecimal() != 0)
            signs += u"「.」"_s;
        return signs.isEmpty() ? u"入力できるのは数字だけです。"_s
                               : u"入力できるのは数字と%1だけです。"_s.arg(signs);
    }
    case NValRefusal::TooManyDigits:
        return u"これ以上の桁は入力できません（%1桁まで）。"_s.arg(model.MaxDigits());
    case NValRefusal::TooManyWholeDigits:
        return u"整数部はこれ以上入力できません（%1桁まで）。"_s.arg(
            model.MaxDigits() - model.FixDecimal());
    case NValRefusal::TooManyDecimals:
        return u"小数部はこれ以上入力できません（%1桁まで）。"_s.arg(model.FixDecimal());
    case NValRefusal::SecondPoint:
        return u"小数点はすでに入力されています。"_s;
    case NValRefusal::NoDecimals:
        return u"小数は入力できません。"_s;
    case NValRefusal::NoNegative:
        return u"マイナスの数は入力できません。"_s;
    }
    return {};
}

TNValEdit::TNValEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(false); // a drop would insert text behind the model's back
    connect(this, &QLineEdit::textChanged, this, &TNValEdit::onTextChanged);
    present();
}

void TNValEdit::setValue(long double value)
{
    model_.setValue(value);
    present();
}

void TNValEdit::setMaxDigits(int digits)
{
    model_.setMaxDigits(digits);
    present();
}

void TNValEdit::setFixDecimal(int decimals)
{
    model_.setFixDecimal(decimals);
    present();
}

void TNValEdit::setPrmtNegative(bool permitted)
{
    model_.setPrmtNegative(permitted);
    present();
}

void TNValEdit::setLeadingChar(QChar ch)
{
    model_.setLeadingChar(ch);
    present();
}

void TNValEdit::setZeroDisplay(bool display)
{
    model_.setZeroDisplay(display);
    present();
}

void TNValEdit::setPutAComma(bool comma)
{
    model_.setPutAComma(comma);
    present();
}

QColor TNValEdit::MinusColor() const
{
    const NValColor color = model_.MinusColor();
    return color.isWindowText() ? QColor() : QColor::fromRgb(color.rgb());
}

void TNValEdit::setMinusColor(const QColor &color)
{
    model_.setMinusColor(color.isValid() ? NValColor::Rgb(color.rgb()) : NValColor::WindowText());
}

QColor TNValEdit::FontColor() const
{
    return palette().color(QPalette::Text);
}

void TNValEdit::setFontColor(const QColor &color)
{
    QPalette colors = palette();
    colors.setColor(QPalette::Text, color);
    setPalette(colors); // reaches the model through changeEvent
}

QMenu *TNValEdit::createNValContextMenu()
{
    // Built here rather than taken from createStandardContextMenu, whose actions call QLineEdit's
    // own editing; the texts come from Qt's translations, as in the standard menu.
    auto *menu = new QMenu(this);
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText();
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
    const bool clipboardText = clipboard && clipboard->hasText();
    auto add = [&](const char *name, const char *label, QKeySequence::StandardKey key, bool enabled,
                   auto handler) {
        QString text = QCoreApplication::translate("QLineEdit", label);
        if (key != QKeySequence::UnknownKey)
            text += u'\t' + QKeySequence(key).toString(QKeySequence::NativeText);
        QAction *action = menu->addAction(text);
        action->setObjectName(QLatin1StringView(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, handler);
    };
    add("edit-undo", "&Undo", QKeySequence::Undo, editable && isUndoAvailable(),
        &TNValEdit::undoValue);
    menu->addSeparator();
    add("edit-cut", "Cu&t", QKeySequence::Cut, editable && selected, &TNValEdit::cutValue);
    add("edit-copy", "&Copy", QKeySequence::Copy, selected, &QLineEdit::copy);
    add("edit-paste", "&Paste", QKeySequence::Paste, editable && clipboardText,
        &TNValEdit::pasteValue);
    add("edit-delete", "Delete", QKeySequence::UnknownKey, editable && selected,
        &TNValEdit::clearValue);
    menu->addSeparator();
    add("select-all", "Select All", QKeySequence::SelectAll, !text().isEmpty(),
        &QLineEdit::selectAll);
    return menu;
}

bool TNValEdit::event(QEvent *event)
{
    // Shift+Del belongs to the main window's note delete, which a line edit would otherwise claim
    // as Cut. When no open command takes it, it arrives here as the Delete key.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ShiftModifier) {
            event->ignore();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void TNValEdit::keyPressEvent(QKeyEvent *event)
{
    syncToModel();
    if (handleClipboardKey(event) || handleVirtualKey(event))
        return;
    if (isDefaultKey(event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString typed = event->text();
    if (typed.isEmpty() || !typed.at(0).isPrint()) {
        event->ignore(); // function keys and shortcuts belong to the form
        return;
    }
    NValRefusal refused = NValRefusal::None;
    for (QChar ch : typed) {
        model_.keyPress(ch);
        if (model_.LastRefusal() != NValRefusal::None)
            refused = model_.LastRefusal();
    }
    present();
    if (refused != NValRefusal::None)
        showRefusal(refused);
}

// A beep alone is easily missed: the reason stands just below the field until the next key or
// a few seconds have passed.
void TNValEdit::showRefusal(NValRefusal why)
{
    QToolTip::showText(mapToGlobal(QPoint(0, height())), refusalText(why, model_), this);
}

bool TNValEdit::handleClipboardKey(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return true;
    }
    const bool paste = event->matches(QKeySequence::Paste);
    // Shift+Del is Cut on some desktops; here it is the Delete key, with the Delete key's rules.
    const bool cut = event->matches(QKeySequence::Cut) && event->key() != Qt::Key_Delete;
    const bool undoKey = event->matches(QKeySequence::Undo);
    if (!paste && !cut && !undoKey && !event->matches(QKeySequence::Redo))
        return false;
    if (isReadOnly())
        return true;
    if (paste)
        pasteValue();
    else if (cut)
        cutValue();
    else if (undoKey)
        undoValue();
    return true;
}

bool TNValEdit::handleVirtualKey(QKeyEvent *event)
{
    const std::optional<NValKey> key = virtualKeyOf(event->key());
    if (!key)
        return false;
    switch (model_.keyDown(*key)) {
    case NValKeyResult::Handled:
        present();
        return true;
    case NValKeyResult::FocusNext:
        focusNextChild();
        return true;
    case NValKeyResult::FocusPrevious:
        focusPreviousChild();
        return true;
    case NValKeyResult::Default:
        QLineEdit::keyPressEvent(event);
        return true;
    }
    return false;
}

// Keys that only move the caret or select, as in any edit; every key that would change the text
// goes through the model instead.
bool TNValEdit::isDefaultKey(QKeyEvent *event) const
{
    static const QKeySequence::StandardKey movements[] = {
        QKeySequence::MoveToNextChar,
        QKeySequence::MoveToEndOfLine,
        QKeySequence::MoveToNextWord,
        QKeySequence::SelectNextChar,
        QKeySequence::SelectEndOfLine,
        QKeySequence::SelectNextWord,
        QKeySequence::SelectAll,
        QKeySequence::MoveToEndOfBlock,
        QKeySequence::SelectEndOfBlock,
        QKeySequence::MoveToEndOfDocument,
        QKeySequence::SelectEndOfDocument,
    };
    for (QKeySequence::StandardKey movement : movements) {
        if (event->matches(movement))
            return true;
    }
    return false;
}

void TNValEdit::focusInEvent(QFocusEvent *event)
{
    const bool realFocus = event->reason() != Qt::PopupFocusReason;
    if (realFocus)
        syncToModel(); // before Qt's own tab-select-all, which AutoSelect decides instead
    QLineEdit::focusInEvent(event);
    // Keystrokes must arrive as plain digits, not through an input method.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    QGuiApplication::inputMethod()->update(Qt::ImEnabled);
    if (!realFocus)
        return; // back from our own context menu: the field never really lost the focus
    // Qt gives the focus before the click arrives; a click must not select the whole number.
    if (event->reason() == Qt::MouseFocusReason)
        model_.mouseActivate();
    model_.focusIn();
    present();
}

void TNValEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason)
        return;
    syncToModel();
    model_.focusOut();
    present();
}

void TNValEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        model_.doubleClick();
}

void TNValEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    // Only the left button: a right click keeps the selection for the context menu's cut.
    if (event->button() != Qt::LeftButton)
        return;
    syncToModel();
    model_.mouseUp();
    present();
}

void TNValEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createNValContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TNValEdit::inputMethodEvent(QInputMethodEvent *event)
{
    event->ignore(); // composed text would bypass the number rules
}

void TNValEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() != QEvent::PaletteChange || colorSwitching_)
        return;
    const QColor chosen = palette().color(QPalette::Text);
    if (chosen == resolve(model_.FontColor()))
        return;
    model_.fontColorChanged(NValColor::Rgb(chosen.rgb()));
    present();
}

void TNValEdit::pasteValue()
{
    syncToModel();
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (mime && mime->hasText())
        model_.paste(mime->text());
    else
        model_.paste(std::nullopt);
    present();
}

void TNValEdit::cutValue()
{
    {
        QScopedValueRollback writing(writingText_, true);
        cut(); // the selection goes to the clipboard as it is shown
    }
    syncToModel();
    model_.cut();
    present();
}

void TNValEdit::clearValue()
{
    syncToModel();
    model_.clear();
    present();
}

void TNValEdit::undoValue()
{
    {
        QScopedValueRollback writing(writingText_, true);
        undo();
    }
    syncToModel();
    model_.undo(text());
    present();
}

void TNValEdit::onTextChanged(const QString &shown)
{
    if (writingText_)
        return;
    // Text put in from outside (setText, clear, insert): read back as a number.
    syncToModel();
    model_.textSet(shown);
    present();
}

void TNValEdit::syncToModel()
{
    model_.setReadOnly(isReadOnly());
    if (hasSelectedText())
        model_.setSelection(selectionStart(), static_cast<int>(selectedText().size()));
    else
        model_.setSelection(cursorPosition(), 0);
}

void TNValEdit::present()
{
    if (text() != model_.Text()) {
        QScopedValueRollback writing(writingText_, true);
        setText(model_.Text());
        setModified(true);
    }
    if (model_.SelLength() > 0)
        setSelection(model_.SelStart(), model_.SelLength());
    else
        setCursorPosition(model_.CaretPosition());

    const QColor color = resolve(model_.FontColor());
    if (palette().color(QPalette::Text) != color)
        switchTextColor(color);

    if (model_.BeepCount() != beepsHeard_) {
        beepsHeard_ = model_.BeepCount();
        QApplication::beep();
    }
}

QColor TNValEdit::resolve(NValColor color) const
{
    if (color.isWindowText())
        return QApplication::palette(this).color(QPalette::Text);
    return QColor::fromRgb(color.rgb());
}

void TNValEdit::switchTextColor(const QColor &color)
{
    QScopedValueRollback switching(colorSwitching_, true);
    QPalette colors = palette();
    colors.setColor(QPalette::Text, color);
    setPalette(colors);
}

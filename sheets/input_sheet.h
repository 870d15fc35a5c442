#pragma once

#include <optional>

#include <QElapsedTimer>
#include <QWidget>

#include "sheets/note_entry.h"
#include "sheets/sheet_ports.h"
#include "store/register.h"

class QComboBox;
class DatePicker;
class QLabel;
class QLineEdit;
class QToolButton;
class Prompter;
class TBorderLabel;
class TNValEdit;
struct Session;

// The form on which one note is entered, or a note chosen on the data sheet is edited and
// registered again.
class InputSheet : public QWidget, public InputSheetPort
{
    Q_OBJECT
public:
    InputSheet(Session &state, SheetHost &host, Prompter &prompter, QWidget *parent = nullptr);

    // InputSheetPort
    QWidget *widget() override { return this; }
    void DataUpDate() override;
    void setEditIndex(int noteIndex) override;

    void FormShow();
    void TorihikiChange(QComboBox *sender);
    bool DataCheck();
    void OkClick();

    bool Editing() const { return Editing_ != 0; }
    int EditIndex() const { return EditIndex_; }
    // The entry as the controls hold it now.
    NoteEntry entry() const;

    QComboBox *ComboBox1;
    QComboBox *ComboBox2;
    QLineEdit *Edit2;
    QComboBox *ComboBox3;
    QComboBox *ComboBox4;
    DatePicker *DP1;
    DatePicker *DP2;
    TNValEdit *NValEdit1;
    QLineEdit *Edit7;
    QComboBox *ComboBox5;
    QLineEdit *Edit10;
    QComboBox *ComboBox6;
    TBorderLabel *BL11;
    QToolButton *SpeedButton1;
    QLabel *Image1;
    QLabel *Image2;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildControls();
    void buildCaptions();
    void setTabOrder();
    void reachRegistration();
    // Each stores the note and gives its index, or nothing when the register refused it.
    std::optional<int> storeNew(const NoteRecord &note);
    std::optional<int> storeEdited(const NoteRecord &note);
    void fillLists();
    void leaveEditing();
    void showEntry(const NoteEntry &entry);
    void registerChanged(const RegisterChange &change);
    bool followEditedNote(const RegisterChange &change);
    void takeStoredNote();
    void selectSettled(bool settled);
    // Selects the code in a code list (none when it is gone) and its name beside it.
    void reselect(QComboBox *codes, const QString &code);

    Session &state_;
    SheetHost &host_;
    Prompter &prompter_;
    int Editing_ = 0;
    int EditIndex_ = -1;
    LoadedNote loaded_;
    bool shown_ = false;
    bool appending_ = false; // this sheet's own registration of a new note is under way
    bool listsCurrent_ = false; // the four lists hold the partners and banks as they are
    // The last note registered and when: a double-click on 登録 registers it once.
    std::optional<NoteRecord> lastRegistered_;
    QElapsedTimer lastRegistration_;
};

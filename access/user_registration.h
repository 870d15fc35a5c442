#pragma once

#include <memory>

#include <QDialog>

#include "access/user_file.h"
#include "access/user_table.h"
#include "store/file_system.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTableView;
class QToolButton;
class Prompter;
class TBorderLabel;

// The list of users with their rights, where a user holding every right adds, changes and
// deletes users. The whole list is written back as the user file by the close button, the only
// way out; the rights take effect at the next login.
class UserRegistration : public QDialog
{
    Q_OBJECT
public:
    // random: the user file's filler source; a clock-seeded one when none is given.
    // fs: the file layer the user file is read and written through.
    UserRegistration(Prompter &prompter, QString userFile, FileSystem &fs,
        QWidget *parent = nullptr, std::unique_ptr<RandomSource> random = nullptr);
    ~UserRegistration() override;

    void FormShow();
    void DataUpDate();
    void ComboBox1Change();
    void AddClick();
    bool DataCheck();
    void addArr();
    void DelClick();
    void CloseClick();

    const UserTable &table() const { return table_; }
    // False when the user file could not be read whole; the dialog then never writes it.
    bool fileReadable() const { return readable_; }

    QTableView *SG1 = nullptr;
    TBorderLabel *BorderLabel1 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    TBorderLabel *BorderLabel2 = nullptr;
    QLineEdit *Edit2 = nullptr;
    TBorderLabel *BorderLabel3 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QCheckBox *CB1 = nullptr;
    QCheckBox *CB2 = nullptr;
    QCheckBox *CB3 = nullptr;
    QCheckBox *CB4 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QToolButton *SpeedButton3 = nullptr;

public slots:
    // Esc and the window manager's close do nothing: only the close button leaves.
    void reject() override { }

protected:
    void showEvent(QShowEvent *event) override;

private:
    FileIdentity readFile_; // the user file as this screen read it
    FileSystem &fs_;
    void buildControls();
    UserEntry enteredEntry() const;

    Prompter &prompter_;
    QString userFile_;
    std::unique_ptr<RandomSource> random_;
    UserTable table_;
    UserGridModel *model_ = nullptr;
    bool readable_ = true;
    bool shown_ = false;
};

#pragma once

#include <QDialog>
#include <QStringList>

#include "sheets/registration.h"

class QComboBox;
class QLineEdit;
class QTableView;
class QToolButton;
class Prompter;
class RegisterGridModel;
class TBorderLabel;
struct Session;

// The sheet on which partners, each with a default bank, or banks are registered, overwritten
// and deleted. One sheet serves both registers; setMode picks one before it is shown.
class RegistrationSheet : public QDialog
{
    Q_OBJECT
public:
    RegistrationSheet(Session &state, Prompter &prompter, QWidget *parent = nullptr);

    // 1: partners; 0, or any other value: banks.
    void setMode(unsigned mode);
    RegisterKind mode() const { return RegistrationMode; }

    void FormShow();
    void DataUpDate();
    void ComboBox1Change();
    void OkClick();
    bool DataCheck();
    void AddBank();
    void AddPartner();
    void DelClick();
    void AppClick();

    QTableView *SG1 = nullptr;
    TBorderLabel *BL1 = nullptr;
    TBorderLabel *BL2 = nullptr;
    TBorderLabel *BL3 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QToolButton *SpeedButton3 = nullptr;
    // The partner's bank list: each bank's code with its name.
    QStringList BankDisplayList;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void applyColumns();
    // The entry the controls hold, cut to the register's limits.
    std::optional<RegisterEntry> enteredEntry(QString *problem = nullptr) const;
    QByteArray selectedBankCode() const;

    Session &state_;
    Prompter &prompter_;
    RegisterKind RegistrationMode = RegisterKind::BankRegister;
    RegisterGridModel *model_ = nullptr;
    bool shown_ = false;
};

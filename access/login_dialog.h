#pragma once

#include <cstdint>

#include <QDialog>

#include "access/user_file.h"

class QLabel;
class QLineEdit;
class QPushButton;
class Prompter;

// The login at the start of a run: a name and a password checked against the user file.
// Accepted means a successful login; any other ending counts as cancelled.
class LoginDialog : public QDialog
{
    Q_OBJECT
public:
    // userFile is read through fs.
    LoginDialog(
        Prompter &prompter, const QString &userFile, FileSystem &fs, QWidget *parent = nullptr);

    // Valid after a successful login.
    QByteArray userName() const { return check_.getName(); }
    QByteArray userPassword() const { return check_.getPass(); }
    std::uint8_t userRights() const { return check_.getAuth(); }

    void OkClick();

    QLabel *Image1;
    QLabel *Label1;
    QLabel *Label2;
    QLineEdit *Edit1;
    QLabel *Label3;
    QLineEdit *Edit2;
    QPushButton *Button1;
    QPushButton *Button2;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();

    Prompter &prompter_;
    PassCheck check_;
};

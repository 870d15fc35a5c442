#pragma once

#include <QTime>
#include <QWidget>

class QLabel;
struct Session;

namespace due {

// The main window's status line of what falls due ("期日経過の受取手形 2件 ／ 14日以内の支払 …"),
// counted anew on every change of the register, and whether there are changes not yet saved or
// when the last save was made. Clicking the counts asks for the window 期日案内.
class DueStatus : public QWidget
{
    Q_OBJECT
public:
    explicit DueStatus(Session &state, QWidget *parent = nullptr);

    // Starts counting, once a user has logged in, over the coming days given.
    void start(int days);
    void setDays(int days);
    // A save has just been made.
    void saved(QTime at);

    QString countsText() const;
    QString saveText() const;

signals:
    void openRequested();

private:
    void recount();
    void modifiedChanged(bool modified);

    Session &state_;
    QLabel *counts_ = nullptr;
    QLabel *save_ = nullptr;
    int days_ = 0; // 0: not started
};

} // namespace due

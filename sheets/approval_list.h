#pragma once

#include <vector>

#include <QDialog>

#include "sheets/approval_choices.h"

class QLabel;
class QModelIndex;
class QTableView;
class QToolButton;
class ApprovalListModel;
class Prompter;
struct Session;

// The notes whose due date has passed, with a stamp per note that the user flips between
// approved and not; one button applies the choices, the other approves every listed note. The
// close box leaves the notes as they were.
class ApprovalList : public QDialog
{
    Q_OBJECT
public:
    ApprovalList(Session &state, Prompter &prompter, QWidget *parent = nullptr);
    ~ApprovalList() override;

    // The notes to list, by note index; their choices start from their Settled.
    void setArr(const std::vector<int> &indices);
    void FormShow();
    void DataUpDate();
    // A cell became the current one; row 0 is the title row, rows 1..n the listed notes.
    void SG1SelectCell(int col, int row);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void Shonin();

    const ApprovalChoices &choices() const { return choices_; }
    ApprovalListModel *model() const { return model_; }

    QTableView *SG1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildGrid();
    void buildLabels();
    void buildButtons();
    void applyColumns();
    void currentCellChanged(const QModelIndex &current);

    Session &state_;
    Prompter &prompter_;
    ApprovalChoices choices_;
    ApprovalListModel *model_ = nullptr;
};

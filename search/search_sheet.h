#pragma once

#include <array>

#include <QDialog>

#include "search/query.h"
#include "search/value_list.h"

class QComboBox;
class QLabel;
class QToolButton;
class DataSheetPort;
class Prompter;
class SheetHost;
struct Session;

// The extraction sheet: five rows of field, operator and value narrow the data sheet to the
// notes meeting every filled row. It stays open after a query so the conditions can be refined.
class SearchSheet : public QDialog
{
    Q_OBJECT
public:
    // dataSheet may be null: the queries then run and report, and show nowhere.
    SearchSheet(Session &state, SheetHost &host, DataSheetPort *dataSheet, Prompter &prompter,
        QWidget *parent = nullptr);

    void FormShow();
    // Refills a row's operator and value lists for the field its field box now names.
    void CBChange(int row);
    void QueryClick();
    void UnlockClick();
    void ClearClick();
    void CancelClick();

    // The rows as the query reads them: a field or operator typed rather than picked is -1.
    search::QueryConditions conditions() const;

    std::array<QComboBox *, search::ConditionCount> CB {};
    std::array<QComboBox *, search::ConditionCount> CBJ {};
    std::array<QComboBox *, search::ConditionCount> CBV {};
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QToolButton *SpeedButton3 = nullptr;
    QToolButton *SpeedButton4 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildRows();
    void buildLabels();
    void buildButtons();
    QLabel *addLabel(
        const char *name, int left, int top, const QString &text, const QColor &colour);
    // The field a row names; -1 when its text was typed rather than picked.
    int fieldOf(int row) const;
    // Refills every row; the rows naming one field share its value list, built once.
    void refillAllRows();
    search::ValueList valuesOf(int field) const;
    void refillRow(int row, int field, const search::ValueList &values);

    Session &state_;
    SheetHost &host_;
    DataSheetPort *dataSheet_;
    Prompter &prompter_;
};

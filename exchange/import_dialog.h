#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QDialog>

#include "exchange/import_plan.h"

class Prompter;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableView;
class DataSheetPort;

namespace exchange {

class PlanModel;

// The dialog "取り込み": choose a table, read a CSV file of it, see every row checked, and take
// them in as one change when no row has an error. It also saves the header row as a template and
// writes all three tables out in the same layout, into a folder the user picks. Taking in needs
// the right to enter notes and a register that can be changed; writing out is always allowed.
class ImportDialog : public QDialog
{
    Q_OBJECT
public:
    ImportDialog(Session &state, Prompter &prompter, DataSheetPort *dataSheet, bool mayImport,
        QWidget *parent = nullptr);
    ~ImportDialog() override;

    // The file dialogs; tests answer them.
    std::function<QString(QWidget *parent)> chooseFileToRead;
    std::function<QString(QWidget *parent)> chooseFileToWrite;
    std::function<QString(QWidget *parent)> chooseFolderToWrite;

    // Reads and checks a file of the chosen table, letting go of the one shown before.
    void readFile(const QString &path);
    void importClick();
    void saveTemplateClick();
    void exportClick();

    TableKind chosenKind() const;
    const ImportPlan &plan() const { return plan_; }
    QPushButton *importButton() const { return import_; }

private:
    void kindChanged();
    void dropPlan();
    // Checks the file read for the chosen table, showing the progress; a cancel drops the file.
    void planFile();
    void showPlan();

    Session &state_;
    Prompter &prompter_;
    DataSheetPort *dataSheet_;
    bool mayImport_;
    QByteArray file_;
    ImportPlan plan_;
    std::unique_ptr<PlanModel> model_;
    QRadioButton *notes_ = nullptr;
    QRadioButton *partners_ = nullptr;
    QRadioButton *banks_ = nullptr;
    QTableView *table_ = nullptr;
    QLabel *summary_ = nullptr;
    QPushButton *import_ = nullptr;
};

} // namespace exchange

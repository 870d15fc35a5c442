#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include <QDialog>

#include "output/output_choices.h"
#include "output/report_run.h"

class QDateEdit;
class QLabel;
class QRadioButton;
class QToolButton;
class DataSheetPort;
class Prompter;
class TBorderLabel;
struct Session;

// The output sheet: one of ten outputs, a period, then preview, print or a CSV file. It closes
// once an output has been produced (or its file dialog cancelled).
class OutputSheet : public QDialog
{
    Q_OBJECT
public:
    // dataSheet gives the rows of the data-sheet choice; without one that choice lists nothing.
    OutputSheet(
        Session &state, Prompter &prompter, DataSheetPort *dataSheet, QWidget *parent = nullptr);

    // The notes to choose from, sorted by issue date into SourceOrder.
    void setArr(const std::vector<int> &indices);
    void FormShow();
    void RBClick(QRadioButton *sender);
    // sender is SB1 (preview), SB2 (print) or SB4 (CSV).
    void PrintClick(QToolButton *sender);
    void CancelClick();

    // The choice of the first checked radio button, RB1 giving 0.
    int choice() const;
    const ReportState &report() const { return report_; }

    // The save-file dialog of the CSV button: the chosen path, or empty when cancelled. Tests
    // replace it.
    std::function<QString(QWidget *parent)> SaveDialog1;

    std::array<QRadioButton *, outputchoice::Count> RB {};
    std::array<TBorderLabel *, 5> groupCaptions {};
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QDateEdit *DP1 = nullptr;
    QDateEdit *DP2 = nullptr;
    QToolButton *SB1 = nullptr;
    QToolButton *SB2 = nullptr;
    QToolButton *SB4 = nullptr;
    QToolButton *SpeedButton3 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildControls();
    // What a choice produces, once its rows and header texts are set: its page report and its
    // CSV file, one maker below for each report.
    struct OutputJob
    {
        std::function<std::unique_ptr<output::Report>()> report;
        std::function<bool(const QString &path, QString *error, Progress *progress)> csv;
    };
    // Fills ReportRows and the header texts for the chosen output.
    OutputJob prepare(int chosen);
    OutputJob noteListJob();
    OutputJob partnerSummaryJob();
    OutputJob scheduleJob(int chosen);
    OutputJob bankListJob();
    // false when the output failed and the sheet should stay open.
    bool produce(const OutputJob &job, QToolButton *sender);

    Session &state_;
    Prompter &prompter_;
    DataSheetPort *dataSheet_;
    ReportState report_;
    bool shown_ = false;
};

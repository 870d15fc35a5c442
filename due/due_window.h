#pragma once

#include <functional>
#include <memory>

#include <QWidget>

#include "due/due_lists.h"

class Prompter;
class ProgramOptions;
struct OptionProblem;
class QLabel;
class QSpinBox;
class QTableView;
class QTabWidget;
class QVBoxLayout;
struct Session;

namespace due {

class RowsModel;

// The window "期日案内": what falls due in the coming days, cash by month, payable notes on
// long terms and the notes due after paper clearing ends, each a tab. It only reads the
// register, so a read-only copy shows all of it. Filled anew on every change of the register
// while it is shown.
class DueWindow : public QWidget
{
    Q_OBJECT
public:
    DueWindow(
        Session &state, Prompter &prompter, ProgramOptions &options, QWidget *parent = nullptr);
    ~DueWindow() override;

    // Fills every tab from the register as it is now.
    void refresh();

    // Shows one note in the data sheet (a row was double-clicked).
    std::function<void(int note)> showNote;
    // The CSV file dialog; tests answer it.
    std::function<QString(QWidget *parent)> chooseCsvFile;

    QTabWidget *tabs() const { return tabs_; }
    QSpinBox *daysBox() const { return days_; }
    const Overview &overview() const { return overview_; }

signals:
    // The number of coming days changed: the status line counts the same days.
    void daysChanged(int days);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *comingTab();
    QWidget *planTab();
    QWidget *longTermTab();
    QWidget *clearingTab();
    QTableView *addList(
        QVBoxLayout *layout, const QString &caption, RowsModel *model, bool captionShown = true);
    void addReportButtons(QVBoxLayout *layout, int tab);
    void preview(int tab);
    void exportCsv(int tab);
    void daysEdited(int days);

    Session &state_;
    Prompter &prompter_;
    ProgramOptions &options_;
    Overview overview_;
    QTabWidget *tabs_ = nullptr;
    QSpinBox *days_ = nullptr;
    bool daysNotKept_ = false; // the last change of days could not be kept
    std::unique_ptr<RowsModel> overdue_, payable_, receivable_, plan_, longTerms_, clearing_;
    QLabel *overdueTotal_ = nullptr;
    QLabel *payableTotal_ = nullptr;
    QLabel *receivableTotal_ = nullptr;
    QLabel *longTermCount_ = nullptr;
    QLabel *clearingCount_ = nullptr;
};

// The key under which each user's number of coming days is kept.
inline constexpr const char16_t *DueDaysSetting = u"due_days";
// The user's number of coming days; a kept one out of range reads as the default, and problem
// says so.
int dueDaysOf(const ProgramOptions &options, const QString &user, OptionProblem *problem = nullptr);

} // namespace due

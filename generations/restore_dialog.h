#pragma once

#include <memory>
#include <vector>

#include <QDialog>

#include "core/money.h"
#include "store/generations.h"

class Progress;
class Prompter;
class QPushButton;
class QTableView;
struct Session;

namespace generations {

class GenerationsModel;

// What a generation holds, read with every check of a load and checked against what it was when
// it was kept.
struct GenerationSummary
{
    Generation generation;
    bool readable = false;
    GenerationFault fault; // why it cannot be brought back
    qsizetype notes = 0;
    qsizetype partners = 0;
    qsizetype banks = 0;
    Money sum;
    qsizetype settled = 0; // notes whose collection is confirmed
};

// The dialog "バックアップから復元": the generations the saves kept, newest first, with when what
// each holds was saved and what it holds, or "エラー" and why it cannot be brought back across the
// columns of what it holds; 復元 puts the chosen one in place as a change not yet saved, after
// asking. The save that follows keeps the register it replaces as a generation in
// turn, so a restore can be undone.
class RestoreDialog : public QDialog
{
    Q_OBJECT
public:
    // Reading every generation takes a moment each at a million notes: the reading shows its
    // progress (a dialog of its own unless progress is given), and a cancel lists only the
    // generations read so far, newest first.
    RestoreDialog(Session &state, Prompter &prompter, QWidget *parent = nullptr,
        Progress *progress = nullptr);
    ~RestoreDialog() override;

    const std::vector<GenerationSummary> &summaries() const { return summaries_; }
    QTableView *table() const { return table_; }
    QPushButton *restoreButton() const { return restore_; }
    void restoreClick();

private:
    void selectionChanged();
    int chosenRow() const;

    Session &state_;
    Prompter &prompter_;
    std::vector<GenerationSummary> summaries_;
    std::unique_ptr<GenerationsModel> model_;
    QTableView *table_ = nullptr;
    QPushButton *restore_ = nullptr;
};

} // namespace generations

#include "due/due_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "controls/prompter.h"
#include "controls/screen_style.h"
#include "controls/sheet_grid.h"
#include "controls/sheet_grid_model.h"
#include "core/lookups.h"
#include "core/sjis.h"
#include "due/due_reports.h"
#include "due/due_texts.h"
#include "messages/store_messages.h"
#include "output/csv_export.h"
#include "output/report_run.h"
#include "session/session.h"
#include "store/program_options.h"

using namespace Qt::StringLiterals;

namespace due {

namespace {

    constexpr Qt::Alignment Right = Qt::AlignRight;
    constexpr Qt::Alignment Centre = Qt::AlignHCenter;

    constexpr GridColumn DueGrid[] = {
        { u"支払日", 84, Centre },
        { u"決済日", 84, Centre },
        { u"取引先名", 170, Qt::AlignLeft, true },
        { u"手形番号", 90 },
        { u"金額", 110, Right },
        { u"振出銀行", 150, Qt::AlignLeft, true },
    };
    constexpr GridColumn PlanGrid[] = {
        { u"年月", 100, Centre },
        { u"支払手形", 140, Right },
        { u"受取手形", 140, Right },
        { u"差引", 140, Right },
    };
    constexpr GridColumn LongTermGrid[] = {
        { u"取引先名", 170, Qt::AlignLeft, true },
        { u"手形番号", 90 },
        { u"振出日", 84, Centre },
        { u"支払日", 84, Centre },
        { u"サイト", 60, Right },
        { u"金額", 110, Right },
    };
    constexpr GridColumn ClearingGrid[] = {
        { u"種類", 70 },
        { u"取引先名", 170, Qt::AlignLeft, true },
        { u"手形番号", 90 },
        { u"支払日", 84, Centre },
        { u"金額", 110, Right },
        { u"振出銀行", 150, Qt::AlignLeft, true },
    };

    enum Tab { ComingTab, PlanTab, LongTermTab, ClearingTab };

    QLabel *addLabel(QVBoxLayout *layout, const QString &text, const QString &name = {})
    {
        auto *label = new QLabel(text);
        label->setObjectName(name);
        label->setAccessibleName(text);
        label->setWordWrap(true);
        layout->addWidget(label);
        return label;
    }

    QPushButton *addButton(QHBoxLayout *layout, const QString &caption)
    {
        auto *button = namedAfterCaption(new QPushButton(caption), caption);
        layout->addWidget(button);
        return button;
    }

} // namespace

// The rows of one table of the window, their cells made when they are shown.
class RowsModel : public SheetGridModel
{
public:
    explicit RowsModel(std::span<const GridColumn> columns)
        : columns_(columns)
    {
    }

    void setRows(int count, std::function<QStringList(int row)> cells)
    {
        beginResetModel();
        count_ = count;
        cells_ = std::move(cells);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : count_;
    }
    QString cellText(int row, int column) const override
    {
        return row >= 0 && row < count_ ? cells_(row).value(column) : QString();
    }

protected:
    std::span<const GridColumn> gridColumns() const override { return columns_; }

private:
    std::span<const GridColumn> columns_;
    int count_ = 0;
    std::function<QStringList(int)> cells_;
};

int dueDaysOf(const ProgramOptions &options, const QString &user, OptionProblem *problem)
{
    return options.userNumber(
        QString::fromUtf16(DueDaysSetting), user, FewestDays, MostDays, DefaultDays, problem);
}

DueWindow::DueWindow(Session &state, Prompter &prompter, ProgramOptions &options, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , prompter_(prompter)
    , options_(options)
    , overdue_(std::make_unique<RowsModel>(DueGrid))
    , payable_(std::make_unique<RowsModel>(DueGrid))
    , receivable_(std::make_unique<RowsModel>(DueGrid))
    , plan_(std::make_unique<RowsModel>(PlanGrid))
    , longTerms_(std::make_unique<RowsModel>(LongTermGrid))
    , clearing_(std::make_unique<RowsModel>(ClearingGrid))
{
    setObjectName(u"DueWindow"_s);
    setWindowTitle(u"期日案内"_s);
    setAccessibleName(u"期日案内"_s);
    chooseCsvFile = [this](QWidget *owner) { return output::chooseCsvFile(owner, prompter_); };
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(u"DueTabs"_s);
    tabs_->addTab(comingTab(), u"期日案内"_s);
    tabs_->addTab(planTab(), u"資金繰り予定"_s);
    tabs_->addTab(longTermTab(), u"支払サイト点検"_s);
    tabs_->addTab(clearingTab(), u"手形交換の終了"_s);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    resize(740, 600);
    connect(&state_.Data, &Register::changed, this, [this] {
        if (isVisible())
            refresh();
    });
}

DueWindow::~DueWindow() = default;

QTableView *DueWindow::addList(
    QVBoxLayout *layout, const QString &caption, RowsModel *model, bool captionShown)
{
    if (captionShown)
        addLabel(layout, caption);
    auto *grid = namedAfterCaption(new QTableView, caption);
    grid->setModel(model);
    setUpSheetGrid(grid);
    applyColumnWidths(grid, model->columnWidths());
    layout->addWidget(grid, 1);
    return grid;
}

QWidget *DueWindow::comingTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    auto *daysRow = new QHBoxLayout;
    auto *caption = new QLabel(u"日数"_s);
    days_ = new QSpinBox;
    days_->setObjectName(u"日数"_s);
    days_->setAccessibleName(u"日数"_s);
    days_->setRange(FewestDays, MostDays);
    days_->setValue(dueDaysOf(options_, sjis::decode(state_.CurrentUser.Name)));
    caption->setBuddy(days_);
    daysRow->addWidget(caption);
    daysRow->addWidget(days_);
    daysRow->addStretch();
    layout->addLayout(daysRow);
    connect(days_, &QSpinBox::valueChanged, this, &DueWindow::daysEdited);
    const struct
    {
        const char16_t *caption;
        RowsModel *model;
        QLabel **total;
        const char16_t *totalName;
    } lists[] = {
        { u"期日経過の受取手形", overdue_.get(), &overdueTotal_, u"OverdueTotal" },
        { u"支払予定", payable_.get(), &payableTotal_, u"PayableTotal" },
        { u"入金予定", receivable_.get(), &receivableTotal_, u"ReceivableTotal" },
    };
    for (const auto &list : lists) {
        QTableView *grid = addList(layout, QString::fromUtf16(list.caption), list.model);
        const NoteList *rows = list.model == overdue_.get() ? &overview_.overdue
            : list.model == payable_.get()                  ? &overview_.payable
                                                            : &overview_.receivable;
        connect(grid, &QTableView::doubleClicked, this, [this, rows](const QModelIndex &index) {
            if (showNote && index.row() < static_cast<int>(rows->rows.size()))
                showNote(rows->rows[static_cast<std::size_t>(index.row())].note);
        });
        *list.total = addLabel(layout, {}, QString::fromUtf16(list.totalName));
    }
    return tab;
}

QWidget *DueWindow::planTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    addList(layout, u"資金繰り予定"_s, plan_.get(), false);
    addLabel(layout,
        u"支払手形・受取手形のうち未決済のものを、決済日（支払日が銀行の休業日のときは翌営業日）の"
        u"月ごとに合計しています。"
        u"支払日を過ぎてもまだ取り立てていない受取手形は、最初の行「期日経過」にまとめています。"_s);
    addReportButtons(layout, PlanTab);
    return tab;
}

// プレビュー and CSV under a tab that prints as a report.
void DueWindow::addReportButtons(QVBoxLayout *layout, int tab)
{
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    connect(addButton(buttons, u"プレビュー"_s), &QPushButton::clicked, this,
        [this, tab] { preview(tab); });
    connect(
        addButton(buttons, u"CSV"_s), &QPushButton::clicked, this, [this, tab] { exportCsv(tab); });
    layout->addLayout(buttons);
}

QWidget *DueWindow::longTermTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    longTermCount_ = addLabel(layout, {}, u"LongTermCount"_s);
    addLabel(layout, longTermExplanation());
    addList(layout, u"支払サイト点検"_s, longTerms_.get(), false);
    addReportButtons(layout, LongTermTab);
    return tab;
}

QWidget *DueWindow::clearingTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    addList(layout, u"2027年4月以降に期日の手形"_s, clearing_.get());
    clearingCount_ = addLabel(layout, {}, u"ClearingCount"_s);
    addLabel(layout, clearingExplanation());
    addReportButtons(layout, ClearingTab);
    return tab;
}

void DueWindow::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

void DueWindow::refresh()
{
    overview_ = due::overview(state_.NoteTable, state_.clock->today(), days_->value());
    // Screens name a partner or bank by the last record bearing its code.
    auto partners = std::make_shared<CodeIndex<PartnerRecord>>(state_.PartnerTable);
    auto banks = std::make_shared<CodeIndex<BankRecord>>(state_.BankTable);
    const auto noteOf = [this](const DueNote &row) -> const NoteRecord & {
        return state_.NoteTable[static_cast<std::size_t>(row.note)];
    };
    const auto fillDue = [&](RowsModel &model, const NoteList &list, QLabel *total) {
        model.setRows(static_cast<int>(list.rows.size()), [&list, noteOf, partners, banks](int r) {
            const DueNote &row = list.rows[static_cast<std::size_t>(r)];
            const NoteRecord &n = noteOf(row);
            return dueCells(row, n, partners->lastName(n.PartnerCode.view()),
                banks->lastName(n.BankCode.view()));
        });
        total->setText(totalLine(list));
    };
    fillDue(*overdue_, overview_.overdue, overdueTotal_);
    fillDue(*payable_, overview_.payable, payableTotal_);
    fillDue(*receivable_, overview_.receivable, receivableTotal_);
    // The overdue row, the months, the total.
    plan_->setRows(1 + PlanMonths + 1, [this](int r) {
        if (r == 0)
            return planPastDueCells(overview_.pastDue);
        return r <= PlanMonths ? planCells(overview_.months[static_cast<std::size_t>(r - 1)])
                               : planTotalCells(overview_.total);
    });
    longTerms_->setRows(
        static_cast<int>(overview_.longTerms.rows.size()), [this, noteOf, partners](int r) {
            const DueNote &row = overview_.longTerms.rows[static_cast<std::size_t>(r)];
            const NoteRecord &n = noteOf(row);
            return longTermCells(row, n, partners->lastName(n.PartnerCode.view()));
        });
    longTermCount_->setText(longTermCountLine(overview_.longTerms));
    clearing_->setRows(static_cast<int>(overview_.afterClearing.rows.size()),
        [this, noteOf, partners, banks](int r) {
            const DueNote &row = overview_.afterClearing.rows[static_cast<std::size_t>(r)];
            const NoteRecord &n = noteOf(row);
            return clearingCells(row, n, partners->lastName(n.PartnerCode.view()),
                banks->lastName(n.BankCode.view()));
        });
    clearingCount_->setText(clearingCountLine(overview_));
}

void DueWindow::daysEdited(int days)
{
    FileFault fault;
    const bool kept = options_.setUserNumber(
        QString::fromUtf16(DueDaysSetting), sjis::decode(state_.CurrentUser.Name), days, &fault);
    // Each step of the box is a change: a file that stays unwritable is told once, not per step.
    if (!kept && !daysNotKept_)
        prompter_.warn(this, messages::programOptionsNotSaved(options_.path(), fault));
    daysNotKept_ = !kept;
    refresh();
    emit daysChanged(days);
}

void DueWindow::preview(int tab)
{
    const QString asOf = asOfText(overview_.today);
    std::unique_ptr<output::Report> report = tab == PlanTab ? cashPlanReport(overview_, asOf)
        : tab == LongTermTab ? longTermReport(state_.Data.tables(), overview_, asOf)
                             : clearingReport(state_.Data.tables(), overview_, asOf);
    output::previewReport(*report, prompter_, state_.Data.fileSystem(), this,
        [this](const QString &path) { return state_.isProgramFile(path); });
}

void DueWindow::exportCsv(int tab)
{
    const QString asOf = asOfText(overview_.today);
    output::exportCsv(this, prompter_, state_, chooseCsvFile,
        [this, tab, asOf](const QString &path, QString *error, Progress *progress) {
            FileSystem &fs = state_.Data.fileSystem();
            if (tab == PlanTab)
                return cashPlanCsv(path, overview_, asOf, error, progress, fs);
            if (tab == LongTermTab)
                return longTermCsv(
                    path, state_.Data.tables(), overview_, asOf, error, progress, fs);
            return clearingCsv(path, state_.Data.tables(), overview_, asOf, error, progress, fs);
        });
}

} // namespace due

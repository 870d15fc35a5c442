#include "generations/restore_dialog.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "controls/progress_dialog.h"
#include "controls/prompter.h"
#include "controls/screen_style.h"
#include "controls/sheet_grid.h"
#include "controls/sheet_grid_model.h"
#include "core/formats.h"
#include "messages/store_messages.h"
#include "output/yen_unit.h"
#include "session/session.h"
#include "store/data_files.h"

using namespace Qt::StringLiterals;

namespace generations {

namespace {

    constexpr GridColumn Columns[] = {
        { u"保存日時", 150, Qt::AlignHCenter },
        { u"手形", 80, Qt::AlignRight },
        { u"取引先", 70, Qt::AlignRight },
        { u"銀行", 60, Qt::AlignRight },
        { u"金額合計", 170, Qt::AlignRight },
        { u"承認済み", 70, Qt::AlignRight },
    };

    // Where a generation that cannot be brought back says so.
    constexpr int ErrorColumn = 1;

    GenerationSummary summaryOf(const Generation &generation, FileSystem &fs)
    {
        GenerationSummary s;
        s.generation = generation;
        Tables tables;
        s.readable = LoadGeneration(generation, tables, fs, &s.fault);
        if (!s.readable)
            return s;
        s.notes = static_cast<qsizetype>(tables.notes.size());
        s.partners = static_cast<qsizetype>(tables.partners.size());
        s.banks = static_cast<qsizetype>(tables.banks.size());
        for (const NoteRecord &n : tables.notes) {
            s.sum += n.Amount;
            if (n.Settled != 0)
                ++s.settled;
        }
        return s;
    }

    // When what the generation holds was saved; one made before that was recorded is known only
    // by the save that replaced it.
    QString savedText(const Generation &g)
    {
        const QDateTime &at = g.contentSavedAt.isValid() ? g.contentSavedAt : g.savedAt;
        return at.toString(u"yyyy/MM/dd HH:mm:ss"_s);
    }

} // namespace

class GenerationsModel : public SheetGridModel
{
public:
    explicit GenerationsModel(const std::vector<GenerationSummary> &rows)
        : rows_(rows)
    {
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    QString cellText(int row, int column) const override
    {
        if (row < 0 || row >= rowCount())
            return {};
        const GenerationSummary &s = rows_[static_cast<std::size_t>(row)];
        if (column == 0)
            return savedText(s.generation);
        if (!s.readable)
            return column == ErrorColumn ? messages::generationError(s.fault) : QString();
        switch (column) {
        case 1:
            return QString::number(s.notes);
        case 2:
            return QString::number(s.partners);
        case 3:
            return QString::number(s.banks);
        case 4:
            return formats::wholeUnits(s.sum, true).toString() + yenUnit(s.sum);
        default:
            return QString::number(s.settled);
        }
    }

    // The error and its reason run across the columns of what the generation holds, left to
    // right, ending in "…" where they are too long; the whole of it shows on hovering.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override
    {
        const bool error = index.isValid() && index.column() == ErrorColumn
            && index.row() < rowCount() && !rows_[static_cast<std::size_t>(index.row())].readable;
        if (error && role == GridNameRole)
            return true;
        if (error && role == Qt::TextAlignmentRole)
            return static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter);
        if (error && role == Qt::ToolTipRole)
            return cellText(index.row(), index.column());
        return SheetGridModel::data(index, role);
    }

protected:
    std::span<const GridColumn> gridColumns() const override { return Columns; }

private:
    const std::vector<GenerationSummary> &rows_;
};

RestoreDialog::RestoreDialog(
    Session &state, Prompter &prompter, QWidget *parent, Progress *progress)
    : QDialog(parent)
    , state_(state)
    , prompter_(prompter)
{
    setObjectName(u"RestoreDialog"_s);
    setWindowTitle(u"バックアップから復元"_s);
    {
        // Shown over the window that asked, as this dialog is not up yet.
        ProgressDialog shown(parent, u"バックアップを読み込んでいます…"_s, u"世代"_s);
        Progress *watcher = progress ? progress : &shown;
        GenerationFault unavailable;
        const std::vector<Generation> kept =
            listGenerations(state_.DataDirectory, state_.Data.fileSystem(), &unavailable);
        if (unavailable.failed())
            prompter_.warn(parent, messages::generationsUnavailable(unavailable));
        const auto total = static_cast<qint64>(kept.size());
        for (const Generation &g : kept) {
            if (!watcher->step(static_cast<qint64>(summaries_.size()), total))
                break;
            summaries_.push_back(summaryOf(g, state_.Data.fileSystem()));
        }
    }
    model_ = std::make_unique<GenerationsModel>(summaries_);
    table_ = new QTableView(this);
    table_->setObjectName(u"Generations"_s);
    table_->setAccessibleName(u"バックアップ"_s);
    table_->setModel(model_.get());
    setUpSheetGrid(table_);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    applyColumnWidths(table_, model_->columnWidths());
    for (std::size_t row = 0; row < summaries_.size(); ++row) {
        if (!summaries_[row].readable)
            table_->setSpan(
                static_cast<int>(row), ErrorColumn, 1, model_->columnCount() - ErrorColumn);
    }
    restore_ = namedAfterCaption(new QPushButton(u"復元"_s, this), u"復元"_s);
    auto *close = namedAfterCaption(new QPushButton(u"閉じる"_s, this), u"閉じる"_s);
    connect(restore_, &QPushButton::clicked, this, &RestoreDialog::restoreClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &RestoreDialog::selectionChanged);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(restore_);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    resize(680, 360);
    if (!summaries_.empty())
        table_->selectRow(0);
    selectionChanged();
}

RestoreDialog::~RestoreDialog() = default;

int RestoreDialog::chosenRow() const
{
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void RestoreDialog::selectionChanged()
{
    const int row = chosenRow();
    restore_->setEnabled(
        !state_.Data.readOnly() && row >= 0 && summaries_[static_cast<std::size_t>(row)].readable);
}

void RestoreDialog::restoreClick()
{
    const int row = chosenRow();
    if (!restore_->isEnabled() || row < 0)
        return;
    const Generation &g = summaries_[static_cast<std::size_t>(row)].generation;
    const QString which = g.contentSavedAt.isValid() ? u"\n%1 に保存したデータに戻します。"_s
                                                     : u"\n%1 の保存の前のデータに戻します。"_s;
    const QString question = which.arg(savedText(g))
        + u"\n今のデータは上書き保存すると新しいバックアップとして残るので、"
          u"あとで元に戻すこともできます。\n戻しますか？"_s;
    if (prompter_.message(this, MessageKind::Warning, question, MessageButtons::OkCancel)
        != MessageAnswer::Ok)
        return;
    Tables tables;
    // Read again: the folder may have changed since the list was made.
    GenerationFault why;
    if (!LoadGeneration(g, tables, state_.Data.fileSystem(), &why)) {
        prompter_.error(this, messages::generationNotRestored(g.path, why));
        return;
    }
    if (state_.Data.restore(std::move(tables)) == ChangeOutcome::Done)
        accept();
}

} // namespace generations

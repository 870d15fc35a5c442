#include "exchange/import_dialog.h"

#include <cerrno>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include "controls/progress_dialog.h"
#include "controls/prompter.h"
#include "controls/screen_style.h"
#include "controls/sheet_grid.h"
#include "controls/sheet_grid_model.h"
#include "exchange/register_export.h"
#include "messages/entry_messages.h"
#include "messages/io_error.h"
#include "messages/store_messages.h"
#include "output/csv_export.h"
#include "session/session.h"
#include "sheets/sheet_ports.h"
#include "store/file_system.h"

using namespace Qt::StringLiterals;

namespace exchange {

namespace {

    constexpr GridColumn NoteGrid[] = {
        { u"種類", 70 },
        { u"取引先コード", 80 },
        { u"手形番号", 80 },
        { u"振出銀行コード", 90 },
        { u"振出日", 80, Qt::AlignHCenter },
        { u"支払日", 80, Qt::AlignHCenter },
        { u"金額", 100, Qt::AlignRight },
        { u"承認", 40, Qt::AlignHCenter },
        { u"備考", 150, Qt::AlignLeft, true },
        { u"入力者名", 80, Qt::AlignLeft, true },
        { u"状態", 360, Qt::AlignLeft, true },
    };
    constexpr GridColumn PartnerGrid[] = {
        { u"取引先コード", 90 },
        { u"取引先名", 240, Qt::AlignLeft, true },
        { u"銀行コード", 90 },
        { u"状態", 420, Qt::AlignLeft, true },
    };
    constexpr GridColumn BankGrid[] = {
        { u"銀行コード", 90 },
        { u"銀行名", 300, Qt::AlignLeft, true },
        { u"状態", 420, Qt::AlignLeft, true },
    };

    std::span<const GridColumn> gridOf(TableKind kind)
    {
        switch (kind) {
        case TableKind::Notes:
            return NoteGrid;
        case TableKind::Partners:
            return PartnerGrid;
        case TableKind::Banks:
            return BankGrid;
        }
        return NoteGrid;
    }

    QString chooseCsvToRead(QWidget *parent, Prompter &prompter)
    {
        QFileDialog dialog(parent);
        dialog.setObjectName(u"OpenDialog"_s);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters({ u"CSVファイル (*.csv)"_s, u"すべてのファイル (*)"_s });
        if (prompter.exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }

    ImportPlan emptyPlan(TableKind kind)
    {
        ImportPlan plan;
        plan.kind = kind;
        return plan;
    }

} // namespace

// The rows of a plan: each record's cells and its state, made when they are shown.
class PlanModel : public SheetGridModel
{
public:
    void setPlan(const ImportPlan *plan)
    {
        beginResetModel();
        plan_ = plan;
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || !plan_ ? 0 : plan_->rows();
    }
    QString cellText(int row, int column) const override
    {
        if (!plan_ || row < 0 || row >= plan_->rows())
            return {};
        return column < plan_->table.columns()
            ? plan_->cell(row, column)
            : messages::importRowStatus(plan_->checks[static_cast<std::size_t>(row)].problems);
    }

protected:
    std::span<const GridColumn> gridColumns() const override
    {
        return gridOf(plan_ ? plan_->kind : TableKind::Notes);
    }

private:
    const ImportPlan *plan_ = nullptr;
};

ImportDialog::ImportDialog(
    Session &state, Prompter &prompter, DataSheetPort *dataSheet, bool mayImport, QWidget *parent)
    : QDialog(parent)
    , state_(state)
    , prompter_(prompter)
    , dataSheet_(dataSheet)
    , mayImport_(mayImport)
    , model_(std::make_unique<PlanModel>())
{
    setObjectName(u"ImportDialog"_s);
    setWindowTitle(u"取り込み"_s);
    chooseFileToRead = [this](QWidget *owner) { return chooseCsvToRead(owner, prompter_); };
    chooseFileToWrite = [this](QWidget *owner) { return output::chooseCsvFile(owner, prompter_); };
    chooseFolderToWrite = [this](QWidget *owner) {
        return chooseFolder(prompter_, owner, u"書き出し先のフォルダー"_s, u"FolderDialog"_s);
    };
    const auto button = [this](const QString &caption) {
        return namedAfterCaption(new QPushButton(caption, this), caption);
    };
    const auto radio = [this](const QString &caption) {
        auto *r = namedAfterCaption(new QRadioButton(caption, this), caption);
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                kindChanged();
        });
        return r;
    };
    notes_ = radio(u"手形"_s);
    partners_ = radio(u"取引先"_s);
    banks_ = radio(u"銀行"_s);
    {
        // Before there is a table to show anything in.
        const QSignalBlocker quiet(notes_);
        notes_->setChecked(true);
    }
    QPushButton *choose = button(u"ファイルを選択"_s);
    QPushButton *templ = button(u"ひな形を保存"_s);
    QPushButton *exportAll = button(u"全件書き出し"_s);
    import_ = button(u"取り込み"_s);
    QPushButton *close = button(u"閉じる"_s);
    connect(choose, &QPushButton::clicked, this, [this] {
        const QString path = chooseFileToRead(this);
        if (!path.isEmpty())
            readFile(path);
    });
    connect(templ, &QPushButton::clicked, this, &ImportDialog::saveTemplateClick);
    connect(exportAll, &QPushButton::clicked, this, &ImportDialog::exportClick);
    connect(import_, &QPushButton::clicked, this, &ImportDialog::importClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *caption = new QLabel(u"取り込み内容"_s, this);
    table_ = new QTableView(this);
    table_->setObjectName(u"取り込み内容"_s);
    table_->setAccessibleName(u"取り込み内容"_s);
    table_->setModel(model_.get());
    setUpSheetGrid(table_);
    summary_ = new QLabel(this);
    summary_->setObjectName(u"Summary"_s);

    auto *kinds = new QHBoxLayout;
    for (QWidget *w : { static_cast<QWidget *>(notes_), static_cast<QWidget *>(partners_),
             static_cast<QWidget *>(banks_) })
        kinds->addWidget(w);
    kinds->addStretch();
    for (QWidget *w : { choose, templ, exportAll })
        kinds->addWidget(w);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(summary_, 1);
    bottom->addWidget(import_);
    bottom->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(kinds);
    layout->addWidget(caption);
    layout->addWidget(table_, 1);
    layout->addLayout(bottom);
    resize(900, 560);
    showPlan();
}

ImportDialog::~ImportDialog() = default;

TableKind ImportDialog::chosenKind() const
{
    if (partners_ && partners_->isChecked())
        return TableKind::Partners;
    if (banks_ && banks_->isChecked())
        return TableKind::Banks;
    return TableKind::Notes;
}

void ImportDialog::kindChanged()
{
    if (!file_.isNull())
        planFile();
    else
        plan_ = emptyPlan(chosenKind());
    showPlan();
}

void ImportDialog::dropPlan()
{
    // The table shows nothing until the next plan, so that two plans are never held at once.
    model_->setPlan(nullptr);
    plan_ = emptyPlan(chosenKind());
}

void ImportDialog::planFile()
{
    dropPlan();
    ProgressDialog progress(this, u"ファイルを確かめています…"_s, u"行"_s);
    plan_ = planImport(chosenKind(), file_, state_.Data.tables(), state_.CurrentUser, &progress);
    if (progress.cancelled()) {
        file_ = QByteArray();
        plan_ = emptyPlan(chosenKind());
    }
}

void ImportDialog::readFile(const QString &path)
{
    // Another file replaces the one shown, which is let go first: never two at once.
    file_ = QByteArray();
    dropPlan();
    const WholeFile read = readWholeFile(path, LargestImportFile, state_.Data.fileSystem());
    if (read.missing || read.fault.isFault()) {
        const QString why = read.missing ? systemReason(ENOENT) : messages::reason(read.fault);
        showPlan();
        prompter_.error(
            this, u"\nファイル「%1」を読み込めませんでした。\n理由: %2"_s.arg(path, why));
        return;
    }
    file_ = read.bytes.isNull() ? QByteArray("") : read.bytes;
    planFile();
    showPlan();
    if (!file_.isNull() && !plan_.fileError.isEmpty())
        prompter_.warn(
            this, u"\nファイル「%1」は取り込めません。\n%2"_s.arg(path, plan_.fileError));
}

void ImportDialog::showPlan()
{
    model_->setPlan(&plan_);
    applyColumnWidths(table_, model_->columnWidths());
    summary_->setText(plan_.rows() > 0 || !file_.isNull() ? plan_.summary() : QString());
    import_->setEnabled(mayImport_ && !state_.Data.readOnly() && plan_.importable());
}

void ImportDialog::importClick()
{
    if (!import_->isEnabled())
        return;
    const QStringList warnings = plan_.warningLines();
    if (!warnings.isEmpty()) {
        // One question for every warning; a long list shows its beginning.
        constexpr qsizetype Shown = 10;
        QString text = u"\n警告が%1件あります。このまま取り込みますか？\n\n"_s.arg(warnings.size())
            + warnings.mid(0, Shown).join(u'\n');
        if (warnings.size() > Shown)
            text += u"\n…ほか%1件"_s.arg(warnings.size() - Shown);
        if (prompter_.message(this, MessageKind::Warning, text, MessageButtons::OkCancel)
            != MessageAnswer::Ok)
            return;
    }
    const int rows = plan_.rows();
    if (applyImport(plan_, state_.Data) == ChangeOutcome::ReadOnly)
        return;
    if (dataSheet_) {
        dataSheet_->setIndexAll();
        dataSheet_->DataUpdate();
    }
    // Taken in once: the same file again would add the notes twice.
    file_ = QByteArray();
    plan_ = emptyPlan(chosenKind());
    showPlan();
    prompter_.inform(
        this, u"\n%1件を取り込みました。保存するまでファイルには書き込まれません。"_s.arg(rows));
}

void ImportDialog::saveTemplateClick()
{
    output::exportCsv(this, prompter_, state_, chooseFileToWrite,
        [this](const QString &path, QString *error, Progress *progress) {
            return exportTemplate(chosenKind(), path, error, progress, state_.Data.fileSystem());
        });
}

void ImportDialog::exportClick()
{
    const QString folder = chooseFolderToWrite(this);
    if (folder.isEmpty())
        return;
    const ExportFiles files = exportFiles(state_.Data.tables(), state_.clock->today());
    QStringList lines;
    bool replacing = false;
    for (const ExportFile &f : files) {
        const QString path = QDir(folder).filePath(f.name);
        if (state_.isProgramFile(path)) {
            prompter_.warn(this, messages::exportRefused(path));
            return;
        }
        lines << u"%1（%2件）"_s.arg(f.name).arg(f.records);
        if (QFileInfo::exists(path)) {
            lines.back() += u" 同じ名前のファイルを置き換えます"_s;
            replacing = true;
        }
    }
    const QString where = QDir::toNativeSeparators(folder);
    if (prompter_.message(this, replacing ? MessageKind::Warning : MessageKind::Information,
            u"\n「%1」に次の3つのファイルを書き出します。\n\n%2\n\nよろしいですか？"_s.arg(
                where, lines.join(u'\n')),
            MessageButtons::OkCancel)
        != MessageAnswer::Ok)
        return;
    QString error;
    bool written = false;
    {
        ProgressDialog progress(this, u"CSVファイルを書き出しています…"_s, u"行"_s);
        written = exportRegister(
            folder, files, state_.Data.tables(), &error, &progress, state_.Data.fileSystem());
    }
    if (written) {
        QStringList names;
        for (const ExportFile &f : files)
            names << f.name;
        prompter_.inform(this,
            u"\n「%1」に次の3つのファイルを書き出しました。\n\n%2"_s.arg(where, names.join(u'\n')));
    } else if (!error.isEmpty()) {
        // A cancel leaves none of the three and needs no word.
        prompter_.error(this, error);
    }
}

} // namespace exchange

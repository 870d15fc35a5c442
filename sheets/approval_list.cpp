#include "sheets/approval_list.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTableView>
#include <QToolButton>

#include "controls/grid_delegate.h"
#include "controls/picture_button.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "controls/screen_style.h"
#include "controls/sheet_grid.h"
#include "session/session.h"
#include "sheets/approval_list_model.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int RowHeight = 20;
const QColor StampColour(255, 252, 244);

// The stamp column is drawn from the row's choice on its own paper colour, centred in the whole
// cell; the other columns are drawn as in every grid.
class StampDelegate : public GridDelegate
{
public:
    using GridDelegate::GridDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        if (index.column() != StampColumn) {
            GridDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        painter->fillRect(option.rect, StampColour);
        painter->setPen(Qt::black);
        painter->setFont(option.font);
        painter->drawText(option.rect, Qt::AlignCenter | Qt::TextSingleLine,
            index.data(Qt::DisplayRole).toString());
        painter->restore();
    }
};

} // namespace

ApprovalList::ApprovalList(Session &state, Prompter &prompter, QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , state_(state)
    , prompter_(prompter)
{
    styleScreen(this, u"Form6"_s, u"手形の取立て承認"_s);
    setFixedSize(520, 252);
    buildGrid();
    buildLabels();
    buildButtons();
}

ApprovalList::~ApprovalList() = default;

void ApprovalList::buildGrid()
{
    SG1 = new QTableView(this);
    SG1->setObjectName(u"SG1"_s);
    SG1->setAccessibleName(u"取立て承認の手形一覧"_s);
    SG1->setGeometry(8, 0, 505, 153);
    model_ = new ApprovalListModel(state_.Data, choices_, this);
    SG1->setModel(model_);
    setUpSheetGrid(SG1, RowHeight);
    SG1->setItemDelegate(new StampDelegate(SG1));
    SG1->setSelectionBehavior(QAbstractItemView::SelectItems);
    SG1->setSelectionMode(QAbstractItemView::SingleSelection);
    SG1->setTabKeyNavigation(false);

    // The model keeps its selection model across refreshes, so one connection serves them all.
    connect(SG1->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &current) { currentCellChanged(current); });
}

void ApprovalList::buildLabels()
{
    Label2 = new QLabel(this);
    Label2->setObjectName(u"Label2"_s);
    Label2->setGeometry(24, 192, 385, 17);

    Label1 = new QLabel(u"承認する手形を選択してください"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setGeometry(24, 216, 217, 17);
    Label1->setAccessibleName(Label1->text());
    QPalette black = Label1->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    Label1->setPalette(black);
}

void ApprovalList::buildButtons()
{
    SpeedButton1 = pictureButton(
        this, "SpeedButton1", QRect(424, 180, 77, 27), ButtonMark::Seals, u"全て承認"_s);
    SpeedButton2 = pictureButton(
        this, "SpeedButton2", QRect(424, 208, 77, 27), ButtonMark::Seal, u"選択承認"_s);
    // A read-only copy shows what is due but cannot approve it.
    SpeedButton1->setEnabled(!state_.Data.readOnly());
    SpeedButton2->setEnabled(!state_.Data.readOnly());
    connect(SpeedButton1, &QToolButton::clicked, this, &ApprovalList::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &ApprovalList::SpeedButton2Click);
}

void ApprovalList::setArr(const std::vector<int> &indices)
{
    choices_.setArr(state_.NoteTable, indices);
    Label2->setText(approvalStatusLine(state_.clock->today(), choices_.count()));
    Label2->setAccessibleName(Label2->text());
    DataUpDate();
}

void ApprovalList::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void ApprovalList::FormShow()
{
    if (const QScreen *screen =
            this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + area.width() / 2 - 264, area.top() + area.height() / 3 - 140);
    }
    applyColumns();
}

void ApprovalList::applyColumns()
{
    applyColumnWidths(SG1, model_->columnWidths());
}

void ApprovalList::DataUpDate()
{
    model_->refresh();
    applyColumns();
}

void ApprovalList::currentCellChanged(const QModelIndex &current)
{
    if (current.isValid())
        SG1SelectCell(current.column(), current.row() + 1);
}

void ApprovalList::SG1SelectCell(int col, int row)
{
    if (col != StampColumn || row < 1)
        return;
    // Only the stamp changes; the rows stay as they are.
    if (choices_.toggle(row - 1))
        model_->stampChanged(row - 1);
}

void ApprovalList::SpeedButton1Click()
{
    if (prompter_.message(this, MessageKind::Warning, u"\n全て承認してよろしいですか？"_s,
            MessageButtons::OkCancel)
        != MessageAnswer::Ok)
        return;
    choices_.approveAll();
    model_->allStampsChanged();
    Shonin();
}

void ApprovalList::SpeedButton2Click()
{
    Shonin();
}

void ApprovalList::Shonin()
{
    choices_.apply(state_.Data);
    accept();
}

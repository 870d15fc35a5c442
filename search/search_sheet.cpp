#include "search/search_sheet.h"

#include <map>

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QSignalBlocker>
#include <QToolButton>

#include "controls/combo_list.h"
#include "controls/picture_button.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "controls/screen_style.h"
#include "messages/entry_messages.h"
#include "session/session.h"
#include "sheets/sheet_ports.h"

using namespace Qt::StringLiterals;

namespace {

constexpr QSize OuterSize(670, 305);
constexpr int RowTop = 24;
constexpr int RowStep = 32;
constexpr int BoxHeight = 20;

// An editable drop-down whose list comes from a string list model. Typed text is never added to
// the list and no completer pops up over it; the list view takes every item to be as high as
// the first, so a list of a million values scrolls and opens without measuring them all.
QComboBox *conditionBox(QWidget *parent, const QString &name, int left, int top, int width)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setGeometry(left, top, width, BoxHeight);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    useStringList(box);
    box->setCompleter(nullptr);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto *list = qobject_cast<QListView *>(box->view()))
        list->setUniformItemSizes(true);
    return box;
}

// The item a box shows, when its text is that item's; -1 when the text was typed.
int pickedItem(const QComboBox *box)
{
    const int item = box->currentIndex();
    return item >= 0 && box->itemText(item) == box->currentText() ? item : -1;
}

} // namespace

SearchSheet::SearchSheet(
    Session &state, SheetHost &host, DataSheetPort *dataSheet, Prompter &prompter, QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , state_(state)
    , host_(host)
    , dataSheet_(dataSheet)
    , prompter_(prompter)
{
    styleScreen(this, u"Form8"_s, u"抽出／検索シート"_s);
    setFixedSize(OuterSize);
    buildRows();
    buildLabels();
    buildButtons();
}

void SearchSheet::buildRows()
{
    const QStringList fields = search::fieldCaptions();
    const QStringList operators = { u"等しい"_s, u"等しくない"_s, u"以上"_s, u"以下"_s };
    for (int r = 0; r < search::ConditionCount; ++r) {
        const int top = RowTop + RowStep * r;
        const QString number = QString::number(r);
        const QString place = u"条件"_s + QString::number(r + 1);
        QComboBox *field = conditionBox(this, u"CB"_s + number, 24, top, 145);
        QComboBox *op = conditionBox(this, u"CBJ"_s + number, 192, top, 145);
        QComboBox *value = conditionBox(this, u"CBV"_s + number, 360, top, 193);
        // A value list of a million notes is handed over as indices, its texts made when shown.
        value->setModel(new search::ValueListModel(value));
        field->setAccessibleName(place + u"のフィールド"_s);
        op->setAccessibleName(place + u"の比較"_s);
        value->setAccessibleName(place + u"の値"_s);
        setItems(field, fields);
        setItems(op, operators);
        field->setCurrentIndex(0);
        op->setCurrentIndex(0);
        value->setEditText(QString());
        connect(field, &QComboBox::currentTextChanged, this, [this, r] { CBChange(r); });
        CB[r] = field;
        CBJ[r] = op;
        CBV[r] = value;
    }
}

QLabel *SearchSheet::addLabel(
    const char *name, int left, int top, const QString &text, const QColor &colour)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->move(left, top);
    label->adjustSize();
    return label;
}

void SearchSheet::buildLabels()
{
    Label4 = addLabel("Label4", 16, 184, u"ご注意"_s, Qt::red);
    Label1 = addLabel("Label1", 16, 208, u"抽出は上記の５つの条件を"_s, Qt::black);
    Label2 = addLabel("Label2", 160, 208, u"全て含む"_s, Qt::blue);
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    Label2->adjustSize();
    Label3 = addLabel("Label3", 216, 208, u"データを抽出します"_s, Qt::black);
    Label5 = addLabel("Label5", 16, 224,
        u"抽出フィールドを振出日・支払期日にした場合は値はyyyy/mm/dd形式で指定して下さい"_s,
        Qt::black);
    Label6 = addLabel("Label6", 16, 240,
        u"抽出フィールドを手形種にした場合は値は’受取手形’’支払手形’’裏書手形’’割引手形’’小切手’で指定して下さい"_s,
        Qt::black);
    Label7 = addLabel("Label7", 16, 256,
        u"抽出フィールドを承認にした場合は値は’未’’済’で指定して下さい"_s, Qt::black);
}

void SearchSheet::buildButtons()
{
    SpeedButton4 =
        pictureButton(this, "SpeedButton4", QRect(568, 24, 77, 27), ButtonMark::Funnel, u"抽出"_s);
    SpeedButton3 = pictureButton(
        this, "SpeedButton3", QRect(568, 56, 77, 27), ButtonMark::Rows, u"全件表示"_s);
    SpeedButton2 = pictureButton(
        this, "SpeedButton2", QRect(568, 88, 77, 27), ButtonMark::CircularArrow, u"クリア"_s);
    SpeedButton1 =
        pictureButton(this, "SpeedButton1", QRect(568, 120, 77, 27), ButtonMark::Cross, u"終了"_s);
    connect(SpeedButton4, &QToolButton::clicked, this, &SearchSheet::QueryClick);
    connect(SpeedButton3, &QToolButton::clicked, this, &SearchSheet::UnlockClick);
    connect(SpeedButton2, &QToolButton::clicked, this, &SearchSheet::ClearClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &SearchSheet::CancelClick);
}

void SearchSheet::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void SearchSheet::FormShow()
{
    // The outer size is the design's; the frame, where there is one, takes its share of it.
    const QSize frame = frameGeometry().size() - geometry().size();
    setFixedSize(OuterSize - frame);
    refillAllRows();
}

int SearchSheet::fieldOf(int row) const
{
    return pickedItem(CB[static_cast<std::size_t>(row)]);
}

void SearchSheet::CBChange(int row)
{
    const int field = fieldOf(row);
    refillRow(row, field, valuesOf(field));
}

void SearchSheet::refillAllRows()
{
    // The tables cannot change while the rows are refilled, so one list serves every row naming
    // the same field.
    std::map<int, search::ValueList> lists;
    for (int r = 0; r < search::ConditionCount; ++r) {
        const int field = fieldOf(r);
        auto found = lists.find(field);
        if (found == lists.end())
            found = lists.emplace(field, valuesOf(field)).first;
        refillRow(r, field, found->second);
    }
}

search::ValueList SearchSheet::valuesOf(int field) const
{
    return search::ValueList(field, state_.NoteTable, state_.PartnerTable, state_.BankTable);
}

void SearchSheet::refillRow(int row, int field, const search::ValueList &values)
{
    const auto r = static_cast<std::size_t>(row);
    QComboBox *op = CBJ[r];
    {
        const QSignalBlocker quiet(op);
        setItems(op, search::operatorCaptions(field));
        op->setCurrentIndex(op->count() > 0 ? 0 : -1);
    }
    QComboBox *value = CBV[r];
    const QSignalBlocker quiet(value);
    const QString shown = value->currentText();
    static_cast<search::ValueListModel *>(value->model())->setList(values);
    value->setCurrentIndex(-1);
    value->setEditText(shown);
}

search::QueryConditions SearchSheet::conditions() const
{
    search::QueryConditions rows;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        rows[r].field = pickedItem(CB[r]);
        rows[r].op = pickedItem(CBJ[r]);
        rows[r].value = CBV[r]->currentText();
    }
    return rows;
}

void SearchSheet::QueryClick()
{
    const search::QueryResult result =
        search::RunQuery(conditions(), state_.NoteTable, state_.PartnerTable, state_.BankTable);
    if (!result.ok()) {
        prompter_.warn(this, messages::conditionProblem(*result.problem));
        return;
    }
    if (dataSheet_)
        dataSheet_->setIndex(result.indices, u"データシート（抽出)"_s);
    host_.AllUpdate();
}

void SearchSheet::UnlockClick()
{
    if (dataSheet_)
        dataSheet_->setIndexAll();
    host_.AllUpdate();
}

void SearchSheet::ClearClick()
{
    for (std::size_t r = 0; r < CB.size(); ++r) {
        const QSignalBlocker quietField(CB[r]);
        const QSignalBlocker quietOperator(CBJ[r]);
        const QSignalBlocker quietValue(CBV[r]);
        CB[r]->setCurrentIndex(0);
        CB[r]->setEditText(CB[r]->itemText(0));
        CBJ[r]->setCurrentIndex(0);
        CBJ[r]->setEditText(CBJ[r]->itemText(0));
        CBV[r]->setEditText(QString());
        static_cast<search::ValueListModel *>(CBV[r]->model())->setList({});
    }
    refillAllRows();
}

void SearchSheet::CancelClick()
{
    close();
}

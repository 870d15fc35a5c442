#include "sheets/registration_sheet.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>

#include "controls/border_label.h"
#include "controls/byte_limit.h"
#include "controls/combo_list.h"
#include "controls/picture_button.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "controls/screen_style.h"
#include "controls/sheet_grid.h"
#include "core/sjis.h"
#include "session/session.h"
#include "sheets/register_grid_model.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int RowHeight = 20;
constexpr int FieldHeight = 20;

// The bank list's items stand 16 pixels high.
class FixedHeightItems : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return { QStyledItemDelegate::sizeHint(option, index).width(), 16 };
    }
};

TBorderLabel *caption(QWidget *parent, const char *name, int left, int top, const QString &text)
{
    auto *label = new TBorderLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(left, top, 69, 20);
    label->setAlignment(Qt::AlignCenter);
    label->setBorderColor(Qt::blue);
    return label;
}

QStringList codesOf(const auto &table)
{
    QStringList codes;
    codes.reserve(static_cast<qsizetype>(table.size()));
    for (const auto &record : table)
        codes << sjis::decode(record.Code.view());
    return codes;
}

} // namespace

RegistrationSheet::RegistrationSheet(Session &state, Prompter &prompter, QWidget *parent)
    : QDialog(parent)
    , state_(state)
    , prompter_(prompter)
{
    setWindowFlags(Qt::Dialog | Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    styleScreen(this, u"Form5"_s, u"登録シート"_s, Qt::white);
    setFixedSize(404, 262);
    buildControls();
    setMode(0);
}

void RegistrationSheet::buildControls()
{
    SG1 = new QTableView(this);
    SG1->setObjectName(u"SG1"_s);
    SG1->setGeometry(0, 0, 404, 153);
    model_ = new RegisterGridModel(state_.Data, this);
    connect(&state_.Data, &Register::changed, model_, &RegisterGridModel::follow);
    SG1->setModel(model_);
    setUpSheetGrid(SG1, RowHeight);
    SG1->setSelectionBehavior(QAbstractItemView::SelectRows);
    SG1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    SG1->setFocusPolicy(Qt::ClickFocus);

    BL1 = caption(this, "BL1", 48, 168, u"コード"_s);
    BL2 = caption(this, "BL2", 48, 192, u"銀行名"_s);
    BL3 = caption(this, "BL3", 48, 216, u"振出銀行"_s);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(u"ComboBox1"_s);
    ComboBox1->setGeometry(152, 168, 121, FieldHeight);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    useStringList(ComboBox1);
    ComboBox1->setCompleter(nullptr);
    connect(ComboBox1, &QComboBox::currentTextChanged, this, &RegistrationSheet::ComboBox1Change);

    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(u"Edit2"_s);
    Edit2->setGeometry(152, 192, 121, FieldHeight);

    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(u"ComboBox2"_s);
    ComboBox2->setGeometry(152, 216, 123, FieldHeight);
    ComboBox2->setEditable(false);
    useStringList(ComboBox2);
    ComboBox2->setItemDelegate(new FixedHeightItems(ComboBox2));

    BL1->setBuddy(ComboBox1);
    BL2->setBuddy(Edit2);
    BL3->setBuddy(ComboBox2);
    ComboBox1->setAccessibleName(BL1->text());
    ComboBox2->setAccessibleName(BL3->text());
    QWidget::setTabOrder(ComboBox1, Edit2);
    QWidget::setTabOrder(Edit2, ComboBox2);

    SpeedButton1 =
        pictureButton(this, "SpeedButton1", QRect(312, 160, 77, 27), ButtonMark::Check, u"登録"_s);
    SpeedButton2 = pictureButton(
        this, "SpeedButton2", QRect(312, 192, 77, 27), ButtonMark::Triangle, u"削除"_s);
    SpeedButton3 =
        pictureButton(this, "SpeedButton3", QRect(312, 224, 77, 27), ButtonMark::Cross, u"終了"_s);
    SpeedButton3->setCursor(Qt::ArrowCursor);
    // A read-only copy lists the register but cannot change it.
    SpeedButton1->setEnabled(!state_.Data.readOnly());
    SpeedButton2->setEnabled(!state_.Data.readOnly());
    connect(SpeedButton1, &QToolButton::clicked, this, &RegistrationSheet::OkClick);
    connect(SpeedButton2, &QToolButton::clicked, this, &RegistrationSheet::DelClick);
    connect(SpeedButton3, &QToolButton::clicked, this, &RegistrationSheet::AppClick);
}

void RegistrationSheet::setMode(unsigned mode)
{
    RegistrationMode = registerKindOf(mode);
    const bool partners = RegistrationMode == RegisterKind::PartnerRegister;
    const RegisterLimits limits = registerLimits(RegistrationMode);
    limitBytes(ComboBox1->lineEdit(), limits.code);
    limitBytes(Edit2, limits.name);
    BL3->setVisible(partners);
    ComboBox2->setVisible(partners);
    BL2->setText(partners ? u"取引先名"_s : u"銀行名"_s);
    Edit2->setAccessibleName(BL2->text());
    SG1->setAccessibleName(partners ? u"取引先一覧"_s : u"銀行一覧"_s);
    model_->setKind(RegistrationMode);
    applyColumns();
}

void RegistrationSheet::applyColumns()
{
    applyColumnWidths(SG1, model_->columnWidths());
}

void RegistrationSheet::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        move(190, 115);
        FormShow();
    }
}

void RegistrationSheet::FormShow()
{
    DataUpDate();
}

void RegistrationSheet::DataUpDate()
{
    const int rememberedBank = ComboBox2->currentIndex();
    const QString typed = ComboBox1->currentText();
    // The rows follow the register by themselves; a refresh leaves none selected, so 削除 never
    // acts on rows chosen before it.
    SG1->selectionModel()->clear();
    applyColumns();
    // Refilling the code list must not load an entry over what is being typed.
    {
        const QSignalBlocker quiet(ComboBox1);
        if (RegistrationMode == RegisterKind::PartnerRegister)
            setItems(ComboBox1, codesOf(state_.PartnerTable));
        else
            setItems(ComboBox1, codesOf(state_.BankTable));
        ComboBox1->setCurrentIndex(-1);
        ComboBox1->setEditText(typed);
    }
    if (RegistrationMode != RegisterKind::PartnerRegister)
        return;
    BankDisplayList = bankDisplayList(state_.BankTable);
    setItems(ComboBox2, BankDisplayList);
    ComboBox2->setCurrentIndex(rememberedBank < ComboBox2->count() ? rememberedBank : -1);
}

void RegistrationSheet::ComboBox1Change()
{
    const int p = ComboBox1->currentIndex();
    if (p < 0 || ComboBox1->itemText(p) != ComboBox1->currentText())
        return;
    const auto at = static_cast<std::size_t>(p);
    if (RegistrationMode == RegisterKind::BankRegister) {
        if (at < state_.BankTable.size())
            Edit2->setText(sjis::decode(state_.BankTable[at].Name.view()));
        return;
    }
    if (at >= state_.PartnerTable.size())
        return;
    const PartnerRecord &partner = state_.PartnerTable[at];
    Edit2->setText(sjis::decode(partner.Name.view()));
    // The last bank bearing the partner's code stays selected; none leaves the choice as it was.
    for (std::size_t i = 0; i < state_.BankTable.size(); ++i) {
        if (state_.BankTable[i].Code.view() == partner.BankCode.view())
            ComboBox2->setCurrentIndex(static_cast<int>(i));
    }
}

QByteArray RegistrationSheet::selectedBankCode() const
{
    const int bank = ComboBox2->currentIndex();
    if (bank < 0 || static_cast<std::size_t>(bank) >= state_.BankTable.size())
        return {};
    const std::string_view code = state_.BankTable[static_cast<std::size_t>(bank)].Code.view();
    return QByteArray(code.data(), static_cast<qsizetype>(code.size()));
}

std::optional<RegisterEntry> RegistrationSheet::enteredEntry(QString *problem) const
{
    return registerEntry(
        RegistrationMode, ComboBox1->currentText(), Edit2->text(), selectedBankCode(), problem);
}

void RegistrationSheet::OkClick()
{
    if (DataCheck()) {
        if (RegistrationMode == RegisterKind::BankRegister)
            AddBank();
        else
            AddPartner();
    }
    DataUpDate();
}

bool RegistrationSheet::DataCheck()
{
    QString problem;
    const std::optional<RegisterEntry> checked = enteredEntry(&problem);
    if (!checked) {
        prompter_.warn(this, u'\n' + problem);
        return false;
    }
    const RegisterEntry &entry = *checked;
    // Refused before anything else: entries stored with an empty code would be overwritten.
    if (entry.code.isEmpty()) {
        prompter_.warn(this, u"\n未入力の項目があります。"_s);
        return false;
    }
    bool result = true;
    for (int position : positionsOf(state_.Data.tables(), RegistrationMode, entry.code)) {
        result = false;
        if (prompter_.message(this, MessageKind::Warning,
                overwriteQuestion(ComboBox1->currentText()), MessageButtons::OkCancel)
            != MessageAnswer::Ok)
            return false;
        state_.Data.overwriteEntry(RegistrationMode, position, entry);
    }
    return result;
}

void RegistrationSheet::AddBank()
{
    state_.Data.appendEntry(RegisterKind::BankRegister, enteredEntry().value());
}

void RegistrationSheet::AddPartner()
{
    state_.Data.appendEntry(RegisterKind::PartnerRegister, enteredEntry().value());
}

void RegistrationSheet::DelClick()
{
    const GridRowRange rows = selectedRowRange(SG1);
    // Rows stand for entries one to one; the empty row of an empty register is never deleted.
    const bool deletable =
        rows.top >= 0 && rows.bottom < entryCount(state_.Data.tables(), RegistrationMode);
    if (deletable
        && prompter_.message(
               this, MessageKind::Warning, u"本当に削除しますか？"_s, MessageButtons::OkCancel)
            == MessageAnswer::Ok) {
        state_.Data.removeEntries(RegistrationMode, rows.top, rows.bottom);
        SG1->clearSelection();
    }
    DataUpDate();
}

void RegistrationSheet::AppClick()
{
    close();
}

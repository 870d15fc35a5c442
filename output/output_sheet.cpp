#include "output/output_sheet.h"

#include <numeric>

#include <QDateEdit>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QToolButton>

#include "controls/border_label.h"
#include "controls/date_picker.h"
#include "controls/picture_button.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "controls/screen_style.h"
#include "core/day_date.h"
#include "output/bank_list_report.h"
#include "output/csv_export.h"
#include "output/note_list_csv.h"
#include "output/partner_summary.h"
#include "output/partner_summary_report.h"
#include "output/report_run.h"
#include "output/schedule_csv.h"
#include "output/schedule_report.h"
#include "session/session.h"
#include "sheets/sheet_ports.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int CaptionHeight = 20;

struct RadioPlace
{
    const char *name;
    int left;
    int top;
    int width;
    const char16_t *caption;
};

constexpr std::array<RadioPlace, outputchoice::Count> RadioPlaces { {
    { "RB1", 64, 48, 113, u"支払手形記入帳" },
    { "RB2", 64, 72, 113, u"受取手形記入帳" },
    { "RB3", 64, 96, 113, u"裏書手形記入帳" },
    { "RB4", 64, 120, 113, u"割引手形記入帳" },
    { "RB5", 64, 144, 113, u"小切手記入帳" },
    { "RB6", 328, 48, 113, u"出金予定表" },
    { "RB7", 328, 72, 113, u"入金予定表" },
    { "RB8", 328, 128, 185, u"データシート表示データ印刷" },
    { "RB9", 64, 200, 113, u"取引先一覧表" },
    { "RB10", 64, 224, 113, u"銀行一覧表" },
} };

QDateEdit *datePicker(QWidget *parent, const char *name, int top)
{
    auto *picker = new DatePicker(parent);
    picker->setObjectName(QLatin1String(name));
    picker->setGeometry(400, top, 89, 20);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QString::fromUtf16(daydate::ShortFormat));
    // 89 pixels hold the whole date beside the drop-down arrow only without the style's inner
    // margin and with the digits set a little closer.
    picker->setStyleSheet(u"QDateEdit { padding-left: 0px; padding-right: 0px; }"_s);
    QFont narrower = picker->font();
    narrower.setLetterSpacing(QFont::AbsoluteSpacing, -0.8);
    picker->setFont(narrower);
    return picker;
}

QLabel *pickerLabel(QWidget *parent, const char *name, int top)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(328, top, 65, 20);
    return label;
}

} // namespace

OutputSheet::OutputSheet(
    Session &state, Prompter &prompter, DataSheetPort *dataSheet, QWidget *parent)
    : QDialog(parent)
    , state_(state)
    , prompter_(prompter)
    , dataSheet_(dataSheet)
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    styleScreen(this, u"Form9"_s, u"出力シート"_s);
    QFont font = screenFont();
    font.setPointSize(9); // this sheet and the reports use 9 points
    setFont(font);
    setFixedSize(519, 293);
    SaveDialog1 = [this](QWidget *owner) { return output::chooseCsvFile(owner, prompter_); };
    buildControls();
}

void OutputSheet::buildControls()
{
    struct CaptionPlace
    {
        int left;
        int top;
        int width;
        const char16_t *text;
    };
    static constexpr std::array<CaptionPlace, 5> captions { {
        { 32, 24, 105, u"各種記入帳印刷" },
        { 296, 24, 105, u"各種予定表印刷" },
        { 296, 104, 69, u"その他" },
        { 32, 176, 105, u"各種データ印刷" },
        { 296, 160, 69, u"期間指定" },
    } };
    for (std::size_t i = 0; i < captions.size(); ++i) {
        auto *label = new TBorderLabel(QString::fromUtf16(captions[i].text), this);
        label->setGeometry(captions[i].left, captions[i].top, captions[i].width, CaptionHeight);
        label->setAlignment(Qt::AlignCenter);
        label->setBorderColor(Qt::blue);
        groupCaptions[i] = label;
    }

    // One parent for all ten, so exactly one is checked at a time.
    for (std::size_t i = 0; i < RadioPlaces.size(); ++i) {
        const RadioPlace &place = RadioPlaces[i];
        auto *radio = new QRadioButton(QString::fromUtf16(place.caption), this);
        radio->setObjectName(QLatin1String(place.name));
        radio->setGeometry(place.left, place.top, place.width, 17);
        connect(radio, &QRadioButton::clicked, this, [this, radio] { RBClick(radio); });
        RB[i] = radio;
    }

    Label1 = pickerLabel(this, "Label1", 184);
    Label2 = pickerLabel(this, "Label2", 208);
    DP1 = datePicker(this, "DP1", 184);
    DP2 = datePicker(this, "DP2", 208);
    Label1->setBuddy(DP1);
    Label2->setBuddy(DP2);

    SB4 = pictureButton(this, "SB4", QRect(160, 248, 77, 27), ButtonMark::Table, u"CSV"_s);
    SB1 =
        pictureButton(this, "SB1", QRect(248, 248, 77, 27), ButtonMark::Magnifier, u"プレビュー"_s);
    SB2 = pictureButton(this, "SB2", QRect(336, 248, 77, 27), ButtonMark::Printer, u"印刷"_s);
    SpeedButton3 =
        pictureButton(this, "SpeedButton3", QRect(424, 248, 77, 27), ButtonMark::Cross, u"終了"_s);
    for (QToolButton *button : { SB1, SB2, SB4 })
        connect(button, &QToolButton::clicked, this, [this, button] { PrintClick(button); });
    connect(SpeedButton3, &QToolButton::clicked, this, &OutputSheet::CancelClick);

    RB[0]->setChecked(true);
    RBClick(RB[0]);
}

void OutputSheet::setArr(const std::vector<int> &indices)
{
    report_.setArr(state_.NoteTable, indices);
}

void OutputSheet::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void OutputSheet::FormShow()
{
    RB[0]->setChecked(true);
    RBClick(RB[0]);
    const auto [start, end] = openingPeriod(state_.clock->today());
    DP1->setDate(start);
    DP2->setDate(end);
}

void OutputSheet::RBClick(QRadioButton *sender)
{
    for (QWidget *w : std::initializer_list<QWidget *> { Label1, Label2, DP1, DP2 })
        w->setVisible(true);
    DP1->setEnabled(true);
    DP2->setEnabled(true);
    Label1->setText(u"開始年月日"_s);
    Label2->setText(u"終了年月日"_s);
    if (sender == RB[outputchoice::PartnerList] || sender == RB[outputchoice::BankList]) {
        Label1->setVisible(false);
        DP1->setVisible(false);
        Label2->setText(u"現在日指定"_s);
    }
    if (sender == RB[outputchoice::DataSheetRows]) {
        DP1->setEnabled(false);
        DP2->setEnabled(false);
    }
}

int OutputSheet::choice() const
{
    for (std::size_t i = 0; i < RB.size(); ++i)
        if (RB[i]->isChecked())
            return static_cast<int>(i);
    return -1;
}

OutputSheet::OutputJob OutputSheet::prepare(int chosen)
{
    report_.ReportRows.clear();
    if (outputchoice::isJournal(chosen)) {
        report_.JournalTitle = choiceTitle(chosen);
        report_.PeriodCaption = periodCaption(DP1->date(), DP2->date());
        report_.ReportRows = journalRows(state_.NoteTable, report_.SourceOrder, chosen,
            daydate::fromDate(DP1->date()), daydate::fromDate(DP2->date()));
        return noteListJob();
    }
    if (chosen == outputchoice::DataSheetRows) {
        report_.JournalTitle = choiceTitle(chosen);
        report_.PeriodCaption.clear();
        if (dataSheet_)
            report_.ReportRows = dataSheet_->viewIndex();
        return noteListJob();
    }
    if (chosen == outputchoice::PaymentSchedule || chosen == outputchoice::CollectionSchedule)
        return scheduleJob(chosen);
    if (chosen == outputchoice::BankList)
        return bankListJob();
    // The last choice left: one radio button is always checked.
    return partnerSummaryJob();
}

OutputSheet::OutputJob OutputSheet::scheduleJob(int chosen)
{
    const QDate start = DP1->date();
    const QDate end = DP2->date();
    const int days = schedule::dayCount(start, end);
    report_.PeriodCaption = schedule::periodCaption(start, end);
    report_.ReportRows.resize(static_cast<std::size_t>(days));
    for (int i = 0; i < days; ++i)
        report_.ReportRows[static_cast<std::size_t>(i)] = i;
    // The due-date order is the schedule's own: SourceOrder stays in issue-date order for the
    // journals, should the sheet stay open after a failed export.
    const double startDay = daydate::fromDate(start);
    const auto lines = std::make_shared<const std::vector<schedule::Line>>(
        schedule::lines(state_.NoteTable, startDay, days,
            schedule::setArr3(state_.NoteTable,
                schedule::selection(state_.NoteTable, report_.SourceOrder,
                    chosen - outputchoice::PaymentSchedule, startDay, daydate::fromDate(end)))));
    const QString title = choiceTitle(chosen);
    const QString period = report_.PeriodCaption;
    return { [this, lines, title, period] {
                return output::scheduleReport(state_.Data.tables(), *lines, title, period);
            },
        [this, lines, title, period](const QString &path, QString *error, Progress *progress) {
            return CSV3(path, state_.Data.tables(), *lines, title, period, error, progress,
                state_.Data.fileSystem());
        } };
}

OutputSheet::OutputJob OutputSheet::bankListJob()
{
    // Dated the day it is made, whatever the picker shows.
    const QString asOf = asOfCaption(state_.clock->today());
    report_.ReportRows.resize(state_.BankTable.size());
    for (std::size_t i = 0; i < report_.ReportRows.size(); ++i)
        report_.ReportRows[i] = static_cast<std::int32_t>(i);
    return { [this, asOf] { return output::bankListReport(state_.Data.tables(), asOf); },
        [this](const QString &path, QString *error, Progress *progress) {
            return CSV4(path, state_.Data.tables(), error, progress, state_.Data.fileSystem());
        } };
}

OutputSheet::OutputJob OutputSheet::partnerSummaryJob()
{
    std::vector<int> partners(state_.PartnerTable.size());
    std::iota(partners.begin(), partners.end(), 0);
    // Only the rows take the code order: SourceOrder stays in issue-date order for the journals,
    // should the sheet stay open after a failed export.
    report_.ReportRows = setArr2(state_.PartnerTable, partners);
    const QString asOf = asOfCaption(DP2->date());
    return { [this, asOf] {
                return output::partnerSummaryReport(state_.Data.tables(), report_.ReportRows, asOf);
            },
        [this](const QString &path, QString *error, Progress *progress) {
            return CSV2(path, state_.Data.tables(), report_.ReportRows, error, progress,
                state_.Data.fileSystem());
        } };
}

OutputSheet::OutputJob OutputSheet::noteListJob()
{
    return { [this] {
                const std::vector<int> rows(report_.ReportRows.begin(), report_.ReportRows.end());
                return output::noteListReport(
                    state_.Data.tables(), rows, report_.JournalTitle, report_.PeriodCaption);
            },
        [this](const QString &path, QString *error, Progress *progress) {
            return CSV1(path, state_.Data.tables(), report_.ReportRows, report_.JournalTitle, error,
                progress, state_.Data.fileSystem());
        } };
}

void OutputSheet::PrintClick(QToolButton *sender)
{
    if (produce(prepare(choice()), sender))
        accept();
}

bool OutputSheet::produce(const OutputJob &job, QToolButton *sender)
{
    if (sender == SB4)
        return output::exportCsv(this, prompter_, state_, SaveDialog1, job.csv);
    const std::unique_ptr<output::Report> report = job.report();
    if (sender == SB1) {
        output::previewReport(*report, prompter_, state_.Data.fileSystem(), this,
            [this](const QString &path) { return state_.isProgramFile(path); });
        return true;
    }
    // Nothing printed (no printer, or it failed, as already said): the user may still preview or
    // export.
    return output::printReport(*report, prompter_, state_.Data.fileSystem(), this);
}

void OutputSheet::CancelClick()
{
    reject();
}

void OutputSheet::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // An open frame round the journals, leaving the gap where their caption stands.
    QPainter p(this);
    p.setPen(QPen(Qt::black, 1));
    p.drawPolyline(QPolygon({ QPoint(30, 34), QPoint(20, 34), QPoint(20, 176), QPoint(187, 176),
        QPoint(187, 34), QPoint(139, 34) }));
}

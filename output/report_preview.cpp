#include "output/report_preview.h"

#include <algorithm>
#include <cmath>

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "controls/progress_dialog.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "messages/store_messages.h"
#include "output/report_design.h"
#include "output/report_layout.h"
#include "output/report_output.h"
#include "output/report_painter.h"
#include "output/report_run.h"

using namespace Qt::StringLiterals;

namespace output {

namespace {

    // Room around the page inside the scroll area when fitting.
    constexpr int PageGap = 12;

} // namespace

// The paper of the current page, as large as the zoom makes it.
class PageView : public QWidget
{
public:
    PageView(Report &report, QWidget *parent)
        : QWidget(parent)
        , report_(report)
    {
        setObjectName(u"PageView"_s);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void show(int page, double pxPerMm)
    {
        page_ = page;
        scale_ = pxPerMm;
        const PageSize &size = report_.design().page;
        setFixedSize(static_cast<int>(std::lround(size.width * scale_)),
            static_cast<int>(std::lround(size.height * scale_)));
        update();
    }
    double scale() const { return scale_; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        paintPage(painter, report_, page_, scale_);
    }

private:
    Report &report_;
    int page_ = 0;
    double scale_ = 1;
};

ReportPreview::ReportPreview(Report &report, Prompter &prompter, FileSystem &fs, QWidget *parent)
    : QDialog(parent)
    , report_(report)
    , prompter_(prompter)
    , fs_(fs)
{
    setObjectName(u"ReportPreview"_s);
    setWindowTitle(u"印刷プレビュー"_s);
    setFont(screenFont());
    setModal(true);

    auto button = [this](const QString &name, const QString &text, const QString &tip) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        return b;
    };
    firstButton_ = button(u"firstButton"_s, u"|◀ 先頭"_s, u"最初のページ"_s);
    previousButton_ = button(u"previousButton"_s, u"◀ 前"_s, u"前のページ"_s);
    nextButton_ = button(u"nextButton"_s, u"次 ▶"_s, u"次のページ"_s);
    lastButton_ = button(u"lastButton"_s, u"最後 ▶|"_s, u"最後のページ"_s);
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(u"pageLabel"_s);
    pageLabel_->setAlignment(Qt::AlignCenter);
    pageLabel_->setMinimumWidth(90);
    zoomBox_ = new QComboBox(this);
    zoomBox_->setObjectName(u"zoomBox"_s);
    zoomBox_->setToolTip(u"表示倍率"_s);
    zoomBox_->addItems({ u"幅に合わせる"_s, u"ページ全体"_s, u"50%"_s, u"75%"_s, u"100%"_s,
        u"150%"_s, u"200%"_s });
    printButton_ = button(u"printButton"_s, u"印刷"_s, u"プリンターを選んで印刷します"_s);
    pdfButton_ = button(u"pdfButton"_s, u"PDFで保存"_s, u"PDFファイルに保存します"_s);
    closeButton_ = button(u"closeButton"_s, u"閉じる"_s, u"プレビューを閉じます"_s);

    auto *bar = new QHBoxLayout;
    bar->addWidget(firstButton_);
    bar->addWidget(previousButton_);
    bar->addWidget(pageLabel_);
    bar->addWidget(nextButton_);
    bar->addWidget(lastButton_);
    bar->addSpacing(16);
    bar->addWidget(new QLabel(u"倍率"_s, this));
    bar->addWidget(zoomBox_);
    bar->addStretch();
    bar->addWidget(printButton_);
    bar->addWidget(pdfButton_);
    bar->addWidget(closeButton_);

    scrollArea_ = new QScrollArea(this);
    scrollArea_->setObjectName(u"pageArea"_s);
    scrollArea_->setAlignment(Qt::AlignCenter);
    scrollArea_->setBackgroundRole(QPalette::Dark);
    view_ = new PageView(report_, scrollArea_);
    scrollArea_->setWidget(view_);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scrollArea_, 1);

    connect(firstButton_, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(previousButton_, &QPushButton::clicked, this, [this] { showPage(page_ - 1); });
    connect(nextButton_, &QPushButton::clicked, this, [this] { showPage(page_ + 1); });
    connect(lastButton_, &QPushButton::clicked, this, [this] { showPage(pageCount() - 1); });
    connect(zoomBox_, &QComboBox::currentIndexChanged, this, [this] { applyZoom(); });
    connect(printButton_, &QPushButton::clicked, this, [this] { printClick(); });
    connect(pdfButton_, &QPushButton::clicked, this, [this] { savePdfClick(); });
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);

    resize(1100, 800);
    applyZoom();
    updateControls();
}

int ReportPreview::pageCount() const
{
    return report_.layout().pageCount();
}

double ReportPreview::scale() const
{
    return view_->scale();
}

void ReportPreview::showPage(int page)
{
    page_ = std::clamp(page, 0, pageCount() - 1);
    view_->show(page_, view_->scale());
    scrollArea_->verticalScrollBar()->setValue(0);
    updateControls();
}

void ReportPreview::setZoom(Zoom zoom)
{
    zoomBox_->setCurrentIndex(zoom);
    applyZoom();
}

void ReportPreview::applyZoom()
{
    const PageSize &size = report_.design().page;
    const QSize room = scrollArea_->viewport()->size();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const double fitWidth = std::max(1, room.width() - bar - 2 * PageGap) / size.width;
    const double fitHeight = std::max(1, room.height() - 2 * PageGap) / size.height;
    double scale = unitsPerMm(*view_);
    switch (zoomBox_->currentIndex()) {
    case FitWidth:
        scale = fitWidth;
        break;
    case FitPage:
        scale = std::min(fitWidth, fitHeight);
        break;
    case Percent50:
        scale *= 0.5;
        break;
    case Percent75:
        scale *= 0.75;
        break;
    case Percent150:
        scale *= 1.5;
        break;
    case Percent200:
        scale *= 2.0;
        break;
    default:
        break;
    }
    view_->show(page_, scale);
}

void ReportPreview::updateControls()
{
    const int count = pageCount();
    pageLabel_->setText(u"%1 / %2"_s.arg(page_ + 1).arg(count));
    firstButton_->setEnabled(page_ > 0);
    previousButton_->setEnabled(page_ > 0);
    nextButton_->setEnabled(page_ + 1 < count);
    lastButton_->setEnabled(page_ + 1 < count);
}

void ReportPreview::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (zoomBox_->currentIndex() == FitWidth || zoomBox_->currentIndex() == FitPage)
        applyZoom();
}

void ReportPreview::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    applyZoom();
}

void ReportPreview::printClick()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    QPrinter printer(info, QPrinter::HighResolution);
    setUpPages(printer, report_);
    printer.setDocName(report_.headerTexts().value(0));
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(u"PrintDialog"_s);
    dialog.setWindowTitle(u"印刷"_s);
    dialog.setMinMax(1, pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    if (prompter_.exec(dialog) != QDialog::Accepted)
        return;
    int first = 0;
    int last = -1;
    switch (printer.printRange()) {
    case QPrinter::PageRange:
        first = printer.fromPage() - 1;
        last = printer.toPage() - 1;
        break;
    case QPrinter::CurrentPage:
        first = last = page_;
        break;
    default:
        break;
    }
    PrintOutcome outcome;
    {
        // Gone before any message, which would otherwise stand behind it.
        ProgressDialog progress(this, u"印刷しています…"_s, u"ページ"_s);
        outcome = printPages(printer, report_, fs_, first, last, &progress);
    }
    if (outcome == PrintOutcome::Failed) {
        const QString name =
            printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        prompter_.warn(this, u"\n「%1」に印刷できませんでした。"_s.arg(name));
    }
}

void ReportPreview::savePdfClick()
{
    QFileDialog dialog(this, u"PDFで保存"_s);
    dialog.setObjectName(u"PdfFileDialog"_s);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(u"PDFファイル (*.pdf)"_s);
    dialog.setDefaultSuffix(u"pdf"_s);
    const QString title = report_.headerTexts().value(0);
    if (!title.isEmpty())
        dialog.selectFile(title + u".pdf"_s);
    if (prompter_.exec(dialog) != QDialog::Accepted)
        return;
    const QString path = dialog.selectedFiles().value(0);
    if (path.isEmpty())
        return;
    if (protectedFile_ && protectedFile_(path)) {
        prompter_.warn(this, messages::exportRefused(path));
        return;
    }
    QString error;
    bool written;
    {
        ProgressDialog progress(this, u"PDFを作成しています…"_s, u"ページ"_s);
        written = writeReportPdf(report_, path, &error, &progress, fs_);
    }
    // Cancelled, it says nothing: the old file is as it was.
    if (!written && !error.isEmpty())
        prompter_.warn(this, error);
}

void previewReport(Report &report, Prompter &prompter, FileSystem &fs, QWidget *parent,
    const std::function<bool(const QString &)> &protectedFile)
{
    ReportPreview preview(report, prompter, fs, parent);
    preview.protectFiles(protectedFile);
    prompter.exec(preview);
}

} // namespace output

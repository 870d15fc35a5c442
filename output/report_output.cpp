#include "output/report_output.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include <cups/cups.h>

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

#include "controls/progress_dialog.h"
#include "controls/prompter.h"
#include "messages/io_error.h"
#include "output/report_design.h"
#include "output/report_layout.h"
#include "output/report_painter.h"
#include "output/report_run.h"
#include "store/atomic_file.h"

using namespace Qt::StringLiterals;

namespace output {

namespace {

    // Lets QPdfWriter write straight into a file that replaces its target only when complete.
    class AtomicFileDevice : public QIODevice
    {
    public:
        explicit AtomicFileDevice(AtomicFile &file)
            : file_(file)
        {
        }

    protected:
        qint64 readData(char *, qint64) override { return -1; }
        qint64 writeData(const char *data, qint64 size) override
        {
            return file_.write(data, static_cast<size_t>(size)) ? size : -1;
        }

    private:
        AtomicFile &file_;
    };

    QString pdfError(const QString &path, int err)
    {
        return u"\nPDFファイル「%1」を保存できませんでした。\n%2"_s.arg(
            path, err != 0 ? systemReason(err) : u"書き込みに失敗しました。"_s);
    }

} // namespace

void setUpPages(QPagedPaintDevice &device, const Report &report)
{
    const PageSize &page = report.design().page;
    const bool landscape = page.landscape();
    const QSizeF portrait =
        landscape ? QSizeF(page.height, page.width) : QSizeF(page.width, page.height);
    device.setPageLayout(QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
        landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
        QPageLayout::Millimeter));
}

namespace {

    enum class Painted { All, Failed, Cancelled };

    // Paints pages first..last one after another on the device the painter is open on, telling
    // progress before each page and once more at the end, where a cancel still stops the work.
    Painted paintRange(QPainter &painter, QPagedPaintDevice &device, Report &report, int first,
        int last, Progress *progress)
    {
        const double scale = unitsPerMm(device);
        const int count = last - first + 1;
        for (int n = first;; ++n) {
            if (!stepOn(progress, n - first, count))
                return Painted::Cancelled;
            if (n > last)
                return Painted::All;
            if (n > first && !device.newPage())
                return Painted::Failed;
            paintPage(painter, report, n, scale);
        }
    }

    // Paints the pages into the printer as it is set up now.
    PrintOutcome paintPages(
        QPrinter &printer, Report &report, int first, int last, Progress *progress)
    {
        QPainter painter;
        if (!painter.begin(&printer))
            return PrintOutcome::Failed;
        switch (paintRange(painter, printer, report, first, last, progress)) {
        case Painted::Cancelled:
            printer.abort();
            painter.end();
            return PrintOutcome::Cancelled;
        case Painted::Failed:
            return PrintOutcome::Failed;
        case Painted::All:
            break;
        }
        return painter.end() && printer.printerState() != QPrinter::Error ? PrintOutcome::Printed
                                                                          : PrintOutcome::Failed;
    }

    // The key Qt's CUPS engine keeps the print dialog's job options under.
    constexpr auto CupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

    // Hands a whole spooled job to CUPS with the options Qt's own CUPS engine would give it.
    bool sendToPrinter(QPrinter &printer, const QString &spool)
    {
        std::vector<std::pair<QByteArray, QByteArray>> options;
        const QPageLayout layout = printer.pageLayout();
        const bool landscape = layout.orientation() == QPageLayout::Landscape;
        options.emplace_back("media", layout.pageSize().key().toLocal8Bit());
        if (printer.copyCount() > 1) {
            options.emplace_back("copies", QByteArray::number(printer.copyCount()));
            if (printer.collateCopies())
                options.emplace_back("Collate", "True");
        }
        switch (printer.duplex()) {
        case QPrinter::DuplexNone:
            options.emplace_back("sides", "one-sided");
            break;
        case QPrinter::DuplexAuto:
            options.emplace_back(
                "sides", landscape ? "two-sided-short-edge" : "two-sided-long-edge");
            break;
        case QPrinter::DuplexLongSide:
            options.emplace_back("sides", "two-sided-long-edge");
            break;
        case QPrinter::DuplexShortSide:
            options.emplace_back("sides", "two-sided-short-edge");
            break;
        }
        if (landscape)
            options.emplace_back("landscape", "");
        const QStringList chosen = printer.printEngine()->property(CupsOptionsKey).toStringList();
        for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
            options.emplace_back(chosen[i].toLocal8Bit(), chosen[i + 1].toLocal8Bit());

        std::vector<cups_option_t> cupsOptions;
        cupsOptions.reserve(options.size());
        for (auto &[name, value] : options)
            cupsOptions.push_back({ name.data(), value.data() });
        // An instance ("printer/instance") only chose the settings; CUPS takes the printer.
        const QByteArray destination = printer.printerName().section(u'/', 0, 0).toLocal8Bit();
        return cupsPrintFile(destination.constData(), QFile::encodeName(spool).constData(),
                   printer.docName().toLocal8Bit().constData(),
                   static_cast<int>(cupsOptions.size()), cupsOptions.data())
            > 0;
    }

} // namespace

PrintOutcome printPages(
    QPrinter &printer, Report &report, FileSystem &fs, int first, int last, Progress *progress)
{
    const int pages = report.layout().pageCount();
    first = std::clamp(first, 0, pages - 1);
    last = last < 0 ? pages - 1 : std::clamp(last, first, pages - 1);
    printer.setFullPage(true);

    // Qt's engines cannot take back what they were given, and hand the job over when painting
    // ends, cancelled or not: the pages go somewhere of ours first.
    const QString target = printer.outputFileName();
    if (!target.isEmpty()) {
        AtomicFile file(target, NewFileMode, false, fs);
        if (!file.open())
            return PrintOutcome::Failed;
        printer.setOutputFileName(file.temporaryPath());
        PrintOutcome outcome = paintPages(printer, report, first, last, progress);
        printer.setOutputFileName(target);
        if (outcome == PrintOutcome::Printed
            && (!file.finish() || (!file.commit() && !file.replaced())))
            outcome = PrintOutcome::Failed;
        return outcome;
    }
    QTemporaryFile spool(QDir::tempPath() + u"/tegata-print-XXXXXX"_s);
    if (!spool.open())
        return PrintOutcome::Failed;
    printer.setOutputFileName(spool.fileName());
    PrintOutcome outcome = paintPages(printer, report, first, last, progress);
    if (outcome == PrintOutcome::Printed && !sendToPrinter(printer, spool.fileName()))
        outcome = PrintOutcome::Failed;
    printer.setOutputFileName(QString());
    return outcome;
}

bool printReport(Report &report, Prompter &prompter, FileSystem &fs, QWidget *parent)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        prompter.warn(
            parent, u"\n印刷できるプリンターがありません。プリンターを設定してください。"_s);
        return false;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    setUpPages(printer, report);
    printer.setCopyCount(1);
    printer.setPrintRange(QPrinter::AllPages);
    printer.setDocName(report.headerTexts().value(0));
    PrintOutcome outcome;
    {
        // Gone before any message, which would otherwise stand behind it.
        ProgressDialog progress(parent, u"印刷しています…"_s, u"ページ"_s);
        outcome = printPages(printer, report, fs, 0, -1, &progress);
    }
    switch (outcome) {
    case PrintOutcome::Printed:
        return true;
    case PrintOutcome::Cancelled:
        return false;
    case PrintOutcome::Failed:
        break;
    }
    prompter.warn(parent, u"\nプリンター「%1」に印刷できませんでした。"_s.arg(info.printerName()));
    return false;
}

bool writeReportPdf(
    Report &report, const QString &path, QString *error, Progress *progress, FileSystem &fs)
{
    AtomicFile file(path, NewFileMode, false, fs);
    auto fail = [&]() {
        if (error)
            *error = pdfError(path, file.error());
        file.discard();
        return false;
    };
    if (!file.open())
        return fail();
    AtomicFileDevice device(file);
    device.open(QIODevice::WriteOnly);
    bool cancelled = false;
    {
        QPdfWriter writer(&device);
        writer.setCreator(u"tegata"_s);
        writer.setTitle(report.headerTexts().value(0));
        setUpPages(writer, report);
        QPainter painter;
        if (!painter.begin(&writer))
            return fail();
        const Painted painted =
            paintRange(painter, writer, report, 0, report.layout().pageCount() - 1, progress);
        if (painted == Painted::Failed)
            return fail();
        cancelled = painted == Painted::Cancelled;
        if (!painter.end() && !cancelled)
            return fail();
    }
    device.close();
    if (cancelled) {
        file.discard();
        if (error)
            error->clear();
        return false;
    }
    // Only the folder's sync failed once the file is in place: the PDF is there, whole.
    if (file.error() != 0 || !file.finish() || (!file.commit() && !file.replaced()))
        return fail();
    return true;
}

} // namespace output

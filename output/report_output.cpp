#include "output/report_output.h"

#include <algorithm>
#include <cerrno>

#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

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

bool printPages(QPrinter &printer, Report &report, int first, int last)
{
    const int pages = report.layout().pageCount();
    first = std::clamp(first, 0, pages - 1);
    last = last < 0 ? pages - 1 : std::clamp(last, first, pages - 1);
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double scale = unitsPerMm(printer);
    for (int n = first; n <= last; ++n) {
        if (n > first && !printer.newPage())
            return false;
        paintPage(painter, report, n, scale);
    }
    return painter.end() && printer.printerState() != QPrinter::Error;
}

bool printReport(Report &report, Prompter &prompter, QWidget *parent)
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
    if (!printPages(printer, report)) {
        prompter.warn(
            parent, u"\nプリンター「%1」に印刷できませんでした。"_s.arg(info.printerName()));
        return false;
    }
    return true;
}

bool writeReportPdf(Report &report, const QString &path, QString *error)
{
    AtomicFile file(path, NewFileMode);
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
    {
        QPdfWriter writer(&device);
        writer.setCreator(u"tegata"_s);
        writer.setTitle(report.headerTexts().value(0));
        setUpPages(writer, report);
        QPainter painter;
        if (!painter.begin(&writer))
            return fail();
        const double scale = unitsPerMm(writer);
        const int pages = report.layout().pageCount();
        for (int n = 0; n < pages; ++n) {
            if (n > 0 && !writer.newPage())
                return fail();
            paintPage(painter, report, n, scale);
        }
        if (!painter.end())
            return fail();
    }
    device.close();
    // Only the folder's sync failed once the file is in place: the PDF is there, whole.
    if (file.error() != 0 || !file.finish() || (!file.commit() && !file.replaced()))
        return fail();
    return true;
}

} // namespace output

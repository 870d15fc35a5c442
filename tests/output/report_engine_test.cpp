#include <functional>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStandardPaths>
#include <QThread>

#include "output/report_design.h"
#include "output/report_layout.h"
#include "output/report_output.h"
#include "output/report_painter.h"
#include "output/report_preview.h"
#include "output/report_run.h"
#include "tests/output/report_fixtures.h"
#include "tests/support/pdf_reading.h"
#include "tests/support/scripted_progress.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;
using namespace output;

namespace {

const QString Title = u"支払手形記入帳"_s;
const QString Period = u"2024/01/01　～　2024/01/31"_s;

using pdfreading::run;

// Dark pixels inside a rectangle given in millimetres of a page drawn at scale pixels per mm.
int ink(const QImage &image, double scale, double x1, double y1, double x2, double y2)
{
    int dark = 0;
    for (int y = int(y1 * scale); y < int(y2 * scale) && y < image.height(); ++y)
        for (int x = int(x1 * scale); x < int(x2 * scale) && x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

// Whether a page image (pdftoppm's PNG) has anything on it.
bool hasInk(const QString &png)
{
    const QImage image(png);
    if (image.isNull())
        return false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return true;
    return false;
}

std::unique_ptr<Report> threePages(const Session &s)
{
    return noteListReport(s.Data.tables(), reportfixtures::allRows(s), Title, Period);
}

} // namespace

TEST(ReportPainter, PageShowsTitleRulesAndRowsWithWrappedTextsCutAtTheirBoxes)
{
    Tables t = reportfixtures::noteRegister(3);
    t.notes[0].Settled = 1;
    // 30 full-width characters: a tall row whose bank name needs its second line.
    t.banks.push_back(
        fixtures::bank(u"B03"_s, u"ベルモラ信用金庫東京中央支店営業部第二課ベルモラ駅前出張所"_s));
    fixtures::put(t.notes[1].BankCode, u"B03"_s);
    // 20 full-width characters: wider than the partner name box, which has room for one line.
    t.partners.push_back(
        fixtures::partner(u"002"_s, u"株式会社ベルモラ総合商事東京本社営業本部"_s));
    fixtures::put(t.notes[0].PartnerCode, u"002"_s);
    Session s { systemFileSystem() };
    s.Data.setTables(std::move(t));
    auto report = noteListReport(s.Data.tables(), { 0, 1, 2 }, Title, Period);

    constexpr double scale = 4; // pixels per millimetre
    QImage image(int(297 * scale), int(210 * scale), QImage::Format_RGB32);
    image.setDotsPerMeterX(int(scale * 1000));
    image.setDotsPerMeterY(int(scale * 1000));
    image.fill(Qt::white);
    paintPage(image, *report, 0);

    // Title box (margins 10 mm), period right of it, nothing right of the bands' last rule.
    EXPECT_GT(ink(image, scale, 118, 14.2, 173.3, 19.5), 100);
    EXPECT_GT(ink(image, scale, 220.6, 14.2, 280, 18.4), 50);
    EXPECT_EQ(ink(image, scale, 283.5, 0, 297, 210), 0);
    EXPECT_EQ(ink(image, scale, 0, 0, 9.5, 210), 0);
    // The header's upper rule runs across the page at 10.6 mm into the header.
    const int row = int((10 + 10.6) * scale);
    int across = 0;
    for (int x = int(12 * scale); x < int(280 * scale); ++x)
        across += qGray(image.pixel(x, row)) < 128 || qGray(image.pixel(x, row + 1)) < 128
            || qGray(image.pixel(x, row - 1)) < 128;
    EXPECT_GE(across, int(268 * scale) - 2);

    // Rows: 26.1 mm from the top, 6.1 mm then 10.6 mm then 6.1 mm high.
    const double row0 = 26.1;
    const double row1 = row0 + 6.1;
    const double row2 = row1 + 10.6;
    // The amount is printed, the confirmation left empty even for the settled note.
    EXPECT_GT(ink(image, scale, 197.5, row0 + 1.6, 215.5, row0 + 5.5), 20);
    EXPECT_EQ(ink(image, scale, 217, row0 + 1, 226, row0 + 5.5), 0);
    // The tall row's bank name takes its second line inside the grown box.
    EXPECT_GT(ink(image, scale, 117, row1 + 6.4, 175, row1 + 10.2), 50);
    // The over-wide partner name wraps; its second line, which would not fit whole, is left out.
    EXPECT_EQ(ink(image, scale, 21, row0 + 5.1, 80, row0 + 5.6), 0);
    EXPECT_EQ(ink(image, scale, 21, row1 + 0.3, 80, row1 + 1.5), 0);
    // The third row is a short one: its bottom rule lies 0.3 mm above its 6.1 mm.
    EXPECT_GT(ink(image, scale, 50, row2 + 5.6, 60, row2 + 6.0), 10);
    EXPECT_EQ(ink(image, scale, 50, row2 + 6.3, 60, row2 + 9), 0);
}

TEST(ReportPdf, EveryPageCarriesTheHeaderAndRowsInAnEmbeddedJapaneseFont)
{
    TestDir dir;
    Session s { systemFileSystem() };
    s.Data.setTables(reportfixtures::noteRegister(70));
    auto report = threePages(s);
    const QString path = dir.file(u"list.pdf"_s);
    dir.write(u"list.pdf"_s, "an older file");
    QString error;
    ASSERT_TRUE(writeReportPdf(*report, path, &error, nullptr, systemFileSystem()))
        << error.toStdString();
    EXPECT_EQ(pdfreading::pages(path), 3);
    for (int page = 1; page <= 3; ++page) {
        const QString text = pdfreading::pageText(path, page);
        EXPECT_TRUE(text.contains(Title)) << page;
        EXPECT_TRUE(text.contains(u"振出銀行"_s)) << page;
        EXPECT_TRUE(text.contains(u"2024/01/01"_s)) << page;
        EXPECT_TRUE(text.contains(reportfixtures::PartnerName)) << page;
    }
    EXPECT_TRUE(pdfreading::pageText(path, 1).contains(u"N0000"_s));
    EXPECT_TRUE(pdfreading::pageText(path, 3).contains(u"N0069"_s));

    // Every font is embedded, and the design's family reached the substitute on this system.
    const QStringList fonts = run(u"pdffonts"_s, { path }).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(fonts.size(), 3);
    const qsizetype emb = fonts[0].indexOf(u" emb "_s) + 1;
    ASSERT_GT(emb, 0);
    for (qsizetype i = 2; i < fonts.size(); ++i)
        EXPECT_EQ(fonts[i].mid(emb, 3), u"yes"_s) << fonts[i].toStdString();
    EXPECT_TRUE(fonts.join(u'\n').contains(u"IPAPGothic"_s));
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { u"list.pdf"_s });
}

TEST(ReportPdf, FailureNamesTheFileInJapaneseAndLeavesNothingBehind)
{
    TestDir dir;
    Session s { systemFileSystem() };
    s.Data.setTables(reportfixtures::noteRegister(3));
    auto report = threePages(s);
    QString error;
    const QString missing = dir.file(u"no/such/folder/list.pdf"_s);
    EXPECT_FALSE(writeReportPdf(*report, missing, &error, nullptr, systemFileSystem()));
    EXPECT_TRUE(error.contains(missing));
    EXPECT_TRUE(error.contains(u"見つかりません"_s));

    // A folder in the way: the rename fails, the folder stays, no temporary file is left.
    QDir(dir.path()).mkdir(u"taken.pdf"_s);
    error.clear();
    EXPECT_FALSE(
        writeReportPdf(*report, dir.file(u"taken.pdf"_s), &error, nullptr, systemFileSystem()));
    EXPECT_TRUE(error.contains(u"taken.pdf"_s));
    EXPECT_TRUE(QFileInfo(dir.file(u"taken.pdf"_s)).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { u"taken.pdf"_s });
}

// Pages are counted out of all there are; a PDF or a print to a file cancelled at any page leaves
// the old file as it was, or none, and nothing else.
TEST(ReportPdf, ACancelAtAnyPageLeavesTheOldFileAndNothingElse)
{
    Session s { systemFileSystem() };
    s.Data.setTables(reportfixtures::noteRegister(70));
    auto report = threePages(s);
    const auto printToFile = [&](const QString &path, QString *, Progress *progress) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(path);
        setUpPages(printer, *report);
        return printPages(printer, *report, systemFileSystem(), 0, -1, progress)
            == PrintOutcome::Printed;
    };
    const auto pdf = [&](const QString &path, QString *error, Progress *progress) {
        return writeReportPdf(*report, path, error, progress, systemFileSystem());
    };
    for (const auto &write : { std::function(pdf), std::function(printToFile) }) {
        for (const bool old : { false, true }) {
            for (const int cancelAt : { 1, 3, 4 }) {
                SCOPED_TRACE(testing::Message() << "old " << old << ", cancel at " << cancelAt);
                TestDir dir;
                if (old)
                    dir.write(u"list.pdf"_s, "an older file");
                ScriptedProgress progress(cancelAt);
                QString error;
                EXPECT_FALSE(write(dir.file(u"list.pdf"_s), &error, &progress));
                EXPECT_TRUE(error.isEmpty()) << error.toStdString();
                EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                    old ? QStringList { u"list.pdf"_s } : QStringList {});
                if (old) {
                    EXPECT_EQ(dir.read(u"list.pdf"_s), "an older file");
                }
            }
        }
        TestDir dir;
        ScriptedProgress watching;
        QString error;
        ASSERT_TRUE(write(dir.file(u"list.pdf"_s), &error, &watching));
        const std::vector<std::pair<qint64, qint64>> pages { { 0, 3 }, { 1, 3 }, { 2, 3 },
            { 3, 3 } };
        EXPECT_EQ(watching.steps, pages);
        EXPECT_EQ(pdfreading::pages(dir.file(u"list.pdf"_s)), 3);
    }
}

TEST(ReportPreview, PagesZoomsPrintsAndSavesFromTheLaidOutReport)
{
    TestDir dir;
    Session s { systemFileSystem() };
    s.Data.setTables(reportfixtures::noteRegister(70));
    auto report = threePages(s);
    ScriptedPrompter prompter;
    bool shown = false;
    prompter.onDialog = [&](QDialog &d) {
        if (d.objectName() == u"PrintDialog"_s) {
            // Print to a file through the dialog's printer, as a user choosing a PDF printer.
            auto &print = static_cast<QPrintDialog &>(d);
            print.printer()->setOutputFileName(dir.file(u"printed.pdf"_s));
            return int(QDialog::Accepted);
        }
        if (d.objectName() == u"PdfFileDialog"_s) {
            static_cast<QFileDialog &>(d).selectFile(dir.file(u"saved.pdf"_s));
            return int(QDialog::Accepted);
        }
        shown = true;
        auto &preview = static_cast<ReportPreview &>(d);
        preview.show();
        EXPECT_EQ(preview.windowTitle(), u"印刷プレビュー"_s);
        auto *label = preview.findChild<QLabel *>(u"pageLabel"_s);
        auto *next = preview.findChild<QPushButton *>(u"nextButton"_s);
        auto *previous = preview.findChild<QPushButton *>(u"previousButton"_s);
        auto *last = preview.findChild<QPushButton *>(u"lastButton"_s);
        auto *first = preview.findChild<QPushButton *>(u"firstButton"_s);
        EXPECT_TRUE(label && next && previous && last && first);
        if (!label || !next || !previous || !last || !first)
            return int(QDialog::Rejected);
        EXPECT_EQ(label->text(), u"1 / 3"_s);
        EXPECT_FALSE(previous->isEnabled());
        next->click();
        EXPECT_EQ(label->text(), u"2 / 3"_s);
        EXPECT_EQ(preview.currentPage(), 1);
        last->click();
        EXPECT_EQ(label->text(), u"3 / 3"_s);
        EXPECT_FALSE(next->isEnabled());
        previous->click();
        EXPECT_EQ(label->text(), u"2 / 3"_s);
        first->click();
        EXPECT_EQ(label->text(), u"1 / 3"_s);

        // Zoom: 200% is twice 100%, a fitted page lies inside the visible area.
        auto *page = preview.findChild<QWidget *>(u"PageView"_s);
        auto *area = preview.findChild<QScrollArea *>(u"pageArea"_s);
        EXPECT_TRUE(page && area);
        if (!page || !area)
            return int(QDialog::Rejected);
        preview.setZoom(ReportPreview::Percent100);
        const double full = preview.scale();
        preview.setZoom(ReportPreview::Percent200);
        EXPECT_DOUBLE_EQ(preview.scale(), 2 * full);
        EXPECT_EQ(page->width(), qRound(297 * 2 * full));
        preview.setZoom(ReportPreview::FitPage);
        EXPECT_LE(page->width(), area->viewport()->width());
        EXPECT_LE(page->height(), area->viewport()->height());
        EXPECT_GT(page->height(), area->viewport()->height() / 2);

        // The page on screen is painted from the report: its title has ink.
        const QImage shot = page->grab().toImage();
        const double sc = preview.scale();
        EXPECT_GT(ink(shot, sc, 118, 14.2, 173.3, 19.5), 20);

        preview.findChild<QPushButton *>(u"printButton"_s)->click();
        preview.findChild<QPushButton *>(u"pdfButton"_s)->click();
        preview.findChild<QPushButton *>(u"closeButton"_s)->click();
        return preview.result();
    };
    previewReport(*report, prompter, systemFileSystem(), nullptr);
    EXPECT_TRUE(shown);
    EXPECT_EQ(prompter.dialogs,
        (QStringList { u"ReportPreview"_s, u"PrintDialog"_s, u"PdfFileDialog"_s }));
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join(u'|').toStdString();
    EXPECT_EQ(pdfreading::pages(dir.file(u"printed.pdf"_s)), 3);
    EXPECT_EQ(pdfreading::pages(dir.file(u"saved.pdf"_s)), 3);
    EXPECT_TRUE(pdfreading::pageText(dir.file(u"saved.pdf"_s), 3).contains(Title));
}

TEST(ReportPreview, FailedPdfSaveSaysWhichFile)
{
    TestDir dir;
    Session s { systemFileSystem() };
    s.Data.setTables(reportfixtures::noteRegister(1));
    auto report = threePages(s);
    ScriptedPrompter prompter;
    const QString target = dir.file(u"gone/list.pdf"_s);
    prompter.onDialog = [&](QDialog &d) {
        if (d.objectName() == u"PdfFileDialog"_s) {
            static_cast<QFileDialog &>(d).selectFile(target);
            return int(QDialog::Accepted);
        }
        static_cast<ReportPreview &>(d).savePdfClick();
        return int(QDialog::Accepted);
    };
    previewReport(*report, prompter, systemFileSystem(), nullptr);
    ASSERT_EQ(prompter.shown.size(), 1U);
    EXPECT_EQ(prompter.shown[0].kind, MessageKind::Warning);
    EXPECT_TRUE(prompter.shown[0].text.contains(u"gone/list.pdf"_s));
    EXPECT_FALSE(QFileInfo::exists(target));
}

// Without any printer the print command says so and prints nothing. Run in a child process that
// cannot reach a print server, since the printers are looked up once per process.
TEST(PrintReport, WithoutAPrinterSaysSoInOneJapaneseLine)
{
    if (qEnvironmentVariableIsSet("TEGATA_NO_PRINTER_CHILD")) {
        ASSERT_TRUE(QPrinterInfo::defaultPrinter().isNull());
        Session s { systemFileSystem() };
        s.Data.setTables(reportfixtures::noteRegister(3));
        auto report = threePages(s);
        ScriptedPrompter prompter;
        EXPECT_FALSE(printReport(*report, prompter, systemFileSystem(), nullptr));
        ASSERT_EQ(prompter.shown.size(), 1U);
        EXPECT_EQ(prompter.shown[0].text,
            u"\n印刷できるプリンターがありません。プリンターを設定してください。"_s);
        return;
    }
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TEGATA_NO_PRINTER_CHILD"_s, u"1"_s);
    env.insert(u"CUPS_SERVER"_s, u"/nonexistent/cups.sock"_s);
    env.remove(u"PRINTER"_s);
    env.remove(u"LPDEST"_s);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
        { u"--gtest_filter=PrintReport.WithoutAPrinterSaysSoInOneJapaneseLine"_s });
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
}

namespace {

QStringList filesIn(const QString &folder, const QString &pattern)
{
    return QDir(folder).entryList({ pattern }, QDir::Files, QDir::Name);
}

// CI sets up its printer (tools/install-printer.sh), so there a missing one is a broken set-up
// that must fail the run, not a skip that nobody reads.
bool inCi()
{
    const QByteArray ci = qgetenv("CI").trimmed().toLower();
    return !ci.isEmpty() && ci != "0" && ci != "false";
}

#define SKIP_OR_FAIL_IN_CI(why)                                                                    \
    do {                                                                                           \
        if (inCi())                                                                                \
            FAIL() << why << " (CI is set)";                                                       \
        GTEST_SKIP() << why;                                                                       \
    } while (false)

} // namespace

// Prints through the real print command to the CUPS printer that tools/install-printer.sh sets
// up (cups-pdf as the default), then checks what CUPS made of the job.
TEST(PrintReport, ThreePagesReachTheDefaultPrinterWholeAndReadable)
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull() || run(u"lpstat"_s, { u"-r"_s }).isEmpty())
        SKIP_OR_FAIL_IN_CI("no CUPS default printer here; tools/install-printer.sh sets one up");
    const QString spool = u"/var/spool/cups"_s;
    if (!QFileInfo(spool).isReadable() || !QFileInfo(spool).isExecutable())
        SKIP_OR_FAIL_IN_CI("the CUPS spool folder is not readable by this user");
    // cups-pdf writes into ~/PDF of the user who printed.
    const QString out = QDir::homePath() + u"/PDF"_s;
    const QStringList outBefore = filesIn(out, u"*.pdf"_s);
    const QStringList spoolBefore = filesIn(spool, u"d*-001"_s);

    // A period unique to this run tells our job from any other on the same printer.
    const QString mark = u"印刷試験 %1"_s.arg(QCoreApplication::applicationPid());
    Session s { systemFileSystem() };
    s.Data.setTables(reportfixtures::noteRegister(70));
    auto report = noteListReport(s.Data.tables(), reportfixtures::allRows(s), Title, mark);
    ScriptedPrompter prompter;
    ASSERT_TRUE(printReport(*report, prompter, systemFileSystem(), nullptr))
        << prompter.texts().join(u'|').toStdString();
    EXPECT_TRUE(prompter.shown.empty());

    // The job is done when CUPS lists it as completed and cups-pdf's file for it has appeared.
    QString spooled;
    QString job;
    QString made;
    QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired() && made.isEmpty()) {
        for (const QString &d : filesIn(spool, u"d*-001"_s)) {
            if (spooled.isEmpty() && !spoolBefore.contains(d)
                && pdfreading::pageText(spool + u'/' + d, 1).contains(mark)) {
                spooled = d;
                job = QString::number(d.mid(1, d.indexOf(u'-') - 1).toInt());
            }
        }
        const bool completed = !job.isEmpty()
            && run(u"lpstat"_s, { u"-W"_s, u"completed"_s, u"-o"_s, printer.printerName() })
                   .contains(u"%1-%2 "_s.arg(printer.printerName(), job));
        if (completed)
            for (const QString &f : filesIn(out, u"*.pdf"_s))
                if (!outBefore.contains(f) && f.endsWith(u"job_%1.pdf"_s.arg(job)))
                    made = f;
        if (made.isEmpty())
            QThread::msleep(200);
    }
    ASSERT_FALSE(spooled.isEmpty()) << "CUPS kept no document of the job";
    ASSERT_FALSE(made.isEmpty()) << "job " << job.toStdString() << " did not complete into "
                                 << out.toStdString();
    const QString outFile = out + u'/' + made;

    // What came out of the printer: three pages, none of them blank.
    EXPECT_EQ(pdfreading::pages(outFile), 3);
    TestDir dir;
    run(u"pdftoppm"_s, { u"-r"_s, u"20"_s, u"-png"_s, outFile, dir.file(u"page"_s) });
    const QStringList pngs = filesIn(dir.path(), u"page*.png"_s);
    EXPECT_EQ(pngs.size(), 3);
    for (const QString &png : pngs)
        EXPECT_TRUE(hasInk(dir.file(png))) << png.toStdString() << " is blank";

    // What the program sent: the title on every page and the rows' texts.
    const QString sent = spool + u'/' + spooled;
    ASSERT_EQ(pdfreading::pages(sent), 3);
    for (int page = 1; page <= 3; ++page)
        EXPECT_TRUE(pdfreading::pageText(sent, page).contains(Title)) << page;
    EXPECT_TRUE(pdfreading::pageText(sent, 1).contains(u"N0000"_s));
    EXPECT_TRUE(pdfreading::pageText(sent, 3).contains(reportfixtures::PartnerName));
}

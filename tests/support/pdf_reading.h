#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Reading back the PDFs the program writes, through poppler's command-line tools.
namespace pdfreading {

// Output of a command; empty when it could not run or failed.
inline QString run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The number of pages; -1 when the file cannot be read as a PDF.
inline int pages(const QString &pdf)
{
    static const QRegularExpression count(
        QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = count.match(run(QStringLiteral("pdfinfo"), { pdf }));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The text of the whole file, laid out as on the pages.
inline QString text(const QString &pdf)
{
    return run(
        QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") });
}

// The text of one page, counted from 1.
inline QString pageText(const QString &pdf, int page)
{
    const QString n = QString::number(page);
    return run(QStringLiteral("pdftotext"),
        { QStringLiteral("-f"), n, QStringLiteral("-l"), n, QStringLiteral("-layout"), pdf,
            QStringLiteral("-") });
}

} // namespace pdfreading

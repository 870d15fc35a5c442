#pragma once

#include <memory>

#include <QElapsedTimer>
#include <QString>

#include "controls/progress.h"

class QProgressDialog;
class QWidget;

// Long work shown in a progress dialog, modal to the window it was started from: it appears only
// when the work takes over a second, reads what is done out of what ("PDFを作成しています… 120 /
// 4000 ページ") and offers キャンセル. The window keeps drawing meanwhile, as each step lets
// the events through.
class ProgressDialog : public Progress
{
public:
    // what says the work ("PDFを作成しています…"), unit what it counts ("ページ", "行").
    ProgressDialog(QWidget *parent, const QString &what, const QString &unit);
    ~ProgressDialog() override;

    bool step(qint64 done, qint64 total) override;
    bool cancelled() const;
    QProgressDialog *dialog() const { return dialog_.get(); }

    // The dialog's line: "what done / total unit", or "what done unit" while the total is not
    // known.
    static QString text(const QString &what, qint64 done, qint64 total, const QString &unit);

private:
    QString what_;
    QString unit_;
    std::unique_ptr<QProgressDialog> dialog_;
    QElapsedTimer sinceShown_;
};

#include "controls/progress_dialog.h"

#include <algorithm>
#include <climits>

#include <QCoreApplication>
#include <QProgressDialog>

using namespace Qt::StringLiterals;

namespace {

// How often the dialog is brought up to date: drawing and events cost time of their own, and a
// few times a second is enough to look alive.
constexpr qint64 UpdateEveryMs = 100;

} // namespace

ProgressDialog::ProgressDialog(QWidget *parent, const QString &what, const QString &unit)
    : what_(what)
    , unit_(unit)
    , dialog_(
          std::make_unique<QProgressDialog>(text(what, 0, 0, unit), u"キャンセル"_s, 0, 0, parent))
{
    dialog_->setObjectName(u"ProgressDialog"_s);
    if (parent)
        dialog_->setWindowTitle(parent->window()->windowTitle());
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(1000);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
}

ProgressDialog::~ProgressDialog() = default;

QString ProgressDialog::text(const QString &what, qint64 done, qint64 total, const QString &unit)
{
    if (total <= 0)
        return u"%1 %2 %3"_s.arg(what).arg(done).arg(unit);
    return u"%1 %2 / %3 %4"_s.arg(what).arg(done).arg(total).arg(unit);
}

bool ProgressDialog::cancelled() const
{
    return dialog_->wasCanceled();
}

bool ProgressDialog::step(qint64 done, qint64 total)
{
    if (dialog_->wasCanceled())
        return false;
    if (sinceShown_.isValid() && sinceShown_.elapsed() < UpdateEveryMs && done < total)
        return true;
    sinceShown_.start();
    dialog_->setLabelText(text(what_, done, total, unit_));
    // The bar counts in int: a larger count is shown to scale.
    const qint64 scale = total / INT_MAX + 1;
    dialog_->setMaximum(static_cast<int>(total / scale));
    dialog_->setValue(static_cast<int>((total > 0 ? std::min(done, total) : done) / scale));
    // Until the dialog shows, the window draws but takes no input, so nothing is started twice;
    // once it shows, it is modal and keeps the input to itself.
    QCoreApplication::processEvents(
        dialog_->isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    return !dialog_->wasCanceled();
}

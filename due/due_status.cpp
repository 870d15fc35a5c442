#include "due/due_status.h"

#include <QHBoxLayout>
#include <QLabel>

#include "due/due_lists.h"
#include "due/due_texts.h"
#include "session/session.h"

using namespace Qt::StringLiterals;

namespace due {

DueStatus::DueStatus(Session &state, QWidget *parent)
    : QWidget(parent)
    , state_(state)
{
    setObjectName(u"DueStatus"_s);
    counts_ = new QLabel(this);
    counts_->setObjectName(u"DueCounts"_s);
    counts_->setTextFormat(Qt::RichText);
    counts_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(counts_, &QLabel::linkActivated, this, &DueStatus::openRequested);
    save_ = new QLabel(this);
    save_->setObjectName(u"SaveState"_s);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(counts_, 1);
    layout->addWidget(save_);
    connect(&state_.Data, &Register::changed, this, &DueStatus::recount);
    connect(&state_.Data, &Register::modifiedChanged, this, &DueStatus::modifiedChanged);
}

void DueStatus::start(int days)
{
    days_ = days;
    recount();
    modifiedChanged(state_.Data.modified());
}

void DueStatus::setDays(int days)
{
    if (days_ == 0)
        return;
    days_ = days;
    recount();
}

void DueStatus::recount()
{
    if (days_ == 0)
        return;
    const QString text =
        statusText(statusCounts(state_.NoteTable, state_.clock->today(), days_), days_);
    counts_->setText(u"<a href=\"due\">%1</a>"_s.arg(text.toHtmlEscaped()));
    counts_->setAccessibleName(text);
}

void DueStatus::modifiedChanged(bool modified)
{
    if (modified)
        save_->setText(u"未保存の変更があります"_s);
    else if (save_->text() == u"未保存の変更があります"_s)
        save_->clear();
}

void DueStatus::saved(QTime at)
{
    save_->setText(u"保存しました %1"_s.arg(at.toString(u"HH:mm"_s)));
}

QString DueStatus::countsText() const
{
    return counts_->accessibleName();
}

QString DueStatus::saveText() const
{
    return save_->text();
}

} // namespace due

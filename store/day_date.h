#pragma once

#include <QDate>
#include <QString>

// Dates are stored as day numbers counted from 1899-12-30 (day 0); the fraction would be the
// time of day, which this system never stores.
namespace daydate {

QDate toDate(double dayNumber);
double fromDate(QDate date);
// The whole day of a stored value, cutting any time part toward zero.
double wholeDay(double dayNumber);

// The short date format of every screen and list: yyyy/MM/dd.
QString formatShort(double dayNumber);
inline constexpr const char16_t *ShortFormat = u"yyyy/MM/dd";
// Accepts the short format with one- or two-digit month and day; invalid QDate otherwise.
QDate parseShort(const QString &text);

} // namespace daydate

// Where "today" comes from, so that tests never depend on the machine's date.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    double todayNumber() const { return daydate::fromDate(today()); }
};

class SystemClock : public Clock
{
public:
    QDate today() const override { return QDate::currentDate(); }
};

class FixedClock : public Clock
{
public:
    explicit FixedClock(QDate day)
        : day_(day)
    {
    }
    QDate today() const override { return day_; }
    void set(QDate day) { day_ = day; }

private:
    QDate day_;
};

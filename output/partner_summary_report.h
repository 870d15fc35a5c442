#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QString>

#include "core/tables.h"
#include "output/report_design.h"

namespace output {

// The partner summary's page: A4 landscape; header with the title and the as-of date (header
// text 0); one detail per partner, 5.3 mm, or 9.0 mm when a name takes two lines; a totals band.
ReportDesign partnerSummaryDesign();

// Text numbers of a partner summary line, in the order of the columns. The totals band's texts
// are the four figures of partnerTotalsColumns.
enum PartnerSummaryField {
    PartnerCodeField,
    PartnerNameTextField,
    PayableCountField,
    PayableBalanceField,
    ReceivableCountField,
    ReceivableBalanceField,
    ShortestField,
    LongestField,
    AverageField,
    LatestAverageField,
    PartnerBankNameField,
};

inline constexpr double PartnerRowHeight = 5.3;
inline constexpr double TallPartnerRowHeight = 9.0;

// rows are partner indices in print order; every partner's statistics are gathered once, when the
// report is made, so the totals band is known before any page is painted.
std::unique_ptr<Report> partnerSummaryReport(
    const Tables &tables, std::vector<std::int32_t> rows, const QString &asOfCaption);

} // namespace output

#include "output/bank_list_report.h"

#include "core/sjis.h"
#include "output/csv_file.h"
#include "output/csv_line.h"
#include "session/session.h"

using namespace Qt::StringLiterals;

namespace output {

QString bankListTitle()
{
    return u"登　録　銀　行　一　覧　表"_s;
}

namespace {

    constexpr double RuleLeft = 26.5;
    constexpr double RuleRight = 158.8;

    class BankLines : public LineSource
    {
    public:
        explicit BankLines(const Session &state)
            : state_(state)
        {
        }
        int count() const override { return static_cast<int>(state_.BankTable.size()); }
        LineShape shape(int) const override { return {}; }
        QStringList texts(BandKind band, int line) const override
        {
            if (band != BandKind::Detail || line < 0 || line >= count())
                return {};
            const BankRecord &bank = state_.BankTable[static_cast<std::size_t>(line)];
            return { sjis::decode(bank.Code.view()), sjis::decode(bank.Name.view()) };
        }

    private:
        const Session &state_;
    };

} // namespace

ReportDesign bankListDesign()
{
    ReportDesign d;
    d.page = { 210, 297, 10, 10, 10, 10 };

    Band &h = d.pageHeader;
    h.height = 17.2;
    Box title = box(69.8, 4.2, 48.9, 5.3, Align::Left);
    title.pointSize = 11;
    title.bold = true;
    // Thirteen full-width characters in bold run a little past the box; the whole title shows.
    title.sizedToText = true;
    title.from = TextFrom::Header;
    title.field = 0;
    h.boxes.push_back(title);
    Box asOf = box(154.5, 6.3, 34.1, 3.4, Align::Right);
    asOf.from = TextFrom::Header;
    asOf.field = 1;
    asOf.sizedToText = true;
    h.boxes.push_back(asOf);
    h.boxes.push_back(fixedText(u"コード"_s, box(27.5, 12.7, 15.9, 4.5, Align::Centre)));
    h.boxes.push_back(
        fixedText(u"登　録　銀　行　名"_s, box(48.7, 12.7, 105.8, 4.5, Align::Centre)));
    h.rules.push_back(horizontal(RuleLeft, RuleRight, 11.9));
    h.rules.push_back(horizontal(RuleLeft, RuleRight, 16.9));
    for (double x : { RuleLeft, 46.6, RuleRight })
        h.rules.push_back(vertical(x, 11.9, 17.2));

    Band &b = d.detail;
    b.height = BankRowHeight;
    b.boxes.push_back(textOf(TextFrom::Line, BankCodeText, box(27.5, 0.8, 15.9, 4.5)));
    b.boxes.push_back(wrapped(textOf(TextFrom::Line, BankNameText, box(48.7, 0.8, 105.8, 4.5))));
    for (double x : { RuleLeft, 46.6, RuleRight })
        b.rules.push_back(vertical(x, 0, BankRowHeight));
    b.rules.push_back(horizontal(RuleLeft, RuleRight, 5.3));
    return d;
}

std::unique_ptr<Report> bankListReport(const Session &state, const QString &asOf)
{
    // The title is a header text too, so the preview offers it as the PDF's name.
    return std::make_unique<Report>(bankListDesign(), QStringList { bankListTitle(), asOf },
        std::make_unique<BankLines>(state));
}

} // namespace output

QStringList bankListCsvTitle()
{
    return { u"登録銀行一覧表"_s };
}

QStringList bankListCsvHeader()
{
    return { u"コード"_s, u"登録銀行名"_s };
}

bool CSV4(
    const QString &path, const Session &state, QString *error, Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        file.expect(static_cast<qint64>(state.BankTable.size()) + 2);
        file.add(bankListCsvTitle());
        file.add(bankListCsvHeader());
        // The stored bytes as they are: decoding and encoding again would change NEC and IBM
        // characters of code page 932 and turn an undecodable byte into "?".
        for (const BankRecord &bank : state.BankTable) {
            csv::LineWriter line(file.buffer());
            line.field(bank.Code.view());
            line.put(',');
            line.textField(bank.Name.view());
            line.endLine();
            file.lineAdded();
        }
    });
}

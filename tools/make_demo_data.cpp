// Writes a demonstration register (partners, banks and notes with Japanese names) into a data
// folder, for trying the program out and for screenshots. Usage: tegata-demodata FOLDER [NOTES]
#include <cstdio>

#include <QCoreApplication>
#include <QDate>
#include <QStringList>

#include "core/day_date.h"
#include "core/sjis.h"
#include "messages/store_messages.h"
#include "store/data_files.h"

using namespace Qt::StringLiterals;

namespace {

template <typename Field> void put(Field &field, const QString &text)
{
    const QByteArray bytes = sjis::cutBytes(sjis::encode(text), static_cast<int>(Field::capacity));
    field.assign(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void addBanks(Tables &state)
{
    const QStringList names = { u"みずほ銀行　日本橋支店"_s, u"三井住友銀行　本店営業部"_s,
        u"三菱ＵＦＪ銀行　新宿支店"_s, u"りそな銀行　大阪支店"_s, u"横浜銀行　関内支店"_s,
        u"静岡銀行　浜松支店"_s };
    for (int i = 0; i < names.size(); ++i) {
        BankRecord b;
        put(b.Code, u"B%1"_s.arg(i + 1, 3, 10, QChar(u'0')));
        put(b.Name, names[i]);
        state.banks.push_back(b);
    }
}

void addPartners(Tables &state)
{
    const QStringList names = { u"株式会社ベルモラ商事"_s, u"山田工業株式会社"_s,
        u"有限会社佐藤製作所"_s, u"東和物産株式会社"_s, u"北斗電機株式会社"_s,
        u"丸菱食品株式会社"_s, u"青葉建設株式会社"_s, u"株式会社みなと運輸"_s };
    for (int i = 0; i < names.size(); ++i) {
        PartnerRecord p;
        put(p.Code, u"%1"_s.arg(i + 1, 3, 10, QChar(u'0')));
        put(p.Name, names[i]);
        put(p.BankCode, u"B%1"_s.arg(i % 6 + 1, 3, 10, QChar(u'0')));
        state.partners.push_back(p);
    }
}

void addNotes(Tables &state, int count)
{
    const QStringList remarks = { u"売掛金回収分"_s, u"工事代金"_s, u"仕入代金"_s, QString(),
        u"割引料 12,000円"_s };
    const QDate start = QDate::currentDate().addMonths(-6);
    for (int i = 0; i < count; ++i) {
        NoteRecord n;
        const QDate issue = start.addDays((i * 7) % 200);
        n.IssueDate = daydate::fromDate(issue);
        n.DueDate = daydate::fromDate(issue.addMonths(1 + i % 3));
        put(n.NoteNumber, u"AB%1"_s.arg(100000 + i * 37));
        put(n.PartnerCode, u"%1"_s.arg(i % 8 + 1, 3, 10, QChar(u'0')));
        put(n.BankCode, u"B%1"_s.arg((i * 5) % 6 + 1, 3, 10, QChar(u'0')));
        n.Kind = static_cast<std::uint8_t>(i % 5);
        n.Settled = (i % 4 == 0) ? 1 : 0;
        n.Amount = Money::fromValue(static_cast<long double>((i * 7919) % 5000 + 1) * 1000);
        put(n.Remarks, remarks[i % remarks.size()]);
        put(n.EnteredBy, i % 3 ? u"Admini"_s : u"guest"_s);
        state.notes.push_back(n);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tegata-demodata FOLDER [NOTES]\n");
        return 2;
    }
    QString folder = QString::fromLocal8Bit(argv[1]);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    Tables state;
    addBanks(state);
    addPartners(state);
    addNotes(state, argc > 2 ? std::atoi(argv[2]) : 40);
    QSet<QString> incomplete;
    const SaveReport report = SaveData(state, incomplete, folder, systemFileSystem());
    if (!report.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(messages::saveFailed(report.failure).trimmed()));
        return 1;
    }
    return 0;
}

#include "bench/bench_data.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "store/sjis.h"

namespace {

std::string code(const char *prefix, std::size_t n, int width)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%0*zu", prefix, width, n);
    return buffer;
}

} // namespace

void fillRegister(AppState &state, std::size_t notes, std::size_t partners, std::size_t banks)
{
    const QByteArray partnerName = sjis::encode(QStringLiteral("株式会社ベルモラ商事"));
    const QByteArray bankName = sjis::encode(QStringLiteral("ベルモラ銀行　本店営業部"));
    const QByteArray remarks = sjis::encode(QStringLiteral("売掛金回収分"));
    state.BankTable.resize(banks);
    for (std::size_t i = 0; i < banks; ++i) {
        state.BankTable[i].Code.assign(code("B", i, 7));
        state.BankTable[i].Name.assign(std::string_view(bankName.constData(), bankName.size()));
    }
    state.PartnerTable.resize(partners);
    for (std::size_t i = 0; i < partners; ++i) {
        PartnerRecord &p = state.PartnerTable[i];
        p.Code.assign(code("", i, 5));
        p.Name.assign(std::string_view(partnerName.constData(), partnerName.size()));
        p.BankCode.assign(code("B", i % banks, 7));
    }
    state.NoteTable.resize(notes);
    for (std::size_t i = 0; i < notes; ++i) {
        NoteRecord &n = state.NoteTable[i];
        n.IssueDate = 45000 + static_cast<double>(i % 2000);
        n.DueDate = n.IssueDate + 90;
        n.NoteNumber.assign(code("AB", i, 8));
        n.PartnerCode.assign(code("", (i * 7919) % partners, 5));
        n.BankCode.assign(code("B", (i * 104729) % banks, 7));
        n.Settled = i % 3 == 0;
        n.Kind = static_cast<std::uint8_t>(i % 5);
        n.Amount = Money::fromValue(static_cast<long double>((i % 100000) + 1) * 1000);
        n.Remarks.assign(std::string_view(remarks.constData(), remarks.size()));
        n.EnteredBy.assign("Admini");
    }
}

std::size_t peakResidentBytes()
{
    std::FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    std::size_t kb = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            std::sscanf(line + 6, "%zu", &kb);
    }
    std::fclose(f);
    return kb * 1024;
}

#include "exchange/register_export.h"

#include <memory>
#include <optional>
#include <vector>

#include <QDir>

#include "output/csv_file.h"

using namespace Qt::StringLiterals;

namespace exchange {

ExportFiles exportFiles(const Tables &tables, const QDate &day)
{
    ExportFiles files;
    const TableKind kinds[] = { TableKind::Notes, TableKind::Partners, TableKind::Banks };
    const QString stems[] = { u"手形"_s, u"取引先"_s, u"銀行"_s };
    const QString date = day.toString(u"yyyyMMdd"_s);
    for (std::size_t i = 0; i < files.size(); ++i)
        files[i] = { kinds[i], u"%1_%2.csv"_s.arg(stems[i], date), recordCount(kinds[i], tables) };
    return files;
}

bool exportRegister(const QString &folder, const ExportFiles &files, const Tables &tables,
    QString *error, Progress *progress, FileSystem &fs)
{
    std::optional<csv::ProgressCounter> counter;
    if (progress)
        counter.emplace(*progress);
    std::vector<std::unique_ptr<csv::File>> written;
    const auto fail = [&](const csv::File &file) {
        if (error)
            *error = file.errorMessage();
        return false; // the files going away take their temporary files with them
    };
    for (const ExportFile &f : files) {
        written.push_back(std::make_unique<csv::File>(
            QDir(folder).filePath(f.name), counter ? &*counter : nullptr, fs));
        if (!written.back()->open())
            return fail(*written.back());
        written.back()->expect(f.records + 1);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        writeTable(files[i].kind, *written[i], tables);
        if (!written[i]->finish())
            return fail(*written[i]);
    }
    // Only a rename is left for each, which fails only where the folder itself refuses it.
    QStringList inPlace;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!written[i]->commit()) {
            fail(*written[i]);
            if (error && !inPlace.isEmpty())
                *error +=
                    u"\n%1 は、すでに新しい内容で書き出しています。"_s.arg(inPlace.join(u"、"_s));
            return false;
        }
        inPlace << u"「%1」"_s.arg(files[i].name);
    }
    return true;
}

} // namespace exchange

#include "output/schedule_csv.h"

#include "core/tables.h"
#include "output/csv_file.h"

bool CSV3(const QString &path, const Tables &tables, const std::vector<schedule::Line> &lines,
    const QString &title, const QString &period, QString *error, Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        file.expect(static_cast<qint64>(lines.size()) + 2);
        file.add({ title, period });
        output::addHead(file, schedule::noteColumns());
        output::addRows(file, schedule::Table(tables.notes, tables.partners, lines));
    });
}

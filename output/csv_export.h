#pragma once

#include <functional>

#include <QString>

class Prompter;
class QWidget;
struct AppState;

namespace output {

// The file dialog every CSV export asks with: "CSVファイル (*.csv)", ".csv" added to a name
// without one; empty when the user cancels.
QString chooseCsvFile(QWidget *parent, Prompter &prompter);

// Asks for a file through choose, refuses the program's own files, and writes it through write,
// saying what failed; a long file shows its progress and can be cancelled. false when the export
// was refused, failed or cancelled while writing; a cancelled file dialog is no failure.
bool exportCsv(QWidget *parent, Prompter &prompter, const AppState &state,
    const std::function<QString(QWidget *)> &choose,
    const std::function<bool(const QString &path, QString *error)> &write);

} // namespace output

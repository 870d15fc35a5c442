#pragma once

#include <functional>

#include <QString>

class Progress;
class Prompter;
class QWidget;
struct Session;

namespace output {

// The file dialog every CSV export asks with: "CSVファイル (*.csv)", ".csv" added to a name
// without one; empty when the user cancels.
QString chooseCsvFile(QWidget *parent, Prompter &prompter);

// Asks for a file through choose, refuses the program's own files, and writes it through write,
// saying what failed; write counts the file's lines to the progress it is given, so a long file
// shows how far it has got and can be cancelled. false when the export
// was refused, failed or cancelled while writing; a cancelled file dialog is no failure.
bool exportCsv(QWidget *parent, Prompter &prompter, const Session &state,
    const std::function<QString(QWidget *)> &choose,
    const std::function<bool(const QString &path, QString *error, Progress *progress)> &write);

} // namespace output

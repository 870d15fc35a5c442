#include "output/csv_export.h"

#include <QFileDialog>

#include "controls/progress_dialog.h"
#include "controls/prompter.h"
#include "messages/store_messages.h"
#include "session/session.h"

using namespace Qt::StringLiterals;

namespace output {

QString chooseCsvFile(QWidget *parent, Prompter &prompter)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(u"SaveDialog1"_s);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(u"CSVファイル (*.csv)"_s);
    dialog.setDefaultSuffix(u"csv"_s);
    if (prompter.exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool exportCsv(QWidget *parent, Prompter &prompter, const Session &state,
    const std::function<QString(QWidget *)> &choose,
    const std::function<bool(const QString &path, QString *error, Progress *progress)> &write)
{
    const QString path = choose(parent);
    if (path.isEmpty())
        return true;
    if (state.isProgramFile(path)) {
        prompter.warn(parent, messages::exportRefused(path));
        return false;
    }
    QString error;
    {
        ProgressDialog progress(parent, u"CSVファイルを書き出しています…"_s, u"行"_s);
        if (write(path, &error, &progress))
            return true;
    }
    // A cancel leaves the old file as it was and needs no word.
    if (!error.isEmpty())
        prompter.error(parent, error);
    return false;
}

} // namespace output

#include <gtest/gtest.h>

#include <QProgressDialog>
#include <QWidget>

#include "controls/progress_dialog.h"
#include "tests/support/qt_printers.h"

using namespace Qt::StringLiterals;

// The dialog says what is done out of what, stays modal to its window only, and answers false
// once キャンセル is pressed.
TEST(ProgressDialog, SaysWhatIsDoneOutOfWhatAndHearsTheCancel)
{
    QWidget window;
    ProgressDialog progress(&window, u"PDFを作成しています…"_s, u"ページ"_s);
    QProgressDialog *dialog = progress.dialog();
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);

    EXPECT_TRUE(progress.step(120, 4000));
    EXPECT_EQ(dialog->labelText(), u"PDFを作成しています… 120 / 4000 ページ"_s);
    EXPECT_EQ(dialog->maximum(), 4000);
    EXPECT_EQ(dialog->value(), 120);
    EXPECT_EQ(ProgressDialog::text(u"CSVファイルを書き出しています…"_s, 2048, 0, u"行"_s),
        u"CSVファイルを書き出しています… 2048 行"_s);

    dialog->cancel();
    EXPECT_FALSE(progress.step(121, 4000));
    EXPECT_TRUE(progress.cancelled());
}

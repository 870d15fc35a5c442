#include <memory>

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>

#include "sheets/approval_list.h"
#include "sheets/input_sheet.h"
#include "sheets/registration_sheet.h"
#include "store/data_lock.h"
#include "tests/support/main_window_fixture.h"

using namespace Qt::StringLiterals;

namespace {

// A second copy of the program on a folder another copy holds: the real window and sheets.
class ReadOnlyCopy : public RealMainWindow
{
protected:
    void SetUp() override
    {
        holder = std::make_unique<DataLock>(program.path(), systemFileSystem());
        ASSERT_EQ(
            holder->acquire(u"suzuki"_s, QDateTime::currentDateTime()), DataLock::Result::Acquired);
        holder->recordProgramUser(u"山田"_s);
        RealMainWindow::SetUp();
    }

    std::unique_ptr<DataLock> holder;
};

bool enabled(QToolButton *button)
{
    return button && button->isEnabled();
}

} // namespace

// Nothing that would change the register can be started, so no work is typed that closing
// would drop; viewing, search and output stay open, and the status line says who holds it.
TEST_F(ReadOnlyCopy, OffersNoCommandThatWouldChangeTheRegister)
{
    ASSERT_TRUE(state.Data.readOnly());
    for (const QString &name : { u"Save1"_s, u"Delete1"_s, u"N3"_s })
        EXPECT_FALSE(window->action(name)->isEnabled()) << name.toStdString();
    window->Edit1Click();
    EXPECT_FALSE(window->action(u"Delete1"_s)->isEnabled()) << "not even for a selected row";
    for (const QString &name : { u"Find2"_s, u"Print1"_s, u"DataForm"_s, u"SET2"_s })
        EXPECT_TRUE(window->action(name)->isEnabled()) << name.toStdString();

    const auto *status = window->statusBar()->findChild<QLabel *>(u"ReadOnlyStatus"_s);
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->text().startsWith(u"読み取り専用"_s));
    EXPECT_TRUE(status->text().contains(u"山田"_s)) << status->text().toStdString();

    auto *input = dynamic_cast<InputSheet *>(window->inputSheet());
    ASSERT_NE(input, nullptr);
    EXPECT_FALSE(input->SpeedButton1->isEnabled()) << "登録";

    dataSheet->SG1->selectRow(1); // a received note, unsettled and due
    dataSheet->SG1MouseDown(Qt::RightButton, QPoint(5, 5));
    for (QAction *item :
        { dataSheet->Delete1, dataSheet->WARIBIKI1, dataSheet->URAGAKI1, dataSheet->SHONIN1 })
        EXPECT_FALSE(item->isEnabled()) << item->objectName().toStdString();
    EXPECT_TRUE(dataSheet->Edit1->isEnabled() && dataSheet->Find1->isEnabled());
    dataSheet->PopupMenu1->hide();

    bool registrationSeen = false;
    prompter.onDialog = [&](QDialog &dialog) {
        auto &sheet = dynamic_cast<RegistrationSheet &>(dialog);
        EXPECT_FALSE(enabled(sheet.SpeedButton1)) << "登録";
        EXPECT_FALSE(enabled(sheet.SpeedButton2)) << "削除";
        registrationSeen = true;
        return int(QDialog::Rejected);
    };
    window->SET2Click();
    EXPECT_TRUE(registrationSeen);

    ApprovalList list(state, prompter);
    EXPECT_FALSE(list.SpeedButton1->isEnabled()) << "全て承認";
    EXPECT_FALSE(list.SpeedButton2->isEnabled()) << "選択承認";
    EXPECT_FALSE(state.Data.modified());
}

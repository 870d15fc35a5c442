#pragma once

#include <memory>
#include <vector>

#include <QDialog>

#include "sheets/registration.h"
#include "sheets/sheet_ports.h"

struct Session;
class ProgramOptions;
class Prompter;
namespace due {
class DueWindow;
}

// Builds the child sheets and the modal screens the menu commands open. Every screen is built by
// the program's own factory; a factory in a test may answer nullptr, and the command then does
// nothing.
class ScreenFactory
{
public:
    virtual ~ScreenFactory() = default;

    // Child windows living for the whole run; owned by the returned pointers' widget parents.
    virtual DataSheetPort *createDataSheet(Session &, SheetHost &, Prompter &, QWidget *) = 0;
    virtual InputSheetPort *createInputSheet(Session &, SheetHost &, Prompter &, QWidget *) = 0;

    virtual std::unique_ptr<QDialog> createApprovalList(
        Session &, Prompter &, const std::vector<int> &, QWidget *) = 0;
    virtual std::unique_ptr<QDialog> createSearchSheet(
        Session &, SheetHost &, DataSheetPort *, Prompter &, QWidget *) = 0;
    // The data sheet gives the output of its rows; it may be null.
    virtual std::unique_ptr<QDialog> createOutputSheet(
        Session &, Prompter &, const std::vector<int> &, DataSheetPort *, QWidget *) = 0;
    virtual std::unique_ptr<QDialog> createRegistrationSheet(
        Session &, Prompter &, RegisterKind, QWidget *) = 0;
    // userFile: the user file the login checks, which the registration reads and rewrites.
    virtual std::unique_ptr<QDialog> createUserRegistration(
        Session &, Prompter &, const QString & /*userFile*/, QWidget *) = 0;
    // 取り込み; mayImport: the user has a right to enter notes. The data sheet may be null.
    virtual std::unique_ptr<QDialog> createImportDialog(
        Session &, Prompter &, DataSheetPort *, bool /*mayImport*/, QWidget *) = 0;
    // バックアップから復元.
    virtual std::unique_ptr<QDialog> createRestoreDialog(Session &, Prompter &, QWidget *) = 0;

    // Windows living for the rest of the run once opened; owned by their widget parents.
    // 期日案内, which keeps its days in the program's own settings.
    virtual due::DueWindow *createDueWindow(Session &, Prompter &, ProgramOptions &, QWidget *) = 0;
    // The manual's window over this file.
    virtual QWidget *createHelpWindow(const QString & /*helpFile*/, QWidget *) = 0;
};

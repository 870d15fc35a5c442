#pragma once

#include <memory>
#include <vector>

#include <QDialog>

#include "sheets/registration.h"
#include "sheets/sheet_ports.h"

struct AppState;
class Prompter;

// Builds the child sheets and the modal screens the menu commands open. Every screen is built by
// the program's own factory; a factory in a test may answer nullptr, and the command then does
// nothing.
class ScreenFactory
{
public:
    virtual ~ScreenFactory() = default;

    // Child windows living for the whole run; owned by the returned pointers' widget parents.
    virtual DataSheetPort *createDataSheet(AppState &, SheetHost &, Prompter &, QWidget *) = 0;
    virtual InputSheetPort *createInputSheet(AppState &, SheetHost &, Prompter &, QWidget *) = 0;

    virtual std::unique_ptr<QDialog> createApprovalList(
        AppState &, Prompter &, const std::vector<int> &, QWidget *) = 0;
    virtual std::unique_ptr<QDialog> createSearchSheet(
        AppState &, SheetHost &, DataSheetPort *, Prompter &, QWidget *) = 0;
    // The data sheet gives the output of its rows; it may be null.
    virtual std::unique_ptr<QDialog> createOutputSheet(
        AppState &, Prompter &, const std::vector<int> &, DataSheetPort *, QWidget *) = 0;
    virtual std::unique_ptr<QDialog> createRegistrationSheet(
        AppState &, Prompter &, RegisterKind, QWidget *) = 0;
    // userFile: the user file the login checks, which the registration reads and rewrites.
    virtual std::unique_ptr<QDialog> createUserRegistration(
        AppState &, Prompter &, const QString & /*userFile*/, QWidget *) = 0;
};

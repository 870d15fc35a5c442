#pragma once

#include "access/user_registration.h"
#include "app/help_window.h"
#include "app/screen_factory.h"
#include "due/due_window.h"
#include "exchange/import_dialog.h"
#include "generations/restore_dialog.h"
#include "output/output_sheet.h"
#include "search/search_sheet.h"
#include "sheets/approval_list.h"
#include "sheets/data_sheet.h"
#include "sheets/input_sheet.h"
#include "sheets/registration_sheet.h"

// The screens of this program; each screen is added here as it is built.
class ProgramScreens : public ScreenFactory
{
public:
    DataSheetPort *createDataSheet(
        Session &state, SheetHost &host, Prompter &prompter, QWidget *parent) override
    {
        return new DataSheet(state, host, prompter, parent);
    }
    InputSheetPort *createInputSheet(
        Session &state, SheetHost &host, Prompter &prompter, QWidget *parent) override
    {
        return new InputSheet(state, host, prompter, parent);
    }
    std::unique_ptr<QDialog> createApprovalList(Session &state, Prompter &prompter,
        const std::vector<int> &dueNotes, QWidget *parent) override
    {
        auto list = std::make_unique<ApprovalList>(state, prompter, parent);
        list->setArr(dueNotes);
        return list;
    }
    std::unique_ptr<QDialog> createSearchSheet(Session &state, SheetHost &host,
        DataSheetPort *dataSheet, Prompter &prompter, QWidget *parent) override
    {
        return std::make_unique<SearchSheet>(state, host, dataSheet, prompter, parent);
    }
    std::unique_ptr<QDialog> createOutputSheet(Session &state, Prompter &prompter,
        const std::vector<int> &all, DataSheetPort *dataSheet, QWidget *parent) override
    {
        auto sheet = std::make_unique<OutputSheet>(state, prompter, dataSheet, parent);
        sheet->setArr(all);
        return sheet;
    }
    std::unique_ptr<QDialog> createRegistrationSheet(
        Session &state, Prompter &prompter, RegisterKind mode, QWidget *parent) override
    {
        auto sheet = std::make_unique<RegistrationSheet>(state, prompter, parent);
        sheet->setMode(static_cast<unsigned>(mode));
        return sheet;
    }
    std::unique_ptr<QDialog> createUserRegistration(
        Session &state, Prompter &prompter, const QString &userFile, QWidget *parent) override
    {
        return std::make_unique<UserRegistration>(
            prompter, userFile, state.Data.fileSystem(), parent);
    }
    std::unique_ptr<QDialog> createImportDialog(Session &state, Prompter &prompter,
        DataSheetPort *dataSheet, bool mayImport, QWidget *parent) override
    {
        return std::make_unique<exchange::ImportDialog>(
            state, prompter, dataSheet, mayImport, parent);
    }
    std::unique_ptr<QDialog> createRestoreDialog(
        Session &state, Prompter &prompter, QWidget *parent) override
    {
        return std::make_unique<generations::RestoreDialog>(state, prompter, parent);
    }
    due::DueWindow *createDueWindow(
        Session &state, Prompter &prompter, ProgramOptions &options, QWidget *parent) override
    {
        return new due::DueWindow(state, prompter, options, parent);
    }
    QWidget *createHelpWindow(const QString &helpFile, QWidget *parent) override
    {
        return new HelpWindow(helpFile, parent);
    }
};

#pragma once

#include "app/screen_factory.h"
#include "sheets/data_sheet.h"
#include "sheets/input_sheet.h"

// The screens of this program; each screen is added here as it is built.
class ProgramScreens : public ScreenFactory
{
public:
    DataSheetPort *createDataSheet(
        AppState &state, SheetHost &host, Prompter &prompter, QWidget *parent) override
    {
        return new DataSheet(state, host, prompter, parent);
    }
    InputSheetPort *createInputSheet(
        AppState &state, SheetHost &host, Prompter &prompter, QWidget *parent) override
    {
        return new InputSheet(state, host, prompter, parent);
    }
};

#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/program_screens.h"
#include "sheets/data_sheet.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

// The real main window over the small register, with the real sheets it creates: what the
// program opens, for tests that go through its commands.
class RealMainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        using namespace Qt::StringLiterals;
        state.ProgramDirectory = program.path();
        MainWindowOptions options;
        options.userFile = program.file(u"pass.dat"_s);
        options.fallbackConfigDir = program.path() + u"config"_s;
        options.fallbackDataDir = program.path() + u"data"_s;
        window = std::make_unique<MainWindow>(state, prompter, screens, options);
        fixtures::fillSmallRegister(state);
        window->applyRights(state.CurrentUser.Permissions);
        // As the program starts: the window is on screen before its sheets are made, so each
        // sheet fills its lists when it first shows.
        window->show();
        window->createSheets();
        dataSheet = dynamic_cast<DataSheet *>(window->dataSheet());
        ASSERT_NE(dataSheet, nullptr);
    }

    TestDir program;
    Session state { systemFileSystem() };
    ScriptedPrompter prompter;
    ProgramScreens screens;
    std::unique_ptr<MainWindow> window;
    DataSheet *dataSheet = nullptr;
};

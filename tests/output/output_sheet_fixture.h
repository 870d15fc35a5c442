#pragma once

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include <QDate>
#include <QString>

#include "core/day_date.h"
#include "output/output_sheet.h"
#include "session/session.h"
#include "tests/sheets/sheet_fixtures.h"
#include "tests/support/fake_sheets.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

// The output sheet over the small register on 31 March 2024, its CSV file dialog scripted to
// answer chosenFile and to count how often it was asked. A test changes the register in its
// SetUp and then opens the sheet.
class OutputSheetFixture : public ::testing::Test
{
protected:
    OutputSheetFixture() { fixtures::fillSmallRegister(state); }

    // rows are the notes the sheet lists from; dataSheet may be nullptr.
    void openSheet(const std::vector<int> &rows, DataSheetPort *dataSheet)
    {
        state.clock = &clock;
        sheet = std::make_unique<OutputSheet>(state, prompter, dataSheet);
        sheet->SaveDialog1 = [this](QWidget *) {
            ++fileDialogs;
            return chosenFile;
        };
        sheet->setArr(rows);
        sheet->show();
    }

    TestDir dir;
    FixedClock clock { QDate(2024, 3, 31) };
    Session state { systemFileSystem() };
    ScriptedPrompter prompter;
    FakeDataSheet data;
    std::unique_ptr<OutputSheet> sheet;
    QString chosenFile;
    int fileDialogs = 0;
};

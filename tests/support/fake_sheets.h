#pragma once

#include <vector>

#include <QString>
#include <QStringList>

#include "sheets/sheet_ports.h"

// Stands in for the data sheet: a selection and a view state the tests set, and the calls it
// received, in order.
class FakeDataSheet : public DataSheetPort
{
public:
    QWidget *widget() override { return page; }
    int selectionTop() const override { return top; }
    int selectionBottom() const override { return bottom; }
    bool viewFiltered() const override { return filtered; }
    const std::vector<int> &viewIndex() const override { return index; }
    void setIndex(const std::vector<int> &indices, const QString &title) override
    {
        filtered = true;
        index = indices;
        caption = title;
        calls << QStringLiteral("setIndex");
    }
    void setIndexAll() override
    {
        filtered = false;
        calls << QStringLiteral("setIndexAll");
    }
    void DataUpdate() override { calls << QStringLiteral("DataUpdate"); }
    void showNote(int noteIndex) override
    {
        shown.push_back(noteIndex);
        top = bottom = noteIndex + 1;
        calls << QStringLiteral("showNote");
    }
    qsizetype callsOf(const QString &name) const { return calls.count(name); }

    QWidget *page = nullptr; // owned by whoever shows it
    int top = 0;
    int bottom = 0;
    bool filtered = false;
    std::vector<int> index; // the last list setIndex received, and what viewIndex gives
    QString caption;
    std::vector<int> shown; // the notes showNote was given, in order
    QStringList calls;
};

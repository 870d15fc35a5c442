#pragma once

#include <algorithm>

#include "controls/sheet_grid_model.h"
#include "sheets/registration.h"
#include "sheets/row_removal.h"

class Register;
struct RegisterChange;

// The partner or bank register as a table model: row r shows entry r, formatted when asked.
// An empty register still shows one empty row under the titles. It follows the register's
// changes row by row.
class RegisterGridModel : public SheetGridModel
{
    Q_OBJECT
public:
    explicit RegisterGridModel(const Register &data, QObject *parent = nullptr);

    void setKind(RegisterKind kind);
    RegisterKind kind() const { return kind_; }
    // Reads the register again.
    void refresh();
    // Entries appended or removed insert or remove their rows, entries overwritten redraw theirs;
    // a table replaced whole (read again, or grown by an import) is read again.
    void follow(const RegisterChange &change);

    static std::span<const GridColumn> columns(RegisterKind kind);
    QString cellText(int row, int column) const override;

    int rowCount(const QModelIndex &parent = {}) const override;

protected:
    std::span<const GridColumn> gridColumns() const override { return columns(kind_); }

private:
    // Rows for n entries: an empty register keeps its empty row.
    static int rowsFor(int entries) { return std::max(entries, 1); }
    void moveRows(int first, int entries);

    const Register &data_;
    RegisterKind kind_ = RegisterKind::BankRegister;
    int entries_ = 0;
    RowRemoval removing_;
};

#pragma once

#include "controls/sheet_grid_model.h"
#include "sheets/registration.h"

struct AppState;

// The partner or bank register as a table model: row r shows entry r, formatted when asked.
// An empty register still shows one empty row under the titles.
class RegisterGridModel : public SheetGridModel
{
    Q_OBJECT
public:
    explicit RegisterGridModel(const AppState &state, QObject *parent = nullptr);

    void setKind(RegisterKind kind);
    RegisterKind kind() const { return kind_; }
    // Reads the register again.
    void refresh();

    static std::span<const GridColumn> columns(RegisterKind kind);
    QString cellText(int row, int column) const override;

    int rowCount(const QModelIndex &parent = {}) const override;

protected:
    std::span<const GridColumn> gridColumns() const override { return columns(kind_); }

private:
    const AppState &state_;
    RegisterKind kind_ = RegisterKind::BankRegister;
    int entries_ = 0;
};

#pragma once

#include <QAbstractTableModel>

#include "sheets/registration.h"

struct AppState;

// A column of the registration sheet's grid.
struct RegisterColumn
{
    const char16_t *title;
    int width;
};

// The partner or bank register as a table model: row r shows entry r, formatted when asked.
// An empty register still shows one empty row under the titles.
class RegisterGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RegisterGridModel(const AppState &state, QObject *parent = nullptr);

    void setKind(RegisterKind kind);
    RegisterKind kind() const { return kind_; }
    // Reads the register again.
    void refresh();

    static std::vector<RegisterColumn> columns(RegisterKind kind);
    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    const AppState &state_;
    RegisterKind kind_ = RegisterKind::BankRegister;
    int entries_ = 0;
};

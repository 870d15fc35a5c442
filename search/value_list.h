#pragma once

#include <cstdint>
#include <vector>

#include <QAbstractListModel>
#include <QString>
#include <QStringList>

#include "session/session.h"

namespace search {

// The value box's list for a field: the values found in the notes in table order, each listed
// once at its first occurrence (letter case ignored); fixed lists for 承認 and 手形種; nothing
// for -1. Values the notes hold themselves (numbers, codes, remarks, amounts) can run to a
// million, so they are kept as the notes where each first occurs, and a text is made only when
// it is shown. The notes must outlive the list; a note gone since shows as an empty text.
class ValueList
{
public:
    ValueList() = default;
    ValueList(int field, const Notes &notes, const Partners &partners, const Banks &banks);

    int size() const;
    QString text(int row) const;
    // Every text, for a short list or a check.
    QStringList texts() const;

private:
    int field_ = -1;
    const Notes *notes_ = nullptr;
    std::vector<std::int32_t> firstNotes_; // for the values the notes hold
    QStringList texts_; // for the others
};

QStringList valueList(int field, const Notes &notes, const Partners &partners, const Banks &banks);

// A drop-down's model over a value list.
class ValueListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setList(ValueList list);
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    ValueList list_;
};

} // namespace search

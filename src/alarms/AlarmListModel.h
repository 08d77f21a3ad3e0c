#pragma once

#include "alarms/AlarmRows.h"

#include <QAbstractTableModel>

#include <optional>
#include <vector>

// The alarm list's rows as the list view shows them: a check box in the first
// column, the six texts in the others. Every change of the rows goes through
// here, so that the view follows it.
class AlarmListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        CheckColumn,
        NameColumn,
        TimeColumn,
        DurationColumn,
        UnitColumn,
        SoundColumn,
        ActiveColumn,
        ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    const AlarmRows& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The check box (Qt::CheckStateRole) and, from code only, any text cell.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    void append(const AlarmRow& row);
    void replace(int row, const AlarmRow& values);
    void remove(int row);
    void clear();
    // Takes these rows in place of all rows.
    void reset(AlarmRows&& rows);

    // The alarm check: its writing of a row's Active cell, true when the
    // cell changed; and the rows it looks at (AlarmRows::rowsToCheck).
    // Without the names of the hatched objects, any row's visit may return
    // its object to solid: every row.
    bool setActive(int row, bool running);
    std::vector<int> rowsToCheck(Alarm::Millis now,
                                 const std::optional<QSet<QString>>& hatchedNames);

private:
    AlarmRows m_rows;
};

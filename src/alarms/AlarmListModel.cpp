#include "alarms/AlarmListModel.h"

#include <numeric>

namespace {

// The cell of a text column.
AlarmRows::Cell cellOf(int column)
{
    return AlarmRows::Cell(column - AlarmListModel::NameColumn);
}

} // namespace

int AlarmListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.count();
}

int AlarmListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant AlarmListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.count())
        return {};
    if (index.column() == CheckColumn) {
        if (role == Qt::CheckStateRole)
            return m_rows.isEnabled(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_rows.text(index.row(), cellOf(index.column()));
    return {};
}

QVariant AlarmListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    static const char* const captions[ColumnCount] = {"",     "Name",  "Time",  "Duration",
                                                      "Unit", "Sound", "Active"};
    return QString::fromLatin1(captions[section]);
}

Qt::ItemFlags AlarmListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled |
           Qt::ItemNeverHasChildren;
}

bool AlarmListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= m_rows.count())
        return false;
    if (index.column() == CheckColumn) {
        if (role != Qt::CheckStateRole)
            return false;
        m_rows.setEnabled(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    } else {
        if (role != Qt::EditRole && role != Qt::DisplayRole)
            return false;
        m_rows.setText(index.row(), cellOf(index.column()), value.toString());
    }
    emit dataChanged(index, index, {role});
    return true;
}

void AlarmListModel::append(const AlarmRow& row)
{
    const int at = m_rows.count();
    beginInsertRows({}, at, at);
    m_rows.append(row);
    endInsertRows();
}

void AlarmListModel::replace(int row, const AlarmRow& values)
{
    m_rows.replace(row, values);
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void AlarmListModel::remove(int row)
{
    beginRemoveRows({}, row, row);
    m_rows.remove(row);
    endRemoveRows();
}

void AlarmListModel::clear()
{
    reset(AlarmRows());
}

void AlarmListModel::reset(AlarmRows&& rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

bool AlarmListModel::setActive(int row, bool running)
{
    if (!m_rows.setActive(row, running))
        return false;
    const QModelIndex cell = index(row, ActiveColumn);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
    return true;
}

std::vector<int> AlarmListModel::rowsToCheck(Alarm::Millis now,
                                             const std::optional<QSet<QString>>& hatchedNames)
{
    if (hatchedNames)
        return m_rows.rowsToCheck(now, *hatchedNames);
    std::vector<int> all(std::size_t(m_rows.count()));
    std::iota(all.begin(), all.end(), 0);
    return all;
}

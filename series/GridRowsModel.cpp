#include "GridRowsModel.h"

void GridRowsModel::setRows(GridRows rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int GridRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.rows.size());
}

int GridRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.fields.size());
}

QVariant GridRowsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) {
        return {};
    }
    return m_rows.rows[static_cast<size_t>(index.row())][index.column()];
}

QVariant GridRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= m_rows.fields.size()) {
        return {};
    }
    return m_rows.fields[section];
}

int GridRowsModel::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_rows.fields.size(); ++i) {
        if (m_rows.fields[i].compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString GridRowsModel::text(int row, const QString& field) const {
    const int column = fieldIndex(field);
    if (row < 0 || row >= rowCount() || column < 0) {
        return {};
    }
    return m_rows.rows[static_cast<size_t>(row)][column];
}

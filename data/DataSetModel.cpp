#include "DataSetModel.h"

void DataSetModel::bind(DataSet& dataSet) {
    beginResetModel();
    m_fields.clear();
    m_rows.clear();
    if (dataSet.isOpen()) {
        dataSet.first();
        m_fields = dataSet.fieldNames();
        for (; !dataSet.eof(); dataSet.next()) {
            QStringList row;
            row.reserve(m_fields.size());
            for (const QString& field : m_fields) {
                row << dataSet.fieldText(field);
            }
            m_rows.push_back(row);
        }
    }
    endResetModel();
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) {
        return {};
    }
    return m_rows[static_cast<size_t>(index.row())][index.column()];
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= m_fields.size()) {
        return {};
    }
    return m_fields[section];
}

int DataSetModel::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString DataSetModel::text(int row, const QString& field) const {
    const int column = fieldIndex(field);
    if (row < 0 || row >= rowCount() || column < 0) {
        return {};
    }
    return m_rows[static_cast<size_t>(row)][column];
}

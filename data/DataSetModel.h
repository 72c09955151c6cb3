#pragma once

#include "Database.h"

#include <QAbstractTableModel>

#include <vector>

// The rows of an open data set as a read-only table, one column per field, for the grids. The rows
// are copied as text once, when the model is bound; the data set may move on or close after.
class DataSetModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Reads the data set's rows from its first one; a closed data set gives an empty table.
    void bind(DataSet& dataSet);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The field names across the top.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The column of a field, names compared without regard to case; -1 when there is none.
    int fieldIndex(const QString& name) const;
    // A field of a row as text (a null reads as empty); empty for a row or field that is not there.
    QString text(int row, const QString& field) const;

private:
    QStringList m_fields;
    std::vector<QStringList> m_rows;
};

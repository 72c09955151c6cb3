#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

// Rows as a grid shows them: one text per field, in the fields' order.
struct GridRows {
    QStringList fields;
    std::vector<QStringList> rows;
};

// The rows of a grid as a read-only table, one column per field.
class GridRowsModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(GridRows rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The field names across the top.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The column of a field, names compared without regard to case; -1 when there is none.
    int fieldIndex(const QString& name) const;
    // A field of a row as text; empty for a row or field that is not there.
    QString text(int row, const QString& field) const;

private:
    GridRows m_rows;
};

#pragma once

#include "GridRowsModel.h"

#include <QColor>
#include <QFont>
#include <QTableView>

#include <functional>
#include <vector>

// One column of a grid: the field it shows, its title and how it is drawn.
struct GridColumn {
    QString fieldName;
    QString title;
    int width = 64;
    Qt::Alignment Alignment = Qt::AlignLeft;
    QColor titleColor;
};

// A read-only grid over rows of texts. Its one change to the standard grid: a cell of a
// data column is painted in that column's title colour over the standard background; the
// indicator column, at the left, keeps the fixed colour and marks the current row.
class DataGrid : public QTableView {
public:
    explicit DataGrid(QWidget* parent);

    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn>& columns() const { return m_columns; }
    // The colour of the indicator column, and the font of the titles.
    void setFixedColor(const QColor& color) { m_fixedColor = color; }
    const QColor& fixedColor() const { return m_fixedColor; }
    void setTitleFont(const QFont& font) { m_titleFont = font; }
    const QFont& titleFont() const { return m_titleFont; }

    // Shows the rows; the first one becomes the current row.
    void bind(GridRows rows);
    // A field of the current row as text; empty when the grid has no rows.
    QString currentFieldText(const QString& field) const;
    // The column shown at a visual place, or null.
    const GridColumn* columnAt(int visualIndex) const;

    // Keys typed on the grid (27 Esc, 13 Enter, else the character), and double clicks or taps
    // on a row (which becomes the current row).
    std::function<void(QChar key)> onKeyPress;
    std::function<void()> onDoubleClick;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Typed letters and digits do not jump to a matching row: the grid is a prescription read on
    // a kiosk, moved through with the arrow and page keys only.
    void keyboardSearch(const QString& search) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void arrangeColumns();
    void rowTapped(QPoint at);

    GridRowsModel m_model;
    std::vector<GridColumn> m_columns;
    QColor m_fixedColor;
    QFont m_titleFont;
};

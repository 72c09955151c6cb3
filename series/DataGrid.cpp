#include "DataGrid.h"

#include "KeyChar.h"
#include "Touch.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int indicatorWidth = 12;

// Paints each data cell in its column's title colour, over the standard background.
class ColumnColourDelegate : public QStyledItemDelegate {
public:
    explicit ColumnColourDelegate(DataGrid& grid)
        : QStyledItemDelegate(&grid)
        , m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem cell(option);
        initStyleOption(&cell, index);
        const GridColumn* column =
            m_grid.columnAt(m_grid.horizontalHeader()->visualIndex(index.column()));
        painter->fillRect(cell.rect, cell.palette.base());
        if (column != nullptr) {
            painter->fillRect(cell.rect, column->titleColor);
            cell.displayAlignment = column->Alignment | Qt::AlignVCenter;
        }
        // The current row shows in the indicator column and in white text, as on the classic grid.
        if (cell.state & QStyle::State_Selected) {
            cell.palette.setColor(QPalette::Text, Qt::white);
            cell.state &= ~QStyle::State_Selected;
        }
        cell.state &= ~QStyle::State_HasFocus;
        cell.backgroundBrush = Qt::NoBrush;
        m_grid.style()->drawControl(QStyle::CE_ItemViewItem, &cell, painter, &m_grid);
    }

private:
    DataGrid& m_grid;
};

// The titles across the top, each in its column's colours; down the side, the indicator column.
class GridHeader : public QHeaderView {
public:
    GridHeader(Qt::Orientation orientation, DataGrid& grid)
        : QHeaderView(orientation, &grid)
        , m_grid(grid) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        painter->save();
        if (orientation() == Qt::Horizontal) {
            paintTitle(*painter, rect, logicalIndex);
        } else {
            paintIndicator(*painter, rect, logicalIndex);
        }
        painter->restore();
    }

private:
    void paintTitle(QPainter& painter, const QRect& rect, int logicalIndex) const {
        const GridColumn* column = m_grid.columnAt(visualIndex(logicalIndex));
        if (column == nullptr) {
            return;
        }
        painter.fillRect(rect, column->titleColor);
        painter.setPen(Qt::darkGray);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::white);
        painter.setFont(m_grid.titleFont());
        painter.drawText(rect, Qt::AlignCenter, column->title);
    }

    void paintIndicator(QPainter& painter, const QRect& rect, int row) const {
        painter.fillRect(rect, m_grid.fixedColor());
        painter.setPen(Qt::darkGray);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        if (m_grid.currentIndex().row() != row) {
            return;
        }
        const QPoint centre = rect.center();
        const QPolygon arrow(
            {centre + QPoint(-3, -4), centre + QPoint(-3, 4), centre + QPoint(2, 0)});
        painter.setBrush(Qt::black);
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(arrow);
    }

    DataGrid& m_grid;
};

} // namespace

DataGrid::DataGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(this) {
    setHorizontalHeader(new GridHeader(Qt::Horizontal, *this));
    setVerticalHeader(new GridHeader(Qt::Vertical, *this));
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(indicatorWidth);
    setItemDelegate(new ColumnColourDelegate(*this));
    setModel(&m_model);
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setTabKeyNavigation(false);
    // The indicator follows the current row.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, verticalHeader()->viewport(),
            [this] { verticalHeader()->viewport()->update(); });
    // A kiosk with only a touch screen has no double click: a tap on a row does its work.
    new platform::Taps(*viewport(), [this](QPoint at) { rowTapped(at); });
}

void DataGrid::rowTapped(QPoint at) {
    const QModelIndex tapped = indexAt(at);
    if (!tapped.isValid()) {
        return;
    }
    setCurrentIndex(tapped);
    if (onDoubleClick) {
        onDoubleClick();
    }
}

void DataGrid::setColumns(std::vector<GridColumn> columns) {
    m_columns = std::move(columns);
    arrangeColumns();
}

void DataGrid::bind(GridRows rows) {
    m_model.setRows(std::move(rows));
    arrangeColumns();
    if (m_model.rowCount() > 0) {
        setCurrentIndex(m_model.index(
            0, std::max(0, m_model.fieldIndex(m_columns.empty() ? QString()
                                                                : m_columns.front().fieldName))));
    }
}

// The rows' fields in the order of the grid's columns; the others are not shown.
void DataGrid::arrangeColumns() {
    QHeaderView* header = horizontalHeader();
    for (int logical = 0; logical < m_model.columnCount(); ++logical) {
        setColumnHidden(logical, true);
    }
    int place = 0;
    for (const GridColumn& column : m_columns) {
        const int logical = m_model.fieldIndex(column.fieldName);
        if (logical < 0) {
            continue;
        }
        setColumnHidden(logical, false);
        header->moveSection(header->visualIndex(logical), place++);
        setColumnWidth(logical, column.width);
    }
}

const GridColumn* DataGrid::columnAt(int visualIndex) const {
    const int logical = horizontalHeader()->logicalIndex(visualIndex);
    if (logical < 0) {
        return nullptr;
    }
    const QString field = m_model.headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString();
    for (const GridColumn& column : m_columns) {
        if (column.fieldName.compare(field, Qt::CaseInsensitive) == 0) {
            return &column;
        }
    }
    return nullptr;
}

QString DataGrid::currentFieldText(const QString& field) const {
    return m_model.text(currentIndex().row(), field);
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    const QChar key = platform::keyCharOf(*event);
    if (onKeyPress && !key.isNull()) {
        onKeyPress(key);
        if (key == QChar(13) || key == QChar(27)) {
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::keyboardSearch(const QString&) {}

void DataGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (onDoubleClick) {
        onDoubleClick();
    }
}

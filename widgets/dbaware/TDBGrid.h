#pragma once

#include <QTableView>

#include <functional>

namespace quorvane {

class DataSetModel;
class DataSource;

// What a cell-drawing handler gets: the row, its fields, and the grid's default drawing.
class GridCellDraw {
public:
    int row = -1;
    QRect rect;
    QPainter* painter = nullptr;
    std::function<QString(const QString& field)> fieldText;
    // Draws the cell again the grid's way, on this background and with this text colour.
    std::function<void(const QColor& background, const QColor& text)> defaultDraw;
};

// A data-aware grid (DBGrid): rows of a data source, its current row the data set's.
// Key and mouse signals come after the grid's own handling, so handlers see the new row.
class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const;
    void setFields(const QStringList& fields);
    DataSetModel* dataModel() const { return m_model; }

    // Called for every cell after its default drawing (DrawColumnCell).
    void setDrawColumnCell(std::function<void(GridCellDraw&)> handler);

Q_SIGNALS:
    void cellClick(int row);
    void keyDown(QKeyEvent* event);
    void keyPress(QKeyEvent* event);
    void keyUp(QKeyEvent* event);
    void mouseDown(QMouseEvent* event);
    void mouseUp(QMouseEvent* event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Home and End move to the first and last row, as in any data grid: a one-column
    // table would otherwise only move within the row.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    // Rows are as high as a line of the grid's font, whatever the font was scaled to.
    void followFont();
    friend class GridCellDelegate;
    void followDataSet();
    void currentRowChanged(const QModelIndex& current);

    DataSetModel* m_model;
    std::function<void(GridCellDraw&)> m_drawColumnCell;
    bool m_syncing = false;
};

} // namespace quorvane

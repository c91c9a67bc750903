#include "widgets/dbaware/TDBGrid.h"

#include "data/AdoDataSet.h"
#include "data/DataSource.h"
#include "widgets/dbaware/DataSetModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace quorvane {

class GridCellDelegate : public QStyledItemDelegate {
public:
    explicit GridCellDelegate(TDBGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (!m_grid->m_drawColumnCell)
            return;
        GridCellDraw cell;
        cell.row = index.row();
        cell.rect = option.rect;
        cell.painter = painter;
        cell.fieldText = [this, &index](const QString& field) {
            return m_grid->m_model->fieldText(index.row(), field);
        };
        cell.defaultDraw = [&](const QColor& background, const QColor& text) {
            QStyleOptionViewItem recoloured = option;
            recoloured.state &= ~QStyle::State_Selected;
            recoloured.palette.setColor(QPalette::Text, text);
            painter->fillRect(option.rect, background);
            QStyledItemDelegate::paint(painter, recoloured, index);
        };
        m_grid->m_drawColumnCell(cell);
    }

private:
    TDBGrid* m_grid;
};

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent), m_model(new DataSetModel(this)) {
    setModel(m_model);
    setItemDelegate(new GridCellDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setStretchLastSection(true);
    setShowGrid(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWordWrap(false);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TDBGrid::currentRowChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TDBGrid::followDataSet);
    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { Q_EMIT cellClick(index.row()); });
    followFont();
}

void TDBGrid::followFont() {
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void TDBGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        followFont();
}

QModelIndex TDBGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const int rows = m_model->rowCount();
    if ((action == MoveHome || action == MoveEnd) && rows > 0) {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        return m_model->index(action == MoveHome ? 0 : rows - 1, column);
    }
    return QTableView::moveCursor(action, modifiers);
}

void TDBGrid::setDataSource(DataSource* source) {
    if (m_model->dataSource())
        disconnect(m_model->dataSource(), nullptr, this, nullptr);
    m_model->setDataSource(source);
    if (source)
        connect(source, &DataSource::currentChanged, this, &TDBGrid::followDataSet);
    followDataSet();
}

DataSource* TDBGrid::dataSource() const {
    return m_model->dataSource();
}

void TDBGrid::setFields(const QStringList& fields) {
    m_model->setFields(fields);
}

void TDBGrid::setDrawColumnCell(std::function<void(GridCellDraw&)> handler) {
    m_drawColumnCell = std::move(handler);
    viewport()->update();
}

void TDBGrid::followDataSet() {
    const AdoDataSet* set = dataSource() ? dataSource()->dataSet() : nullptr;
    const int row = set && set->active() ? set->currentRow() : -1;
    m_syncing = true;
    if (row >= 0) {
        const QModelIndex index = m_model->index(row, 0);
        setCurrentIndex(index);
        scrollTo(index);
    } else {
        selectionModel()->clearCurrentIndex();
    }
    m_syncing = false;
    viewport()->update();
}

void TDBGrid::currentRowChanged(const QModelIndex& current) {
    if (m_syncing || !current.isValid() || !dataSource() || !dataSource()->dataSet())
        return;
    AdoDataSet* set = dataSource()->dataSet();
    if (set->active() && set->currentRow() != current.row())
        set->moveTo(current.row());
}

void TDBGrid::keyPressEvent(QKeyEvent* event) {
    QTableView::keyPressEvent(event);
    Q_EMIT keyDown(event);
    if (!event->text().isEmpty())
        Q_EMIT keyPress(event);
}

void TDBGrid::keyReleaseEvent(QKeyEvent* event) {
    QTableView::keyReleaseEvent(event);
    Q_EMIT keyUp(event);
}

void TDBGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    Q_EMIT mouseDown(event);
}

void TDBGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    Q_EMIT mouseUp(event);
}

} // namespace quorvane

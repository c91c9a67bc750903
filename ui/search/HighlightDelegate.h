#pragma once

#include <QStyledItemDelegate>

namespace quorvane {

// Draws a result cell on one line with its match marked, and a rule above the first row
// of each group after the first.
class HighlightDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Background of the marked text.
    static QColor matchColour() { return QColor(0xFF, 0xD8, 0x40); }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace quorvane

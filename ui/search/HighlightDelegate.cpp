#include "ui/search/HighlightDelegate.h"

#include "ui/search/SearchResultModel.h"

#include <QApplication>
#include <QPainter>

namespace quorvane {

void HighlightDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QRect area =
        style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(2, 0, -2, 0);
    const QFontMetrics metrics(opt.font);
    const QVariant matchData = index.data(SearchResultModel::MatchRole);
    qsizetype matchStart = matchData.isNull() ? -1 : matchData.toPoint().x();
    qsizetype matchEnd = matchData.isNull() ? -1 : matchStart + matchData.toPoint().y();
    // A match beyond the cell's width is brought into it by cutting the text before it,
    // with room left for the ellipsis that ends a text going on after the match.
    const QString ellipsis = QStringLiteral("…");
    const int room =
        area.width() - (matchEnd < text.size() ? metrics.horizontalAdvance(ellipsis) : 0);
    if (matchStart > 0 && metrics.horizontalAdvance(text.left(matchEnd)) > room) {
        qsizetype cut = 1;
        while (cut < matchStart &&
               metrics.horizontalAdvance(ellipsis + text.mid(cut, matchEnd - cut)) > room)
            ++cut;
        text = ellipsis + text.mid(cut);
        matchStart += 1 - cut;
        matchEnd += 1 - cut;
    }
    const QString shown = metrics.elidedText(text, Qt::ElideRight, area.width());
    painter->save();
    painter->setFont(opt.font);
    painter->setClipRect(area);
    const bool selected = opt.state & QStyle::State_Selected;
    const QColor ink =
        opt.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text);
    const int baseline = area.top() + (area.height() - metrics.height()) / 2 + metrics.ascent();
    int x = area.left();
    const auto drawPart = [&](const QString& part, bool marked) {
        if (part.isEmpty())
            return;
        const int width = metrics.horizontalAdvance(part);
        if (marked) {
            painter->fillRect(QRect(x, area.top() + 1, width, area.height() - 2), matchColour());
            painter->setPen(Qt::black);
        } else {
            painter->setPen(ink);
        }
        painter->drawText(x, baseline, part);
        x += width;
    };
    // Elision keeps the text before it, so the match stays where it was or is cut off.
    const qsizetype visible =
        shown == text ? text.size() : std::max<qsizetype>(0, shown.size() - 1);
    if (matchStart >= 0 && matchStart < visible) {
        const qsizetype end = std::min<qsizetype>(matchEnd, visible);
        drawPart(text.left(matchStart), false);
        drawPart(text.mid(matchStart, end - matchStart), true);
        drawPart(shown.mid(end), false);
    } else {
        drawPart(shown, false);
    }
    painter->restore();

    if (index.data(SearchResultModel::FirstOfGroupRole).toBool()) {
        painter->save();
        painter->setPen(QColor(0x80, 0x80, 0x80));
        painter->drawLine(option.rect.topLeft(), option.rect.topRight());
        painter->restore();
    }
}

} // namespace quorvane

#include "print/PrintDBGrid.h"

#include "data/AdoDataSet.h"
#include "data/DataSource.h"
#include "print/ControlTree.h"
#include "print/TPrintAtOnce.h"
#include "widgets/dbaware/DataSetModel.h"
#include "widgets/dbaware/TDBGrid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QSignalBlocker>

#include <cmath>

namespace quorvane {

using namespace PrintTypes;

namespace {
const QString kNumberTitle = QStringLiteral(" 序号 ");

bool gridOption(const TDBGrid* grid, const char* name, bool fallback) {
    const QVariant stored = grid->property(name);
    return stored.isValid() ? stored.toBool() : fallback;
}

int pointSize(const QFont& font, int screenPpi) {
    if (font.pixelSize() > 0)
        return int(std::lround(double(font.pixelSize()) * 72 / screenPpi));
    return font.pointSize();
}

class GridPrinter {
public:
    GridPrinter(TPrintAtOnce& engine, TDBGrid* grid, int dx, int dy)
        : e(engine), g(grid), titleFont(grid->horizontalHeader()->font()),
          fields(grid->dataModel()->fields()), x0(grid->x() + dx), y(grid->y() + dy) {
        const bool colLines = gridOption(grid, "dgColLines", grid->showGrid());
        const bool rowLines = gridOption(grid, "dgRowLines", grid->showGrid());
        gridLines = frameBits(rowLines ? (colLines ? ptFrame : ptTopBottom)
                                       : (colLines ? ptLeftRight : ptNone));
        cellExtra = colLines ? 1 : 0;
        numberWidth = (e.Options & poDBGridNumber)
                          ? QFontMetrics(titleFont).horizontalAdvance(kNumberTitle)
                          : 0;
        // The columns' titles all use the grid's title font.
        titleHeight = QFontMetrics(titleFont).height() + 4;
        rowHeight = QFontMetrics(grid->font()).height() + (rowLines ? 4 : 3);
    }

    void run() {
        const int start = y;
        if (gridOption(g, "dgTitles", ControlTree::visibleFlag(g->horizontalHeader())))
            titleRow();
        DataSource* source = g->dataSource();
        AdoDataSet* set = source ? source->dataSet() : nullptr;
        if (!set || !set->active())
            return;
        // The bound controls keep showing the row they showed; the position comes back
        // whatever fails on the way, the row count included.
        const Bookmark kept = set->bookmark();
        const QSignalBlocker quiet(set);
        struct Restore {
            AdoDataSet* set;
            Bookmark kept;
            ~Restore() {
                try {
                    if (set->active())
                        set->gotoBookmark(kept);
                } catch (...) {
                    // The error on its way out is the one the user sees.
                }
            }
        } restore{set, kept};
        int count = 0;
        if (e.Options & poExpandDBGrid) {
            set->last();
            count = set->recordCount();
        } else {
            count = (g->height() - 2 * pointSize(titleFont, e.screenPpiY())) / rowHeight;
        }
        set->first();
        for (int i = 1; i <= count; ++i) {
            dataRow(*set, i, count);
            set->next();
        }
        if (e.Options & poExpandDBGrid)
            e.GridGrowth += y - start - g->height();
    }

private:
    int columnWidth(int column) const { return g->columnWidth(column) + cellExtra; }

    void titleRow() {
        int x = x0;
        if (e.Options & poDBGridNumber) {
            e.assignFont(titleFont);
            e.DrawTextBox(kNumberTitle, {x, y, x + numberWidth, y + titleHeight},
                          gridLines | LineBit::Left | LineBit::Top | LineBit::Bottom,
                          TPrintAtOnce::AlignFormat(Qt::AlignHCenter));
            x += numberWidth + cellExtra;
        }
        for (int c = 0; c < fields.size(); ++c) {
            e.assignFont(titleFont);
            int lines = gridLines | LineBit::Top | LineBit::Bottom;
            if (c == 0 && !(e.Options & poDBGridNumber))
                lines |= LineBit::Left;
            if (c == fields.size() - 1)
                lines |= LineBit::Right;
            const int w = columnWidth(c);
            e.DrawTextBox(fields[c], {x, y, x + w, y + titleHeight}, lines,
                          TPrintAtOnce::AlignFormat(Qt::AlignLeft));
            x += w;
        }
        y += titleHeight;
    }

    void dataRow(AdoDataSet& set, int i, int count) {
        int x = x0;
        const WinRect numberCell{x, y, x + numberWidth, y + rowHeight};
        // The title row opens each continuation page, not every row.
        if ((e.Options & poDBGridPageTitle) && e.NeedsNewPage(numberCell)) {
            e.BeginNewPage(numberCell);
            titleRow();
        }
        const WinRect cell{x, y, x + numberWidth, y + rowHeight};
        const bool closing = i == count || e.NeedsNewPage(cell.moved(0, rowHeight));
        const int bottom = closing ? LineBit::Bottom : 0;
        if (e.Options & poDBGridNumber) {
            e.assignFont(g->font());
            e.DrawTextBox(QString::number(i), {x, y, x + numberWidth + cellExtra, y + rowHeight},
                          gridLines | LineBit::Left | bottom,
                          TPrintAtOnce::AlignFormat(Qt::AlignRight));
            x += numberWidth + cellExtra;
        }
        for (int c = 0; c < fields.size(); ++c) {
            e.assignFont(g->font());
            int lines = gridLines | bottom;
            if (c == 0 && !(e.Options & poDBGridNumber))
                lines |= LineBit::Left;
            if (c == fields.size() - 1)
                lines |= LineBit::Right;
            // A column without a field of the data set prints an empty cell.
            QString text = QStringLiteral(" ");
            if (!set.eof() && set.fieldIndex(fields[c]) >= 0)
                text = set.fieldText(fields[c]);
            const int w = columnWidth(c);
            e.DrawTextBox(text, {x, y, x + w, y + rowHeight}, lines,
                          TPrintAtOnce::AlignFormat(Qt::AlignLeft));
            x += w;
        }
        y += rowHeight;
    }

    TPrintAtOnce& e;
    TDBGrid* g;
    QFont titleFont;
    QStringList fields;
    int x0;
    int y;
    int gridLines = 0;
    int cellExtra = 0;
    int numberWidth = 0;
    int titleHeight = 0;
    int rowHeight = 0;
};
} // namespace

void PrintDBGrid(TPrintAtOnce& engine, TDBGrid* grid, int dx, int dy) {
    GridPrinter(engine, grid, dx, dy).run();
}

} // namespace quorvane

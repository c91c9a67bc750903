// Measuring and painting of the kit's owner-drawn menu items.
#include "widgets/kit/VyrEnhancedClass.h"
#include "widgets/kit/VyrGradientFill.h"
#include "widgets/kit/VyrMenus.h"

#include "framework/TImageList.h"

#include <QGuiApplication>
#include <QScreen>

namespace quorvane {
namespace {

constexpr int kMenuBarHeight = 19; // system metric 15 (SM_CYMENU)

// The rendered side bar of one popup, with the size it was rendered at.
struct BarCache {
    const TVyrMenuItem* parent = nullptr;
    QImage bitmap;
} g_barCache;

QSize popupSize(const TVyrMenuItem* parent) {
    int width = 0, height = 0, visible = 0;
    for (int i = 0; i < parent->Count(); ++i) {
        const TVyrMenuItem* child = parent->item(i);
        if (!child->isVisible())
            continue;
        ++visible;
        width = std::max(width, child->MeasuredWidth);
        height += child->MeasuredHeight;
    }
    return {visible ? width + 20 : 0, height};
}

void drawMasked(Canvas& dc, const QImage& picture, int x, int y, ColorRef mask) {
    dc.transparentDraw(x, y, picture, mask);
}

// The platform's disabled look of a text: embossed in highlight and shadow.
void drawStateText(Canvas& dc, int x, int y, const QString& text, bool disabled) {
    QRect at(x, y, 4000, 4000);
    if (disabled) {
        const ColorRef colour = dc.textColour();
        QRect shifted = at.translated(1, 1);
        dc.setTextColour(clBtnHighlight);
        dc.drawText(text, shifted, DT::SINGLELINE | DT::NOCLIP);
        dc.setTextColour(clBtnShadow);
        dc.drawText(text, at, DT::SINGLELINE | DT::NOCLIP);
        dc.setTextColour(colour);
        return;
    }
    dc.drawText(text, at, DT::SINGLELINE | DT::NOCLIP);
}

// The platform's colour-to-monochrome conversion: white (the source's background colour)
// and see-through pixels stay white, every other colour turns black, light greys too.
bool blackInMonochrome(QRgb pixel) {
    return qAlpha(pixel) > 0 && (pixel & 0xFFFFFF) != 0xFFFFFF;
}

// DrawDisabledGlyph: the picture's monochrome black in highlight at (1, 1), then in shadow
// at (0, 0).
QImage disabledGlyph(const QImage& picture) {
    QImage result(picture.size(), QImage::Format_RGB32);
    result.fill(toQColor(clMenu).rgb());
    const QRgb light = toQColor(clBtnHighlight).rgb(), dark = toQColor(clBtnShadow).rgb();
    for (const auto& [offset, colour] : {std::pair{1, light}, std::pair{0, dark}})
        for (int y = 0; y + offset < picture.height(); ++y)
            for (int x = 0; x + offset < picture.width(); ++x)
                if (blackInMonochrome(picture.pixel(x, y)))
                    result.setPixel(x + offset, y + offset, colour);
    return result;
}

} // namespace

void dropBarCache() {
    g_barCache.parent = nullptr;
}

void DrawGradientBar(Canvas& dc, int w, int h, ColorRef from, ColorRef to, int n) {
    if (w <= 0 || h <= 0)
        return;
    QImage scratch(w, h, QImage::Format_RGB32);
    {
        Canvas work(scratch);
        work.fillRect(QRect(0, 0, w, h), {BrushStyle::Solid, from});
        if (n > 1) {
            const int step = roundEven(double(h) / n);
            for (int i = 0; i < n; ++i) {
                const ColorRef colour = gradientStepColour(from, to, i, n);
                const int top = step * i + mulDiv(i, step, n);
                const int height = step * i + mulDiv(i + 2, step, n) - mulDiv(i, step, n);
                if (height > 0)
                    work.fillRect(QRect(0, top, w, height), {BrushStyle::Solid, colour});
            }
        }
    }
    dc.draw(0, 0, scratch);
}

bool TVyrMenuItem::hasImage() const {
    const TVyrMenu* owner = menu();
    return owner && owner->Images() &&
           (m_imageIndex >= 0 || m_checkedIndex >= 0 || m_disabledIndex >= 0);
}

bool TVyrMenuItem::imageColumn() const {
    const TVyrMenu* owner = menu();
    if (!owner || !owner->Images() || mainBarItem() || !m_parent)
        return false;
    for (const TVyrMenuItem* sibling : m_parent->m_children)
        if (sibling->hasImage())
            return true;
    return false;
}

void TVyrMenuItem::MeasureItem(MEASUREITEMSTRUCT& mis) {
    const TVyrMenu* owner = menu();
    if (!owner || !m_parent)
        return;
    const TVyrSubMenu* details = m_parent->subMenuDetails();
    QImage surface(1, 1, QImage::Format_RGB32);
    Canvas dc(&surface);
    const QString text = caption().isEmpty() ? QStringLiteral("W") : caption();
    int width = 0, height = 0;
    const LogFont* widest = &owner->MenuFont();
    for (const LogFont* font :
         {&owner->SelectedFont(), &owner->DividerFont(), &owner->MenuFont()}) {
        dc.setFont(*font);
        const QSize extent = dc.textExtent(text);
        if (extent.width() > width)
            width = extent.width(), widest = font;
        height = std::max(height, extent.height());
    }
    dc.setFont(*widest);
    const int w = dc.textWidth(QStringLiteral("W"));
    int lead = imageColumn() ? owner->Images()->width() + 4 : w;
    if (details->barShown())
        lead += details->barWidth();
    const bool picture = m_bitmapItem->hasPicture();
    // A bar item is as wide as its caption: no shortcut, no sub-menu arrow.
    const bool barItem = mainBarItem();
    const int textPart = picture ? m_bitmapItem->bitmap().width() + (barItem ? w : 0)
                                 : dc.textWidth(barItem ? text : text + u'\t');
    int shortcutPart = 0;
    if (!barItem)
        for (const TVyrMenuItem* sibling : m_parent->m_children)
            shortcutPart =
                std::max(shortcutPart, dc.textWidth(shortCutToText(sibling->m_shortCut)));
    int itemWidth = barItem ? width : lead + textPart + shortcutPart;
    int itemHeight = picture ? m_bitmapItem->bitmap().height() : height;
    if (Count() > 0 && !barItem)
        itemWidth += dc.textWidth(QStringLiteral("\t"));
    if (hasImage())
        itemHeight = std::max(itemHeight, owner->Images()->height() + 3);
    itemHeight = std::max(itemHeight, kMenuBarHeight);
    mis.itemWidth = UINT(itemWidth + 2);
    mis.itemHeight = UINT(itemHeight);
    MeasuredHeight = itemHeight;
    MeasuredWidth = w + itemWidth + 2;
}

void TVyrMenuItem::DrawItem(const DRAWITEMSTRUCT& dis) {
    TVyrMenu* owner = menu();
    if (!owner || !m_parent || !dis.hDC)
        return;
    const TVyrSubMenu* details = m_parent->subMenuDetails();
    const QRect item = dis.rcItem;
    const bool selected = dis.itemState & ODS::SELECTED;
    const bool disabled = dis.itemState & ODS::DISABLED;
    QImage offscreen(std::max(1, item.right() + 1), std::max(1, item.bottom() + 1),
                     QImage::Format_RGB32);
    std::exception_ptr failure;
    {
        Canvas dc(offscreen);
        try {
            dc.fillRect(item, {BrushStyle::Solid, clMenu});
            // A bar item has no side bar and no image column.
            const bool barItem = mainBarItem();
            const bool shown = details->barShown() && !barItem;
            const int edge = item.left() + (shown ? details->barWidth() + 1 : 0);
            QRect bar = item, column = item, text = item;
            bar.setRight(edge - 1);
            column.setLeft(edge);
            const int columnRight = edge + (imageColumn() ? owner->Images()->width() + 4 : 0);
            column.setRight(columnRight - 1);
            text.setLeft(columnRight);
            if (details->enabled()) {
                // The whole window's background, so that it shows as one picture.
                const QSize size = popupSize(m_parent);
                const QRect area(QPoint(columnRight, item.top()), item.bottomRight());
                dc.fillRect(QRect(QPoint(0, 0), size), {BrushStyle::Solid, details->color()});
                const QImage& picture = details->background();
                if (!picture.isNull() && picture.width() > 0 && picture.height() > 0) {
                    const auto put = [&](int x, int y) {
                        if (details->transparentColor() == clNone)
                            dc.draw(x, y, picture);
                        else
                            drawMasked(dc, picture, x, y, details->transparentColor());
                    };
                    if (details->backgroundType() == TVyrSubMenu::btTiled) {
                        for (int c = 0; c <= size.width() / picture.width(); ++c)
                            for (int r = 0; r <= size.height() / picture.height(); ++r) {
                                const QRect tile(c * picture.width(), r * picture.height(),
                                                 picture.width(), picture.height());
                                if (tile.intersects(area))
                                    put(tile.left(), tile.top());
                            }
                    } else {
                        put((size.width() - picture.width()) / 2,
                            size.height() / 2 - picture.height() / 2);
                    }
                }
            }
            const QRect plain(QPoint(column.left(), item.top()),
                              QPoint(text.right(), item.bottom()));
            if (selected) {
                dc.setFont(owner->SelectedFont());
                if (owner->selectedColor() != clNone)
                    dc.fillRect(text, {BrushStyle::Solid, owner->selectedColor()});
                else if (!details->enabled())
                    dc.fillRect(plain, {BrushStyle::Solid, clMenu});
            } else {
                dc.setFont(owner->MenuFont());
                if (!details->enabled())
                    dc.fillRect(plain, {BrushStyle::Solid, clMenu});
            }
            dc.setTextColour(dc.font().colour);
            if (m_divider) {
                const LogFont previous = dc.font();
                dc.setFont(owner->DividerFont());
                dc.setTextColour(owner->DividerFont().colour);
                dc.setBkMode(BkMode::Transparent);
                QRect line = hasImage() ? text : column;
                line.setRight(item.right());
                const int right = line.right() + 1; // exclusive, as the platform counts
                const int middle = line.top() + (line.bottom() + 1 - line.top()) / 2;
                const int centre = line.left() + (right - line.left()) / 2;
                const int half = dc.textWidth(caption()) / 2,
                          w2 = dc.textHeight(QStringLiteral("W")) / 2;
                int gapLeft = centre - half - 1, gapRight = centre + half + 1;
                if (caption() == QStringLiteral("-"))
                    gapLeft = right, gapRight = line.left();
                for (const auto& [offset, colour] :
                     {std::pair{0, clBtnShadow}, std::pair{1, clBtnHighlight}}) {
                    dc.setPen({PenStyle::Solid, 1, colour});
                    dc.moveTo(line.left(), middle + offset);
                    dc.lineTo(gapLeft, middle + offset);
                    dc.moveTo(gapRight, middle + offset);
                    dc.lineTo(right, middle + offset);
                }
                if (caption() != QStringLiteral("-") && !caption().isEmpty()) {
                    QRect gap(QPoint(gapLeft, middle - w2 + 1), QPoint(gapRight - 1, middle + w2));
                    dc.drawText(caption(), gap,
                                DT::CENTER | DT::VCENTER | DT::SINGLELINE | DT::NOCLIP);
                }
                dc.setBkMode(BkMode::Opaque);
                dc.setFont(previous);
            }
            if ((!m_divider || hasImage()) && imageColumn()) {
                const TImageList* images = owner->Images();
                const int x = column.left() + (column.width() - images->width()) / 2;
                const int y = column.top() + column.height() / 2 - images->height() / 2;
                int index = m_imageIndex;
                if (disabled && m_disabledIndex >= 0)
                    index = m_disabledIndex;
                else if (m_checkedIndex >= 0 && (dis.itemState & ODS::CHECKED))
                    index = m_checkedIndex;
                if (hasImage() && index >= 0 && index < images->count()) {
                    const QImage picture = images->image(index).toImage();
                    if (disabled && m_disabledIndex < 0) {
                        const QImage glyph = disabledGlyph(picture);
                        drawMasked(dc, glyph, x, y,
                                   fromQColor(glyph.pixelColor(0, glyph.height() - 1)));
                    } else {
                        dc.draw(x, y, picture);
                    }
                    if (selected && !disabled) {
                        const int r = x + images->width() + 1, b = y + images->height() + 1;
                        dc.setPen({PenStyle::Solid, 1, clBtnHighlight});
                        dc.moveTo(r, y - 1);
                        dc.lineTo(x - 1, y - 1);
                        dc.lineTo(x - 1, b);
                        dc.setPen({PenStyle::Solid, 1, clBtnShadow});
                        dc.lineTo(r, b);
                        dc.lineTo(r, y - 1);
                    }
                }
            }
            if (disabled)
                dc.setTextColour(clBtnShadow);
            else if (barItem && !selected)
                dc.setTextColour(clMenuText);
            dc.setBkMode(BkMode::Transparent);
            const bool embossed = disabled && !selected;
            if (!m_divider) {
                const bool picture = m_bitmapItem->hasPicture();
                if (picture) {
                    if (!disabled && m_bitmapItem->transparentColor() != clNone)
                        drawMasked(dc, m_bitmapItem->bitmap(), text.left(), text.top(),
                                   m_bitmapItem->transparentColor());
                    else
                        dc.draw(text.left(), text.top(),
                                embossed ? disabledGlyph(m_bitmapItem->bitmap())
                                         : m_bitmapItem->bitmap());
                }
                const int y =
                    text.top() + text.height() / 2 - dc.textHeight(QStringLiteral("W")) / 2;
                const int captionX =
                    barItem ? text.left() + (text.width() - dc.textWidth(caption())) / 2
                            : text.left() + 2;
                if (!picture || m_bitmapItem->captionOnTop())
                    drawStateText(dc, captionX, y, caption(), embossed);
                if (m_shortCut != 0 && !barItem) {
                    const QString keys = shortCutToText(m_shortCut);
                    const int x = text.right() + 1 - dc.textWidth(keys + QStringLiteral("\tW"));
                    drawStateText(dc, x, y, keys, embossed);
                }
            }
            if (selected && owner->selectType() != TVyrMenu::selNormal) {
                const bool raised = owner->selectType() == TVyrMenu::selRaised;
                const int l = text.left(), t = text.top(), r = text.right(), b = text.bottom();
                dc.setPen({PenStyle::Solid, 1, raised ? clBtnHighlight : clBtnShadow});
                dc.moveTo(r, t);
                dc.lineTo(l, t);
                dc.lineTo(l, b);
                dc.setPen({PenStyle::Solid, 1, raised ? clBtnShadow : clBtnHighlight});
                dc.lineTo(r, b);
                dc.lineTo(r, t);
            }
            if (shown) {
                try {
                    const int barWidth = details->barWidth();
                    const int barHeight = popupSize(m_parent).height();
                    // A cached bar of another size is stale: it is rendered again.
                    if (g_barCache.parent != m_parent ||
                        g_barCache.bitmap.size() != QSize(barWidth, barHeight)) {
                        g_barCache.parent = m_parent;
                        g_barCache.bitmap =
                            QImage(barWidth, std::max(1, barHeight), QImage::Format_RGB32);
                        Canvas cache(g_barCache.bitmap);
                        cache.fillRect(QRect(0, 0, barWidth, barHeight),
                                       {BrushStyle::Solid, details->barColor()});
                        const QImage& tile = details->barBackground();
                        if (tile.width() > 0 && tile.height() > 0) {
                            for (int c = 0; c <= barWidth / tile.width(); ++c)
                                for (int r = 0; r <= barHeight / tile.height(); ++r)
                                    cache.draw(c * tile.width(), r * tile.height(), tile);
                        } else if (details->barAsGradient()->active()) {
                            DrawGradientBar(cache, barWidth, barHeight, details->barColor(),
                                            details->barAsGradient()->fadeToColor(),
                                            details->barAsGradient()->colorCount());
                        }
                        LogFont font;
                        font.height = -mulDiv(details->barFontSize(), cache.pixelsPerInchY(), 72);
                        font.escapement = 900;
                        font.weight = 700;
                        font.faceName = details->barFontname();
                        cache.setFont(font);
                        cache.setTextColour(details->barFontColor());
                        cache.setBkMode(BkMode::Transparent);
                        cache.textOut(0, barHeight - 2, details->barCaption());
                    }
                    dc.bitBlt(bar.left(), bar.top(), barWidth, bar.height(), g_barCache.bitmap,
                              bar.left() - item.left(), bar.top(), Rop::SRCCOPY);
                } catch (...) {
                    throw EVyrMenuError("Error drawing Menus");
                }
            }
        } catch (...) {
            failure = std::current_exception();
        }
    }
    // The item reaches the screen in one block, also when a step failed.
    dis.hDC->bitBlt(item.left(), item.top(), item.width(), item.height(), offscreen, item.left(),
                    item.top(), Rop::SRCCOPY);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace quorvane

// Measuring and painting of the kit's owner-drawn menu items.
#include "widgets/kit/VyrMenuPaint.h"
#include "widgets/kit/VyrEnhancedClass.h"
#include "widgets/kit/VyrGradientFill.h"
#include "widgets/kit/VyrMenu.h"
#include "widgets/kit/VyrMenuErrors.h"
#include "widgets/kit/VyrMenuState.h"

#include "framework/TImageList.h"

#include <QGuiApplication>
#include <QScreen>

namespace quorvane {
namespace {

constexpr int kMenuBarHeight = 19; // system metric 15 (SM_CYMENU)

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

// The steps of painting one item, in the order they overlap: background, highlight, divider,
// image column, caption and shortcut, selection frame, side bar.
class TVyrMenuItem::Painting {
public:
    Painting(const TVyrMenuItem& item, const TVyrMenu& owner, const DRAWITEMSTRUCT& dis,
             Canvas& dc);
    bool sideBarShown() const { return m_barShown; }
    bool imageColumn() const { return m_imageColumn; }

    // The popup window's own colour and picture, placed for the whole window so that the
    // items show it as one.
    void background();
    // The selected item's colour, or the plain menu colour; picks the font to write with.
    void highlight();
    // A line across the item with a gap for its caption, in the divider font.
    void divider();
    void image();
    // Picture, caption and shortcut, embossed when disabled; a divider has none of them.
    void caption();
    void selectionFrame();
    void sideBar();

private:
    void renderBar(QImage& bitmap, int width, int height) const;

    const TVyrMenuItem& m_item;
    const TVyrMenu& m_owner;
    const TVyrSubMenu& m_details;
    Canvas& m_dc;
    bool m_selected, m_disabled, m_checked;
    // A bar item has no side bar and no image column.
    bool m_barItem, m_barShown, m_imageColumn;
    QRect m_rect, m_bar, m_column, m_text;
};

TVyrMenuItem::Painting::Painting(const TVyrMenuItem& item, const TVyrMenu& owner,
                                 const DRAWITEMSTRUCT& dis, Canvas& dc)
    : m_item(item), m_owner(owner), m_details(*item.m_parent->subMenuDetails()), m_dc(dc),
      m_selected(dis.itemState & ODS::SELECTED), m_disabled(dis.itemState & ODS::DISABLED),
      m_checked(dis.itemState & ODS::CHECKED), m_barItem(item.mainBarItem()),
      m_barShown(m_details.barShown() && !m_barItem), m_imageColumn(item.imageColumn()),
      m_rect(dis.rcItem), m_bar(m_rect), m_column(m_rect), m_text(m_rect) {
    const int edge = m_rect.left() + (m_barShown ? m_details.barWidth() + 1 : 0);
    m_bar.setRight(edge - 1);
    m_column.setLeft(edge);
    const int columnRight = edge + (m_imageColumn ? owner.Images()->width() + 4 : 0);
    m_column.setRight(columnRight - 1);
    m_text.setLeft(columnRight);
}

void TVyrMenuItem::Painting::background() {
    m_dc.fillRect(m_rect, {BrushStyle::Solid, clMenu});
    if (!m_details.enabled())
        return;
    const QSize size = popupSize(m_item.m_parent);
    const QRect area(QPoint(m_text.left(), m_rect.top()), m_rect.bottomRight());
    m_dc.fillRect(QRect(QPoint(0, 0), size), {BrushStyle::Solid, m_details.color()});
    const QImage& picture = m_details.background();
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return;
    const auto put = [&](int x, int y) {
        if (m_details.transparentColor() == clNone)
            m_dc.draw(x, y, picture);
        else
            drawMasked(m_dc, picture, x, y, m_details.transparentColor());
    };
    if (m_details.backgroundType() == TVyrSubMenu::btTiled) {
        for (int c = 0; c <= size.width() / picture.width(); ++c)
            for (int r = 0; r <= size.height() / picture.height(); ++r) {
                const QRect tile(c * picture.width(), r * picture.height(), picture.width(),
                                 picture.height());
                if (tile.intersects(area))
                    put(tile.left(), tile.top());
            }
    } else {
        put((size.width() - picture.width()) / 2, size.height() / 2 - picture.height() / 2);
    }
}

void TVyrMenuItem::Painting::highlight() {
    const QRect plain(QPoint(m_column.left(), m_rect.top()),
                      QPoint(m_text.right(), m_rect.bottom()));
    if (m_selected) {
        m_dc.setFont(m_owner.SelectedFont());
        if (m_owner.selectedColor() != clNone)
            m_dc.fillRect(m_text, {BrushStyle::Solid, m_owner.selectedColor()});
        else if (!m_details.enabled())
            m_dc.fillRect(plain, {BrushStyle::Solid, clMenu});
    } else {
        m_dc.setFont(m_owner.MenuFont());
        if (!m_details.enabled())
            m_dc.fillRect(plain, {BrushStyle::Solid, clMenu});
    }
    m_dc.setTextColour(m_dc.font().colour);
}

void TVyrMenuItem::Painting::divider() {
    const QString caption = m_item.caption();
    const LogFont previous = m_dc.font();
    m_dc.setFont(m_owner.DividerFont());
    m_dc.setTextColour(m_owner.DividerFont().colour);
    m_dc.setBkMode(BkMode::Transparent);
    QRect line = m_item.hasImage() ? m_text : m_column;
    line.setRight(m_rect.right());
    const int right = line.right() + 1; // exclusive, as the platform counts
    const int middle = line.top() + (line.bottom() + 1 - line.top()) / 2;
    const int centre = line.left() + (right - line.left()) / 2;
    const int half = m_dc.textWidth(caption) / 2, w2 = m_dc.textHeight(QStringLiteral("W")) / 2;
    int gapLeft = centre - half - 1, gapRight = centre + half + 1;
    if (caption == QStringLiteral("-"))
        gapLeft = right, gapRight = line.left();
    for (const auto& [offset, colour] : {std::pair{0, clBtnShadow}, std::pair{1, clBtnHighlight}}) {
        m_dc.setPen({PenStyle::Solid, 1, colour});
        m_dc.moveTo(line.left(), middle + offset);
        m_dc.lineTo(gapLeft, middle + offset);
        m_dc.moveTo(gapRight, middle + offset);
        m_dc.lineTo(right, middle + offset);
    }
    if (caption != QStringLiteral("-") && !caption.isEmpty()) {
        QRect gap(QPoint(gapLeft, middle - w2 + 1), QPoint(gapRight - 1, middle + w2));
        m_dc.drawText(caption, gap, DT::CENTER | DT::VCENTER | DT::SINGLELINE | DT::NOCLIP);
    }
    m_dc.setBkMode(BkMode::Opaque);
    m_dc.setFont(previous);
}

void TVyrMenuItem::Painting::image() {
    const TImageList* images = m_owner.Images();
    const int x = m_column.left() + (m_column.width() - images->width()) / 2;
    const int y = m_column.top() + m_column.height() / 2 - images->height() / 2;
    int index = m_item.m_imageIndex;
    if (m_disabled && m_item.m_disabledIndex >= 0)
        index = m_item.m_disabledIndex;
    else if (m_item.m_checkedIndex >= 0 && m_checked)
        index = m_item.m_checkedIndex;
    if (!m_item.hasImage() || index < 0 || index >= images->count())
        return;
    const QImage picture = images->image(index).toImage();
    if (m_disabled && m_item.m_disabledIndex < 0) {
        const QImage glyph = disabledGlyph(picture);
        drawMasked(m_dc, glyph, x, y, fromQColor(glyph.pixelColor(0, glyph.height() - 1)));
    } else {
        m_dc.draw(x, y, picture);
    }
    if (m_selected && !m_disabled) {
        const int r = x + images->width() + 1, b = y + images->height() + 1;
        m_dc.setPen({PenStyle::Solid, 1, clBtnHighlight});
        m_dc.moveTo(r, y - 1);
        m_dc.lineTo(x - 1, y - 1);
        m_dc.lineTo(x - 1, b);
        m_dc.setPen({PenStyle::Solid, 1, clBtnShadow});
        m_dc.lineTo(r, b);
        m_dc.lineTo(r, y - 1);
    }
}

void TVyrMenuItem::Painting::caption() {
    if (m_disabled)
        m_dc.setTextColour(clBtnShadow);
    else if (m_barItem && !m_selected)
        m_dc.setTextColour(clMenuText);
    m_dc.setBkMode(BkMode::Transparent);
    if (m_item.m_divider)
        return;
    const bool embossed = m_disabled && !m_selected;
    const TVyrBitmapItem& bitmap = *m_item.m_bitmapItem;
    const bool picture = bitmap.hasPicture();
    if (picture) {
        if (!m_disabled && bitmap.transparentColor() != clNone)
            drawMasked(m_dc, bitmap.bitmap(), m_text.left(), m_text.top(),
                       bitmap.transparentColor());
        else
            m_dc.draw(m_text.left(), m_text.top(),
                      embossed ? disabledGlyph(bitmap.bitmap()) : bitmap.bitmap());
    }
    const QString caption = m_item.caption();
    const int y = m_text.top() + m_text.height() / 2 - m_dc.textHeight(QStringLiteral("W")) / 2;
    const int captionX = m_barItem ? m_text.left() + (m_text.width() - m_dc.textWidth(caption)) / 2
                                   : m_text.left() + 2;
    if (!picture || bitmap.captionOnTop())
        drawStateText(m_dc, captionX, y, caption, embossed);
    if (m_item.m_shortCut != 0 && !m_barItem) {
        const QString keys = shortCutToText(m_item.m_shortCut);
        const int x = m_text.right() + 1 - m_dc.textWidth(keys + QStringLiteral("\tW"));
        drawStateText(m_dc, x, y, keys, embossed);
    }
}

void TVyrMenuItem::Painting::selectionFrame() {
    if (!m_selected || m_owner.selectType() == TVyrMenu::selNormal)
        return;
    const bool raised = m_owner.selectType() == TVyrMenu::selRaised;
    const int l = m_text.left(), t = m_text.top(), r = m_text.right(), b = m_text.bottom();
    m_dc.setPen({PenStyle::Solid, 1, raised ? clBtnHighlight : clBtnShadow});
    m_dc.moveTo(r, t);
    m_dc.lineTo(l, t);
    m_dc.lineTo(l, b);
    m_dc.setPen({PenStyle::Solid, 1, raised ? clBtnShadow : clBtnHighlight});
    m_dc.lineTo(r, b);
    m_dc.lineTo(r, t);
}

// The bar is rendered once per popup and size and then copied for each item.
void TVyrMenuItem::Painting::sideBar() {
    try {
        const int barWidth = m_details.barWidth();
        const int barHeight = popupSize(m_item.m_parent).height();
        TVyrMenuState::BarCache& cache = TVyrMenuState::instance().barCache();
        // A cached bar of another size is stale: it is rendered again.
        if (cache.parent != m_item.m_parent || cache.bitmap.size() != QSize(barWidth, barHeight)) {
            cache.parent = m_item.m_parent;
            cache.bitmap = QImage(barWidth, std::max(1, barHeight), QImage::Format_RGB32);
            renderBar(cache.bitmap, barWidth, barHeight);
        }
        m_dc.bitBlt(m_bar.left(), m_bar.top(), barWidth, m_bar.height(), cache.bitmap,
                    m_bar.left() - m_rect.left(), m_bar.top(), Rop::SRCCOPY);
    } catch (...) {
        throw EVyrMenuError("Error drawing Menus");
    }
}

// Colour, then tiled picture or gradient, then the caption written upwards from the bottom.
void TVyrMenuItem::Painting::renderBar(QImage& bitmap, int barWidth, int barHeight) const {
    Canvas cache(bitmap);
    cache.fillRect(QRect(0, 0, barWidth, barHeight), {BrushStyle::Solid, m_details.barColor()});
    const QImage& tile = m_details.barBackground();
    const TVyrMenuGradient* gradient = m_details.barAsGradient();
    if (tile.width() > 0 && tile.height() > 0) {
        for (int c = 0; c <= barWidth / tile.width(); ++c)
            for (int r = 0; r <= barHeight / tile.height(); ++r)
                cache.draw(c * tile.width(), r * tile.height(), tile);
    } else if (gradient->active()) {
        DrawGradientBar(cache, barWidth, barHeight, m_details.barColor(), gradient->fadeToColor(),
                        gradient->colorCount());
    }
    LogFont font;
    font.height = -mulDiv(m_details.barFontSize(), cache.pixelsPerInchY(), 72);
    font.escapement = 900;
    font.weight = 700;
    font.faceName = m_details.barFontname();
    cache.setFont(font);
    cache.setTextColour(m_details.barFontColor());
    cache.setBkMode(BkMode::Transparent);
    cache.textOut(0, barHeight - 2, m_details.barCaption());
}

void TVyrMenuItem::DrawItem(const DRAWITEMSTRUCT& dis) {
    const TVyrMenu* owner = menu();
    if (!owner || !m_parent || !dis.hDC)
        return;
    const QRect item = dis.rcItem;
    QImage offscreen(std::max(1, item.right() + 1), std::max(1, item.bottom() + 1),
                     QImage::Format_RGB32);
    std::exception_ptr failure;
    {
        Canvas dc(offscreen);
        try {
            Painting paint(*this, *owner, dis, dc);
            paint.background();
            paint.highlight();
            if (m_divider)
                paint.divider();
            if ((!m_divider || hasImage()) && paint.imageColumn())
                paint.image();
            paint.caption();
            paint.selectionFrame();
            if (paint.sideBarShown())
                paint.sideBar();
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

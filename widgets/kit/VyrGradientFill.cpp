#include "widgets/kit/VyrGradientFill.h"

#include <cstdlib>

namespace quorvane {
namespace {
using Style = TVyrGradient::TVyrFillStyle;

struct Rgb {
    int r, g, b;
};

Rgb rgbOf(ColorRef colour) {
    const QColor c = toQColor(colour);
    return {c.red(), c.green(), c.blue()};
}

// The colour of step i of n from c0 to c1 (the mirrored step for `mirrored`).
ColorRef stepColour(const Rgb& c0, const Rgb& c1, int i, int n, bool mirrored) {
    const auto component = [&](int from, int to) {
        if (n < 2)
            return from;
        return from + mulDiv(mirrored ? n - 1 - i : i, to - from, n - 1);
    };
    int r = component(c0.r, c1.r), g = component(c0.g, c1.g), b = component(c0.b, c1.b);
    if (!mirrored) { // never pure black in a component
        r = r == 0 ? 1 : r;
        g = g == 0 ? 1 : g;
        b = b == 0 ? 1 : b;
    }
    return rgbColour(r, g, b);
}

// The platform's fill of (x, y, w, h): a negative extent reaches left or up from x or y.
void fill(Canvas& dc, int x, int y, int w, int h) {
    if (w < 0)
        x += w, w = -w;
    if (h < 0)
        y += h, h = -h;
    if (w > 0 && h > 0)
        dc.fillRect(QRect(x, y, w, h));
}

// A one-pixel line in copy mode without its end point, straight into the scratch bitmap:
// the line styles draw over a thousand of them per fill.
void line(QImage& image, int x0, int y0, int x1, int y1, QRgb colour) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    const int w = image.width(), h = image.height();
    auto* bits = reinterpret_cast<QRgb*>(image.bits());
    const qsizetype stride = image.bytesPerLine() / qsizetype(sizeof(QRgb));
    int error = dx + dy;
    while (x0 != x1 || y0 != y1) {
        if (x0 >= 0 && x0 < w && y0 >= 0 && y0 < h)
            bits[y0 * stride + x0] = colour;
        const int twice = 2 * error;
        if (twice >= dy)
            error += dy, x0 += sx;
        if (twice <= dx)
            error += dx, y0 += sy;
    }
}

struct Segment {
    int w, h, s, k, n;
    ColorRef a, b; // step colour and its mirror
    QImage* scratch;
};

// The lines of Circle and Spectral; Spectral draws the even ones in the mirrored colour.
void lines(const Segment& g, int i, bool spectral) {
    const int sh = roundEven(double(g.h) / g.s) + 1, oy = sh * g.k;
    const int sw = roundEven(double(g.w) / g.s) + 1, ox = sw * g.k;
    const QRgb a = toQColor(g.a).rgb(), b = toQColor(g.b).rgb();
    for (int x = mulDiv(i, sw, g.n); x <= mulDiv(i + 2, sw, g.n); ++x)
        line(*g.scratch, ox + x, 0, g.w - x - ox, g.h, !spectral || x % 2 ? a : b);
    for (int y = mulDiv(i, sh, g.n); y <= mulDiv(i + 2, sh, g.n); ++y)
        line(*g.scratch, 0, oy + y, g.w, g.h - y - oy, !spectral || y % 2 ? a : b);
}

void step(Canvas& dc, Style style, const Segment& g, int i) {
    const int w = g.w, h = g.h, s = g.s, k = g.k, n = g.n;
    const auto rnd = [](double v) { return roundEven(v); };
    switch (style) {
    case TVyrGradient::Circle:
        lines(g, i, false);
        break;
    case TVyrGradient::Spectral:
        lines(g, i, true);
        break;
    case TVyrGradient::Horizontal: {
        const int sh = rnd(double(h) / s) + 1, oy = sh * k;
        const int y0 = mulDiv(i, sh, n), y1 = mulDiv(i + 2, sh, n);
        fill(dc, 0, oy + y0, w, oy + y1 - y0);
        break;
    }
    case TVyrGradient::Vertical: {
        const int sw = rnd(double(w) / s) + 1, ox = sw * k;
        const int x0 = mulDiv(i, sw, n), x1 = mulDiv(i + 2, sw, n);
        fill(dc, ox + x0, 0, ox + x1 - x0, h);
        break;
    }
    case TVyrGradient::LeftBottom: {
        const int sh = rnd(double(h) / s) + 1, oy = sh * k;
        const int sw = rnd(double(w) / s) + 1, ox = sw * k;
        const int x0 = mulDiv(i, sw, n), y0 = mulDiv(i, sh, n);
        fill(dc, ox + x0, oy + y0, w - x0, h - y0);
        break;
    }
    case TVyrGradient::RoundMiddle: {
        const int sh = rnd(double(h) / s) + 1, oy = rnd(sh / 2.0 * k) + 1;
        const int sw = rnd(double(w) / s) + 1, ox = rnd(sw / 2.0 * k) + 1;
        const int x0 = mulDiv(i, rnd(sw / 2.0) + 1, n), y0 = mulDiv(i, rnd(sh / 2.0) + 1, n);
        dc.ellipse(ox + x0, oy + y0, w - x0 - ox, h - y0 - oy);
        break;
    }
    case TVyrGradient::SquareMiddle: {
        const int sh = rnd(double(h) / s), oy = rnd(sh / 2.0 * k);
        const int sw = rnd(double(w) / s), ox = rnd(sw / 2.0 * k);
        const int x0 = mulDiv(i, rnd(sw / 2.0), n), y0 = mulDiv(i, rnd(sh / 2.0), n);
        fill(dc, ox + x0, oy + y0, w - 2 * x0 - 2 * ox, h - 2 * y0 - 2 * oy);
        break;
    }
    case TVyrGradient::DoppelFlash: {
        const int sh = rnd(double(h) / s) + 1, oy = sh * k + 1;
        const int sw = rnd(double(w) / s) + 1, ox = sw * k + 1;
        const int x0 = mulDiv(i, sw, n), y0 = mulDiv(i, sh, n);
        dc.ellipse(ox + x0, oy + y0, w, h);
        dc.ellipse(w - x0 - ox, h - y0 - oy, 0, 0);
        break;
    }
    case TVyrGradient::Singleflash: {
        const int sh = rnd(double(h) / s), oy = sh * k;
        const int sw = rnd(double(w) / s), ox = sw * k;
        const int x0 = mulDiv(i, sw, n), y0 = mulDiv(i, sh, n);
        dc.ellipse(ox + x0, oy + y0, w, h);
        break;
    }
    case TVyrGradient::MiddleHBar:
    case TVyrGradient::MiddleVBar: {
        const bool across = style == TVyrGradient::MiddleHBar;
        const int extent = across ? h : w;
        const int sz = rnd(double(extent) / s) + 1, o = rnd(sz / 2.0 * k) + 1;
        const int p1 = rnd(sz / 2.0) + 1, p0 = rnd(sz / 2.0);
        const int a0 = extent - mulDiv(i, p1, n), a1 = extent - mulDiv(i + 2, p1, n);
        const int b0 = mulDiv(i, p0, n), b1 = mulDiv(i + 2, p0, n);
        if (across) {
            fill(dc, 0, a0 - 1 - o, w, a1 - a0);
            fill(dc, 0, o + b0, w, b1 - b0 + 1);
        } else {
            fill(dc, a0 - 1 - o, 0, a1 - a0, h);
            fill(dc, o + b0, 0, b1 - b0 + 1, h);
        }
        break;
    }
    case TVyrGradient::VerticalDoppelBar:
    case TVyrGradient::HorizontalDoppelBar: {
        const bool across = style == TVyrGradient::HorizontalDoppelBar;
        const int extent = across ? h : w;
        const int sz = rnd(double(extent) / s) + 1, o = rnd(sz / 3.0 * k) + 1;
        const int t = rnd(sz / 3.0) + 1, d = rnd(extent / 3.0) * 2;
        const int p0 = mulDiv(i, t, n), p1 = mulDiv(i + 1, t, n);
        for (const int at : {o + p0, d - p1 - o, d + o + p0}) {
            if (across)
                fill(dc, 0, at, w, p1 - p0);
            else
                fill(dc, at, 0, p1 - p0, h);
        }
        break;
    }
    }
}
} // namespace

ColorRef gradientStepColour(ColorRef from, ColorRef to, int i, int n) {
    return stepColour(rgbOf(from), rgbOf(to), i, n, false);
}

void paintGradient(Canvas& dc, int w, int h, const GradientFill& gradient) {
    if (w <= 0 || h <= 0 || gradient.colours.isEmpty())
        return;
    QImage scratch(w, h, QImage::Format_RGB32);
    {
        Canvas work(scratch);
        work.fillRect(QRect(0, 0, w, h), {BrushStyle::Solid, gradient.back});
        work.fillRect(QRect(0, 0, w, h), {BrushStyle::Solid, gradient.colours.first()});
        const int segments = int(gradient.colours.size()) - 1;
        const int n = gradient.colorCount;
        for (int k = 0; k < segments; ++k) {
            const Rgb c0 = rgbOf(gradient.colours[k]), c1 = rgbOf(gradient.colours[k + 1]);
            for (int i = 0; i < n; ++i) {
                const Segment g{w,
                                h,
                                segments,
                                k,
                                n,
                                stepColour(c0, c1, i, n, false),
                                stepColour(c0, c1, i, n, true),
                                &scratch};
                work.setPen({PenStyle::Solid, 1, g.a});
                work.setBrush({BrushStyle::Solid, g.a});
                step(work, gradient.style, g, i);
            }
        }
    }
    dc.draw(0, 0, scratch);
}

} // namespace quorvane

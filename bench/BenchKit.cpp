// Paint figures of the widget kit: the idiom label, the gradient fills and the round button.
#include "widgets/kit/VyrGradientFill.h"
#include "widgets/kit/VyrLabel.h"
#include "widgets/kit/VyrTRoundButton.h"

#include <QElapsedTimer>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace quorvane;

namespace {
QImage surface(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::darkRed);
    return image;
}

// The idiom label as the main window configures it, with a four-character idiom.
void label3dPaint(benchmark::State& state) {
    TVyrLabel label;
    label.setGeometry(40, 28, 487, 27);
    QFont font(QStringLiteral("楷体_GB2312"));
    font.setPixelSize(24);
    font.setBold(true);
    label.setFont(font);
    label.setFontColor(clBackground);
    label.font3D()->setHighlight(0xFFFFFF);
    label.font3D()->setShadow(0xFFFFFF);
    label.setTransparent(true);
    label.setText(QStringLiteral("爱不释手"));
    QImage image = surface(label.size());
    {
        Canvas warm(image);
        label.paintOn(warm); // the face is loaded once, as on screen
    }
    for (auto _ : state) {
        Canvas dc(image);
        label.paintOn(dc);
    }
    benchmark::DoNotOptimize(image.constBits());
}

// One 400 × 132 fill of every style; the figure is the slowest style. Each style's fill is
// the best of three, so that a busy machine does not decide which style is slowest.
void gradientFill(benchmark::State& state) {
    QImage image = surface(QSize(400, 132));
    GradientFill fill;
    fill.colours = {clBtnShadow, clBtnHighlight};
    for (auto _ : state) {
        double slowest = 0;
        for (int style = TVyrGradient::Circle; style <= TVyrGradient::HorizontalDoppelBar;
             ++style) {
            fill.style = TVyrGradient::TVyrFillStyle(style);
            double best = 1e9;
            for (int attempt = 0; attempt < 3; ++attempt) {
                QElapsedTimer timer;
                timer.start();
                {
                    Canvas dc(image);
                    paintGradient(dc, 400, 132, fill);
                }
                best = std::min(best, timer.nsecsElapsed() / 1e9);
            }
            slowest = std::max(slowest, best);
        }
        state.SetIterationTime(slowest);
    }
    benchmark::DoNotOptimize(image.constBits());
}

// The About button: 19 × 21 with its 15 × 15 opaque picture.
void roundButtonPaint(benchmark::State& state) {
    TVyrRoundButton button;
    button.resize(19, 21);
    QImage picture(15, 15, QImage::Format_RGB32);
    picture.fill(qRgb(210, 226, 235));
    button.glyph()->setBitmap(picture);
    button.glyph()->setTransparent(false);
    QImage behind(button.size(), QImage::Format_ARGB32);
    behind.fill(Qt::transparent);
    QImage image = surface(button.size());
    for (auto _ : state) {
        Canvas dc(image);
        button.paintOn(dc, behind);
    }
    benchmark::DoNotOptimize(image.constBits());
}
} // namespace

BENCHMARK(label3dPaint)
    ->Name("label3d_paint_us")
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->Iterations(200);
BENCHMARK(gradientFill)
    ->Name("gradient_fill_us")
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Repetitions(9)
    ->Iterations(5);
BENCHMARK(roundButtonPaint)
    ->Name("roundbutton_paint_us")
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->Iterations(500);

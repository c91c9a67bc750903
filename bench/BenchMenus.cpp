// Figures of the kit's popup menus: opening the tray menu, and painting one item.
#include "framework/TImageList.h"
#include "platform/MenuPopupWindow.h"
#include "widgets/kit/VyrMenuState.h"
#include "widgets/kit/VyrMenus.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

using namespace quorvane;

namespace {
LogFont songti() {
    LogFont font;
    font.height = -14;
    font.faceName = QStringLiteral("宋体");
    return font;
}

// The tray menu as the main window configures it.
void configureTrayMenu(TVyrPopupMenu& menu) {
    menu.setMenuFont(songti());
    menu.setSelectedFont(songti());
    menu.setDividerFont(songti());
    TVyrSubMenu* details = menu.PopupDetails();
    QImage tile(32, 32, QImage::Format_RGB32);
    tile.fill(Qt::black);
    for (int i = 0; i < 32; ++i)
        tile.setPixel(i, 31 - i, qRgb(205, 205, 214));
    details->setBackground(tile);
    details->setTransparentColor(0);
    details->setColor(rgbColour(192, 192, 192));
    details->setEnabled(true);
    details->setBarEnabled(true);
    details->setBarFontname(QStringLiteral("宋体"));
    details->barAsGradient()->setActive(true);
    details->barAsGradient()->setFadeToColor(rgbColour(255, 0, 255));
    details->setBarFontSize(11);
    details->setBarFontColor(rgbColour(255, 255, 255));
    details->setBarColor(rgbColour(255, 255, 255));
    details->setBarWidth(18);
    details->setBarCaption(QStringLiteral("Quorvane"));
    for (const char* caption : {"帮助", "作者主页", "关于", "", "退出"}) {
        TVyrMenuItem* item = menu.addItem(QString(), QString::fromUtf8(caption));
        item->setDivider(*caption == 0);
    }
}

// From Popup until the popup window has painted itself, with the side bar rendered anew.
void menuPopup(benchmark::State& state) {
    QWidget owner;
    TVyrPopupMenu menu(&owner);
    configureTrayMenu(menu);
    for (auto _ : state) {
        TVyrMenuState::instance().dropBarCache();
        QElapsedTimer clock;
        double seconds = 0;
        QTimer::singleShot(0, [&] {
            if (QWidget* popup = User::trackedPopup()) {
                popup->repaint();
                seconds = double(clock.nsecsElapsed()) / 1e9;
            }
            User::endMenu();
        });
        clock.start();
        menu.Popup(200, 200);
        state.SetIterationTime(seconds);
    }
}

// One selected item with an image, drawn into a popup of five items.
void menuDrawItem(benchmark::State& state) {
    QWidget owner;
    TVyrPopupMenu menu(&owner);
    configureTrayMenu(menu);
    TImageList images(QSize(16, 16));
    QPixmap glyph(16, 16);
    glyph.fill(Qt::darkGreen);
    images.add(glyph);
    menu.setImages(&images);
    TVyrMenuItem* item = menu.Items()->item(1);
    item->setImageIndex(0);
    int top = 0, height = 0;
    for (int i = 0; i < menu.Items()->Count(); ++i) {
        MEASUREITEMSTRUCT mis;
        menu.Items()->item(i)->MeasureItem(mis);
        if (i == 0)
            top = int(mis.itemHeight);
        if (i == 1)
            height = int(mis.itemHeight);
    }
    QImage window(160, 120, QImage::Format_RGB32);
    Canvas dc(window);
    DRAWITEMSTRUCT dis;
    dis.itemID = item->Command();
    dis.itemState = ODS::SELECTED;
    dis.hDC = &dc;
    dis.rcItem = QRect(0, top, 160, height);
    item->DrawItem(dis); // the side bar is rendered once per popup
    for (auto _ : state)
        item->DrawItem(dis);
    benchmark::DoNotOptimize(window.constBits());
}
} // namespace

BENCHMARK(menuPopup)
    ->Name("menu_popup_ms")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(9)
    ->Iterations(20);
BENCHMARK(menuDrawItem)
    ->Name("menu_draw_item_us")
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->Iterations(200);

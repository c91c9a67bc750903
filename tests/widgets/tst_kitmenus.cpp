#include "framework/TImageList.h"
#include "platform/FontFaces.h"
#include "widgets/kit/VyrMenus.h"

#include <QTest>
#include <QTimer>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {
QRgb rgb(ColorRef colour) {
    return toQColor(colour).rgb();
}

// An item of `menu` painted alone at (0, 0, 200, 24) on a white picture.
QImage drawn(TVyrMenuItem* item, UINT state, QRect* rect = nullptr) {
    QImage image(220, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    Canvas dc(image);
    DRAWITEMSTRUCT dis;
    dis.itemID = item->Command();
    dis.itemState = state;
    dis.hDC = &dc;
    dis.rcItem = QRect(0, 0, 200, 24);
    if (rect)
        *rect = dis.rcItem;
    item->DrawItem(dis);
    return image;
}

} // namespace

class TestKitMenus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontFaces::installSubstitutions(); }

    void drawItemLooks_data() {
        QTest::addColumn<int>("kind"); // 0 normal, 1 selected fill, 2 raised, 3 sunken
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<quint32>("expected");
        // With no image column the text area starts at the item's left edge.
        QTest::newRow("normal: menu colour") << 0 << QPoint(150, 12) << clMenu;
        QTest::newRow("selected: highlight") << 1 << QPoint(150, 12) << clHighlight;
        QTest::newRow("raised: top edge light") << 2 << QPoint(100, 0) << clBtnHighlight;
        QTest::newRow("raised: left edge light") << 2 << QPoint(0, 10) << clBtnHighlight;
        QTest::newRow("raised: bottom edge dark") << 2 << QPoint(100, 23) << clBtnShadow;
        QTest::newRow("raised: right edge dark") << 2 << QPoint(199, 10) << clBtnShadow;
        QTest::newRow("sunken: top edge dark") << 3 << QPoint(100, 0) << clBtnShadow;
        QTest::newRow("sunken: bottom edge light") << 3 << QPoint(100, 23) << clBtnHighlight;
        QTest::newRow("outside the item untouched") << 0 << QPoint(210, 12) << quint32(0xFFFFFF);
    }
    void drawItemLooks() {
        QFETCH(int, kind);
        QFETCH(QPoint, at);
        QFETCH(quint32, expected);
        QWidget owner;
        TVyrPopupMenu menu(&owner);
        TVyrMenuItem* item = menu.addItem(QStringLiteral("a"), QStringLiteral("&Copy"));
        menu.setSelectType(kind == 2   ? TVyrMenu::selRaised
                           : kind == 3 ? TVyrMenu::selSunken
                                       : TVyrMenu::selNormal);
        const QImage image = drawn(item, kind == 0 ? 0 : ODS::SELECTED);
        QCOMPARE(QColor(image.pixel(at)), QColor(rgb(expected)));
    }

    void selectedDisabledItemIsNotRedrawn() {
        QWidget owner;
        TVyrPopupMenu menu(&owner);
        TVyrMenuItem* item = menu.addItem(QStringLiteral("a"), QStringLiteral("A"));
        item->setEnabled(false);
        QImage image(200, 24, QImage::Format_RGB32);
        image.fill(Qt::white);
        Canvas dc(image);
        DRAWITEMSTRUCT dis;
        dis.itemID = item->Command();
        dis.itemState = ODS::SELECTED | ODS::DISABLED;
        dis.hDC = &dc;
        dis.rcItem = QRect(0, 0, 200, 24);
        TMessage msg{WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis), 0};
        bool handled = false;
        menu.HandleMenuMessage(msg, handled);
        QVERIFY(handled);
        QCOMPARE(image.pixel(100, 12), qRgb(255, 255, 255));
        dis.itemState = ODS::DISABLED;
        menu.HandleMenuMessage(msg, handled);
        QCOMPARE(image.pixel(100, 12), rgb(clMenu));
    }

    void disabledTextIsEmbossed() {
        QWidget owner;
        TVyrPopupMenu menu(&owner);
        TVyrMenuItem* item = menu.addItem(QStringLiteral("a"), QStringLiteral("WWWW"));
        const QImage image = drawn(item, ODS::DISABLED | ODS::GRAYED);
        // Lighter than the menu from the highlight pass, the shadow's grey, never black.
        const int menuGrey = qGray(rgb(clMenu));
        int light = 0, dark = 0, black = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 200; ++x) {
                light += qGray(image.pixel(x, y)) > menuGrey + 10;
                dark += qGray(image.pixel(x, y)) < menuGrey - 20;
                black += qGray(image.pixel(x, y)) < 40;
            }
        QVERIFY(light > 0);
        QVERIFY(dark > 0);
        QCOMPARE(black, 0);
    }

    void disabledImageIsEmbossedFromItsMonochromeCopy_data() {
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<bool>("embossed");
        // Only white stays white in the monochrome copy; every other colour turns black.
        QTest::newRow("black") << qRgb(0, 0, 0) << true;
        QTest::newRow("light grey") << qRgb(200, 200, 200) << true;
        QTest::newRow("almost white") << qRgb(250, 250, 250) << true;
        QTest::newRow("pale yellow") << qRgb(255, 255, 200) << true;
        QTest::newRow("white") << qRgb(255, 255, 255) << false;
    }
    void disabledImageIsEmbossedFromItsMonochromeCopy() {
        QFETCH(QRgb, colour);
        QFETCH(bool, embossed);
        QWidget owner;
        TVyrPopupMenu menu(&owner);
        TImageList images(QSize(16, 16));
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(Qt::white);
        for (int y = 4; y < 10; ++y)
            for (int x = 4; x < 10; ++x)
                picture.setPixel(x, y, colour);
        images.add(QPixmap::fromImage(picture));
        menu.setImages(&images);
        TVyrMenuItem* item = menu.addItem(QStringLiteral("a"), QStringLiteral("A"));
        item->setImageIndex(0);
        item->setEnabled(false);
        const QImage image = drawn(item, ODS::DISABLED | ODS::GRAYED);
        // The image column is 20 wide: the image sits at (2, 4) in the 24-pixel item.
        const QPoint square(2 + 6, 4 + 6), belowRight(2 + 10, 4 + 10);
        QCOMPARE(QColor(image.pixel(square)), QColor(rgb(embossed ? clBtnShadow : clMenu)));
        QCOMPARE(QColor(image.pixel(belowRight)), QColor(rgb(embossed ? clBtnHighlight : clMenu)));
        QCOMPARE(QColor(image.pixel(2 + 1, 4 + 1)), QColor(rgb(clMenu)));
    }

    void dividerLines_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("gapAtCentre");
        QTest::newRow("empty caption: 2-pixel gap") << QString() << true;
        QTest::newRow("dash: one unbroken line") << QStringLiteral("-") << false;
    }
    void dividerLines() {
        QFETCH(QString, caption);
        QFETCH(bool, gapAtCentre);
        QWidget owner;
        TVyrPopupMenu menu(&owner);
        TVyrMenuItem* item = menu.addItem(QStringLiteral("d"), caption);
        item->setDivider(true);
        const QImage image = drawn(item, 0);
        // Line from 0 to 200, middle 12: the gap is Centre - 1 to Centre + 1 (100 to 101).
        QCOMPARE(image.pixel(98, 12), rgb(clBtnShadow));
        QCOMPARE(image.pixel(98, 13), rgb(clBtnHighlight));
        QCOMPARE(image.pixel(102, 12), rgb(clBtnShadow));
        QCOMPARE(image.pixel(99, 12), gapAtCentre ? rgb(clMenu) : rgb(clBtnShadow));
        QCOMPARE(image.pixel(100, 12), gapAtCentre ? rgb(clMenu) : rgb(clBtnShadow));
        QCOMPARE(image.pixel(199, 12), rgb(clBtnShadow));
        QCOMPARE(image.pixel(100, 11), rgb(clMenu));
    }

    void dividerCaptionLeavesRoom() {
        QWidget owner;
        TVyrPopupMenu menu(&owner);
        TVyrMenuItem* item = menu.addItem(QStringLiteral("d"), QStringLiteral("WWW"));
        item->setDivider(true);
        const QImage image = drawn(item, 0);
        // The lines stop short of the caption on both sides; the caption sits in between.
        QCOMPARE(image.pixel(5, 12), rgb(clBtnShadow));
        QCOMPARE(image.pixel(100, 13) == rgb(clBtnHighlight), false);
        bool dark = false;
        for (int x = 90; x < 110; ++x)
            dark |= qGray(image.pixel(x, 11)) < 80 || qGray(image.pixel(x, 9)) < 80;
        QVERIFY(dark);
    }

    void gradientBar_data() {
        QTest::addColumn<quint32>("from");
        QTest::addColumn<quint32>("to");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("y");
        QTest::addColumn<QRgb>("expected");
        // H 100, N 32: Step 3; band i from 3i + MulDiv(i, 3, 32), height 3i + MulDiv(i + 2,
        // 3, 32) - MulDiv(i, 3, 32). Band 0 is empty, band 1 covers 3..5, band 2 6..11,
        // band 3 9..17. Green of step i: 255 + MulDiv(i, -255, 31).
        const quint32 white = rgbColour(255, 255, 255), fuchsia = rgbColour(255, 0, 255);
        QTest::newRow("above band 1: bar colour")
            << white << fuchsia << 32 << 1 << qRgb(255, 255, 255);
        QTest::newRow("band 1") << white << fuchsia << 32 << 4 << qRgb(255, 247, 255);
        QTest::newRow("band 2") << white << fuchsia << 32 << 7 << qRgb(255, 239, 255);
        QTest::newRow("band 3 over band 2") << white << fuchsia << 32 << 10 << qRgb(255, 230, 255);
        QTest::newRow("one colour: bar colour")
            << white << fuchsia << 1 << 50 << qRgb(255, 255, 255);
        QTest::newRow("black to black: never 0") << 0u << 0u << 32 << 50 << qRgb(1, 1, 1);
    }
    void gradientBar() {
        QFETCH(quint32, from);
        QFETCH(quint32, to);
        QFETCH(int, count);
        QFETCH(int, y);
        QFETCH(QRgb, expected);
        QImage image(18, 100, QImage::Format_RGB32);
        Canvas dc(image);
        DrawGradientBar(dc, 18, 100, from, to, count);
        QCOMPARE(QColor(image.pixel(9, y)), QColor(expected));
    }

    void sideBarCaptionRunsUpwards() {
        QWidget owner;
        TVyrPopupMenu menu(&owner);
        TVyrSubMenu* details = menu.PopupDetails();
        details->setEnabled(true);
        details->setBarEnabled(true);
        details->setBarWidth(18);
        details->setBarFontSize(11);
        details->setBarFontColor(rgbColour(255, 255, 255));
        details->setBarCaption(QStringLiteral("Quorvane"));
        QList<TVyrMenuItem*> items;
        for (int i = 0; i < 5; ++i)
            items << menu.addItem(QStringLiteral("i%1").arg(i), QStringLiteral("Item %1").arg(i));
        for (TVyrMenuItem* item : items) {
            MEASUREITEMSTRUCT mis;
            item->MeasureItem(mis);
        }
        const int h = items.first()->MeasuredHeight;
        QImage image(200, h * 5, QImage::Format_RGB32);
        image.fill(Qt::black);
        Canvas dc(image);
        for (int i = 0; i < 5; ++i) {
            DRAWITEMSTRUCT dis;
            dis.hDC = &dc;
            dis.rcItem = QRect(0, i * h, 200, h);
            items[i]->DrawItem(dis);
        }
        QRect letters;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < 18; ++x)
                if (image.pixel(x, y) == qRgb(255, 255, 255))
                    letters |= QRect(x, y, 1, 1);
        QVERIFY(!letters.isEmpty());
        QVERIFY2(letters.height() > 3 * letters.width(), "the caption is turned");
        QVERIFY(letters.bottom() >= image.height() - 4);           // it starts at the bottom
        QCOMPARE(image.pixel(5, 2), rgb(clNavy));                  // bar colour above the text
        QCOMPARE(QColor(image.pixel(19, 2)), QColor(rgb(clMenu))); // the window colour beside
        // A wider bar is rendered again instead of copying the narrow one.
        details->setBarWidth(24);
        for (TVyrMenuItem* item : items) {
            MEASUREITEMSTRUCT mis;
            item->MeasureItem(mis);
        }
        DRAWITEMSTRUCT dis;
        dis.hDC = &dc;
        dis.rcItem = QRect(0, 0, 200, h);
        items.first()->DrawItem(dis);
        QCOMPARE(image.pixel(22, 2), rgb(clNavy));
    }

    void menuCharFindsTheAccelerator_data() {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<int>("disabled");
        QTest::addColumn<QChar>("typed");
        QTest::addColumn<int>("expected"); // position, -1: no match
        const QStringList some{QStringLiteral("E&xit"), QStringLiteral("cut"),
                               QStringLiteral("&Copy")};
        QTest::newRow("first letter without ampersand") << some << -1 << QChar(u'c') << 1;
        QTest::newRow("upper case typed") << some << -1 << QChar(u'C') << 1;
        QTest::newRow("after the ampersand") << some << -1 << QChar(u'x') << 0;
        QTest::newRow("ampersand before another letter") << some << -1 << QChar(u'e') << -1;
        QTest::newRow("disabled item skipped") << some << 1 << QChar(u'c') << 2;
        QTest::newRow("a character whose low byte is a letter")
            << some << -1 << QChar(0x5163) << -1;
        QTest::newRow("a Chinese caption")
            << QStringList{u"复制"_s, u"全选"_s} << -1 << QChar(u'全') << 1;
    }
    void menuCharFindsTheAccelerator() {
        QFETCH(QStringList, captions);
        QFETCH(int, disabled);
        QFETCH(QChar, typed);
        QFETCH(int, expected);
        QWidget owner;
        TVyrPopupMenu menu(&owner);
        for (const QString& caption : captions)
            menu.addItem(caption, caption);
        if (disabled >= 0)
            menu.Items()->item(disabled)->setEnabled(false);
        TMessage msg{WM_MENUCHAR, makeWParam(typed.unicode(), MF::POPUP), LPARAM(menu.GetHandle()),
                     0};
        bool handled = false;
        menu.HandleMenuMessage(msg, handled);
        QCOMPARE(handled, expected >= 0);
        if (handled)
            QCOMPARE(msg.Result, makeLParam(expected, MNC_EXECUTE));
    }

    void shortcutsClickWhileTheOwnerIsActive_data() {
        QTest::addColumn<int>("shortCut");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("active");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("reachesWidget");
        QTest::newRow("ctrl") << 0x4043 << int(Qt::Key_C) << int(Qt::ControlModifier) << true
                              << true << 1 << false;
        QTest::newRow("shift") << 0x2053 << int(Qt::Key_S) << int(Qt::ShiftModifier) << true << true
                               << 1 << false;
        QTest::newRow("alt") << 0x8058 << int(Qt::Key_X) << int(Qt::AltModifier) << true << true
                             << 1 << false;
        QTest::newRow("other modifier")
            << 0x4043 << int(Qt::Key_C) << int(Qt::AltModifier) << true << true << 0 << true;
        QTest::newRow("owner inactive")
            << 0x4043 << int(Qt::Key_C) << int(Qt::ControlModifier) << false << true << 0 << true;
        QTest::newRow("disabled: consumed")
            << 0x4043 << int(Qt::Key_C) << int(Qt::ControlModifier) << true << false << 0 << false;
    }
    void shortcutsClickWhileTheOwnerIsActive() {
        QFETCH(int, shortCut);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, active);
        QFETCH(bool, enabled);
        QFETCH(int, clicks);
        QFETCH(bool, reachesWidget);
        QWidget owner, other;
        TVyrPopupMenu menu(&owner);
        TVyrMenuItem* item = menu.addItem(QStringLiteral("a"), QStringLiteral("A"));
        item->setShortCut(shortCut);
        item->setEnabled(enabled);
        int clicked = 0, popups = 0;
        connect(item, &QAction::triggered, this, [&] { ++clicked; });
        menu.OnPopup = [&](QObject*) { ++popups; };
        owner.show();
        other.show();
        QWidget& target = active ? owner : other;
        target.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&target));
        int seen = 0;
        struct Counter : QObject {
            int* n;
            int key;
            bool eventFilter(QObject*, QEvent* e) override {
                *n += e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == key;
                return false;
            }
        } counter;
        counter.n = &seen;
        counter.key = key;
        target.installEventFilter(&counter);
        QTest::keyClick(&target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(clicked, clicks);
        // A found shortcut clicks the chain from the root down: the root raises OnPopup.
        QCOMPARE(popups, reachesWidget ? 0 : 1);
        QCOMPARE(seen > 0, reachesWidget);
    }

    void shortcutsLetActionsUpdateFirst_data() {
        QTest::addColumn<bool>("enabledAtFirst");
        QTest::addColumn<bool>("enabledByUpdate");
        QTest::addColumn<bool>("nested");
        QTest::addColumn<int>("executed");
        QTest::newRow("update disables") << true << false << false << 0;
        QTest::newRow("update enables") << false << true << false << 1;
        QTest::newRow("update disables, in a sub-menu") << true << false << true << 0;
        QTest::newRow("update enables, in a sub-menu") << false << true << true << 1;
    }
    void shortcutsLetActionsUpdateFirst() {
        QFETCH(bool, enabledAtFirst);
        QFETCH(bool, enabledByUpdate);
        QFETCH(bool, nested);
        QFETCH(int, executed);
        QWidget owner;
        TVyrPopupMenu menu(&owner);
        TAction action(&owner);
        int runs = 0, updates = 0;
        action.setShortCut(0x4045); // Ctrl+E
        action.setEnabled(enabledAtFirst);
        action.setOnExecute(TNotifyHandler([&](QObject*) { ++runs; }));
        action.OnUpdate = TNotifyHandler([&](QObject*) {
            ++updates;
            action.setEnabled(enabledByUpdate);
        });
        TVyrMenuItem* top = menu.addItem(QStringLiteral("top"), QStringLiteral("Top"));
        TVyrMenuItem* item = top;
        if (nested) {
            item = new TVyrMenuItem(&menu);
            top->Add(item);
        }
        item->setAction(&action);
        QCOMPARE(item->shortCut(), 0x4045);
        owner.show();
        owner.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        QTest::keyClick(&owner, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(updates, 1);
        QCOMPARE(item->isEnabled(), enabledByUpdate);
        QCOMPARE(runs, executed);
    }

    void shortcutsSurviveAnotherMenusDestruction() {
        QWidget owner;
        auto first = std::make_unique<TVyrPopupMenu>(&owner);
        TVyrPopupMenu second(&owner);
        TVyrMenuItem* item = second.addItem(QStringLiteral("a"), QStringLiteral("A"));
        item->setShortCut(0x4041);
        int clicked = 0;
        connect(item, &QAction::triggered, this, [&] { ++clicked; });
        owner.show();
        owner.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        first.reset();
        QTest::keyClick(&owner, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(clicked, 1);
    }

    void shortcutsThatChangeEachOtherDoNotHang() {
        QWidget owner;
        TVyrPopupMenu menu(&owner);
        TVyrMenuItem* a = menu.addItem(QStringLiteral("a"), QStringLiteral("A"));
        TVyrMenuItem* b = menu.addItem(QStringLiteral("b"), QStringLiteral("B"));
        a->setShortCut(0x4041);
        int clicks = 0;
        // Each click hands the shortcut to the other item, so every search finds one again.
        for (auto [from, to] : {std::pair{a, b}, std::pair{b, a}})
            connect(from, &QAction::triggered, this, [&, from = from, to = to] {
                ++clicks;
                to->setShortCut(from->shortCut());
                from->setShortCut(0);
            });
        owner.show();
        owner.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        QTest::keyClick(&owner, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(clicks > 1);
        QVERIFY(clicks < 100);
    }

    void hookChainKeepsOrder_data() {
        QTest::addColumn<bool>("removeLaterFirst");
        QTest::newRow("earlier removed first") << false;
        QTest::newRow("later removed first") << true;
    }
    void hookChainKeepsOrder() {
        QFETCH(bool, removeLaterFirst);
        QWidget control;
        QObject a, b;
        QStringList log;
        const HWND app = User::applicationWindow();
        const User::WNDPROC own = User::windowProc(app);
        auto& list = TVyrMenuHookList::instance();
        TVyrMenuHookClass* ha = list.Add(&a, &control, false);
        TVyrMenuHookClass* hb = list.Add(&b, &control, false);
        ha->BeforeMessage = [&](TMessage&, bool&) { log << u"a"_s; };
        hb->BeforeMessage = [&](TMessage& m, bool& handled) {
            log << u"b"_s;
            handled = m.Msg == WM_USER + 2; // a message the later hook keeps
        };
        User::sendMessage(app, WM_USER + 1);
        User::sendMessage(app, WM_USER + 2);
        QCOMPARE(log, (QStringList{u"b"_s, u"a"_s, u"b"_s}));
        log.clear();
        list.Remove(removeLaterFirst ? &b : &a);
        User::sendMessage(app, WM_USER + 1);
        QCOMPARE(log, QStringList{removeLaterFirst ? u"a"_s : u"b"_s});
        log.clear();
        list.Remove(removeLaterFirst ? &a : &b);
        User::sendMessage(app, WM_USER + 1);
        QVERIFY(log.isEmpty());
        QCOMPARE(User::windowProc(app), own);
    }

    void hookMovesToTheRecreatedWindow() {
        QWidget form;
        QObject menu;
        int reloads = 0, seen = 0;
        TVyrMenuHookClass* hook = TVyrMenuHookList::instance().Add(&menu, &form, true);
        hook->BeforeMessage = [&](TMessage& m, bool&) { seen += m.Msg == WM_USER + 7; };
        hook->OnReloadMenuHook = [&](QObject*) { ++reloads; };
        const HWND window = User::handleOf(&form);
        QCOMPARE(hook->hookedWindow(), window);
        User::sendMessage(window, WM_DESTROY);
        QVERIFY(!hook->hooked());
        User::sendMessage(window, WM_USER + 7);
        QCOMPARE(seen, 0);
        QTRY_COMPARE(reloads, 1);
        QVERIFY(hook->hooked());
        User::sendMessage(window, WM_USER + 7);
        QCOMPARE(seen, 1);
        TVyrMenuHookList::instance().Remove(&menu);
    }

    void releaseMessageStillReachesTheWindow() {
        QWidget form;
        QObject menu;
        const HWND window = User::handleOf(&form);
        int own = 0;
        const User::WNDPROC recorder = User::makeObjectInstance([&](HWND, UINT m, WPARAM, LPARAM) {
            own += m == 0xB021;
            return LRESULT(0);
        });
        User::setWindowProc(window, recorder);
        TVyrMenuHookClass* hook = TVyrMenuHookList::instance().Add(&menu, &form, true);
        QVERIFY(hook->hooked());
        User::sendMessage(window, 0xB021); // the form's deferred release unhooks the menu
        QCOMPARE(own, 1);
        QVERIFY(!hook->hooked());
        TVyrMenuHookList::instance().Remove(&menu);
        User::removeWindowProc(window, recorder);
    }

    void selectReportsNameTheRightItem() {
        QWidget owner;
        TVyrPopupMenu menu(&owner);
        TVyrMenuItem* first = menu.addItem(QStringLiteral("a"), QStringLiteral("A"));
        TVyrMenuItem* second = menu.addItem(QStringLiteral("b"), QStringLiteral("B"));
        second->setHint(QStringLiteral("short|long"));
        QStringList log;
        first->OnSelect = [&](QObject*) { log << u"first"_s; };
        second->OnSelect = [&](QObject*) { log << u"second"_s; };
        menu.OnHint = [&](QObject*, const QString& longHint, const QString& hint) {
            log << longHint + u'/' + hint;
        };
        menu.GetHandle();
        bool handled = false;
        TMessage select{WM_MENUSELECT, makeWParam(second->Command(), 0), LPARAM(menu.GetHandle()),
                        0};
        menu.HandleMenuMessage(select, handled);
        QVERIFY(handled);
        QCOMPARE(TVyrMenu::applicationHint(), u"long"_s);
        TMessage close{WM_MENUSELECT, makeWParam(0, 0xFFFF), 0, 0};
        handled = false;
        menu.HandleMenuMessage(close, handled);
        QCOMPARE(log, (QStringList{u"second"_s, u"long/short"_s}));
        QVERIFY(!handled);
        QCOMPARE(TVyrMenu::applicationHint(), QString());
    }

    void barSignatureStaysWithinItsBuffer() {
        const HMENU menu = User::createMenu();
        for (int i = 0; i < 40; ++i)
            User::appendMenu(menu, i == 3 ? MF::GRAYED | MF::DISABLED : 0, UINT(i + 1),
                             QString(20, QChar(u'a' + i % 26)));
        const QString signature = TVyrMenu::barSignature(menu);
        QVERIFY(signature.size() <= 512);
        QVERIFY(signature.endsWith(u';'));
        QVERIFY(signature.contains(QString(20, u'd') + u"$#;"_s));
        User::destroyMenu(menu);
    }

    void menuDestroyedWhileOpenCloses() {
        QWidget owner;
        auto menu = std::make_unique<TVyrPopupMenu>(&owner);
        menu->addItem(QStringLiteral("a"), QStringLiteral("A"));
        bool shown = false;
        QTimer::singleShot(0, this, [&] {
            shown = User::trackedPopup() != nullptr;
            menu.reset();
        });
        TVyrPopupMenu* raw = menu.get();
        raw->Popup(10, 10);
        QVERIFY(shown);
        QVERIFY(!menu);
        QCOMPARE(User::trackedPopup(), nullptr);
        QCOMPARE(TVyrMenu::menuLoopHandle(), HMENU(0));
    }
};

QTEST_MAIN(TestKitMenus)
#include "tst_kitmenus.moc"

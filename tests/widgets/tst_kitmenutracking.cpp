#include "platform/FontFaces.h"
#include "platform/MenuPopupWindow.h"
#include "widgets/kit/VyrMenus.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {

struct Logged {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT itemID;    // of WM_MEASUREITEM and WM_DRAWITEM
    UINT itemState; // of WM_DRAWITEM
};

// Sees the messages of a window before the procedures installed earlier.
struct Recorder {
    explicit Recorder(HWND w) : window(w) {
        proc = User::makeObjectInstance([this](HWND h, UINT m, WPARAM wp, LPARAM lp) {
            const UINT item = m == WM_MEASUREITEM ? reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemID
                              : m == WM_DRAWITEM  ? reinterpret_cast<DRAWITEMSTRUCT*>(lp)->itemID
                                                  : 0;
            const UINT state =
                m == WM_DRAWITEM ? reinterpret_cast<DRAWITEMSTRUCT*>(lp)->itemState : 0;
            log.push_back({m, wp, lp, item, state});
            return User::callWindowProc(previous, h, m, wp, lp);
        });
        previous = User::setWindowProc(window, proc);
    }
    ~Recorder() { User::removeWindowProc(window, proc); }
    // The position of the first such message, -1 when none.
    int find(UINT message, WPARAM wParam, LPARAM lParam) const {
        const auto it = std::find_if(log.begin(), log.end(), [&](const Logged& l) {
            return l.message == message && l.wParam == wParam && l.lParam == lParam;
        });
        return it == log.end() ? -1 : int(it - log.begin());
    }
    int count(UINT message, WPARAM wParam, LPARAM lParam) const {
        return int(std::count_if(log.begin(), log.end(), [&](const Logged& l) {
            return l.message == message && l.wParam == wParam && l.lParam == lParam;
        }));
    }
    HWND window;
    User::WNDPROC proc, previous;
    std::vector<Logged> log;
};

// Alpha, Sub (First, Deep (Inner)), a divider, Last.
struct Fixture {
    Fixture() {
        alpha = menu.addItem(u"alpha"_s, u"&Alpha"_s);
        sub = menu.addItem(u"sub"_s, u"&Sub"_s);
        first = child(sub, u"&First"_s);
        deep = child(sub, u"&Deep"_s);
        inner = child(deep, u"&Inner"_s);
        menu.addItem(u"divider"_s, QString())->setDivider(true);
        last = menu.addItem(u"last"_s, u"&Last"_s);
    }
    TVyrMenuItem* child(TVyrMenuItem* parent, const QString& caption) {
        auto* item = new TVyrMenuItem(&menu);
        item->setCaption(caption);
        parent->Add(item);
        return item;
    }
    QWidget owner;
    TVyrPopupMenu menu{&owner};
    TVyrMenuItem *alpha, *sub, *first, *deep, *inner, *last;
};

// Opens the menu and runs `steps` while it is open; the menu closes afterwards in any case.
void whileOpen(TVyrMenu& menu, const std::function<void(MenuPopupWindow*)>& steps,
               QPoint at = QPoint(100, 100)) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        if (auto* root = static_cast<MenuPopupWindow*>(User::trackedPopup())) {
            ran = true;
            steps(root);
        }
        User::endMenu();
    });
    menu.Popup(at.x(), at.y());
    QCoreApplication::sendPostedEvents(); // the chosen item's WM_COMMAND
    QVERIFY(ran);
}

void keys(QWidget* popup, const QString& sequence) {
    for (const QChar c : sequence)
        QTest::keyClick(popup, c == u'd'   ? Qt::Key_Down
                               : c == u'u' ? Qt::Key_Up
                               : c == u'r' ? Qt::Key_Right
                               : c == u'l' ? Qt::Key_Left
                               : c == u'e' ? Qt::Key_Return
                                           : Qt::Key_Escape);
}

// What the screen shows of entry `index` of an open level, after it has painted itself.
QImage onScreen(MenuPopupWindow* level, int index) {
    if (!QTest::qWaitForWindowExposed(level))
        return {};
    level->repaint();
    const QRect entry = level->itemRect(index).translated(level->geometry().topLeft());
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, entry.x(), entry.y(), entry.width(), entry.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The last column with a pixel other than the menu colour, -1 when there is none.
int lastInkColumn(const QImage& image) {
    const QRgb menu = toQColor(clMenu).rgb();
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) != menu)
                return x;
    return -1;
}

int blackPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == qRgb(0, 0, 0);
    return count;
}

// The menus' default font.
QFont menuFont() {
    QFont font(u"宋体"_s);
    font.setPixelSize(12);
    return font;
}

bool showActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

} // namespace

class TestKitMenuTracking : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontFaces::installSubstitutions(); }

    void shortcutEndsAtTheRightEdgeClearOfItsCaption_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("shortCut");
        QTest::newRow("复制, Ctrl+C") << u"复制"_s << 0x4043;
        QTest::newRow("全选, Ctrl+A") << u"全选"_s << 0x4041;
        QTest::newRow("long caption, F1") << u"复制到剪贴板并关闭窗口"_s << 0x70;
        // Captions that fall a little short of a multiple of 80 pixels, where text laid out
        // with tab stops would reach its shortcut.
        const QFontMetrics metrics(menuFont());
        for (const int stop : {80, 160}) {
            QString caption = u"复制"_s;
            while (metrics.horizontalAdvance(caption) < stop - 28)
                caption += u'i';
            QTest::addRow("%d px short of %d, Ctrl+C", stop - metrics.horizontalAdvance(caption),
                          stop)
                << caption << 0x4043;
        }
    }
    void shortcutEndsAtTheRightEdgeClearOfItsCaption() {
        QFETCH(QString, caption);
        QFETCH(int, shortCut);
        const auto shown = [&](int keys) {
            QWidget owner;
            TVyrPopupMenu menu(&owner);
            menu.addItem(u"item"_s, caption)->setShortCut(keys);
            QImage image;
            whileOpen(menu, [&](MenuPopupWindow* root) { image = onScreen(root, 0); });
            return image;
        };
        const QImage alone = shown(0), both = shown(shortCut);
        QVERIFY(!alone.isNull() && !both.isNull());
        const int captionEnd = lastInkColumn(alone), end = lastInkColumn(both);
        QVERIFY(captionEnd > 0);
        // The shortcut stops short of the right edge by a tab (one character) and a "W".
        const int reserved = QFontMetrics(menuFont()).horizontalAdvance(u" W"_s);
        const int margin = both.width() - 1 - end;
        QVERIFY2(
            margin >= reserved && margin <= reserved + 3,
            qPrintable(u"%1 blank columns at the right, %2 expected"_s.arg(margin).arg(reserved)));
        // Up to a column past the caption the item looks as it does without a shortcut.
        const QRect captionPart(0, 0, captionEnd + 2, alone.height());
        QCOMPARE(both.copy(captionPart), alone.copy(captionPart));
        QVERIFY(end > captionEnd + 2);
    }

    void parentStateReachesItsEntry_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<UINT>("state"); // drawn state bits of the entry
        QTest::addColumn<bool>("blackText");
        QTest::newRow("disabled") << u"disable"_s << false << UINT(ODS::DISABLED) << false;
        QTest::newRow("disabled, enabled again") << u"disable enable"_s << true << 0u << true;
        QTest::newRow("checked") << u"check"_s << true << UINT(ODS::CHECKED) << true;
        QTest::newRow("checked, unchecked again") << u"check uncheck"_s << true << 0u << true;
    }
    void parentStateReachesItsEntry() {
        QFETCH(QString, change);
        QFETCH(bool, opens);
        QFETCH(UINT, state);
        QFETCH(bool, blackText);
        Fixture f;
        f.menu.GetHandle(); // the native menus exist before the change
        for (const QString& step : change.split(u' ')) {
            if (step == u"disable"_s || step == u"enable"_s)
                f.sub->setEnabled(step == u"enable"_s);
            else
                f.sub->setChecked(step == u"check"_s);
        }
        Recorder recorder(User::applicationWindow());
        QImage entry;
        bool opened = false;
        whileOpen(f.menu, [&](MenuPopupWindow* root) {
            entry = onScreen(root, 1);
            QTest::mouseClick(root, Qt::LeftButton, {}, root->itemRect(1).center());
            keys(root, u"r"_s);
            opened = root->subMenuPopup() != nullptr;
        });
        QCOMPARE(opened, opens);
        const auto drawn =
            std::find_if(recorder.log.begin(), recorder.log.end(), [&](const Logged& l) {
                return l.message == WM_DRAWITEM && l.itemID == f.sub->Command();
            });
        QVERIFY(drawn != recorder.log.end());
        QCOMPARE(drawn->itemState & (ODS::DISABLED | ODS::CHECKED), state);
        QVERIFY(!entry.isNull());
        QCOMPARE(blackPixels(entry) > 0, blackText);
    }

    void onePopupNoticePerPopup_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("closed with Escape") << u"x"_s;
        QTest::newRow("item chosen") << u"de"_s;
    }
    void onePopupNoticePerPopup() {
        QFETCH(QString, how);
        Fixture f;
        int popups = 0, chosen = 0;
        f.menu.OnPopup = [&](QObject* sender) { popups += sender == &f.menu; };
        connect(f.alpha, &QAction::triggered, this, [&] { ++chosen; });
        whileOpen(f.menu, [&](MenuPopupWindow* root) { keys(root, how); });
        QCOMPARE(popups, 1);
        QCOMPARE(chosen, how == u"x"_s ? 0 : 1);
    }

    void subMenuOpensAndItsChoiceArrives_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("click") << u"click"_s;
        QTest::newRow("hover") << u"hover"_s;
        QTest::newRow("right key") << u"ddr"_s;
        QTest::newRow("enter key") << u"dde"_s;
        QTest::newRow("accelerator") << u"s"_s;
    }
    void subMenuOpensAndItsChoiceArrives() {
        QFETCH(QString, how);
        Fixture f;
        int chosen = 0, opened = 0, popups = 0;
        connect(f.first, &QAction::triggered, this, [&] { ++chosen; });
        connect(f.sub, &QAction::triggered, this, [&] { ++opened; });
        f.menu.OnPopup = [&](QObject*) { ++popups; };
        Recorder recorder(User::applicationWindow());
        const bool byKey = how != u"click"_s && how != u"hover"_s;
        whileOpen(f.menu, [&](MenuPopupWindow* root) {
            const QPoint entry = root->itemRect(1).center();
            if (how == u"click"_s)
                QTest::mouseClick(root, Qt::LeftButton, {}, entry);
            else if (how == u"hover"_s)
                QTest::mouseMove(root, entry);
            else if (how == u"s"_s)
                QTest::keyClick(root, Qt::Key_S);
            else
                keys(root, how);
            QTRY_VERIFY(root->subMenuPopup());
            MenuPopupWindow* sub = root->subMenuPopup();
            QVERIFY(sub->isVisible());
            QVERIFY(sub->x() > root->x() + root->width() / 2); // beside its parent
            QCOMPARE(root->selected(), 1);
            QCOMPARE(sub->selected(), byKey ? 0 : -1);
            QTest::mouseClick(sub, Qt::LeftButton, {}, sub->itemRect(0).center());
        });
        QCOMPARE(opened, 1); // the sub-menu entry's click comes with its init message
        QCOMPARE(chosen, 1);
        QCOMPARE(popups, 1); // from Popup alone, not again from the first level's init message
        const HMENU root = f.menu.GetHandle(), subMenu = f.sub->Handle();
        QVERIFY(recorder.find(WM_INITMENUPOPUP, subMenu, makeLParam(1, 0)) >= 0);
        const WPARAM subEntry = makeWParam(1, int(MF::POPUP | MF::OWNERDRAW));
        QVERIFY(recorder.find(WM_MENUSELECT, subEntry, LPARAM(root)) >= 0);
        for (const UINT message : {WM_MEASUREITEM, WM_DRAWITEM})
            QVERIFY(std::any_of(recorder.log.begin(), recorder.log.end(), [&](const Logged& l) {
                return l.message == message && l.itemID == f.deep->Command();
            }));
        const int closedSub = recorder.find(WM_UNINITMENUPOPUP, subMenu, 0);
        QVERIFY(closedSub >= 0 && closedSub < recorder.find(WM_UNINITMENUPOPUP, root, 0));
    }

    void levelsCloseOneAtATime() {
        Fixture f;
        int inner = 0, others = 0;
        connect(f.inner, &QAction::triggered, this, [&] { ++inner; });
        for (TVyrMenuItem* item : {f.alpha, f.first, f.last})
            connect(item, &QAction::triggered, this, [&] { ++others; });
        Recorder recorder(User::applicationWindow());
        const HMENU subMenu = f.sub->Handle(), deepMenu = f.deep->Handle();
        whileOpen(f.menu, [&](MenuPopupWindow* root) {
            keys(root, u"ddr"_s);
            MenuPopupWindow* sub = root->subMenuPopup();
            QVERIFY(sub);
            QTest::keyClick(sub, Qt::Key_A); // Alpha is the first level's, not this one's
            QVERIFY(root->subMenuPopup() == sub && sub->selected() == 0);
            keys(sub, u"dr"_s);
            QVERIFY(sub->subMenuPopup());
            keys(sub->subMenuPopup(), u"l"_s); // Left closes the innermost level only
            QVERIFY(!sub->subMenuPopup());
            QVERIFY(root->subMenuPopup() == sub && sub->isVisible());
            keys(sub, u"x"_s); // so does Escape
            QVERIFY(!root->subMenuPopup());
            QVERIFY(root->isVisible());
            QCOMPARE(root->selected(), 1);
            keys(root, u"r"_s);
            QTest::keyClick(root->subMenuPopup(), Qt::Key_D);
            QVERIFY(root->subMenuPopup()->subMenuPopup());
            QTest::keyClick(root, Qt::Key_I); // keys go to the innermost level
        });
        QCOMPARE(inner, 1);
        QCOMPARE(others, 0);
        const auto chars = [&](char c, HMENU menu) {
            return recorder.count(WM_MENUCHAR, makeWParam(c, MF::POPUP), LPARAM(menu));
        };
        QCOMPARE(chars('a', subMenu) + chars('d', subMenu) + chars('i', deepMenu), 3);
        QCOMPARE(recorder.count(WM_UNINITMENUPOPUP, deepMenu, 0), 2);
        QCOMPARE(recorder.count(WM_UNINITMENUPOPUP, subMenu, 0), 2);
    }

    void mouseMovesBetweenLevelsAndClicksOutside() {
        Fixture f;
        int clicks = 0;
        for (TVyrMenuItem* item : {f.alpha, f.first, f.inner, f.last})
            connect(item, &QAction::triggered, this, [&] { ++clicks; });
        Recorder recorder(User::applicationWindow());
        whileOpen(f.menu, [&](MenuPopupWindow* root) {
            QTest::mouseClick(root, Qt::LeftButton, {}, root->itemRect(1).center());
            MenuPopupWindow* sub = root->subMenuPopup();
            QVERIFY(sub);
            // Resting on another entry closes the sub-menu; coming back opens it again.
            QTest::mouseMove(root, root->itemRect(0).center());
            QTRY_VERIFY(!root->subMenuPopup());
            QTest::mouseMove(root, root->itemRect(1).center());
            QTRY_VERIFY(root->subMenuPopup());
            sub = root->subMenuPopup();
            QTest::mouseClick(sub, Qt::LeftButton, {}, sub->itemRect(1).center());
            QVERIFY(sub->subMenuPopup());
            // Inside a sub-menu the entries that lead to it stay selected.
            QTest::mouseMove(sub, sub->itemRect(0).center());
            QCOMPARE(root->selected(), 1);
            QTest::mouseClick(sub, Qt::LeftButton, {}, sub->mapFromGlobal(QPoint(2, 590)));
        });
        QCOMPARE(clicks, 0);
        QCOMPARE(User::trackedPopup(), nullptr);
        // sub twice, deep, root
        QCOMPARE(std::count_if(recorder.log.begin(), recorder.log.end(),
                               [](const Logged& l) { return l.message == WM_UNINITMENUPOPUP; }),
                 4);
    }

    void keyboardPassesOverDividers_data() {
        QTest::addColumn<QString>("sequence");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("chosen"); // index of the clicked item, -1 none
        // Alpha, Sub, divider, Last; Last is disabled.
        QTest::newRow("down from none: first") << u"d"_s << 0 << -1;
        QTest::newRow("past the divider") << u"ddd"_s << 3 << -1;
        QTest::newRow("wraps to the top") << u"dddd"_s << 0 << -1;
        QTest::newRow("up from none: last") << u"u"_s << 3 << -1;
        QTest::newRow("up past the divider") << u"uu"_s << 1 << -1;
        QTest::newRow("disabled: selected, not chosen") << u"ue"_s << 3 << -1;
        QTest::newRow("enter chooses") << u"de"_s << 0 << 0;
    }
    void keyboardPassesOverDividers() {
        QFETCH(QString, sequence);
        QFETCH(int, selected);
        QFETCH(int, chosen);
        Fixture f;
        f.last->setEnabled(false);
        int clicked = -1;
        connect(f.alpha, &QAction::triggered, this, [&] { clicked = 0; });
        connect(f.last, &QAction::triggered, this, [&] { clicked = 3; });
        int at = -2;
        whileOpen(f.menu, [&](MenuPopupWindow* root) {
            keys(root, sequence);
            at = root->selected();
        });
        QCOMPARE(at, selected);
        QCOMPARE(clicked, chosen);
    }

    void subMenuShowsItsSideBarOnTheLeftAtTheScreenEdge() {
        Fixture f;
        TVyrSubMenu* details = f.sub->subMenuDetails();
        details->setEnabled(true);
        details->setBarEnabled(true);
        details->setBarColor(rgbColour(200, 0, 0));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QImage first, second;
        QRect root, sub;
        whileOpen(
            f.menu,
            [&](MenuPopupWindow* popup) {
                keys(popup, u"ddr"_s);
                QVERIFY(popup->subMenuPopup());
                first = popup->grab().toImage();
                second = popup->subMenuPopup()->grab().toImage();
                root = popup->geometry();
                sub = popup->subMenuPopup()->geometry();
            },
            QPoint(screen.right() - 10, 100));
        QVERIFY(screen.contains(root) && screen.contains(sub));
        QVERIFY(sub.right() < root.left() + root.width() / 2);
        // The bar is the sub-menu's; the first level, without one, keeps its menu colour.
        QCOMPARE(QColor(second.pixel(8, second.height() / 2)), QColor(200, 0, 0));
        QCOMPARE(QColor(first.pixel(8, 4)), QColor(toQColor(clMenu)));
    }

    void f1AsksForTheItemsHelp_data() {
        QTest::addColumn<int>("itemContext");
        QTest::addColumn<int>("parentContext");
        QTest::addColumn<bool>("onSubMenuEntry");
        QTest::addColumn<bool>("helpButton");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("context");
        QTest::newRow("own context") << 7 << 5 << false << false << 1 << 7;
        QTest::newRow("parent's context") << 0 << 5 << false << false << 1 << 5;
        QTest::newRow("entry with a sub-menu") << 7 << 5 << true << false << 1 << 5;
        QTest::newRow("help button: context pop-up") << 7 << 0 << false << true << 8 << 7;
    }
    void f1AsksForTheItemsHelp() {
        QFETCH(int, itemContext);
        QFETCH(int, parentContext);
        QFETCH(bool, onSubMenuEntry);
        QFETCH(bool, helpButton);
        QFETCH(int, command);
        QFETCH(int, context);
        Fixture f;
        f.first->setHelpContext(itemContext);
        f.sub->setHelpContext(parentContext);
        f.owner.setWindowFlag(Qt::WindowContextHelpButtonHint, helpButton);
        QVERIFY(showActive(f.owner));
        QList<QPair<UINT, quintptr>> asked;
        User::setHelpHandler([&](UINT c, quintptr d) {
            asked << qMakePair(c, d);
            return true;
        });
        whileOpen(f.menu, [&](MenuPopupWindow* root) {
            keys(root, onSubMenuEntry ? u"dd"_s : u"ddr"_s);
            QTest::keyClick(root, Qt::Key_F1);
        });
        User::setHelpHandler(nullptr);
        QCOMPARE(asked,
                 (QList<QPair<UINT, quintptr>>{qMakePair(UINT(command), quintptr(context))}));
    }

    void cursorOverTheMenu_data() {
        QTest::addColumn<int>("cursor");
        QTest::addColumn<bool>("newStyles");
        QTest::addColumn<int>("shape");
        QTest::newRow("hand") << -21 << true << int(Qt::PointingHandCursor);
        QTest::newRow("hour glass") << -11 << true << int(Qt::WaitCursor);
        QTest::newRow("default: untouched") << 0 << true << int(Qt::ArrowCursor);
        QTest::newRow("old styles: untouched") << -21 << false << int(Qt::ArrowCursor);
    }
    void cursorOverTheMenu() {
        QFETCH(int, cursor);
        QFETCH(bool, newStyles);
        QFETCH(int, shape);
        Fixture f;
        f.menu.setCursor(cursor);
        f.menu.setNewStyles(newStyles);
        int seen = -1;
        whileOpen(f.menu, [&](MenuPopupWindow* root) {
            // Qt drops a move to where the pointer already is.
            QTest::mouseMove(root, root->itemRect(1).center());
            QTest::mouseMove(root, root->itemRect(0).center());
            seen = root->cursor().shape();
        });
        QCOMPARE(seen, shape);
    }

    void shortcutHookPassesOnWhatItLeaves_data() {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("inMenuLoop");
        QTest::addColumn<bool>("passedOn");
        QTest::addColumn<int>("clicks");
        QTest::newRow("not a shortcut") << int(Qt::NoModifier) << false << true << 0;
        QTest::newRow("shortcut: consumed") << int(Qt::ControlModifier) << false << false << 1;
        QTest::newRow("menu loop: untouched") << int(Qt::ControlModifier) << true << true << 0;
    }
    void shortcutHookPassesOnWhatItLeaves() {
        QFETCH(int, modifiers);
        QFETCH(bool, inMenuLoop);
        QFETCH(bool, passedOn);
        QFETCH(int, clicks);
        int seen = 0;
        HHOOK mine = 0;
        // Installed before the kit's (no kit menu exists yet), so it comes next after it.
        mine = User::setWindowsHookEx(User::WH_GETMESSAGE, [&](int code, WPARAM w, LPARAM l) {
            const auto* msg = reinterpret_cast<const MSG*>(l);
            seen += msg->message == WM_KEYDOWN && msg->wParam == WPARAM(Qt::Key_C);
            return User::callNextHookEx(mine, code, w, l);
        });
        {
            Fixture f;
            f.alpha->setShortCut(0x4043); // Ctrl+C
            int clicked = 0;
            connect(f.alpha, &QAction::triggered, this, [&] { ++clicked; });
            QVERIFY(showActive(f.owner));
            if (inMenuLoop)
                whileOpen(f.menu, [&](MenuPopupWindow* root) {
                    QTest::keyClick(root, Qt::Key_C, Qt::KeyboardModifiers(modifiers));
                    QVERIFY(root->isVisible());
                });
            else
                QTest::keyClick(&f.owner, Qt::Key_C, Qt::KeyboardModifiers(modifiers));
            QCOMPARE(clicked, clicks);
        }
        User::unhookWindowsHookEx(mine);
        QCOMPARE(seen > 0, passedOn);
    }

    void reHookWaitsForAnUndockedFormAndGivesUp_data() {
        QTest::addColumn<int>("undockAfter"); // rounds of the event loop, -1 never
        QTest::newRow("undocked in time") << 3;
        QTest::newRow("never undocked") << -1;
    }
    void reHookWaitsForAnUndockedFormAndGivesUp() {
        QFETCH(int, undockAfter);
        constexpr int kLimit = TVyrMenuHookList::kMaxReHookRetries;
        QWidget host, form;
        QObject menu;
        auto& list = TVyrMenuHookList::instance();
        TVyrMenuHookClass* hook = list.Add(&menu, &form, true);
        const HWND window = User::handleOf(&form);
        QCOMPARE(hook->hookedWindow(), window);
        int requests = 0;
        User::WNDPROC listProc;
        const User::WNDPROC counter =
            User::makeObjectInstance([&](HWND w, UINT m, WPARAM wp, LPARAM lp) {
                requests += m == TVyrMenuHookList::kReHookMessage;
                return User::callWindowProc(listProc, w, m, wp, lp);
            });
        listProc = User::setWindowProc(list.window(), counter);
        User::sendMessage(window, WM_DESTROY);
        form.setParent(&host); // docked: no window of its own
        for (int round = 0; round < kLimit * 2; ++round) {
            if (round == undockAfter)
                form.setParent(nullptr);
            QCoreApplication::processEvents();
        }
        QCOMPARE(requests, undockAfter < 0 ? kLimit : undockAfter + 1);
        QCOMPARE(hook->hooked(), undockAfter >= 0);
        const QPointer<TVyrMenuHookClass> watched(hook);
        list.Remove(&menu);
        QVERIFY(watched.isNull()); // freed with its entry
        User::removeWindowProc(list.window(), counter);
    }

    void messageAfterTheMenuIsGoneReachesTheWindow() {
        QWidget form;
        auto menu = std::make_unique<QObject>();
        const HWND window = User::handleOf(&form);
        int own = 0;
        const User::WNDPROC recorder = User::makeObjectInstance([&](HWND, UINT, WPARAM, LPARAM) {
            ++own;
            return LRESULT(0);
        });
        User::setWindowProc(window, recorder);
        TVyrMenuHookClass* hook = TVyrMenuHookList::instance().Add(menu.get(), &form, true);
        QObject* key = menu.get();
        menu.reset();
        User::sendMessage(window, WM_USER + 3);
        QCOMPARE(own, 1);
        QVERIFY(!hook->hooked());
        TVyrMenuHookList::instance().Remove(key);
        User::removeWindowProc(window, recorder);
    }
};

QTEST_MAIN(TestKitMenuTracking)
#include "tst_kitmenutracking.moc"

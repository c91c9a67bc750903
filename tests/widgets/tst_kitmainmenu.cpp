#include "framework/TImageList.h"
#include "framework/TMainMenu.h"
#include "platform/MenuBar.h"
#include "platform/MenuPopupWindow.h"
#include "widgets/kit/VyrMenus.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace quorvane;

namespace {

TVyrMenuItem* newItem(QObject* owner, TVyrMenuItem* parent, const QString& caption) {
    auto* item = new TVyrMenuItem(owner);
    item->setObjectName(caption);
    item->setCaption(caption);
    parent->Add(item);
    return item;
}

// Clicks entry `index` of the popup that opens next, once it is open.
void chooseInNextPopup(QObject* context, int index, bool* opened) {
    QTimer::singleShot(0, context, [index, opened] {
        auto* popup = static_cast<MenuPopupWindow*>(User::trackedPopup());
        *opened = popup != nullptr;
        if (popup)
            QTest::mouseClick(popup, Qt::LeftButton, {}, popup->itemRect(index).center());
    });
}

QStringList nativeTexts(HMENU menu) {
    QStringList texts;
    for (int i = 0; i < User::getMenuItemCount(menu); ++i) {
        User::MenuItemInfo info;
        User::getMenuItemInfo(menu, UINT(i), true, info);
        texts << info.text;
    }
    return texts;
}

QString expectThrow(const std::function<void()>& place) {
    try {
        place();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace

class TestKitMainMenu : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void barItemClickRunsOnClick_data() {
        QTest::addColumn<bool>("mainWindow");
        QTest::addColumn<bool>("withPopup");
        QTest::addColumn<bool>("byKey"); // Alt+F instead of a click
        QTest::newRow("main window, sub-menu") << true << true << false;
        QTest::newRow("main window, plain bar item") << true << false << false;
        QTest::newRow("plain form, sub-menu") << false << true << false;
        QTest::newRow("plain form, plain bar item") << false << false << false;
        QTest::newRow("main window, sub-menu, Alt+F") << true << true << true;
        QTest::newRow("plain form, plain bar item, Alt+F") << false << false << true;
    }
    void barItemClickRunsOnClick() {
        QFETCH(bool, mainWindow);
        QFETCH(bool, withPopup);
        QFETCH(bool, byKey);
        std::unique_ptr<QWidget> form(mainWindow ? new QMainWindow : new QWidget);
        form->resize(300, 200);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        TVyrMainMenu bar(form.get());
        TVyrMenuItem* file = newItem(form.get(), bar.Items(), QStringLiteral("&File"));
        newItem(form.get(), bar.Items(), QStringLiteral("&Help"));
        TVyrMenuItem* chosen = file;
        if (withPopup) {
            newItem(form.get(), file, QStringLiteral("New"));
            chosen = newItem(form.get(), file, QStringLiteral("Open"));
        }
        QObject* sender = nullptr;
        chosen->OnClick = TNotifyHandler([&](QObject* s) { sender = s; });

        const HWND window = User::handleOf(form.get());
        QCOMPARE(User::getMenu(window), bar.GetHandle());
        MenuBarStrip* strip = User::menuBarOf(window);
        QVERIFY(strip);
        QVERIFY(strip->isVisible());
        QCOMPARE(strip->itemCount(), 2);
        // The kit measured its owner-drawn bar items; they lie side by side.
        QVERIFY(strip->itemRect(0).width() > 0);
        QCOMPARE(strip->itemRect(1).left(), strip->itemRect(0).right() + 1);
        // The bar keeps the form's content clear.
        QVERIFY(strip->mapTo(form.get(), QPoint(0, 0)).y() == 0);
        if (!mainWindow)
            QCOMPARE(form->contentsMargins().top(), strip->height());

        bool opened = false;
        if (withPopup)
            chooseInNextPopup(this, 1, &opened);
        if (byKey)
            QTest::keyClick(form.get(), Qt::Key_F, Qt::AltModifier);
        else
            QTest::mouseClick(strip, Qt::LeftButton, {}, strip->itemRect(0).center());
        QCOMPARE(opened, withPopup);
        QTRY_COMPARE(sender, chosen);
        QCOMPARE(strip->selected(), -1);
    }

    void barFollowsItemChanges() {
        QWidget form;
        form.show();
        auto* bar = new TVyrMainMenu(&form);
        TVyrMenuItem* edit = newItem(&form, bar->Items(), QStringLiteral("Edit"));
        MenuBarStrip* strip = User::menuBarOf(User::handleOf(&form));
        QCOMPARE(strip->itemCount(), 1);
        const QString before = bar->signature();
        edit->setEnabled(false);
        QVERIFY(bar->signature() != before);
        // A disabled bar item opens nothing and sends nothing.
        int clicks = 0;
        edit->OnClick = TNotifyHandler([&](QObject*) { ++clicks; });
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->itemRect(0).center());
        QCoreApplication::processEvents();
        QCOMPARE(clicks, 0);
        // A top-level bar item shows no shortcut text.
        edit->setShortCut(0x4000 | 'E');
        QCOMPARE(nativeTexts(bar->GetHandle()), QStringList{QStringLiteral("Edit")});
        newItem(&form, bar->Items(), QStringLiteral("View"));
        QCOMPARE(strip->itemCount(), 2);
        // The bar goes with its menu.
        const HWND window = User::handleOf(&form);
        delete bar;
        QCOMPARE(User::getMenu(window), HMENU(0));
        QCOMPARE(User::menuBarOf(window), nullptr);
        QCOMPARE(form.contentsMargins().top(), 0);
    }

    void barShowsWhatItIsToldOf_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("menu font") << QStringLiteral("font");
        QTest::newRow("system colours") << QStringLiteral("colours");
    }
    void barShowsWhatItIsToldOf() {
        QFETCH(QString, change);
        const auto apply = [&](TVyrMainMenu& bar) {
            if (change == QStringLiteral("font")) {
                LogFont big;
                big.height = -22;
                bar.setMenuFont(big); // tells the window with the menu-changed message
            } else {
                bar.setNewStyles(false); // tells nobody until the colours change
                User::sendMessage(bar.window(), WM_SYSCOLORCHANGE);
            }
        };
        enum Mode { unchanged, changedLater, changedFirst };
        // The bar as the screen shows it.
        const auto shown = [&](Mode mode) {
            QWidget form;
            form.resize(300, 100);
            form.show();
            if (!QTest::qWaitForWindowExposed(&form))
                return QImage();
            TVyrMainMenu bar(&form);
            if (mode == changedFirst)
                apply(bar);
            newItem(&form, bar.Items(), QStringLiteral("&File"));
            newItem(&form, bar.Items(), QStringLiteral("&Help"));
            if (mode == changedLater)
                apply(bar);
            MenuBarStrip* strip = User::menuBarOf(bar.window());
            if (!strip)
                return QImage();
            strip->repaint();
            const QPoint at = strip->mapToGlobal(QPoint(0, 0));
            return QGuiApplication::primaryScreen()
                ->grabWindow(0, at.x(), at.y(), strip->width(), strip->height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        };
        const QImage before = shown(unchanged), later = shown(changedLater),
                     first = shown(changedFirst);
        QVERIFY(!before.isNull() && !later.isNull() && !first.isNull());
        QVERIFY(first != before); // the change shows at all
        QCOMPARE(later, first);
    }

    void barItemsMeasureTheirCaptionOnly_data() {
        QTest::addColumn<int>("shortCut");
        QTest::addColumn<bool>("children");
        QTest::newRow("plain") << 0 << false;
        QTest::newRow("with a shortcut") << (0x4000 | 'F') << false;
        QTest::newRow("with a sub-menu") << 0 << true;
    }
    void barItemsMeasureTheirCaptionOnly() {
        QFETCH(int, shortCut);
        QFETCH(bool, children);
        QWidget form;
        TVyrMainMenu bar(&form);
        TVyrPopupMenu popup(&form);
        const auto measured = [](TVyrMenuItem* item) {
            MEASUREITEMSTRUCT mis;
            mis.itemID = item->Command();
            item->MeasureItem(mis);
            return int(mis.itemWidth);
        };
        TVyrMenuItem* plain = newItem(&form, bar.Items(), QStringLiteral("File"));
        TVyrMenuItem* barItem = newItem(&form, bar.Items(), QStringLiteral("File"));
        TVyrMenuItem* popupItem = newItem(&form, popup.Items(), QStringLiteral("File"));
        for (TVyrMenuItem* item : {barItem, popupItem}) {
            item->setShortCut(shortCut);
            if (children)
                newItem(&form, item, QStringLiteral("Sub"));
        }
        QCOMPARE(measured(barItem), measured(plain));
        // In a popup the same caption gets a lead, a tab and room for shortcuts.
        QVERIFY(measured(popupItem) > measured(barItem));
    }

    void placementErrors_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("second kit bar on one form")
            << 0 << QStringLiteral("You can not have two TVyrMainMenus on the same form");
        QTest::newRow("kit bar without a form")
            << 1 << QStringLiteral("TVyrMainMenu needs to reside on a TWincontrol Descendant");
        QTest::newRow("form menu without a form")
            << 2 << QStringLiteral("TVyrFormMenu needs to reside on a TWincontrol Descendant");
        QTest::newRow("framework bar beside a kit bar")
            << 3 << QStringLiteral("You can not use a TMainMenu in conjunction with TVyrMainMenu ");
        QTest::newRow("framework bar beside a kit popup menu")
            << 4 << QStringLiteral("You can not use a TMainMenu in conjunction with TVyrMainMenu ");
    }
    void placementErrors() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        QWidget form;
        std::unique_ptr<TVyrMenu> first;
        if (kind == 4)
            first = std::make_unique<TVyrPopupMenu>(&form);
        else
            first = std::make_unique<TVyrMainMenu>(&form);
        newItem(&form, first->Items(), QStringLiteral("A"));
        const HMENU shown = User::getMenu(User::handleOf(&form));
        const int hooks = TVyrMenuHookList::instance().count();
        const QString raised = expectThrow([&] {
            switch (kind) {
            case 0:
                TVyrMainMenu{&form};
                break;
            case 1:
                TVyrMainMenu{nullptr};
                break;
            case 2:
                TVyrFormMenu{nullptr};
                break;
            default:
                new TMainMenu(&form);
                break;
            }
        });
        QCOMPARE(raised, message);
        // Nothing is left of the refused menu; the first one still works.
        QCOMPARE(TVyrMenuHookList::instance().count(), hooks);
        QCOMPARE(form.findChild<TMainMenu*>(), nullptr);
        QCOMPARE(User::getMenu(User::handleOf(&form)), shown);
        QVERIFY(first->DispatchCommand(first->Items()->item(0)->Command()));
    }

    void frameworkBarIsConverted() {
        QWidget form;
        TImageList images(QSize(16, 16), &form);
        QPointer<TMainMenu> framework = new TMainMenu(&form);
        framework->setImages(&images);
        const auto add = [](TMenuItem* parent, const char* name, const char* caption) {
            auto* item = new TMenuItem;
            item->setObjectName(QLatin1StringView(name));
            item->Caption = QLatin1StringView(caption);
            parent->Add(item);
            return item;
        };
        TMenuItem* open = add(add(framework->Items(), "filem", "&File"), "openm", "Open");
        open->ShortCut = 0x4000 | 'O';
        open->Checked = open->RadioItem = open->Default = true;
        open->GroupIndex = 1;
        open->Hint = QStringLiteral("Opens|Opens a file");
        open->HelpContext = 7;
        open->ImageIndex = 2;
        int opened = 0;
        open->OnClick = TNotifyHandler([&](QObject*) { ++opened; });
        add(framework->Items()->item(0), "dashm", "-");
        TMenuItem* exitItem = add(framework->Items()->item(0), "exitm", "Exit");
        exitItem->Enabled = exitItem->Visible = false;

        TVyrMainMenu bar(&form);
        QVERIFY(!framework);
        QCOMPARE(bar.Images(), &images);
        const struct {
            const char* name;
            const char* property;
            QVariant expected;
        } expectations[] = {
            {"Vyrfilem", "Caption", QStringLiteral("&File")},
            {"Vyropenm", "ShortCut", 0x4000 | 'O'},
            {"Vyropenm", "Checked", true},
            {"Vyropenm", "RadioItem", true},
            {"Vyropenm", "Default", true},
            {"Vyropenm", "GroupIndex", 1},
            {"Vyropenm", "Hint", QStringLiteral("Opens|Opens a file")},
            {"Vyropenm", "HelpContext", 7},
            {"Vyropenm", "ImageIndex", 2},
            {"Vyropenm", "CheckedIndex", 2},
            {"Vyropenm", "Divider", false},
            {"Vyrdashm", "Divider", true},
            {"Vyrexitm", "enabled", false},
            {"Vyrexitm", "visible", false},
        };
        for (const auto& [name, property, expected] : expectations) {
            const auto* item = form.findChild<TVyrMenuItem*>(QLatin1StringView(name));
            QVERIFY2(item, name);
            QVERIFY2(item->property(property) == expected, property);
        }
        // The tree keeps its shape and order, and the handler came along.
        QCOMPARE(bar.Items()->Count(), 1);
        TVyrMenuItem* convertedFile = bar.Items()->item(0);
        QCOMPARE(convertedFile->Count(), 3);
        QCOMPARE(convertedFile->item(0)->objectName(), QStringLiteral("Vyropenm"));
        convertedFile->item(0)->Click();
        QCOMPARE(opened, 1);
    }

    void formMenuSystemCommands_data() {
        QTest::addColumn<int>("systemItem");
        QTest::addColumn<uint>("command");
        QTest::addColumn<int>("outcome"); // 0 hidden, 1 minimised, 2 maximised, 3 normal
        QTest::newRow("close") << int(TVyrMenuItem::sicClose) << 0xF060u << 0;
        QTest::newRow("minimise") << int(TVyrMenuItem::sicMinimize) << 0xF020u << 1;
        QTest::newRow("maximise") << int(TVyrMenuItem::sicMaximize) << 0xF030u << 2;
        QTest::newRow("restore") << int(TVyrMenuItem::sicRestore) << 0xF120u << 3;
    }
    void formMenuSystemCommands() {
        QFETCH(int, systemItem);
        QFETCH(uint, command);
        QFETCH(int, outcome);
        QWidget form;
        form.resize(200, 100);
        form.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TVyrFormMenu menu(&form);
        QCOMPARE(menu.GetHandle(), User::getSystemMenu(User::handleOf(&form), false));
        newItem(&form, menu.Items(), QStringLiteral("About"));
        TVyrMenuItem* item = newItem(&form, menu.Items(), QStringLiteral("Command"));
        item->setSystemItem(TVyrMenuItem::TVyrSystemItem(systemItem));
        QCOMPARE(uint(item->Command()), command);
        QCOMPARE(nativeTexts(menu.GetHandle()).size(), 2);

        bool opened = false;
        chooseInNextPopup(this, 1, &opened);
        menu.Popup(10, 10);
        QVERIFY(opened);
        switch (outcome) {
        case 0:
            QTRY_VERIFY(!form.isVisible());
            break;
        case 1:
            QTRY_VERIFY(form.isMinimized());
            break;
        case 2:
            form.showNormal();
            QTRY_VERIFY(form.isMaximized());
            break;
        default:
            QTRY_VERIFY(!form.isMaximized() && !form.isMinimized() && form.isVisible());
            break;
        }
        // Back to an ordinary number, with no system command behind it.
        item->setSystemItem(TVyrMenuItem::sicNone);
        QVERIFY(item->Command() < 0xF000);
        QVERIFY(!item->OnClick);
    }

    void actionLinkFollowsOnlyLinkedValues_data() {
        QTest::addColumn<QByteArray>("itemProperty");
        QTest::addColumn<QByteArray>("actionProperty");
        QTest::addColumn<QVariant>("first");
        QTest::addColumn<QVariant>("own");
        QTest::addColumn<QVariant>("changed");
        QTest::newRow("caption") << QByteArray("Caption") << QByteArray("Caption")
                                 << QVariant(QStringLiteral("Go"))
                                 << QVariant(QStringLiteral("Mine"))
                                 << QVariant(QStringLiteral("Run"));
        QTest::newRow("hint") << QByteArray("Hint") << QByteArray("Hint")
                              << QVariant(QStringLiteral("a|b")) << QVariant(QStringLiteral("own"))
                              << QVariant(QStringLiteral("c|d"));
        QTest::newRow("enabled") << QByteArray("enabled") << QByteArray("Enabled") << QVariant(true)
                                 << QVariant(false) << QVariant(false);
        QTest::newRow("checked") << QByteArray("Checked") << QByteArray("Checked")
                                 << QVariant(false) << QVariant(true) << QVariant(true);
        QTest::newRow("visible") << QByteArray("visible") << QByteArray("Visible") << QVariant(true)
                                 << QVariant(false) << QVariant(false);
        QTest::newRow("image index") << QByteArray("ImageIndex") << QByteArray("ImageIndex")
                                     << QVariant(1) << QVariant(4) << QVariant(2);
        QTest::newRow("shortcut") << QByteArray("ShortCut") << QByteArray("ShortCut")
                                  << QVariant(0x4000 | 'G') << QVariant(0x4000 | 'M')
                                  << QVariant(0x4000 | 'R');
        QTest::newRow("help context") << QByteArray("HelpContext") << QByteArray("HelpContext")
                                      << QVariant(3) << QVariant(8) << QVariant(5);
    }
    void actionLinkFollowsOnlyLinkedValues() {
        QFETCH(QByteArray, itemProperty);
        QFETCH(QByteArray, actionProperty);
        QFETCH(QVariant, first);
        QFETCH(QVariant, own);
        QFETCH(QVariant, changed);
        QWidget form;
        TVyrPopupMenu menu(&form);
        TAction action;
        action.setProperty(actionProperty.constData(), first);
        TVyrMenuItem* linked = newItem(&form, menu.Items(), QString());
        TVyrMenuItem* unlinked = newItem(&form, menu.Items(), QString());
        for (TVyrMenuItem* item : {linked, unlinked}) {
            item->setAction(&action);
            QCOMPARE(item->property(itemProperty.constData()), first);
        }
        // A value of its own takes the item out of the link for that property.
        unlinked->setProperty(itemProperty.constData(), own);
        action.setProperty(actionProperty.constData(), changed);
        QCOMPARE(linked->property(itemProperty.constData()), changed);
        if (own != changed)
            QCOMPARE(unlinked->property(itemProperty.constData()), own);
    }

    void clickGoesThroughTheAction() {
        QWidget form;
        TVyrPopupMenu menu(&form);
        auto action = std::make_unique<TAction>();
        QObject* executedBy = nullptr;
        action->setOnExecute(TNotifyHandler([&](QObject* s) { executedBy = s; }));
        TVyrMenuItem* item = newItem(&form, menu.Items(), QStringLiteral("Go"));
        item->setAction(action.get());
        item->Click();
        QCOMPARE(executedBy, action.get());
        // A handler of the item's own runs instead, with the item as Sender.
        QObject* clickedBy = nullptr;
        item->OnClick = TNotifyHandler([&](QObject* s) { clickedBy = s; });
        executedBy = nullptr;
        item->Click();
        QCOMPARE(clickedBy, item);
        QCOMPARE(executedBy, nullptr);
        // A disabled item does nothing.
        item->setEnabled(false);
        clickedBy = nullptr;
        item->Click();
        QCOMPARE(clickedBy, nullptr);
        // The action going away clears the link.
        action.reset();
        QCOMPARE(item->action(), nullptr);
        QCOMPARE(item->actionLink(), nullptr);
    }

    void loadedAppliesOnlyOntoDefaults() {
        QWidget form;
        TVyrPopupMenu menu(&form);
        TAction action;
        action.setCaption(QStringLiteral("Action"));
        action.setHint(QStringLiteral("From the action"));
        auto* item = new TVyrMenuItem(&form);
        item->Loading();
        item->setCaption(QStringLiteral("Stored"));
        item->setParentComponent(&menu);
        item->setAction(&action);
        QCOMPARE(item->caption(), QStringLiteral("Stored"));
        item->Loaded();
        QCOMPARE(item->caption(), QStringLiteral("Stored"));
        QCOMPARE(item->hint(), QStringLiteral("From the action"));
        QCOMPARE(item->parentComponent(), &menu);
        QCOMPARE(menu.Items()->item(0), item);
        // Moving it under another item takes it out of the menu's top level.
        TVyrMenuItem* other = newItem(&form, menu.Items(), QStringLiteral("Other"));
        item->setParentComponent(other);
        QCOMPARE(menu.Items()->Count(), 1);
        QCOMPARE(item->parentComponent(), other);
    }

    void breakIsForcedWhileNewStyles_data() {
        QTest::addColumn<bool>("newStyles");
        QTest::addColumn<int>("expected");
        QTest::addColumn<uint>("nativeFlag");
        QTest::newRow("new styles: no break") << true << int(TVyrMenuItem::mbNone) << 0u;
        QTest::newRow("native styles: bar break")
            << false << int(TVyrMenuItem::mbBarBreak) << uint(MF::MENUBARBREAK);
    }
    void breakIsForcedWhileNewStyles() {
        QFETCH(bool, newStyles);
        QFETCH(int, expected);
        QFETCH(uint, nativeFlag);
        QWidget form;
        TVyrPopupMenu menu(&form);
        menu.setNewStyles(newStyles);
        TVyrMenuItem* item = newItem(&form, menu.Items(), QStringLiteral("B"));
        item->setBreak(TVyrMenuItem::mbBarBreak);
        QCOMPARE(int(item->menuBreak()), expected);
        User::MenuItemInfo info;
        QVERIFY(User::getMenuItemInfo(menu.GetHandle(), item->Command(), false, info));
        QCOMPARE(info.type & (MF::MENUBARBREAK | MF::MENUBREAK), nativeFlag);
    }

    void radioGroups() {
        QWidget form;
        TVyrPopupMenu menu(&form);
        QList<TVyrMenuItem*> items;
        for (const int group : {0, 0, 0, 1}) {
            TVyrMenuItem* item = newItem(&form, menu.Items(), QString::number(items.size()));
            item->setGroupIndex(group);
            item->setRadioItem(items.size() != 2); // item 2 is a plain check item
            items << item;
        }
        menu.GetHandle();
        const auto checks = [&] {
            QList<bool> result;
            // Each as the native menu shows it, and as the item says.
            for (TVyrMenuItem* item : items) {
                User::MenuItemInfo info;
                User::getMenuItemInfo(menu.GetHandle(), item->Command(), false, info);
                result << bool(info.state & MF::CHECKED) << item->isChecked();
            }
            return result;
        };
        items[2]->setChecked(true);
        items[3]->setChecked(true);
        items[0]->setChecked(true);
        QCOMPARE(checks(), (QList<bool>{true, true, false, false, true, true, true, true}));
        items[1]->setChecked(true);
        QCOMPARE(checks(), (QList<bool>{false, false, true, true, true, true, true, true}));
        // Making a checked item a radio item turns its radio siblings off.
        items[2]->setRadioItem(true);
        QCOMPARE(checks(), (QList<bool>{false, false, false, false, true, true, true, true}));
        User::MenuItemInfo info;
        User::getMenuItemInfo(menu.GetHandle(), items[0]->Command(), false, info);
        QVERIFY(info.type & MF::RADIOCHECK);
    }

    void menuIndexMoves_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("order");
        QTest::newRow("first to last") << 0 << 3 << QStringLiteral("bcda");
        QTest::newRow("last to first") << 3 << 0 << QStringLiteral("dabc");
        QTest::newRow("clamped above") << 1 << 99 << QStringLiteral("acdb");
        QTest::newRow("clamped below") << 2 << -4 << QStringLiteral("cabd");
        QTest::newRow("same place") << 1 << 1 << QStringLiteral("abcd");
    }
    void menuIndexMoves() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, order);
        QWidget form;
        TVyrPopupMenu menu(&form);
        for (const QChar c : QStringLiteral("abcd"))
            newItem(&form, menu.Items(), QString(c));
        menu.GetHandle();
        TVyrMenuItem* moved = menu.Items()->item(from);
        moved->setMenuIndex(to);
        QCOMPARE(moved->MenuIndex(), int(order.indexOf(moved->caption())));
        QCOMPARE(nativeTexts(menu.GetHandle()).join(QString()), order);
    }

    void groupIndexKeepsSiblingOrder() {
        QWidget form;
        TVyrPopupMenu menu(&form);
        TVyrMenuItem* a = newItem(&form, menu.Items(), QStringLiteral("a"));
        TVyrMenuItem* b = newItem(&form, menu.Items(), QStringLiteral("b"));
        TVyrMenuItem* c = newItem(&form, menu.Items(), QStringLiteral("c"));
        b->setGroupIndex(2);
        QCOMPARE(c->groupIndex(), 2);
        QCOMPARE(a->groupIndex(), 0);
        QVERIFY_THROWS_EXCEPTION(EVyrMenuError, c->setGroupIndex(1));
        QCOMPARE(c->groupIndex(), 2);
        // A move keeps the order: the item takes the group of the one before it.
        a->setMenuIndex(2);
        QCOMPARE(a->groupIndex(), 2);
        QCOMPARE(menu.Items()->IndexOf(a), 2);
    }

    void menusFollowTheRecreatedWindow_data() {
        QTest::addColumn<bool>("formMenu");
        QTest::newRow("menu bar") << false;
        QTest::newRow("form menu") << true;
    }
    void menusFollowTheRecreatedWindow() {
        QFETCH(bool, formMenu);
        QWidget form;
        form.show();
        std::unique_ptr<TVyrMenu> menu;
        if (formMenu)
            menu = std::make_unique<TVyrFormMenu>(&form);
        else
            menu = std::make_unique<TVyrMainMenu>(&form);
        TVyrMenuItem* file = newItem(&form, menu->Items(), QStringLiteral("File"));
        newItem(&form, file, QStringLiteral("Open"));
        const HWND window = User::handleOf(&form);
        const HMENU old = menu->GetHandle();
        const HMENU oldSub = file->Handle();
        User::sendMessage(window, WM_DESTROY);
        QTRY_VERIFY(menu->hook()->hooked());
        const HMENU now = formMenu ? User::getSystemMenu(window, false) : User::getMenu(window);
        QCOMPARE(menu->GetHandle(), now);
        QCOMPARE(nativeTexts(now), QStringList{QStringLiteral("File")});
        // The sub-menus are built anew for the new window.
        QVERIFY(file->Handle() != oldSub);
        QCOMPARE(User::getSubMenu(now, 0), file->Handle());
        if (!formMenu)
            QVERIFY(now != old);
    }

    void helpContextWalksUp_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("byCommand");
        QTest::addColumn<int>("expected");
        QTest::newRow("own topic") << QStringLiteral("own") << true << 3;
        QTest::newRow("from its parent") << QStringLiteral("open") << true << 9;
        QTest::newRow("sub-menu by handle") << QStringLiteral("file") << false << 9;
        QTest::newRow("from the popup menu") << QStringLiteral("plain") << true << 5;
        QTest::newRow("popup's own handle") << QStringLiteral("") << false << 5;
        QTest::newRow("unknown command") << QStringLiteral("none") << true << 0;
    }
    void helpContextWalksUp() {
        QFETCH(QString, item);
        QFETCH(bool, byCommand);
        QFETCH(int, expected);
        QWidget form;
        TVyrPopupMenu menu(&form);
        menu.setHelpContext(5);
        TVyrMenuItem* file = newItem(&form, menu.Items(), QStringLiteral("file"));
        file->setHelpContext(9);
        newItem(&form, file, QStringLiteral("open"));
        newItem(&form, file, QStringLiteral("own"))->setHelpContext(3);
        newItem(&form, menu.Items(), QStringLiteral("plain"));
        menu.GetHandle();
        quintptr value = 0xEFFF;
        if (item.isEmpty())
            value = menu.GetHandle();
        else if (auto* found = form.findChild<TVyrMenuItem*>(item))
            value = byCommand ? found->Command() : found->Handle();
        QCOMPARE(menu.GetHelpContext(value, byCommand), expected);
    }

    void storedValues_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("read");
        QTest::newRow("image index -5 keeps")
            << QByteArray("ImageIndex") << QVariant(-5) << QVariant(4);
        QTest::newRow("image index -1 taken")
            << QByteArray("ImageIndex") << QVariant(-1) << QVariant(-1);
        QTest::newRow("checked index -2 keeps")
            << QByteArray("CheckedIndex") << QVariant(-2) << QVariant(4);
        QTest::newRow("shortcut text")
            << QByteArray("ShortCutText") << QVariant(QStringLiteral("Ctrl+Shift+O"))
            << QVariant(QStringLiteral("Shift+Ctrl+O"));
        QTest::newRow("shortcut text F5")
            << QByteArray("ShortCutText") << QVariant(QStringLiteral("F5"))
            << QVariant(QStringLiteral("F5"));
        QTest::newRow("shortcut text unreadable")
            << QByteArray("ShortCutText") << QVariant(QStringLiteral("Ctrl+"))
            << QVariant(QString());
    }
    void storedValues() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, written);
        QFETCH(QVariant, read);
        QWidget form;
        TVyrPopupMenu menu(&form);
        TVyrMenuItem* item = newItem(&form, menu.Items(), QStringLiteral("x"));
        item->setImageIndex(4);
        item->setCheckedIndex(4);
        item->setShortCut(0x4000 | 'Q');
        item->setProperty(property.constData(), written);
        QCOMPARE(item->property(property.constData()).toString(), read.toString());
    }
};

QTEST_MAIN(TestKitMainMenu)
#include "tst_kitmainmenu.moc"

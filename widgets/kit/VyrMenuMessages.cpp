#include "widgets/kit/VyrMenu.h"
#include "widgets/kit/VyrMenuState.h"

#include "framework/TImageList.h"
#include "platform/HandlerGuard.h"
#include "platform/MenuBar.h"
#include "platform/Mnemonic.h"

#include <QApplication>
#include <QWidget>

namespace quorvane {

namespace {
constexpr UINT HELP_CONTEXT = 1;
constexpr UINT HELP_CONTEXTPOPUP = 8;

// The active form, never one of the menu's own popup windows.
QWidget* activeForm() {
    QWidget* window = QApplication::activeWindow();
    return window && window->windowType() != Qt::Popup ? window : nullptr;
}

Qt::CursorShape cursorShape(int cursor) {
    switch (cursor) {
    case -1:
        return Qt::BlankCursor;
    case -3:
        return Qt::CrossCursor;
    case -4:
        return Qt::IBeamCursor;
    case -5:
    case -22:
        return Qt::SizeAllCursor;
    case -6:
        return Qt::SizeBDiagCursor;
    case -7:
        return Qt::SizeVerCursor;
    case -8:
        return Qt::SizeFDiagCursor;
    case -9:
        return Qt::SizeHorCursor;
    case -10:
        return Qt::UpArrowCursor;
    case -11:
    case -17:
        return Qt::WaitCursor;
    case -12:
        return Qt::DragMoveCursor;
    case -13:
    case -18:
        return Qt::ForbiddenCursor;
    case -14:
        return Qt::SplitHCursor;
    case -15:
        return Qt::SplitVCursor;
    case -16:
        return Qt::DragCopyCursor;
    case -19:
        return Qt::BusyCursor;
    case -20:
        return Qt::WhatsThisCursor;
    case -21:
        return Qt::PointingHandCursor;
    default:
        return Qt::ArrowCursor;
    }
}
} // namespace

QString TVyrMenu::barSignature(HMENU menu) {
    // Whole entries only while they fit: the signature never runs past its 512 characters.
    constexpr int kLimit = 512;
    QString signature;
    const int count = User::getMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        User::MenuItemInfo info;
        User::getMenuItemInfo(menu, UINT(i), true, info);
        QString part = info.text;
        if (info.state & MF::DISABLED)
            part += u'$';
        if (info.type & MF::MENUBREAK)
            part += u'@';
        if (info.state & MF::GRAYED)
            part += u'#';
        part += u';';
        if (signature.size() + part.size() > kLimit)
            break;
        signature += part;
    }
    return signature;
}

void TVyrMenu::Popup(int x, int y) {
    DoPopup(this);
    static constexpr UINT kAlign[] = {TPM::LEFTALIGN, TPM::RIGHTALIGN, TPM::CENTERALIGN};
    User::trackPopupMenu(GetHandle(), kAlign[m_alignment] | TPM::RIGHTBUTTON, x, y, m_window);
}

void TVyrMenu::HandleMenuMessage(TMessage& msg, bool& handled) {
    runGuarded([&] {
        switch (msg.Msg) {
        case WM_SYSCOLORCHANGE:
        case WM_VYRMENUCHANGED:
            RefreshItemStyles();
            // The owner's window may have been made again since; its bar shows the change.
            setWindow(determineWindow());
            if (m_window)
                User::drawMenuBar(m_window);
            handled = true;
            break;
        case WM_SETCURSOR:
            // Only the requests of menu mode, which carry no mouse message.
            if (!m_newStyles || m_cursor == 0 || m_cursor == -2 || hiWord(quintptr(msg.LParam)))
                break;
            if (QWidget* under = User::widgetOf(HWND(msg.WParam))) {
                under->setCursor(cursorShape(m_cursor));
                handled = true;
            }
            break;
        case WM_HELP: {
            const auto* help = reinterpret_cast<const HELPINFO*>(msg.LParam);
            // Every kit menu on the window sees the request: only the one whose item it
            // is answers it, or the help would open once per menu.
            if (!help ||
                (!FindItem(quintptr(help->iCtrlId), fkCommand) &&
                 !FindItem(help->hItemHandle, fkHandle) && help->hItemHandle != Items()->Handle()))
                break;
            int context = GetHelpContext(quintptr(help->iCtrlId), true);
            if (context == 0)
                context = GetHelpContext(help->hItemHandle, false);
            if (const QWidget* form = activeForm())
                User::helpCommand(form->windowFlags() & Qt::WindowContextHelpButtonHint
                                      ? HELP_CONTEXTPOPUP
                                      : HELP_CONTEXT,
                                  quintptr(context));
            break;
        }
        case WM_DRAWITEM: {
            const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(msg.LParam);
            if (!m_newStyles || dis->CtlType != ODT_MENU)
                break;
            TVyrMenuItem* item = FindItem(dis->itemID, fkCommand);
            if (!item && (dis->itemID & ~0xFu) >= 0xF000)
                item = FindItem(dis->itemID & ~0xFu, fkCommand);
            if (!item)
                break;
            handled = true;
            const bool selectedDisabled =
                (dis->itemState & ODS::SELECTED) && (dis->itemState & ODS::DISABLED);
            if (item->isVisible() && !selectedDisabled)
                item->DrawItem(*dis);
            break;
        }
        case WM_MEASUREITEM: {
            auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(msg.LParam);
            if (!m_newStyles || mis->CtlType != ODT_MENU)
                break;
            if (TVyrMenuItem* item = FindItem(mis->itemID, fkCommand); item && item->isVisible()) {
                handled = true;
                item->MeasureItem(*mis);
            }
            break;
        }
        case WM_COMMAND:
            handled = DispatchCommand(loWord(msg.WParam));
            break;
        case WM_SYSCOMMAND:
            if (msg.WParam < 0xF000) {
                DispatchCommand(quint16(msg.WParam));
                handled = true;
            }
            break;
        case WM_INITMENUPOPUP:
            DispatchPopup(HMENU(msg.WParam));
            break;
        case WM_MENUSELECT: {
            const quint16 flags = hiWord(msg.WParam);
            // The menu-close report names no item.
            if (flags == 0xFFFF && msg.LParam == 0) {
                TVyrMenuState::instance().setHint({});
                break;
            }
            TVyrMenuItem* item =
                flags & MF::POPUP
                    ? FindItem(User::getSubMenu(HMENU(msg.LParam), loWord(msg.WParam)), fkHandle)
                    : FindItem(loWord(msg.WParam), fkCommand);
            if (!item) {
                TVyrMenuState::instance().setHint({});
                break;
            }
            const QString hint = item->hint();
            const qsizetype bar = hint.indexOf(u'|');
            const QString shortPart = bar < 0 ? hint : hint.left(bar);
            const QString longPart = bar < 0 ? hint : hint.mid(bar + 1);
            handled = true;
            if (item->OnSelect)
                item->OnSelect(this);
            if (OnHint)
                OnHint(this, longPart, shortPart);
            TVyrMenuState::instance().setHint(longPart);
            break;
        }
        case WM_MENUCHAR: {
            // The whole character: its low byte alone would let a typed 关 (U+5173) pass for s.
            const QChar typed = QChar(loWord(msg.WParam)).toLower();
            const HMENU menu = HMENU(msg.LParam);
            const auto matches = [&](const TVyrMenuItem* item) {
                const QString caption = item->caption();
                if (!item->isVisible() || !item->isEnabled() || caption.isEmpty() ||
                    item->m_parent->m_handle != menu)
                    return false;
                // A caption without a marked key answers to its first character.
                const QChar key = caption.contains(u'&') ? Mnemonic::key(caption) : caption[0];
                return key.toLower() == typed;
            };
            if (TVyrMenuItem* found = m_root->findBelow(matches)) {
                // The position among the native entries: invisible items have none.
                int position = 0;
                for (TVyrMenuItem* sibling : found->m_parent->m_children) {
                    if (sibling == found)
                        break;
                    position += sibling->isVisible() ? 1 : 0;
                }
                msg.Result = makeLParam(position, MNC_EXECUTE);
                handled = true;
            }
            break;
        }
        case WM_ENTERMENULOOP:
            TVyrMenuState::instance().setMenuLoop(GetHandle());
            RefreshItemStyles();
            if (m_window)
                User::drawMenuBar(m_window);
            handled = true;
            break;
        case WM_EXITMENULOOP:
            TVyrMenuState::instance().setMenuLoop(0);
            handled = true;
            break;
        default:
            break;
        }
    });
}

bool TVyrMenu::IsShortCut(const MSG& key) {
    const auto* owner = qobject_cast<const QWidget*>(parent());
    if ((owner && !owner->window()->isActiveWindow()) || m_window == 0)
        return false;
    int shortCut = int(key.wParam & 0xFFFF);
    if (User::getKeyState(VK_SHIFT) < 0)
        shortCut += 0x2000;
    if (User::getKeyState(VK_CONTROL) < 0)
        shortCut += 0x4000;
    if (key.lParam & (LPARAM(1) << 29))
        shortCut += 0x8000;
    shortCut &= 0xFFFF;
    TVyrMenuItem* found = nullptr;
    for (int round = 0; round < 16; ++round) {
        found = FindItem(quintptr(shortCut), fkShortCut);
        if (!found)
            break;
        std::vector<TVyrMenuItem*> chain;
        for (TVyrMenuItem* level = found; level; level = level->m_parent)
            chain.insert(chain.begin(), level);
        runGuarded([&] {
            for (TVyrMenuItem* level : chain) {
                if (!level->isEnabled())
                    break;
                // Linked actions update the level below before it is looked at.
                const std::vector<TVyrMenuItem*> children = level->m_children;
                for (TVyrMenuItem* child : children)
                    child->InitiateAction();
                level->Click();
            }
        });
        if (found->m_shortCut == shortCut)
            break;
    }
    return found != nullptr;
}

} // namespace quorvane

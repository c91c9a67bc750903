#pragma once

#include "framework/TImageList.h"
#include "framework/TPopupMenu.h"
#include "platform/Canvas.h"
#include "platform/Menus.h"
#include "widgets/kit/VyrMenuItem.h"
#include "widgets/kit/VyrTMHkClass.h"

#include <QPointer>

#include <functional>

namespace quorvane {

// The message that tells a menu's window that the menu changed.
inline constexpr UINT WM_VYRMENUCHANGED = 0xB015;

// The kit's owner-drawn popup menu: its own item tree, native menus built from it, and the
// messages of its window answered through a hook on that window.
class TVyrMenu : public TPopupMenu {
    Q_OBJECT
public:
    enum TVyrSelectType { selNormal, selRaised, selSunken };
    Q_ENUM(TVyrSelectType)
    enum TPopupAlignment { paLeft, paRight, paCenter };
    Q_ENUM(TPopupAlignment)
private:
    Q_PROPERTY(quint32 SelectedColor READ selectedColor WRITE setSelectedColor)
    Q_PROPERTY(TVyrSelectType SelectType READ selectType WRITE setSelectType)
    Q_PROPERTY(bool NewStyles READ newStyles WRITE setNewStyles)
    Q_PROPERTY(int Cursor READ cursor WRITE setCursor)
    Q_PROPERTY(TPopupAlignment PopupAlignment READ popupAlignment WRITE setPopupAlignment)
public:
    explicit TVyrMenu(QWidget* owner = nullptr);
    ~TVyrMenu() override;
    // Streaming done: the hook moves to the window the owner has now.
    virtual void Loaded();

    TVyrMenuItem* Items() const { return m_root; }
    TImageList* Images() const { return m_images; }
    void setImages(TImageList* images);
    const LogFont& MenuFont() const { return m_menuFont; }
    void setMenuFont(const LogFont& font);
    const LogFont& SelectedFont() const { return m_selectedFont; }
    void setSelectedFont(const LogFont& font);
    const LogFont& DividerFont() const { return m_dividerFont; }
    void setDividerFont(const LogFont& font);
    ColorRef selectedColor() const { return m_selectedColor; }
    void setSelectedColor(ColorRef colour) { m_selectedColor = colour; }
    TVyrSelectType selectType() const { return m_selectType; }
    void setSelectType(TVyrSelectType type) { m_selectType = type; }
    bool newStyles() const { return m_newStyles; }
    void setNewStyles(bool on);
    int cursor() const { return m_cursor; }
    void setCursor(int cursor) { m_cursor = cursor; }
    TPopupAlignment popupAlignment() const { return m_alignment; }
    void setPopupAlignment(TPopupAlignment alignment) { m_alignment = alignment; }

    TNotifyEvent OnPopup;
    std::function<void(QObject* sender, const QString& longHint, const QString& hint)> OnHint;

    HWND window() const { return m_window; }
    TVyrMenuHookClass* hook() const { return m_hook; }
    HMENU GetHandle() { return m_root->Handle(); }
    void Popup(int x, int y) override;
    void DoPopup(QObject* sender);
    // Adds a top-level item.
    TVyrMenuItem* addItem(const QString& name, const QString& caption);
    enum FindKind { fkCommand, fkHandle, fkShortCut };
    TVyrMenuItem* FindItem(quintptr value, FindKind kind) const;
    bool DispatchCommand(quint16 command);
    bool DispatchPopup(HMENU handle);
    // The help topic of an item (by command or by the handle of its sub-menu), or of its
    // nearest parent that has one; 0 when none has.
    int GetHelpContext(quintptr value, bool byCommand);
    virtual void RefreshItemStyles();
    void HandleMenuMessage(TMessage& msg, bool& handled);
    bool IsShortCut(const MSG& key);
    // The bar signature of the native menu: texts and state marks, at most 512 characters.
    static QString barSignature(HMENU menu);

    static HMENU menuLoopHandle();
    static QString applicationHint();

protected:
    enum class Kind { Popup, Main, Form };
    TVyrMenu(QWidget* owner, Kind kind);
    virtual void MenuChanged(TVyrMenuItem*, bool) {}
    // The two halves of moving to a re-created window.
    virtual void beforeReload() {}
    virtual void afterReload();
    Kind kind() const { return m_kind; }
    void setWindow(HWND window) { m_window = window; }
    // The window that owns the menu's native menus and gets their messages.
    HWND determineWindow() const;
    bool destroying() const { return m_destroying; }

private:
    friend class TVyrMenuItem;
    Kind m_kind;
    bool m_destroying = false;
    int m_placementCheck = 0;
    TVyrMenuItem* m_root;
    QPointer<TImageList> m_images;
    LogFont m_menuFont;
    LogFont m_selectedFont;
    LogFont m_dividerFont;
    ColorRef m_selectedColor = clHighlight;
    TVyrSelectType m_selectType = selNormal;
    bool m_newStyles = true;
    int m_cursor = 0;
    TPopupAlignment m_alignment = paLeft;
    HWND m_window = 0;
    TVyrMenuHookClass* m_hook = nullptr;
};

} // namespace quorvane

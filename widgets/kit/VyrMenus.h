#pragma once

#include "framework/TAction.h"
#include "framework/TImageList.h"
#include "framework/TPopupMenu.h"
#include "platform/Canvas.h"
#include "platform/Menus.h"
#include "widgets/kit/VyrEnhancedClass.h"
#include "widgets/kit/VyrTMHkClass.h"

#include <QAction>
#include <QImage>
#include <QPointer>

#include <functional>
#include <memory>
#include <stdexcept>

namespace quorvane {

class TVyrMenu;
class TVyrMenuItem;
class TVyrMenuActionLink;

// The shortcut text of a 16-bit shortcut ("Ctrl+C"); empty for 0.
QString shortCutToText(int shortCut);
// The shortcut of such a text; 0 for one it cannot read.
int textToShortCut(const QString& text);

inline constexpr ColorRef clMenu = kSystemColourBit | 4;
inline constexpr ColorRef clMenuText = kSystemColourBit | 7;
inline constexpr ColorRef clHighlight = kSystemColourBit | 13;
inline constexpr ColorRef clHighlightText = kSystemColourBit | 14;
inline constexpr ColorRef clNavy = 0x800000;
// The message that tells a menu's window that the menu changed.
inline constexpr UINT WM_VYRMENUCHANGED = 0xB015;

class EVyrMenuError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A main or form menu placed where it cannot work.
class EDuplicateMainMenu : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Gradient settings of a side bar.
class TVyrMenuGradient : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ active WRITE setActive)
    Q_PROPERTY(quint32 FadeToColor READ fadeToColor WRITE setFadeToColor)
    Q_PROPERTY(int ColorCount READ colorCount WRITE setColorCount)
public:
    using QObject::QObject;
    bool active() const { return m_active; }
    void setActive(bool on);
    ColorRef fadeToColor() const { return m_fadeTo; }
    void setFadeToColor(ColorRef colour);
    int colorCount() const { return m_colorCount; }
    void setColorCount(int count);
Q_SIGNALS:
    void OnChange();

private:
    bool m_active = false;
    ColorRef m_fadeTo = 0;
    int m_colorCount = 32;
};

// A picture shown instead of (or under) an item's caption.
class TVyrBitmapItem : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool CaptionOnTop READ captionOnTop WRITE setCaptionOnTop)
    Q_PROPERTY(QImage Bitmap READ bitmap WRITE setBitmap)
    Q_PROPERTY(quint32 TransparentColor READ transparentColor WRITE setTransparentColor)
public:
    using QObject::QObject;
    bool captionOnTop() const { return m_captionOnTop; }
    void setCaptionOnTop(bool on);
    const QImage& bitmap() const { return m_bitmap; }
    void setBitmap(const QImage& picture);
    ColorRef transparentColor() const { return m_transparent; }
    void setTransparentColor(ColorRef colour);
    bool hasPicture() const { return m_bitmap.width() > 0 && m_bitmap.height() > 0; }
Q_SIGNALS:
    void OnChange();

private:
    bool m_captionOnTop = false;
    QImage m_bitmap;
    ColorRef m_transparent = clNone;
};

// The look of one popup window: colour, background picture and side bar.
class TVyrSubMenu : public QObject {
    Q_OBJECT
public:
    enum TVyrBackgroundType { btCenter, btTiled };
    Q_ENUM(TVyrBackgroundType)
private:
    Q_PROPERTY(bool Enabled READ enabled WRITE setEnabled)
    Q_PROPERTY(quint32 Color READ color WRITE setColor)
    Q_PROPERTY(QImage Background READ background WRITE setBackground)
    Q_PROPERTY(TVyrBackgroundType BackgroundType READ backgroundType WRITE setBackgroundType)
    Q_PROPERTY(quint32 TransparentColor READ transparentColor WRITE setTransparentColor)
    Q_PROPERTY(bool BarEnabled READ barEnabled WRITE setBarEnabled)
    Q_PROPERTY(int BarWidth READ barWidth WRITE setBarWidth)
    Q_PROPERTY(quint32 BarColor READ barColor WRITE setBarColor)
    Q_PROPERTY(QImage BarBackground READ barBackground WRITE setBarBackground)
    Q_PROPERTY(QString BarCaption READ barCaption WRITE setBarCaption)
    Q_PROPERTY(QString BarFontname READ barFontname WRITE setBarFontname)
    Q_PROPERTY(int BarFontSize READ barFontSize WRITE setBarFontSize)
    Q_PROPERTY(quint32 BarFontColor READ barFontColor WRITE setBarFontColor)
public:
    explicit TVyrSubMenu(QObject* parent = nullptr);

    bool enabled() const { return m_enabled; }
    void setEnabled(bool on);
    ColorRef color() const { return m_color; }
    void setColor(ColorRef colour);
    const QImage& background() const { return m_background; }
    void setBackground(const QImage& picture);
    TVyrBackgroundType backgroundType() const { return m_backgroundType; }
    void setBackgroundType(TVyrBackgroundType type);
    ColorRef transparentColor() const { return m_transparent; }
    void setTransparentColor(ColorRef colour);
    bool barEnabled() const { return m_barEnabled; }
    void setBarEnabled(bool on);
    int barWidth() const { return m_barWidth; }
    void setBarWidth(int width); // 1 to 40
    ColorRef barColor() const { return m_barColor; }
    void setBarColor(ColorRef colour);
    TVyrMenuGradient* barAsGradient() const { return m_gradient; }
    const QImage& barBackground() const { return m_barBackground; }
    void setBarBackground(const QImage& picture);
    QString barCaption() const { return m_barCaption; }
    void setBarCaption(const QString& caption);
    QString barFontname() const { return m_barFontname; }
    void setBarFontname(const QString& face);
    int barFontSize() const { return m_barFontSize; }
    void setBarFontSize(int points);
    ColorRef barFontColor() const { return m_barFontColor; }
    void setBarFontColor(ColorRef colour);
    bool barShown() const { return m_enabled && m_barEnabled; }
Q_SIGNALS:
    void OnChange();

private:
    void changed(bool dropCache);
    bool m_enabled = false;
    ColorRef m_color = clMenu;
    QImage m_background;
    TVyrBackgroundType m_backgroundType = btTiled;
    ColorRef m_transparent = clNone;
    bool m_barEnabled = false;
    int m_barWidth = 15;
    ColorRef m_barColor = clNavy;
    TVyrMenuGradient* m_gradient;
    QImage m_barBackground;
    QString m_barCaption;
    QString m_barFontname = QStringLiteral("Arial");
    int m_barFontSize = 8;
    ColorRef m_barFontColor = clWindowText;
};

// One item of a kit menu; owns its children and the native menu that shows them. As an
// action it is triggered by a click, after its own OnClick or its linked action has run.
class TVyrMenuItem : public QAction {
    Q_OBJECT
public:
    enum TVyrMenuBreak { mbNone, mbBreak, mbBarBreak };
    Q_ENUM(TVyrMenuBreak)
    enum TVyrSystemItem {
        sicNone,
        sicRestore,
        sicMaximize,
        sicMinimize,
        sicSize,
        sicMove,
        sicClose,
        sicContextHelp,
        sicTaskList,
        sicMonitorPower
    };
    Q_ENUM(TVyrSystemItem)
private:
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked)
    Q_PROPERTY(bool RadioItem READ radioItem WRITE setRadioItem)
    Q_PROPERTY(TVyrMenuBreak Break READ menuBreak WRITE setBreak)
    Q_PROPERTY(TVyrSystemItem SystemItem READ systemItem WRITE setSystemItem)
    Q_PROPERTY(QString ShortCutText READ shortCutText WRITE setShortCutText STORED false)
    Q_PROPERTY(bool Divider READ divider WRITE setDivider)
    Q_PROPERTY(bool Default READ isDefault WRITE setDefault)
    Q_PROPERTY(int ShortCut READ shortCut WRITE setShortCut)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)
    Q_PROPERTY(int HelpContext READ helpContext WRITE setHelpContext)
    Q_PROPERTY(int ImageIndex READ imageIndex WRITE setImageIndex)
    Q_PROPERTY(int CheckedIndex READ checkedIndex WRITE setCheckedIndex)
    Q_PROPERTY(int DisabledImageIndex READ disabledImageIndex WRITE setDisabledImageIndex)
    Q_PROPERTY(int GroupIndex READ groupIndex WRITE setGroupIndex)
public:
    explicit TVyrMenuItem(QObject* owner = nullptr);
    ~TVyrMenuItem() override;

    QString caption() const { return text(); }
    void setCaption(const QString& caption);
    bool divider() const { return m_divider; }
    void setDivider(bool on);
    bool isDefault() const { return m_default; }
    void setDefault(bool on);
    int shortCut() const { return m_shortCut; }
    void setShortCut(int shortCut);
    QString hint() const { return m_hint; }
    void setHint(const QString& hint) { m_hint = hint; }
    int helpContext() const { return m_helpContext; }
    void setHelpContext(int context) { m_helpContext = context; }
    // Unchecks the radio siblings of the same GroupIndex when it checks a radio item.
    void setChecked(bool on);
    bool radioItem() const { return m_radioItem; }
    void setRadioItem(bool on);
    // Column breaks are a native look: the kit's own drawing has none.
    TVyrMenuBreak menuBreak() const;
    void setBreak(TVyrMenuBreak value);
    TVyrSystemItem systemItem() const { return m_systemItem; }
    void setSystemItem(TVyrSystemItem item);
    // The stored text form of ShortCut, read only when loading.
    QString shortCutText() const { return shortCutToText(m_shortCut); }
    void setShortCutText(const QString& text);
    // The item's own click handler; the signal triggered reaches connected handlers as well.
    TNotifyHandler OnClick;
    TAction* action() const;
    void setAction(TAction* action);
    TVyrMenuActionLink* actionLink() const { return m_actionLink.get(); }
    // Copies the values an action takes from an item.
    void AssignTo(TAction* action) const;
    void InitiateAction();
    // Streaming: the parent item, or the menu for a top-level item; setting it moves the item.
    QObject* parentComponent() const;
    void setParentComponent(QObject* parent);
    // Between Loading and Loaded the setters leave the native menus alone.
    void Loading() { m_loading = true; }
    void Loaded();
    bool loading() const { return m_loading; }
    int imageIndex() const { return m_imageIndex; }
    void setImageIndex(int index);
    int checkedIndex() const { return m_checkedIndex; }
    void setCheckedIndex(int index);
    int disabledImageIndex() const { return m_disabledIndex; }
    void setDisabledImageIndex(int index);
    int groupIndex() const { return m_groupIndex; }
    // Within its parent, no lower than an earlier sibling's; later siblings are raised to it.
    void setGroupIndex(int index);
    TVyrBitmapItem* asBitmapItem() const { return m_bitmapItem; }
    TVyrSubMenu* subMenuDetails() const { return m_details; }
    void setSubMenuDetails(TVyrSubMenu* details) { m_details = details; }

    void Insert(int index, TVyrMenuItem* item);
    void Add(TVyrMenuItem* item);
    void Delete(int index);
    void Remove(TVyrMenuItem* item);
    int IndexOf(const TVyrMenuItem* item) const;
    int Count() const { return int(m_children.size()); }
    TVyrMenuItem* item(int index) const;
    int MenuIndex() const;
    void setMenuIndex(int index);
    TVyrMenuItem* parentItem() const { return m_parent; }
    // The native menu of the children, made on first use.
    HMENU Handle();
    bool hasHandle() const { return m_handle != 0; }
    void forgetHandles();
    quint16 Command() const { return m_command; }
    void Click();
    void MenuChanged(bool rebuild);
    TVyrMenu* menu() const;

    void MeasureItem(MEASUREITEMSTRUCT& mis);
    void DrawItem(const DRAWITEMSTRUCT& dis);
    int MeasuredWidth = 0;
    int MeasuredHeight = 0;

    std::function<void(QObject* sender)> OnSelect;
    // Set on the root item by its menu.
    TVyrMenu* ownerMenu = nullptr;

private:
    friend class TVyrMenu;
    friend class TVyrMainMenu;
    friend class TVyrFormMenu;
    void rebuild();
    void appendChild(TVyrMenuItem* child);
    // The entry's native type and state flags; a picture makes a bitmap entry only when
    // `pictureAsBitmap`.
    UINT nativeType(bool newStyles, bool pictureAsBitmap) const;
    UINT nativeState() const;
    // Depth first, each item before its children: the first item below this one that
    // `match` accepts, or nullptr.
    template <typename Match> TVyrMenuItem* findBelow(const Match& match) const {
        for (TVyrMenuItem* child : m_children) {
            if (match(child))
                return child;
            if (TVyrMenuItem* found = child->findBelow(match))
                return found;
        }
        return nullptr;
    }
    void syncState();
    bool hasImage() const;
    bool imageColumn() const;
    // A top-level item of a menu bar.
    bool mainBarItem() const;
    // Whether a change may go to the native menus now.
    bool settled() const { return !m_loading && !m_destroying; }
    friend class TVyrMenuActionLink;
    void actionChange(TAction* action, bool checkDefaults);
    void uncheckRadioSiblings();

    TVyrMenuItem* m_parent = nullptr;
    std::vector<TVyrMenuItem*> m_children;
    HMENU m_handle = 0;
    quint16 m_command = 0;
    bool m_divider = false;
    bool m_default = false;
    int m_shortCut = 0;
    QString m_hint;
    int m_helpContext = 0;
    int m_imageIndex = -1;
    int m_checkedIndex = -1;
    int m_disabledIndex = -1;
    int m_groupIndex = 0;
    bool m_radioItem = false;
    TVyrMenuBreak m_break = mbNone;
    TVyrSystemItem m_systemItem = sicNone;
    std::unique_ptr<TVyrMenuActionLink> m_actionLink;
    bool m_loading = false;
    bool m_destroying = false;
    bool m_appliedEnabled = true;
    bool m_appliedVisible = true;
    QString m_appliedText;
    TVyrBitmapItem* m_bitmapItem;
    TVyrSubMenu* m_details;
};

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

// A popup menu with the look of its top-level popup window in PopupDetails.
class TVyrPopupMenu : public TVyrMenu {
    Q_OBJECT
public:
    explicit TVyrPopupMenu(QWidget* owner = nullptr);
    ~TVyrPopupMenu() override;
    TVyrSubMenu* PopupDetails() const { return m_popupDetails; }
    int helpContext() const { return Items()->helpContext(); }
    void setHelpContext(int context) { Items()->setHelpContext(context); }

protected:
    TVyrPopupMenu(QWidget* owner, Kind kind);

private:
    TVyrSubMenu* m_popupDetails;
    TVyrSubMenu* m_rootDetails;
};

// The side bar's gradient: W × H from `from` to `to` in `colorCount` bands.
void DrawGradientBar(Canvas& dc, int w, int h, ColorRef from, ColorRef to, int colorCount);
// Forgets the rendered side bar.
void dropBarCache();

} // namespace quorvane

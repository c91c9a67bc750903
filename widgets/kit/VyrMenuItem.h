#pragma once

#include "framework/TAction.h"
#include "platform/Menus.h"
#include "widgets/kit/VyrBitmapItem.h"
#include "widgets/kit/VyrMenuShortCuts.h"
#include "widgets/kit/VyrSubMenu.h"

#include <QAction>

#include <functional>
#include <memory>
#include <vector>

namespace quorvane {

class TVyrMenu;
class TVyrMenuActionLink;

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
    friend class TVyrMenuActionLink;
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
    // Every item below this one, in the same order.
    template <typename Visit> void forEachBelow(const Visit& visit) const {
        findBelow([&](TVyrMenuItem* item) {
            visit(item);
            return false;
        });
    }
    // The steps of DrawItem, in VyrMenuPaint.cpp.
    class Painting;
    void syncState();
    bool hasImage() const;
    bool imageColumn() const;
    // A top-level item of a menu bar.
    bool mainBarItem() const;
    // Whether a change may go to the native menus now.
    bool settled() const { return !m_loading && !m_destroying; }
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

} // namespace quorvane

#pragma once

#include "framework/TAction.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

namespace quorvane {

class TImageList;

// An item of the framework's own menu bar: the values a menu item carries, and its children.
class TMenuItem : public QObject {
    Q_OBJECT
public:
    explicit TMenuItem(QObject* owner = nullptr) : QObject(owner) {}

    QString Caption;
    int ShortCut = 0;
    TNotifyHandler OnClick;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    bool RadioItem = false;
    int GroupIndex = 0;
    QString Hint;
    bool Default = false;
    int HelpContext = 0;
    QPointer<TAction> Action;
    int ImageIndex = -1;

    // Takes the item into this one's children (and ownership).
    void Add(TMenuItem* item);
    int Count() const { return int(m_children.size()); }
    TMenuItem* item(int index) const { return m_children.at(size_t(index)); }

private:
    std::vector<TMenuItem*> m_children;
};

// The framework's menu bar of a form, as a component placed on it.
class TMainMenu : public QObject {
    Q_OBJECT
public:
    // Placing it on `owner` asks the placement checks first; one of them may refuse by
    // throwing, and then the menu is not made.
    explicit TMainMenu(QObject* owner = nullptr);

    TMenuItem* Items() const { return m_items; }
    TImageList* Images() const { return m_images; }
    void setImages(TImageList* images) { m_images = images; }

    using PlacementCheck = std::function<void(TMainMenu* menu, QObject* owner)>;
    static int addPlacementCheck(PlacementCheck check);
    static void removePlacementCheck(int id);

private:
    TMenuItem* m_items;
    QPointer<TImageList> m_images;
};

} // namespace quorvane

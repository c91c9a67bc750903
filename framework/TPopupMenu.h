#pragma once

#include <QMenu>
#include <QPointer>

namespace quorvane {

// A popup menu that a component can open: the base of the program's own popup menus.
class TPopupMenu : public QMenu {
    Q_OBJECT
    Q_PROPERTY(bool AutoPopup READ autoPopup WRITE setAutoPopup)
public:
    explicit TPopupMenu(QWidget* parent = nullptr);

    bool autoPopup() const { return m_autoPopup; }
    void setAutoPopup(bool on) { m_autoPopup = on; }
    // The component that opened the menu last.
    QObject* popupComponent() const { return m_popupComponent; }
    void setPopupComponent(QObject* component) { m_popupComponent = component; }

    // Shows the menu at the screen point and returns when it has closed.
    virtual void Popup(int x, int y);
    // Of the top-level items marked default, the first; nullptr when none is.
    QAction* defaultItem() const;

private:
    bool m_autoPopup = true;
    QPointer<QObject> m_popupComponent;
};

} // namespace quorvane

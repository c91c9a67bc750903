#pragma once

#include "widgets/kit/VyrMenu.h"

namespace quorvane {

class TMainMenu;
class TMenuItem;

// The menu bar of its owner form: the root item's native menu is the window's menu.
class TVyrMainMenu : public TVyrMenu {
    Q_OBJECT
    Q_PROPERTY(bool AutoMerge READ autoMerge WRITE setAutoMerge)
public:
    // Takes over a framework menu bar already placed on the owner; refuses a second kit
    // menu bar on the same form.
    explicit TVyrMainMenu(QWidget* owner);
    ~TVyrMainMenu() override;

    bool autoMerge() const { return m_autoMerge; }
    void setAutoMerge(bool on);
    void Loaded() override;
    // The signature the bar was last drawn with.
    QString signature() const { return m_signature; }

protected:
    void MenuChanged(TVyrMenuItem* source, bool rebuild) override;
    void beforeReload() override;
    void afterReload() override;

private:
    void convert(TMainMenu* menu);
    // Kit items below `into` for the framework items below `from`, depth first.
    void convertItems(const TMenuItem* from, TVyrMenuItem* into);
    void attach();
    bool updateSignature();

    bool m_autoMerge = false;
    QString m_signature;
    bool m_signed = false;
};

} // namespace quorvane

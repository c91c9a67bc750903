#pragma once

#include "framework/TAction.h"

namespace quorvane {

class TVyrMenuItem;

// Links a kit menu item to an action. A property follows the action while it still holds
// the action's value; one the item has been given a value of its own keeps it.
class TVyrMenuActionLink : public TActionLink {
public:
    explicit TVyrMenuActionLink(TVyrMenuItem* client) : m_client(client) {}
    TVyrMenuItem* client() const { return m_client; }

    bool IsCaptionLinked() const override;
    bool IsCheckedLinked() const override;
    bool IsEnabledLinked() const override;
    bool IsHelpContextLinked() const override;
    bool IsHintLinked() const override;
    bool IsImageIndexLinked() const override;
    bool IsShortCutLinked() const override;
    bool IsVisibleLinked() const override;
    bool IsOnExecuteLinked() const override;

    void SetCaption(const QString& value) override;
    void SetChecked(bool value) override;
    void SetEnabled(bool value) override;
    void SetHelpContext(int value) override;
    void SetHint(const QString& value) override;
    void SetImageIndex(int value) override;
    void SetShortCut(int value) override;
    void SetVisible(bool value) override;
    void SetOnExecute(const TNotifyHandler& value) override;

protected:
    void actionFreed() override;

private:
    TVyrMenuItem* m_client;
};

} // namespace quorvane

// Items and their actions: the link, applying an action's values, and the click.
#include "widgets/kit/VyrMenuActions.h"
#include "widgets/kit/VyrMenus.h"

namespace quorvane {

bool TVyrMenuActionLink::IsCaptionLinked() const {
    return TActionLink::IsCaptionLinked() && m_client->caption() == action()->caption();
}
bool TVyrMenuActionLink::IsCheckedLinked() const {
    return TActionLink::IsCheckedLinked() && m_client->isChecked() == action()->checked();
}
bool TVyrMenuActionLink::IsEnabledLinked() const {
    return TActionLink::IsEnabledLinked() && m_client->isEnabled() == action()->enabled();
}
bool TVyrMenuActionLink::IsHelpContextLinked() const {
    return TActionLink::IsHelpContextLinked() && m_client->helpContext() == action()->helpContext();
}
bool TVyrMenuActionLink::IsHintLinked() const {
    return TActionLink::IsHintLinked() && m_client->hint() == action()->hint();
}
bool TVyrMenuActionLink::IsImageIndexLinked() const {
    return TActionLink::IsImageIndexLinked() && m_client->imageIndex() == action()->imageIndex();
}
bool TVyrMenuActionLink::IsShortCutLinked() const {
    return TActionLink::IsShortCutLinked() && m_client->shortCut() == action()->shortCut();
}
bool TVyrMenuActionLink::IsVisibleLinked() const {
    return TActionLink::IsVisibleLinked() && m_client->isVisible() == action()->visible();
}
bool TVyrMenuActionLink::IsOnExecuteLinked() const {
    return TActionLink::IsOnExecuteLinked() && m_client->OnClick == action()->onExecute();
}

void TVyrMenuActionLink::SetCaption(const QString& value) {
    if (IsCaptionLinked())
        m_client->setCaption(value);
}
void TVyrMenuActionLink::SetChecked(bool value) {
    if (IsCheckedLinked())
        m_client->setChecked(value);
}
void TVyrMenuActionLink::SetEnabled(bool value) {
    if (IsEnabledLinked())
        m_client->setEnabled(value);
}
void TVyrMenuActionLink::SetHelpContext(int value) {
    if (IsHelpContextLinked())
        m_client->setHelpContext(value);
}
void TVyrMenuActionLink::SetHint(const QString& value) {
    if (IsHintLinked())
        m_client->setHint(value);
}
void TVyrMenuActionLink::SetImageIndex(int value) {
    if (IsImageIndexLinked())
        m_client->setImageIndex(value);
}
void TVyrMenuActionLink::SetShortCut(int value) {
    if (IsShortCutLinked())
        m_client->setShortCut(value);
}
void TVyrMenuActionLink::SetVisible(bool value) {
    if (IsVisibleLinked())
        m_client->setVisible(value);
}
void TVyrMenuActionLink::SetOnExecute(const TNotifyHandler& value) {
    if (IsOnExecuteLinked())
        m_client->OnClick = value;
}

void TVyrMenuActionLink::actionFreed() {
    // The last use of this link: the item frees it.
    m_client->setAction(nullptr);
}

TAction* TVyrMenuItem::action() const {
    return m_actionLink ? m_actionLink->action() : nullptr;
}

void TVyrMenuItem::setAction(TAction* action) {
    if (!action) {
        m_actionLink.reset();
        return;
    }
    if (!m_actionLink)
        m_actionLink = std::make_unique<TVyrMenuActionLink>(this);
    m_actionLink->setAction(action);
    // Changes the action reports reach the native menus through the setters; the rest of
    // the item only needs to be shown again.
    m_actionLink->OnChange = [this](TAction*) {
        if (settled())
            MenuChanged(false);
    };
    actionChange(action, m_loading);
}

// Copies the action's values; with checkDefaults only onto properties still at their defaults.
void TVyrMenuItem::actionChange(TAction* action, bool checkDefaults) {
    if (!checkDefaults || caption().isEmpty())
        setCaption(action->caption());
    if (!checkDefaults || !isChecked())
        setChecked(action->checked());
    if (!checkDefaults || isEnabled())
        setEnabled(action->enabled());
    if (!checkDefaults || helpContext() == 0)
        setHelpContext(action->helpContext());
    if (!checkDefaults || hint().isEmpty())
        setHint(action->hint());
    if (!checkDefaults || imageIndex() == -1)
        setImageIndex(action->imageIndex());
    if (!checkDefaults || shortCut() == 0)
        setShortCut(action->shortCut());
    if (!checkDefaults || isVisible())
        setVisible(action->visible());
    if (!checkDefaults || !OnClick)
        OnClick = action->onExecute();
}

void TVyrMenuItem::AssignTo(TAction* action) const {
    action->setEnabled(isEnabled());
    action->setHelpContext(helpContext());
    action->setHint(hint());
    action->setImageIndex(imageIndex());
    action->setCaption(caption());
    action->setVisible(isVisible());
    action->setOnExecute(OnClick);
}

void TVyrMenuItem::InitiateAction() {
    if (m_actionLink)
        m_actionLink->Update();
}

void TVyrMenuItem::Click() {
    if (!isEnabled())
        return;
    TAction* linked = action();
    if (OnClick && (!linked || !(OnClick == linked->onExecute())))
        OnClick(this);
    else if (linked)
        m_actionLink->Execute(this);
    else if (OnClick)
        OnClick(this);
    // Handlers connected to the signal run on every click as well.
    Q_EMIT triggered(isChecked());
}

} // namespace quorvane

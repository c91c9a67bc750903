#include "widgets/kit/VyrMenuActionLink.h"
#include "widgets/kit/VyrMenuItem.h"

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

} // namespace quorvane

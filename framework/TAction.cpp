#include "framework/TAction.h"

#include <algorithm>

namespace quorvane {

TActionLink::~TActionLink() {
    setAction(nullptr);
}

void TActionLink::setAction(TAction* action) {
    if (action == m_action)
        return;
    if (m_action) {
        auto& clients = m_action->m_clients;
        clients.erase(std::remove(clients.begin(), clients.end(), this), clients.end());
    }
    m_action = action;
    if (m_action)
        m_action->m_clients.push_back(this);
}

bool TActionLink::Execute(QObject*) {
    return m_action && m_action->Execute();
}

bool TActionLink::Update() {
    return m_action && m_action->Update();
}

TAction::TAction(QObject* owner) : QObject(owner) {}

TAction::~TAction() {
    // Each client forgets this action before it is gone.
    const std::vector<TActionLink*> clients = m_clients;
    for (TActionLink* client : clients) {
        if (std::find(m_clients.begin(), m_clients.end(), client) == m_clients.end())
            continue;
        client->setAction(nullptr);
        client->actionFreed();
    }
}

template <typename Value, typename Apply>
void TAction::change(Value& field, const Value& value, Apply apply) {
    if (field == value)
        return;
    const std::vector<TActionLink*> clients = m_clients;
    for (TActionLink* client : clients)
        apply(client);
    field = value;
    for (TActionLink* client : std::vector<TActionLink*>(m_clients))
        if (client->OnChange)
            client->OnChange(this);
}

void TAction::setCaption(const QString& caption) {
    change(m_caption, caption, [&](TActionLink* c) { c->SetCaption(caption); });
}
void TAction::setChecked(bool on) {
    change(m_checked, on, [&](TActionLink* c) { c->SetChecked(on); });
}
void TAction::setEnabled(bool on) {
    change(m_enabled, on, [&](TActionLink* c) { c->SetEnabled(on); });
}
void TAction::setHelpContext(int context) {
    change(m_helpContext, context, [&](TActionLink* c) { c->SetHelpContext(context); });
}
void TAction::setHint(const QString& hint) {
    change(m_hint, hint, [&](TActionLink* c) { c->SetHint(hint); });
}
void TAction::setImageIndex(int index) {
    change(m_imageIndex, index, [&](TActionLink* c) { c->SetImageIndex(index); });
}
void TAction::setShortCut(int shortCut) {
    change(m_shortCut, shortCut, [&](TActionLink* c) { c->SetShortCut(shortCut); });
}
void TAction::setVisible(bool on) {
    change(m_visible, on, [&](TActionLink* c) { c->SetVisible(on); });
}
void TAction::setOnExecute(const TNotifyHandler& handler) {
    change(m_onExecute, handler, [&](TActionLink* c) { c->SetOnExecute(handler); });
}

bool TAction::Execute() {
    if (!m_enabled || !m_onExecute)
        return false;
    m_onExecute(this);
    return true;
}

bool TAction::Update() {
    if (!OnUpdate)
        return false;
    OnUpdate(this);
    return true;
}

} // namespace quorvane

#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace quorvane {

// An event handler that compares like a method pointer: copies of one handler are equal, two
// handlers made separately are not, even when they do the same.
class TNotifyHandler {
public:
    using Fn = std::function<void(QObject* sender)>;
    TNotifyHandler() = default;
    TNotifyHandler(Fn fn) : m_fn(fn ? std::make_shared<Fn>(std::move(fn)) : nullptr) {}
    explicit operator bool() const { return m_fn != nullptr; }
    void operator()(QObject* sender) const {
        if (m_fn)
            (*m_fn)(sender);
    }
    bool operator==(const TNotifyHandler& other) const { return m_fn == other.m_fn; }

private:
    std::shared_ptr<Fn> m_fn;
};

class TAction;

// The link a client keeps to its action. The action reports each change of a value through
// the setters before it stores the value, so a client can still tell whether it held the old
// one; the linkage tests say which of its properties follow the action.
class TActionLink {
public:
    TActionLink() = default;
    TActionLink(const TActionLink&) = delete;
    TActionLink& operator=(const TActionLink&) = delete;
    virtual ~TActionLink();

    TAction* action() const { return m_action; }
    void setAction(TAction* action);
    // Runs the action; false without one.
    bool Execute(QObject* component);
    // Asks the action to update itself; false without one.
    bool Update();

    virtual bool IsCaptionLinked() const { return m_action != nullptr; }
    virtual bool IsCheckedLinked() const { return m_action != nullptr; }
    virtual bool IsEnabledLinked() const { return m_action != nullptr; }
    virtual bool IsHelpContextLinked() const { return m_action != nullptr; }
    virtual bool IsHintLinked() const { return m_action != nullptr; }
    virtual bool IsImageIndexLinked() const { return m_action != nullptr; }
    virtual bool IsShortCutLinked() const { return m_action != nullptr; }
    virtual bool IsVisibleLinked() const { return m_action != nullptr; }
    virtual bool IsOnExecuteLinked() const { return m_action != nullptr; }

    virtual void SetCaption(const QString&) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetHelpContext(int) {}
    virtual void SetHint(const QString&) {}
    virtual void SetImageIndex(int) {}
    virtual void SetShortCut(int) {}
    virtual void SetVisible(bool) {}
    virtual void SetOnExecute(const TNotifyHandler&) {}

    // After every change of the action.
    std::function<void(TAction* action)> OnChange;

protected:
    friend class TAction;
    // The action is being destroyed; the link no longer names it afterwards.
    virtual void actionFreed() {}

private:
    TAction* m_action = nullptr;
};

// A command that menu items and buttons can share: its values show on every linked client.
class TAction : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(bool Checked READ checked WRITE setChecked)
    Q_PROPERTY(bool Enabled READ enabled WRITE setEnabled)
    Q_PROPERTY(int HelpContext READ helpContext WRITE setHelpContext)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)
    Q_PROPERTY(int ImageIndex READ imageIndex WRITE setImageIndex)
    Q_PROPERTY(int ShortCut READ shortCut WRITE setShortCut)
    Q_PROPERTY(bool Visible READ visible WRITE setVisible)
public:
    explicit TAction(QObject* owner = nullptr);
    ~TAction() override;

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    bool checked() const { return m_checked; }
    void setChecked(bool on);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on);
    int helpContext() const { return m_helpContext; }
    void setHelpContext(int context);
    QString hint() const { return m_hint; }
    void setHint(const QString& hint);
    int imageIndex() const { return m_imageIndex; }
    void setImageIndex(int index);
    int shortCut() const { return m_shortCut; }
    void setShortCut(int shortCut);
    bool visible() const { return m_visible; }
    void setVisible(bool on);
    const TNotifyHandler& onExecute() const { return m_onExecute; }
    void setOnExecute(const TNotifyHandler& handler);
    TNotifyHandler OnUpdate;

    // Runs OnExecute with the action as Sender; false when it has none or is disabled.
    bool Execute();
    bool Update();
    int clientCount() const { return int(m_clients.size()); }

private:
    friend class TActionLink;
    template <typename Value, typename Apply>
    void change(Value& field, const Value& value, Apply apply);

    std::vector<TActionLink*> m_clients;
    QString m_caption;
    bool m_checked = false;
    bool m_enabled = true;
    int m_helpContext = 0;
    QString m_hint;
    int m_imageIndex = -1;
    int m_shortCut = 0;
    bool m_visible = true;
    TNotifyHandler m_onExecute;
};

} // namespace quorvane

#include "platform/EventHandler.h"

#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <memory>

using namespace quorvane;

namespace {

class Receiver : public QWidget {
public:
    QList<QObject*> senders;
    int plainCalls = 0;
    void withSender(QObject* sender) { senders << sender; }
    void withoutArguments() { ++plainCalls; }
    ReceiverLifetime lifetime;
};

} // namespace

// A control that raises its event and its signal when it is hidden, as the window it sits in
// is taken down.
class HidingChild : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    TNotifyEvent OnHide;
Q_SIGNALS:
    void hidden();

protected:
    void hideEvent(QHideEvent* event) override {
        OnHide(this);
        Q_EMIT hidden();
        QLineEdit::hideEvent(event);
    }
};

class TestEventHandler : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bindingsCallTheirReceiverWhileItLives_data();
    void bindingsCallTheirReceiverWhileItLives();
    void aWindowTakenDownHearsNoneOfItsChildren();
    void aPlainFunctionReplacesABinding();
};

void TestEventHandler::bindingsCallTheirReceiverWhileItLives_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("method with the event's arguments") << 0;
    QTest::newRow("method without arguments") << 1;
    QTest::newRow("function bound to the receiver") << 2;
}

void TestEventHandler::bindingsCallTheirReceiverWhileItLives() {
    QFETCH(int, how);
    auto receiver = std::make_unique<Receiver>();
    Receiver* r = receiver.get();
    int calls = 0;
    TNotifyEvent event;
    QVERIFY(!event);
    if (how == 0)
        event.bind(r->lifetime, r, &Receiver::withSender);
    else if (how == 1)
        event.bind(r->lifetime, r, &Receiver::withoutArguments);
    else
        event.bind(r->lifetime, [&calls](QObject*) { ++calls; });
    QVERIFY(bool(event));
    QObject sender;
    event(&sender);
    QCOMPARE(r->senders.size() + r->plainCalls + calls, 1);
    if (how == 0)
        QCOMPARE(r->senders.constFirst(), &sender);

    receiver.reset();
    QVERIFY(!event);
    event(&sender); // nothing left to call
    QCOMPARE(calls, how == 2 ? 1 : 0);
}

// The children hide after the window's own members are gone; neither an event field nor a
// Qt connection bound to the window may reach it then.
void TestEventHandler::aWindowTakenDownHearsNoneOfItsChildren() {
    auto window = std::make_unique<Receiver>();
    auto* child = new HidingChild(window.get());
    int events = 0;
    int signals = 0;
    child->OnHide.bind(window->lifetime, [&events](QObject*) { ++events; });
    QObject::connect(child, &HidingChild::hidden, window.get(),
                     window->lifetime.guarded([&signals] { ++signals; }));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->hide(); // while the window lives, both reach it
    QCOMPARE(events, 1);
    QCOMPARE(signals, 1);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    window.reset();
    QCOMPARE(events, 1);
    QCOMPARE(signals, 1);
}

void TestEventHandler::aPlainFunctionReplacesABinding() {
    int calls = 0;
    TNotifyEvent event;
    {
        Receiver receiver;
        event.bind(receiver.lifetime, &receiver, &Receiver::withoutArguments);
        event = [&calls](QObject*) { ++calls; };
    }
    QVERIFY(bool(event));
    event(nullptr);
    QCOMPARE(calls, 1);
    event = nullptr;
    QVERIFY(!event);
}

QTEST_MAIN(TestEventHandler)
#include "tst_eventhandler.moc"

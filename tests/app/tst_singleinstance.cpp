#include "app/StartUp.h"
#include "platform/Dialogs.h"
#include "platform/SingleInstance.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include <unistd.h>

using namespace quorvane;

namespace {
// Child mode: hold the mutex like a running first copy and report activation requests.
int holdMutex() {
    NamedMutex mutex(StartUp::kMutexName);
    if (!mutex.create())
        return 3;
    mutex.setActivationHandler([](const QString& title) {
        std::printf("activated:%s\n", title.toUtf8().constData());
        std::fflush(stdout);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    QTimer::singleShot(20000, qApp, &QCoreApplication::quit);
    return qApp->exec();
}

// Child mode: the real start-up with a long splash; says when the main window shows.
int startWithLongSplash(QApplication& app) {
    Dialogs::Script::begin(); // a failed creation step must not wait for a click
    return StartUp::run(app, 5000, [] {
        std::printf("started\n");
        std::fflush(stdout);
        QTimer::singleShot(300, qApp, &QCoreApplication::quit);
    });
}

// Where the mutex's lock file lies for this user.
QString lockFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/RunOnlyOnce_MyProject-%1.lock").arg(::getuid());
}

bool waitForLine(QProcess& process, const QByteArray& line, int ms = 10000) {
    QByteArray seen;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        if (process.canReadLine() || process.waitForReadyRead(200)) {
            seen += process.readAll();
            if (seen.split('\n').contains(line))
                return true;
        }
    }
    qWarning() << "child said" << seen;
    return false;
}
} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void firstCopyRunsAlone();
    void secondCopyActivatesTheFirstAndEnds();
    void staleMutexOfAKilledCopyIsTakenOver();
    void minimisedFirstCopyIsRestored();
    void realProgramAnswersTheSecondCopy();
    void unreadableLockWithoutOwnerIsStale_data();
    void unreadableLockWithoutOwnerIsStale();
    void unreadableLockOfAnAnsweringOwnerHolds();
    void splashWaitAnswersTheSecondCopy();

private:
    QTemporaryDir m_runtime;
};

void TestSingleInstance::initTestCase() {
    // Both processes meet in this runtime folder, not in the user's.
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
}

void TestSingleInstance::firstCopyRunsAlone() {
    Dialogs::Script::begin();
    NamedMutex mutex(StartUp::kMutexName);
    QVERIFY(StartUp::ensureSingleInstance(mutex));
    QVERIFY(Dialogs::Script::shownMessages().isEmpty());
    Dialogs::Script::end();
}

void TestSingleInstance::secondCopyActivatesTheFirstAndEnds() {
    QTemporaryDir elsewhere; // the first copy was started from another folder
    QProcess first;
    first.setWorkingDirectory(elsewhere.path());
    first.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-mutex")});
    QVERIFY(waitForLine(first, "ready"));

    Dialogs::Script::begin();
    NamedMutex mutex(StartUp::kMutexName);
    QVERIFY(!StartUp::ensureSingleInstance(mutex));
    const auto shown = Dialogs::Script::shownMessages();
    Dialogs::Script::end();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("Quorvane已在运行！"));
    QCOMPARE(shown[0].caption, QStringLiteral("提示"));
    QCOMPARE(shown[0].icon, Dialogs::Icon::None);
    QCOMPARE(shown[0].buttons, Dialogs::Buttons::Ok);
    // The request carries this copy's default title: its file name up to the first dot.
    QVERIFY(waitForLine(first, "activated:tst_singleinstance"));
    QVERIFY(mutex.alreadyExisted());

    first.kill();
    first.waitForFinished();
}

void TestSingleInstance::staleMutexOfAKilledCopyIsTakenOver() {
    QProcess first;
    first.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-mutex")});
    QVERIFY(waitForLine(first, "ready"));
    first.kill(); // leaves its lock file and socket behind
    first.waitForFinished();

    NamedMutex mutex(StartUp::kMutexName);
    QVERIFY(mutex.create());
    QProcess second;
    second.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-mutex")});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 3); // found the mutex taken
}

void TestSingleInstance::minimisedFirstCopyIsRestored() {
    QWidget window;
    window.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.setWindowState(window.windowState() | Qt::WindowMinimized);
    QVERIFY(window.isMinimized());
    StartUp::bringForward(&window);
    QVERIFY(!window.isMinimized());
    QVERIFY(window.isMaximized()); // back the way it was, not merely normal
    QVERIFY(window.isVisible());
}

void TestSingleInstance::realProgramAnswersTheSecondCopy() {
    QTemporaryDir config;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), config.path());
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QUORVANE_PROGRAM), {});
    QVERIFY(program.waitForStarted());

    NamedMutex probe(StartUp::kMutexName);
    // Asked once more after it held, the check would catch the program inside the splash's
    // wait, when it answers no one; one answer is enough.
    bool answered = false;
    QTRY_VERIFY_WITH_TIMEOUT(
        answered = answered || probe.requestActivation(QStringLiteral("quorvane"), 500), 15000);
    QCOMPARE(program.state(), QProcess::Running);
    QVERIFY(!probe.create());

    program.terminate();
    if (!program.waitForFinished(5000))
        program.kill();
}

void TestSingleInstance::unreadableLockWithoutOwnerIsStale_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\x01\xFFnot a lock\n\n\n");
    QTest::newRow("other host") << QByteArray("4242\nquorvane\nsome-other-host.example\n");
}

void TestSingleInstance::unreadableLockWithoutOwnerIsStale() {
    QFETCH(QByteArray, content);
    QFile lock(lockFilePath());
    QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lock.write(content);
    lock.flush();
    // Left behind a while ago; a lock this young could still be in the making.
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                             QFileDevice::FileModificationTime));
    lock.close();
    NamedMutex mutex(StartUp::kMutexName);
    QVERIFY(mutex.create());
    QVERIFY(!mutex.alreadyExisted());
    // Taken over for real: the next copy finds it owned.
    NamedMutex second(StartUp::kMutexName);
    QVERIFY(!second.create());
}

void TestSingleInstance::unreadableLockOfAnAnsweringOwnerHolds() {
    QProcess first;
    first.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-mutex")});
    QVERIFY(waitForLine(first, "ready"));
    QFile lock(lockFilePath());
    QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lock.write("garbage");
    lock.close();
    NamedMutex mutex(StartUp::kMutexName);
    QVERIFY(!mutex.create());
    QCOMPARE(testing::readFile(lockFilePath()), QByteArray("garbage"));
    first.kill();
    first.waitForFinished();
    QFile::remove(lockFilePath());
}

void TestSingleInstance::splashWaitAnswersTheSecondCopy() {
    QTemporaryDir config;
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), config.path());
    first.setProcessEnvironment(env);
    first.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--long-splash")});
    QVERIFY(first.waitForStarted());

    // Answered while the splash still shows, long before the main window.
    NamedMutex probe(StartUp::kMutexName);
    QTRY_VERIFY_WITH_TIMEOUT(probe.requestActivation(QStringLiteral("quorvane"), 200), 4500);
    QVERIFY(!first.readAllStandardOutput().contains("started"));
    QVERIFY(waitForLine(first, "started"));
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitCode(), 0);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--hold-mutex") == 0)
        return holdMutex();
    if (argc > 1 && qstrcmp(argv[1], "--long-splash") == 0)
        return startWithLongSplash(app);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"

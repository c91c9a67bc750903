// The program on a desktop as a user has it: an X server, openbox and a tray host. What is
// checked is what the user sees: the title bars the window manager shows, the screen, the
// active window.
#include "app/StartUp.h"
#include "platform/Dialogs.h"
#include "platform/FontDialog.h"
#include "platform/NotifyIconHost.h"
#include "platform/SingleInstance.h"
#include "platform/Translations.h"
#include "platform/User.h"
#include "platform/WindowModality.h"
#include "support/DesktopTest.h"
#include "support/MainWindowParts.h"
#include "support/TestDatabase.h"
#include "support/WindowParts.h"
#include "ui/appearance/FolderListBox.h"
#include "ui/appearance/TImageform.h"
#include "ui/appearance/Tabout_frm.h"
#include "ui/lookup/Tmain_frm.h"
#include "ui/search/Tsearch_frm.h"
#include "widgets/tray/TrayIcons.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {
QByteArray output(const QString& program, const QStringList& args) {
    return testing::commandOutput(program, args);
}

bool xdotool(const QStringList& args) {
    return QProcess::execute(u"xdotool"_s, args) == 0;
}

// A property of a window as the window manager and the panels read it.
QString xprop(WId window, const QString& atom) {
    const QByteArray line = output(u"xprop"_s, {u"-id"_s, QString::number(window), atom}).trimmed();
    return QString::fromUtf8(line);
}

// The title bar: `_NET_WM_NAME(UTF8_STRING) = "text"`.
QString titleBar(WId window) {
    const QString line = xprop(window, u"_NET_WM_NAME"_s);
    const qsizetype first = line.indexOf(u'"');
    const qsizetype last = line.lastIndexOf(u'"');
    return first >= 0 && last > first ? line.mid(first + 1, last - first - 1) : QString();
}

WId activeWindow() {
    const QString line =
        QString::fromUtf8(output(u"xprop"_s, {u"-root"_s, u"_NET_ACTIVE_WINDOW"_s}).trimmed());
    return line.section(u'#', 1).trimmed().toULongLong(nullptr, 0);
}

QImage screen() {
    return QImage::fromData(output(u"import"_s, {u"-window"_s, u"root"_s, u"png:-"_s}), "PNG");
}

// Runs `inspect` once the modal window that `open` shows is up, then closes that window,
// whether `open` blocks (exec) or not. Returns false when no modal window came.
bool whileOpen(const std::function<void()>& open, const std::function<void(QWidget*)>& inspect) {
    bool done = false;
    QTimer::singleShot(0, qApp, [&] {
        QWidget* modal = nullptr;
        const bool up = QTest::qWaitFor([&] {
            modal = QApplication::activeModalWidget();
            return modal && modal->windowHandle() && modal->windowHandle()->isExposed();
        });
        if (up) {
            inspect(modal);
            modal->close();
        }
        done = true;
    });
    open();
    return QTest::qWaitFor([&] { return done; }) && done;
}

// Texts a user reads in a window: labels, buttons, frames and the title.
QStringList visibleTexts(QWidget* window) {
    QStringList texts{window->windowTitle()};
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->isVisible())
            texts << label->text();
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->isVisible())
            texts << button->text();
    for (QGroupBox* box : window->findChildren<QGroupBox*>())
        if (box->isVisible())
            texts << box->title();
    return texts;
}

// An English word of the user interface left untranslated ("Cancel", "File name").
QStringList englishTexts(const QStringList& texts) {
    static const QRegularExpression word(u"\\b[A-Z]?[a-z]{2,}\\b"_s);
    QStringList found;
    for (const QString& text : texts) {
        QString plain = text;
        plain.remove(u'&');
        // File names and masks the test itself supplied.
        plain.remove(QRegularExpression(u"[\\w.-]*\\.(txt|bmp)\\b|\\*\\.\\*"_s));
        if (plain.contains(word))
            found << text;
    }
    return found;
}

void writeBitmap(const QString& path, const QColor& colour) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path, "BMP");
}
} // namespace

class TestDesktopSession : public testing::DesktopTest {
    Q_OBJECT
public:
    using DesktopTest::DesktopTest;

private:
    std::unique_ptr<testing::ProgramFolder> m_folder;

    static QRect iconRect(Tmain_frm* window) {
        return Shell_NotifyIconGetRect(parts(*window).TrayIcon1->iconWindow(), 1);
    }
    static bool clickIcon(Tmain_frm* window) {
        if (!QTest::qWaitFor([window] { return iconRect(window).width() > 0; }, 10000))
            return false;
        // Apart enough not to make a double click of two.
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        const QPoint centre = iconRect(window).center();
        return xdotool({u"mousemove"_s, QString::number(centre.x()), QString::number(centre.y()),
                        u"click"_s, u"1"_s});
    }
    static bool onScreen(QWidget* window) {
        return window->isVisible() && window->windowHandle() &&
               window->windowHandle()->isExposed() && !window->isMinimized();
    }
    std::unique_ptr<Tmain_frm> openMain() {
        auto window = std::make_unique<Tmain_frm>();
        window->show();
        return window;
    }

private Q_SLOTS:
    void initTestCase() {
        if (!m_up)
            QSKIP(qPrintable(m_why));
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        m_folder = std::make_unique<testing::ProgramFolder>(testing::sampleRows());
        QVERIFY(Translations::install());
        WindowModality::install();
        User::setApplicationTitle(u"Quorvane"_s);
    }

    void titleBarsShowTheProgramsCaptions_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("closeBoxOnly");
        QTest::newRow("main window") << u"main"_s << u"Quorvane"_s << false;
        QTest::newRow("About") << u"about"_s << u"关于Quorvane"_s << true;
        QTest::newRow("background chooser") << u"chooser"_s << u"背景设置"_s << true;
        QTest::newRow("message box") << u"box"_s << u"提示"_s << true;
        QTest::newRow("error box") << u"error"_s << u"Quorvane"_s << true;
        QTest::newRow("maintenance") << u"maintenance"_s << u"维护成语"_s << false;
        QTest::newRow("search") << u"search"_s << u"检索成语"_s << false;
        QTest::newRow("save dialog") << u"save"_s << u"另存为"_s << true;
    }
    void titleBarsShowTheProgramsCaptions() {
        QFETCH(QString, window);
        QFETCH(QString, caption);
        QFETCH(bool, closeBoxOnly);
        auto main = openMain();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QString shown;
        QString actions;
        const auto read = [&](QWidget* top) {
            // Read again until there; a missing one fails the comparisons below.
            (void)QTest::qWaitFor([&] { return !(shown = titleBar(top->winId())).isEmpty(); });
            // The window manager lists what it offers once it manages the window.
            (void)QTest::qWaitFor([&] {
                actions = xprop(top->winId(), u"_NET_WM_ALLOWED_ACTIONS"_s);
                return actions.contains(u"CLOSE"_s);
            });
        };
        const QHash<QString, std::function<void()>> openers{
            {u"about"_s, [&] { Tabout_frm::showAbout(main.get()); }},
            {u"chooser"_s, [&] { parts(*main).setimagebtn->click(); }},
            {u"box"_s,
             [&] {
                 Dialogs::messageBox(main.get(), u"Quorvane已在运行！"_s, u"提示"_s,
                                     Dialogs::Icon::None);
             }},
            {u"error"_s, [] { Dialogs::showError(u"出错了"_s); }},
            {u"maintenance"_s, [&] { parts(*main).cyglbtn->click(); }},
            {u"save"_s,
             [&] {
                 Dialogs::getSaveFileName(main.get(), {u"文本文件 (*.txt)|*.txt"_s,
                                                       m_folder->path() + u"a.txt"_s, true});
             }},
        };
        if (window == u"main"_s) {
            read(main.get());
        } else if (window == u"search"_s) { // a tool window beside the main window
            parts(*main).jsbtn->click();
            QWidget* search = main->searchWindow();
            QVERIFY(QTest::qWaitForWindowExposed(search));
            read(search);
            search->close();
        } else
            QVERIFY(whileOpen(openers.value(window), read));
        QCOMPARE(shown, caption);
        // What the window manager offers besides the close box.
        const bool minimise = actions.contains(u"_NET_WM_ACTION_MINIMIZE"_s);
        QVERIFY2(actions.contains(u"_NET_WM_ACTION_CLOSE"_s), qPrintable(actions));
        QVERIFY2(minimise != closeBoxOnly, qPrintable(actions));
        if (closeBoxOnly)
            QVERIFY2(!actions.contains(u"MAXIMIZE"_s), qPrintable(actions));
    }

    void qtDialogsSpeakChinese_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("expected"); // one text the user must find
        QTest::newRow("OK/Cancel box") << u"box"_s << u"取消"_s;
        QTest::newRow("save dialog") << u"save"_s << u"文件类型："_s;
        QTest::newRow("open dialog") << u"open"_s << u"查找范围："_s;
        QTest::newRow("font dialog") << u"font"_s << u"取消"_s;
        QTest::newRow("print dialog") << u"print"_s << u"打印"_s;
    }
    void qtDialogsSpeakChinese() {
        QFETCH(QString, dialog);
        QFETCH(QString, expected);
        auto main = openMain();
        const Dialogs::FileDialogSetup files{u"文本文件 (*.txt)|*.txt"_s,
                                             m_folder->path() + u"a.txt"_s, true};
        QPrinter printer;
        const QHash<QString, std::function<void()>> openers{
            {u"box"_s,
             [&] {
                 Dialogs::messageBox(main.get(), u"要删除吗？"_s, u"删除提示"_s,
                                     Dialogs::Icon::Question, Dialogs::Buttons::OkCancel);
             }},
            {u"save"_s, [&] { Dialogs::getSaveFileName(main.get(), files); }},
            {u"open"_s, [&] { Dialogs::getOpenFileName(main.get(), files); }},
            {u"font"_s, [&] { parts(*main).fontbtn->click(); }},
            {u"print"_s, [&] { QPrintDialog(&printer, main.get()).exec(); }},
        };
        QStringList texts;
        QVERIFY(whileOpen(openers.value(dialog), [&](QWidget* top) { texts = visibleTexts(top); }));
        QVERIFY2(texts.join(u'|').contains(expected), qPrintable(texts.join(u'|')));
        QVERIFY2(englishTexts(texts).isEmpty(), qPrintable(englishTexts(texts).join(u'|')));
    }

    // A later copy brings the first one back on screen, however it was put away, with a
    // window left open over it on top.
    void secondStartRevealsTheFirstCopy_data() {
        QTest::addColumn<QString>("putAway");
        QTest::newRow("hidden by a tray click") << u"click"_s;
        QTest::newRow("hidden by minimising") << u"minimise"_s;
        QTest::newRow("hidden with About open") << u"about"_s;
    }
    void secondStartRevealsTheFirstCopy() {
        QFETCH(QString, putAway);
        bool hidden = false;
        bool secondRan = true;
        bool revealed = false;
        bool aboutOnTop = false;
        const int code = StartUp::run(*qApp, 0, [&] {
            Tmain_frm* main = main_frm;
            QPointer<Tabout_frm> about;
            const auto end = qScopeGuard([&] {
                if (about)
                    about->close();
                main->close();
                // The event loop has not started yet: its end waits for it.
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            });
            if (!QTest::qWaitForWindowExposed(main))
                return;
            if (putAway == u"about"_s) {
                about = new Tabout_frm(main);
                about->setAttribute(Qt::WA_DeleteOnClose);
                about->open();
                if (!QTest::qWaitForWindowExposed(about))
                    return;
            }
            if (putAway == u"minimise"_s)
                xdotool({u"windowminimize"_s, QString::number(main->winId())});
            else
                clickIcon(main); // also while About is open: the icon answers
            hidden = QTest::qWaitFor([main] { return !main->isVisible(); }, 5000);
            if (!hidden)
                return;

            // The second copy, as the program starts it: the mutex is taken, it asks.
            NamedMutex second(StartUp::kMutexName);
            Dialogs::Script::begin();
            secondRan = StartUp::ensureSingleInstance(second);
            Dialogs::Script::end();
            User::setApplicationTitle(StartUp::kApplicationTitle);

            revealed = QTest::qWaitFor([main] { return onScreen(main); }, 5000);
            if (about)
                aboutOnTop =
                    QTest::qWaitFor([&] { return activeWindow() == about->winId(); }, 5000);
        });
        QCOMPARE(code, 0);
        QVERIFY(hidden);
        QVERIFY(!secondRan);
        QVERIFY(revealed);
        if (putAway == u"about"_s)
            QVERIFY(aboutOnTop);
    }

    // About cannot be minimised on its own (the window manager ignores the request); the main
    // window minimised under it goes to the tray with it, and the icon brings both back, About
    // in front.
    void minimisedAboutComesBackWithTheMainWindow() {
        auto main = openMain();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        auto* about = new Tabout_frm(main.get());
        about->setAttribute(Qt::WA_DeleteOnClose);
        const QPointer<Tabout_frm> guard(about);
        const auto close = qScopeGuard([&] {
            if (guard)
                guard->close();
        });
        about->open();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QVERIFY(xdotool({u"windowminimize"_s, QString::number(about->winId())}));
        // A move asked for afterwards: once About has moved, the window manager has dealt with
        // the minimise request too.
        const QPoint before = about->pos();
        QVERIFY(xdotool({u"windowmove"_s, QString::number(about->winId()),
                         QString::number(before.x() + 40), QString::number(before.y() + 30)}));
        QTRY_VERIFY_WITH_TIMEOUT(about->pos() != before, 5000);
        QVERIFY(onScreen(about));
        QVERIFY(onScreen(main.get()));

        QVERIFY(xdotool({u"windowminimize"_s, QString::number(main->winId())}));
        QTRY_VERIFY_WITH_TIMEOUT(!main->isVisible(), 5000);
        QVERIFY(clickIcon(main.get()));
        QVERIFY(clickIcon(main.get()));
        QTRY_VERIFY_WITH_TIMEOUT(onScreen(main.get()), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(guard && onScreen(guard), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), guard->winId(), 5000);
    }

    void windowComesBackWhenTheTrayGoes() {
        auto main = openMain();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QVERIFY(clickIcon(main.get()));
        QTRY_VERIFY_WITH_TIMEOUT(!main->isVisible(), 5000);
        const auto restart = qScopeGuard([this] { m_desktop.startTrayHost(); });
        m_desktop.stopTrayHost();
        QTRY_VERIFY_WITH_TIMEOUT(onScreen(main.get()), 10000);
        QVERIFY(m_desktop.startTrayHost());
        QTRY_VERIFY_WITH_TIMEOUT(iconRect(main.get()).width() > 0, 10000);
    }

    // After 应用 every tiled surface of the main window shows the new picture on screen.
    void applyRepaintsEverySurface() {
        auto main = openMain();
        main->showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QTemporaryDir folder;
        const QList<QColor> colours{QColor(200, 30, 40), QColor(20, 60, 210)};
        writeBitmap(folder.filePath(u"a.bmp"_s), colours[0]);
        writeBitmap(folder.filePath(u"b.bmp"_s), colours[1]);

        QList<QWidget*> surfaces;
        for (QWidget* widget : main->findChildren<QWidget*>())
            if (widget->property("tileArea").toBool() || widget->objectName() == u"Splitter1"_s)
                surfaces << widget;
        QVERIFY(surfaces.size() >= 7);

        QStringList stale;
        const bool opened = whileOpen(
            [&] { parts(*main).setimagebtn->click(); },
            [&](QWidget* top) {
                auto* chooser = static_cast<TImageform*>(top);
                testing::part<FolderListBox>(*chooser, "Box1")->setDirectory(folder.path());
                const QRect covered = chooser->frameGeometry();
                for (int i = 0; i < 2; ++i) {
                    QListWidgetItem* item =
                        testing::part<QListWidget>(*chooser, "FileListBox1")->item(i);
                    const QRect at =
                        testing::part<QListWidget>(*chooser, "FileListBox1")->visualItemRect(item);
                    QTest::mouseClick(
                        testing::part<QListWidget>(*chooser, "FileListBox1")->viewport(),
                        Qt::LeftButton, {}, at.center());
                    QTest::mouseClick(testing::part<QPushButton>(*chooser, "BitBtn3"),
                                      Qt::LeftButton);
                    // Sample each surface where nothing covers it.
                    const auto showsNew = [&](const QImage& shot, QWidget* surface) {
                        for (int y = 1; y < surface->height(); y += 3)
                            for (int x = 1; x < surface->width(); x += 3) {
                                const QPoint global = surface->mapToGlobal(QPoint(x, y));
                                if (surface->childAt(x, y) || covered.contains(global))
                                    continue;
                                return shot.pixelColor(global) == colours[i];
                            }
                        return false;
                    };
                    QImage shot; // checked surface by surface below
                    (void)QTest::qWaitFor(
                        [&] {
                            shot = screen();
                            for (QWidget* surface : surfaces)
                                if (!showsNew(shot, surface))
                                    return false;
                            return true;
                        },
                        3000);
                    for (QWidget* surface : surfaces)
                        if (!showsNew(shot, surface))
                            stale << surface->objectName() + u" after "_s + item->text();
                }
            });
        QVERIFY(opened);
        QVERIFY2(stale.isEmpty(), qPrintable(stale.join(u", "_s)));
    }
};

int main(int argc, char** argv) {
    // The single-instance lock and socket of our own, apart from other runs on this machine.
    QTemporaryDir runtime;
    return testing::runOnPrivateDesktop<TestDesktopSession>(argc, argv, [&runtime] {
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        qputenv("TMPDIR", runtime.path().toLocal8Bit());
    });
}

#include "tst_desktopsession.moc"

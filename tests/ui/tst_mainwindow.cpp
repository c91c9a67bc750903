#include "data/ColourText.h"
#include "platform/Dialogs.h"
#include "platform/FontFaces.h"
#include "platform/Registry.h"
#include "platform/User.h"
#include "support/MainWindowParts.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"
#include "support/TestSettings.h"
#include "ui/appearance/Tlogo_frm.h"
#include "ui/lookup/Tmain_frm.h"
#include "widgets/kit/VyrControls.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <functional>

using namespace quorvane;
using quorvane::testing::entry;
using quorvane::testing::ProgramFolder;
using quorvane::testing::settingsText;
using quorvane::testing::writeSettings;

namespace {
qreal points(qreal pixels, const QWidget* widget) {
    return pixels * 72.0 / widget->logicalDpiX();
}

// Errors shown by the window while it was built.
QList<Dialogs::Script::Shown> errorsWhileCreating(std::unique_ptr<Tmain_frm>& window) {
    Dialogs::Script::begin();
    window = std::make_unique<Tmain_frm>();
    const auto shown = Dialogs::Script::shownMessages();
    Dialogs::Script::end();
    return shown;
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void firstStartWritesDefaults();
    void laterStartsUseStoredSettings_data();
    void laterStartsUseStoredSettings();
    void failedCreationStepsSkipTheRest_data();
    void failedCreationStepsSkipTheRest();
    void entryShowsPresentSectionsInFormat();
    void emptyTableShowsEmptyEntry();
    void longFieldWithoutBreakPointsWrapsInTheView();
    void marginsFollowTheView();
    void closingReleasesTheStore();
    void splashShowsTheStoredVersion();
    void wrappedEntryLinesStandApart_data();
    void wrappedEntryLinesStandApart();
    void kitControlsArePressableByAssistiveTechnology();
};

void TestMainWindow::initTestCase() {
    User::setApplicationTitle(QStringLiteral("Quorvane"));
    FontFaces::installSubstitutions();
}

void TestMainWindow::firstStartWritesDefaults() {
    ProgramFolder folder(testing::sampleRows());
    std::unique_ptr<Tmain_frm> window;
    QCOMPARE(errorsWhileCreating(window).size(), 0);

    const QString stored = settingsText();
    QVERIFY2(stored.contains(QStringLiteral("\"bkgrnd\"=\"") + folder.path() +
                             QStringLiteral("images/bk.bmp\"")),
             qPrintable(stored));
    QVERIFY(stored.contains(QStringLiteral("\"fontname\"=\"宋体\"")));
    QVERIFY(stored.contains(QStringLiteral("\"fontsize\"=dword:0000000b")));
    QVERIFY(stored.contains(QStringLiteral("\"fontcolor\"=\"clWindowText\"")));

    // Stored as the view's design colour, rendered in the default black.
    QCOMPARE(window->entryFont(), EntryFont::defaults());
    QCOMPARE(parts(*window).RichEdit1->textColour(), QColor(Qt::black));
    QCOMPARE(parts(*window).RichEdit1->textFont().pointSize(), 11);
    QCOMPARE(parts(*window).cymc->text(), QStringLiteral("阿鼻地狱"));
    QCOMPARE(parts(*window).RichEdit1->paragraphs(),
             (QStringList{QString(), QStringLiteral("【拼音】ā bí dì yù")}));
    QVERIFY(!window->backgroundBitmap()->isEmpty());
    QCOMPARE(window->windowTitle(), QStringLiteral("Quorvane"));
    QVERIFY(window->windowState() & Qt::WindowMaximized);

    // A second start reads what the first wrote and writes nothing more.
    const QString afterFirst = settingsText();
    window.reset();
    QCOMPARE(errorsWhileCreating(window).size(), 0);
    QCOMPARE(settingsText(), afterFirst);
    QCOMPARE(window->entryFont(),
             (EntryFont{QStringLiteral("宋体"), 11, QStringLiteral("clWindowText")}));
}

void TestMainWindow::laterStartsUseStoredSettings_data() {
    QTest::addColumn<QString>("storedColour");
    QTest::addColumn<QString>("entryColour");
    QTest::addColumn<QColor>("rendered");
    QTest::newRow("hex") << "$00FF0000"
                         << "clBlue" << QColor(Qt::blue);
    QTest::newRow("decimal") << "255"
                             << "clRed" << QColor(Qt::red);
    QTest::newRow("lower-case name") << "clgreen"
                                     << "clGreen" << QColor(0, 0x80, 0);
    QTest::newRow("not in the table") << "$00123456"
                                      << "$00123456" << QColor(0x56, 0x34, 0x12);
}

void TestMainWindow::laterStartsUseStoredSettings() {
    QFETCH(QString, storedColour);
    QFETCH(QString, entryColour);
    QFETCH(QColor, rendered);
    ProgramFolder folder(testing::sampleRows());
    const QString values = QStringLiteral("\"bkgrnd\"=\"") + folder.path() +
                           QStringLiteral("images/bk.bmp\"\r\n\"fontname\"=\"楷体_GB2312\"\r\n"
                                          "\"fontsize\"=dword:00000014\r\n\"fontcolor\"=\"") +
                           storedColour + QStringLiteral("\"\r\n");
    writeSettings(values);
    const QString before = settingsText();
    std::unique_ptr<Tmain_frm> window;
    QCOMPARE(errorsWhileCreating(window).size(), 0);

    QCOMPARE(window->entryFont(), (EntryFont{QStringLiteral("楷体_GB2312"), 20, entryColour}));
    QCOMPARE(parts(*window).RichEdit1->textColour(), rendered);
    QCOMPARE(parts(*window).RichEdit1->textFont().family(), QStringLiteral("楷体_GB2312"));
    QCOMPARE(parts(*window).RichEdit1->textFont().pointSize(), 20);
    // The rendered text itself carries the entry font.
    const QTextCharFormat format = parts(*window).RichEdit1->document()->lastBlock().charFormat();
    QCOMPARE(format.foreground().color(), rendered);
    QCOMPARE(settingsText(), before); // the stored text is not rewritten
}

void TestMainWindow::failedCreationStepsSkipTheRest_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("no database") << "database" << QStringLiteral("找不到数据库文件");
    QTest::newRow("missing picture") << "picture" << QStringLiteral("Cannot open file /");
    QTest::newRow("picture not a bitmap")
        << "badpicture" << QStringLiteral("Bitmap image is not valid.");
    QTest::newRow("bad colour") << "colour"
                                << QStringLiteral("'blue' is not a valid integer value.");
    QTest::newRow("size stored as text") << "size" << QStringLiteral("fontsize");
    QTest::newRow("malformed settings") << "malformed" << QStringLiteral("第 4 行");
}

void TestMainWindow::failedCreationStepsSkipTheRest() {
    QFETCH(QString, fault);
    QFETCH(QString, message);
    ProgramFolder folder(testing::sampleRows());
    const QString picture = folder.path() + QStringLiteral("images/bk.bmp");
    if (fault == u"database")
        QFile::remove(folder.databasePath());
    else if (fault == u"picture")
        writeSettings(QStringLiteral("\"bkgrnd\"=\"") + folder.path() +
                      QStringLiteral("nowhere.bmp\"\r\n"));
    else if (fault == u"badpicture") {
        QFile file(picture);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("BM not really a bitmap");
    } else if (fault == u"colour")
        writeSettings(QStringLiteral("\"fontcolor\"=\"blue\"\r\n"));
    else if (fault == u"size")
        writeSettings(QStringLiteral("\"fontsize\"=\"11\"\r\n"));
    else if (fault == u"malformed")
        writeSettings(QStringLiteral("fontsize=11\r\n"));
    const QString settingsBefore = settingsText();

    std::unique_ptr<Tmain_frm> window;
    const auto errors = errorsWhileCreating(window);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].text.contains(message), qPrintable(errors[0].text));
    QVERIFY(errors[0].text.endsWith(u'.'));
    QCOMPARE(errors[0].caption, QStringLiteral("Quorvane"));
    QCOMPARE(errors[0].icon, Dialogs::Icon::Stop);

    // The first rendering never happened, and the window is still there to use.
    QVERIFY(parts(*window).RichEdit1->paragraphs().isEmpty());
    QCOMPARE(parts(*window).cymc->text(), QString());
    QCOMPARE(window->entryFont(), EntryFont::defaults());
    if (fault == u"database") {
        QVERIFY(!parts(*window).q_cy->active());
        QCOMPARE(parts(*window).DBGrid1->model()->rowCount(), 0);
        QVERIFY(settingsText().isEmpty()); // settings are read after the store
        QVERIFY(!QFile::exists(folder.databasePath()));
        // Later renderings of the empty store show nothing and report nothing.
        Dialogs::Script::begin();
        window->ShowEntry();
        parts(*window).nextbtn->click();
        QCOMPARE(Dialogs::Script::shownMessages().size(), 0);
        QVERIFY(parts(*window).RichEdit1->paragraphs().isEmpty());
        Dialogs::Script::end();
    } else {
        QVERIFY(parts(*window).q_cy->active());
        QCOMPARE(parts(*window).DBGrid1->model()->rowCount(), int(testing::sampleRows().size()));
    }
    if (fault == u"picture")
        // The missing default is neither loaded nor stored; nothing after it is written.
        QCOMPARE(settingsText(), settingsBefore);
    if (fault == u"malformed")
        QCOMPARE(settingsText(), settingsBefore); // never rewritten, never replaced
    if (fault == u"colour" || fault == u"size") {
        // Values before the failing one were handled; the failing one stays as it was.
        QVERIFY(settingsText().startsWith(settingsBefore));
        QVERIFY(settingsText().contains(QStringLiteral("\"fontname\"=\"宋体\"")));
        QCOMPARE(settingsText().contains(QStringLiteral("\"fontsize\"=dword")), fault == u"colour");
        QVERIFY(!settingsText().contains(QStringLiteral("clWindowText")));
    }
}

void TestMainWindow::entryShowsPresentSectionsInFormat() {
    IdiomEntry full = entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱"),
                            QStringLiteral("ā bí dì yù"), {}, QStringLiteral("例一\n例二"));
    IdiomEntry allusion = entry(QStringLiteral("bfbz"), QStringLiteral("百发百中"));
    allusion.text(Column::Allusion) = QStringLiteral("养由基射柳叶");
    ProgramFolder folder({full, allusion});
    std::unique_ptr<Tmain_frm> window;
    QCOMPARE(errorsWhileCreating(window).size(), 0);
    RichEdit* view = parts(*window).RichEdit1;

    QCOMPARE(view->paragraphs(),
             (QStringList{QString(), QStringLiteral("【拼音】ā bí dì yù"), QString(),
                          QStringLiteral("【示例】例一"), QStringLiteral("例二")}));
    // Every paragraph: first line 10 pt in, the following 40 pt further, 10 pt on the right.
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        QCOMPARE(qRound(points(format.leftMargin() + format.textIndent(), view)), 10);
        QCOMPARE(qRound(points(-format.textIndent(), view)), 40);
        QCOMPARE(qRound(points(format.rightMargin(), view)), 10);
    }

    // A changed offset lasts only until the next rendering.
    view->setParaFormat({200, 880, 200, false});
    parts(*window).nextbtn->click();
    QCOMPARE(parts(*window).cymc->text(), QStringLiteral("百发百中"));
    QCOMPARE(view->paragraphs(), (QStringList{QString(), QStringLiteral("【典故】养由基射柳叶")}));
    QCOMPARE(qRound(points(-view->document()->lastBlock().blockFormat().textIndent(), view)), 40);
    QCOMPARE(view->paraFormat().offset, 800);
}

void TestMainWindow::emptyTableShowsEmptyEntry() {
    ProgramFolder folder({});
    std::unique_ptr<Tmain_frm> window;
    QCOMPARE(errorsWhileCreating(window).size(), 0);
    QCOMPARE(parts(*window).cymc->text(), QString());
    QVERIFY(parts(*window).RichEdit1->paragraphs().isEmpty());
    QVERIFY(parts(*window).q_cy->bof() && parts(*window).q_cy->eof());
}

void TestMainWindow::longFieldWithoutBreakPointsWrapsInTheView() {
    IdiomEntry longOne = entry(QStringLiteral("ac"), QStringLiteral("阿长"));
    const QString text(65535, u'a');
    longOne.text(Column::Explanation) = text;
    ProgramFolder folder({longOne, entry(QStringLiteral("dd"), QStringLiteral("短短"),
                                         QStringLiteral("duǎn duǎn"))});
    std::unique_ptr<Tmain_frm> window;
    QCOMPARE(errorsWhileCreating(window).size(), 0);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    RichEdit* view = parts(*window).RichEdit1;
    QCOMPARE(view->paragraphs(), (QStringList{QString(), QStringLiteral("【解释】") + text}));

    // All of it is there, in lines that fit the view.
    const QTextBlock block = view->document()->lastBlock();
    view->document()->documentLayout()->documentSize(); // lays everything out
    const QTextLayout* layout = block.layout();
    QVERIFY(layout->lineCount() > 100);
    int laidOut = 0;
    for (int i = 0; i < layout->lineCount(); ++i) {
        QVERIFY(layout->lineAt(i).naturalTextWidth() <= view->viewport()->width());
        laidOut += layout->lineAt(i).textLength();
    }
    QCOMPARE(laidOut, block.length() - 1);

    // The next, ordinary entry breaks between words again.
    parts(*window).nextbtn->click();
    QCOMPARE(parts(*window).cymc->text(), QStringLiteral("短短"));
    QCOMPARE(view->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void TestMainWindow::marginsFollowTheView() {
    ProgramFolder folder(testing::sampleRows());
    std::unique_ptr<Tmain_frm> window;
    errorsWhileCreating(window);
    window->setWindowState(Qt::WindowNoState);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    for (const QSize size : {QSize(700, 400), QSize(900, 500)}) {
        window->resize(size);
        QTRY_COMPARE(parts(*window).RichEdit1->formattingRect(),
                     QRect(10, 0, parts(*window).RichEdit1->viewport()->width() - 20,
                           parts(*window).RichEdit1->viewport()->height()));
    }
    // The text really sits inside: its frame keeps 10 pixels on both sides.
    const QTextFrameFormat frame = parts(*window).RichEdit1->document()->rootFrame()->frameFormat();
    QCOMPARE(frame.leftMargin(), 10.0);
    QCOMPARE(frame.rightMargin(), 10.0);
}

void TestMainWindow::closingReleasesTheStore() {
    ProgramFolder folder(testing::sampleRows());
    std::unique_ptr<Tmain_frm> window;
    errorsWhileCreating(window);
    window->show();
    QVERIFY(parts(*window).skt_cy->connected());
    parts(*window).exitbtn->trigger(); // the tray's "退出" takes the close button's path
    QVERIFY(!parts(*window).q_cy->active());
    QVERIFY(!parts(*window).skt_cy->connected());
    QVERIFY(window->backgroundBitmap() == nullptr);
    QVERIFY(!window->isVisible());
}

void TestMainWindow::splashShowsTheStoredVersion() {
    ProgramFolder folder(testing::sampleRows());
    QCOMPARE(Tlogo_frm().versionLabel()->text(), QString()); // absent: empty
    writeSettings(QStringLiteral("\"version\"=\"3.0.2\"\r\n"));
    QCOMPARE(Tlogo_frm().versionLabel()->text(), QStringLiteral("版本：3.0.2"));
    // A settings file that cannot be understood must not stop the program at its splash.
    writeSettings(QStringLiteral("version 3\r\n"));
    const QString broken = settingsText();
    QCOMPARE(Tlogo_frm().versionLabel()->text(), QString());
    QCOMPARE(settingsText(), broken);
}

void TestMainWindow::wrappedEntryLinesStandApart_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("points");
    QTest::newRow("宋体 11") << QStringLiteral("宋体") << 11;
    QTest::newRow("宋体 20") << QStringLiteral("宋体") << 20;
    QTest::newRow("楷体_GB2312 14") << QStringLiteral("楷体_GB2312") << 14;
}

// One long paragraph wraps; its lines are laid out about 1.15 of the font's height apart.
void TestMainWindow::wrappedEntryLinesStandApart() {
    QFETCH(QString, face);
    QFETCH(int, points);
    ProgramFolder folder(testing::sampleRows());
    std::unique_ptr<Tmain_frm> window;
    QCOMPARE(errorsWhileCreating(window).size(), 0);
    window->show();
    RichEdit* view = parts(*window).RichEdit1;
    QFont font(face);
    font.setPointSize(points);
    view->setTextFont(font, Qt::black);
    view->setParagraphs({QString(400, QChar(u'成'))});
    const QTextLayout* layout = view->document()->firstBlock().layout();
    QVERIFY(layout->lineCount() >= 3);
    const qreal height = QFontMetricsF(view->textFont()).height();
    for (int i = 1; i < layout->lineCount(); ++i) {
        const qreal step = layout->lineAt(i).y() - layout->lineAt(i - 1).y();
        QVERIFY2(step >= height * 1.14 && step <= height * 1.2,
                 qPrintable(QStringLiteral("step %1, height %2").arg(step).arg(height)));
    }
}

// Found from the window down, as a screen reader finds them; pressed as it presses them.
void TestMainWindow::kitControlsArePressableByAssistiveTechnology() {
    ProgramFolder folder(testing::sampleRows());
    std::unique_ptr<Tmain_frm> window;
    QCOMPARE(errorsWhileCreating(window).size(), 0);
    window->show();
    QList<QAccessibleInterface*> found;
    const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        if (qobject_cast<TVyrGraphicControl*>(node->object()))
            found << node;
        for (int i = 0; i < node->childCount(); ++i)
            if (QAccessibleInterface* child = node->child(i))
                walk(child);
    };
    walk(QAccessible::queryAccessibleInterface(window.get()));
    QCOMPARE(found.size(), window->findChildren<TVyrGraphicControl*>().size());
    QVERIFY(!found.isEmpty());
    QStringList names;
    for (QAccessibleInterface* node : found) {
        auto* control = static_cast<TVyrGraphicControl*>(node->object());
        QCOMPARE(node->role(), QAccessible::Button);
        QVERIFY(!control->toolTip().isEmpty());
        QCOMPARE(node->text(QAccessible::Name), control->toolTip());
        names << node->text(QAccessible::Name);
        QAccessibleActionInterface* actions = node->actionInterface();
        QVERIFY(actions);
        QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
        // A window the press opens modally is closed as soon as it runs.
        bool opened = false;
        QTimer::singleShot(0, window.get(), [&opened] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                opened = modal->objectName() == u"about_frm";
                modal->close();
            }
        });
        QSignalSpy clicks(control, &TVyrGraphicControl::clicked);
        actions->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicks.count(), 1);
        if (control == parts(*window).VyrRoundButton1)
            QVERIFY(opened);
    }
    QVERIFY(names.contains(QStringLiteral("关于Quorvane")));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

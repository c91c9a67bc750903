#include "data/AdoConnection.h"
#include "data/AdoTable.h"
#include "data/DataSource.h"
#include "data/SettingsStore.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "platform/User.h"
#include "support/MainWindowParts.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"
#include "support/TestTable.h"
#include "support/WindowParts.h"
#include "ui/lookup/Tmain_frm.h"
#include "ui/maintenance/Tappend_frm.h"
#include "widgets/dbaware/TDBEdit.h"
#include "widgets/dbaware/TDBFilterDialog.h"
#include "widgets/dbaware/TDBFilterDlg.h"
#include "widgets/dbaware/TDBMemo.h"

#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <QtTest>

#include <csignal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif
#ifdef Q_OS_LINUX
#include <malloc.h>
#include <unistd.h>
#endif

using namespace quorvane;
namespace Script = quorvane::Dialogs::Script;
using testing::entry;
using testing::storedRows;

#ifdef Q_OS_UNIX
using quorvane::testing::FileSizeLimit;
#endif

namespace {
std::vector<IdiomEntry> rowsOf(int count) {
    std::vector<IdiomEntry> rows;
    const QStringList idioms = {QStringLiteral("阿鼻地狱"), QStringLiteral("百发百中"),
                                QStringLiteral("沧海桑田")};
    for (int i = 0; i < count; ++i)
        rows.push_back(
            entry(QStringLiteral("c%1").arg(i), idioms.value(i, QStringLiteral("其他"))));
    return rows;
}

// The store's maintenance cursor over a program folder, and a maintenance window on it.
struct Fixture {
    testing::ProgramFolder folder;
    AdoConnection connection;
    AdoTable table;
    DataSource source;
    QPointer<Tappend_frm> window;

    explicit Fixture(const std::vector<IdiomEntry>& rows) : folder(rows) {
        connection.setConnectionString(AdoConnection::buildConnectionString(folder.path()));
        connection.open();
        table.setConnection(&connection);
        table.setTableName(QStringLiteral("cy"));
        source.setDataSet(&table);
    }
    Tappend_frm& open() {
        window = new Tappend_frm(&table, &source);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            qWarning("the maintenance window did not become active");
        return *window;
    }
    ~Fixture() {
        if (window)
            window->close();
        delete window.data();
    }
    QStringList stored() const { return storedRows(folder.databasePath()); }
};

void click(QToolButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

// "prior enabled, next enabled" as two digits.
QString moveButtons(const Tappend_frm& w) {
    return QString::number(int(testing::part<QToolButton>(w, "priovbtn")->isEnabled())) +
           QString::number(int(testing::part<QToolButton>(w, "nextbtn")->isEnabled()));
}

// Letters come as keys; Chinese, as from an input method, as one committed text.
void type(QWidget* field, const QString& text) {
    field->setFocus();
    bool latin = true;
    for (const QChar c : text)
        latin = latin && c.unicode() < 0x80;
    if (latin) {
        QTest::keyClicks(field, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
}

} // namespace

class TestMaintenance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        User::setApplicationTitle(QStringLiteral("Quorvane"));
#ifdef Q_OS_UNIX
        std::signal(SIGXFSZ, SIG_IGN); // an exceeded size limit fails the write instead
#endif
    }
    void init() {
        Script::begin();
    }
    void cleanup() {
        Script::end();
    }

    void opensOnTheLastRowAsDesigned();
    void moveButtonsTestTheFlagBeforeMoving_data();
    void moveButtonsTestTheFlagBeforeMoving();
    void appendSaveOkStoresAtTheEnd();
    void saveAnsweredCancelIsSavedByTheNextMove();
    void deleteDuringAppendDeletesNothing();
    void deleteAskedAndConfirmed();
    void typingStartsAnEditByItself();
    void enterMovesToTheNextField_data();
    void enterMovesToTheNextField();
    void failedPostKeepsTheEditingArrangement();
    void closingSavesAPendingChange();
    void closingWithARefusedChangeStaysOpen();
    void searchNarrowsTheRowsUntilTheWindowCloses();
    void emptySearchLeavesTheRowAsItIs_data();
    void emptySearchLeavesTheRowAsItIs();
    void unreadableBackgroundStillOpensTheWindow();
    void managementButtonOpensItModally();
    void pastedTextIsBoundedAndCleaned_data();
    void pastedTextIsBoundedAndCleaned();
    void closedWindowGivesItsMemoryBack();
};

void TestMaintenance::opensOnTheLastRowAsDesigned() {
    Fixture f(testing::sampleRows());
    Tappend_frm& w = f.open();
    QCOMPARE(w.windowTitle(), QStringLiteral("维护成语"));
    QCOMPARE(w.size(), QSize(629, 465));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(w.isModal());
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit7")->text(),
             QStringLiteral("一言一语")); // the table's last row
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit6")->text(), QStringLiteral("yyyy"));
    QVERIFY(!w.editingArrangement());
    QVERIFY(testing::part<QToolButton>(w, "appendbtn")->isEnabled() &&
            testing::part<QToolButton>(w, "editbtn")->isEnabled() &&
            testing::part<QToolButton>(w, "deletebtn")->isEnabled());
    QVERIFY(!testing::part<QToolButton>(w, "savebtn")->isEnabled() &&
            !testing::part<QToolButton>(w, "undobtn")->isEnabled());
    QCOMPARE(moveButtons(w), QStringLiteral("11"));
    // Fonts and colours of the field table.
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit1")->font().pixelSize(), 19);
    QVERIFY(testing::part<TDBEdit>(w, "DBEdit1")->font().bold());
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit1")->palette().color(QPalette::Text),
             QColor(Qt::red));
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit6")->palette().color(QPalette::Text),
             QColor(Qt::blue));
    QCOMPARE(testing::part<TDBMemo>(w, "DBMemo3")->font().pixelSize(), 16);
    // The tab order follows the table and wraps.
    QList<QWidget*> order;
    QWidget* field = testing::part<TDBEdit>(w, "DBEdit7");
    for (int i = 0; i < 10; ++i) {
        order << field;
        do
            field = field->nextInFocusChain();
        while (!(field->focusPolicy() & Qt::TabFocus) || !field->isEnabled());
    }
    QCOMPARE(order,
             (QList<QWidget*>{
                 testing::part<TDBEdit>(w, "DBEdit7"), testing::part<TDBEdit>(w, "DBEdit1"),
                 testing::part<TDBEdit>(w, "DBEdit6"), testing::part<TDBMemo>(w, "DBMemo1"),
                 testing::part<TDBMemo>(w, "DBMemo4"), testing::part<TDBEdit>(w, "DBEdit4"),
                 testing::part<TDBEdit>(w, "DBEdit2"), testing::part<TDBMemo>(w, "DBMemo2"),
                 testing::part<TDBMemo>(w, "DBMemo3"), testing::part<TDBEdit>(w, "DBEdit7")}));
    // The default picture was loaded, its path stored, and Image1 is tiled with it.
    QVERIFY(!w.backgroundBitmap()->isEmpty());
    RegistryKey key;
    QVERIFY(key.openKey(SettingsStore::keyPath, false));
    QCOMPARE(key.readString(SettingsStore::bkgrnd), SettingsStore::defaultBackgroundPath());
    const QImage tiles = testing::part<QWidget>(w, "Image1")->grab().toImage();
    QCOMPARE(tiles.pixelColor(3, 3), QColor(200, 60, 40));
    QCOMPARE(tiles.pixelColor(600, 400), QColor(200, 60, 40));
}

void TestMaintenance::moveButtonsTestTheFlagBeforeMoving_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("startRow"); // -1: as opened
    QTest::addColumn<QString>("presses");
    QTest::addColumn<QString>("expected"); // after each press: row, prior, next
    QTest::newRow("after opening, next") << 3 << -1 << "nn"
                                         << "2:10 2:10";
    QTest::newRow("from the second row, prior") << 3 << 1 << "pppn"
                                                << "0:11 0:11 0:01 1:11";
    QTest::newRow("single row") << 1 << -1 << "pppn"
                                << "0:11 0:01 0:01 0:11";
    QTest::newRow("empty table") << 0 << -1 << "np"
                                 << "-1:10 -1:01";
}

void TestMaintenance::moveButtonsTestTheFlagBeforeMoving() {
    QFETCH(int, rows);
    QFETCH(int, startRow);
    QFETCH(QString, presses);
    QFETCH(QString, expected);
    Fixture f(rowsOf(rows));
    Tappend_frm& w = f.open();
    if (startRow >= 0)
        f.table.moveTo(startRow);
    QStringList seen;
    for (const QChar press : presses) {
        click(press == u'p' ? testing::part<QToolButton>(w, "priovbtn")
                            : testing::part<QToolButton>(w, "nextbtn"));
        seen << QString::number(f.table.currentRow()) + u':' + moveButtons(w);
    }
    QCOMPARE(seen.join(u' '), expected);
    QVERIFY(Script::shownMessages().isEmpty());
}

void TestMaintenance::appendSaveOkStoresAtTheEnd() {
    Fixture f(rowsOf(2));
    Tappend_frm& w = f.open();
    const QStringList before = f.stored();
    click(testing::part<QToolButton>(w, "appendbtn"));
    QVERIFY(w.editingArrangement());
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit7")->text(), QString());
    type(testing::part<TDBEdit>(w, "DBEdit7"), QStringLiteral("画蛇添足"));
    type(testing::part<TDBEdit>(w, "DBEdit6"), QStringLiteral("hstz"));
    type(testing::part<TDBMemo>(w, "DBMemo1"), QStringLiteral("多此一举"));
    Script::queueAnswer(Dialogs::Button::Ok);
    click(testing::part<QToolButton>(w, "savebtn"));
    QCOMPARE(Script::shownMessages().size(), 1);
    const Script::Shown asked = Script::shownMessages().first();
    QCOMPARE(asked.text, QStringLiteral("确实要保存当前成语吗？"));
    QCOMPARE(asked.caption, QStringLiteral("提示"));
    QCOMPARE(asked.icon, Dialogs::Icon::Question);
    QCOMPARE(asked.buttons, Dialogs::Buttons::OkCancel);
    QVERIFY(!w.editingArrangement());
    QCOMPARE(f.stored(), before + QStringList{QStringLiteral("3|hstz|画蛇添足||多此一举|||||")});
    QCOMPARE(f.table.state(), DataSetState::Browse);
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit7")->text(), QStringLiteral("画蛇添足"));
}

void TestMaintenance::saveAnsweredCancelIsSavedByTheNextMove() {
    Fixture f(rowsOf(3));
    Tappend_frm& w = f.open();
    click(testing::part<QToolButton>(w, "priovbtn"));
    click(testing::part<QToolButton>(w, "editbtn"));
    type(testing::part<TDBEdit>(w, "DBEdit1"), QStringLiteral("bǎi"));
    Script::queueAnswer(Dialogs::Button::Cancel);
    click(testing::part<QToolButton>(w, "savebtn"));
    QVERIFY(!w.editingArrangement());
    QVERIFY(!testing::part<QToolButton>(w, "undobtn")
                 ->isEnabled()); // the change cannot be dropped by the button
    QCOMPARE(f.stored()[1], QStringLiteral("2|c1|百发百中|||||||"));
    click(testing::part<QToolButton>(w, "nextbtn"));
    QCOMPARE(Script::shownMessages().size(), 1); // saved without a question
    QCOMPARE(f.stored()[1], QStringLiteral("2|c1|百发百中|bǎi||||||"));
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit7")->text(), QStringLiteral("沧海桑田"));
}

void TestMaintenance::deleteDuringAppendDeletesNothing() {
    Fixture f(rowsOf(2));
    Tappend_frm& w = f.open();
    const QStringList before = f.stored();
    click(testing::part<QToolButton>(w, "appendbtn"));
    type(testing::part<TDBEdit>(w, "DBEdit7"), QStringLiteral("新"));
    Script::queueAnswer(Dialogs::Button::Ok);
    click(testing::part<QToolButton>(w, "deletebtn"));
    QCOMPARE(Script::shownMessages().first().caption, QStringLiteral("删除提示"));
    QCOMPARE(f.stored(), before);
    QVERIFY(testing::part<QToolButton>(w, "savebtn")->isEnabled() &&
            testing::part<QToolButton>(w, "undobtn")->isEnabled()); // the arrangement stays
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit7")->text(), QStringLiteral("百发百中"));
}

void TestMaintenance::deleteAskedAndConfirmed() {
    Fixture f(rowsOf(3));
    Tappend_frm& w = f.open();
    Script::queueAnswer(Dialogs::Button::Cancel);
    click(testing::part<QToolButton>(w, "deletebtn"));
    QCOMPARE(f.stored().size(), 3);
    Script::queueAnswer(Dialogs::Button::Ok);
    click(testing::part<QToolButton>(w, "deletebtn"));
    QCOMPARE(Script::shownMessages().at(1).text, QStringLiteral("确实要删除当前成语吗？"));
    QCOMPARE(f.stored(), (QStringList{QStringLiteral("1|c0|阿鼻地狱|||||||"),
                                      QStringLiteral("2|c1|百发百中|||||||")}));
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit7")->text(), QStringLiteral("百发百中"));
}

void TestMaintenance::typingStartsAnEditByItself() {
    Fixture f(rowsOf(3));
    Tappend_frm& w = f.open();
    type(testing::part<TDBEdit>(w, "DBEdit4"), QStringLiteral("同"));
    QCOMPARE(f.table.state(), DataSetState::Edit);
    QVERIFY(!w.editingArrangement()); // the buttons take no part
    type(testing::part<TDBMemo>(w, "DBMemo3"), QStringLiteral("故事"));
    click(testing::part<QToolButton>(w, "priovbtn"));
    QCOMPARE(f.stored()[2], QStringLiteral("3|c2|沧海桑田||||同|||故事"));
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit4")->text(),
             QString()); // the row before shows its own values
}

void TestMaintenance::enterMovesToTheNextField_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("memo to memo") << "DBMemo1"
                                  << "DBMemo4";
    QTest::newRow("edit to edit") << "DBEdit7"
                                  << "DBEdit1";
    QTest::newRow("last wraps to first") << "DBMemo3"
                                         << "DBEdit7";
}

void TestMaintenance::enterMovesToTheNextField() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    Fixture f(rowsOf(1));
    Tappend_frm& w = f.open();
    auto* field = w.findChild<QWidget*>(from);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget()->objectName(), to);
    QCOMPARE(testing::part<TDBMemo>(w, "DBMemo1")->toPlainText(),
             QString()); // no line break went in
    QCOMPARE(f.table.state(), DataSetState::Browse);
}

void TestMaintenance::failedPostKeepsTheEditingArrangement() {
#ifdef Q_OS_UNIX
    Fixture f(rowsOf(2));
    Tappend_frm& w = f.open();
    const QStringList before = f.stored();
    click(testing::part<QToolButton>(w, "editbtn"));
    type(testing::part<TDBEdit>(w, "DBEdit7"), QStringLiteral("改"));
    Script::queueAnswer(Dialogs::Button::Ok);
    {
        FileSizeLimit limit(1); // the file can take no write
        QVERIFY(limit.ok());
        click(testing::part<QToolButton>(w, "savebtn"));
    }
    QCOMPARE(Script::shownMessages().size(), 2);
    QCOMPARE(Script::shownMessages().at(1).caption, QStringLiteral("Quorvane"));
    QVERIFY2(Script::shownMessages().at(1).text.startsWith(QStringLiteral("无法保存成语：")),
             qPrintable(Script::shownMessages().at(1).text));
    QVERIFY(w.editingArrangement());
    QCOMPARE(f.table.state(), DataSetState::Edit);
    QCOMPARE(f.stored(), before);
    // A code too long for its column is refused the same way, naming the field.
    type(testing::part<TDBEdit>(w, "DBEdit6"), QStringLiteral("xyz"));
    Script::queueAnswer(Dialogs::Button::Ok);
    click(testing::part<QToolButton>(w, "savebtn"));
    QVERIFY(Script::shownMessages().at(3).text.contains(QStringLiteral("“代码”太长")));
    QVERIFY(w.editingArrangement());
    click(testing::part<QToolButton>(w, "undobtn"));
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit7")->text(), QStringLiteral("百发百中"));
    QCOMPARE(f.stored(), before);
    QCOMPARE(testing::integrityCheck(f.folder.databasePath()), QStringLiteral("ok"));
#else
    QSKIP("needs a file size limit");
#endif
}

void TestMaintenance::closingSavesAPendingChange() {
    Fixture f(rowsOf(2));
    Tappend_frm& w = f.open();
    type(testing::part<TDBEdit>(w, "DBEdit2"), QStringLiteral("反"));
    click(testing::part<QToolButton>(w, "exitbtn"));
    QTRY_VERIFY(f.window.isNull()); // destroyed
    QVERIFY(!f.table.active());
    QCOMPARE(f.stored()[1], QStringLiteral("2|c1|百发百中|||||反||"));
    Tappend_frm& again = f.open(); // afresh: last row, browsing
    QCOMPARE(testing::part<TDBEdit>(again, "DBEdit2")->text(), QStringLiteral("反"));
    QCOMPARE(moveButtons(again), QStringLiteral("11"));
    QVERIFY(!again.editingArrangement());
}

void TestMaintenance::closingWithARefusedChangeStaysOpen() {
    Fixture f(rowsOf(2));
    Tappend_frm& w = f.open();
    type(testing::part<TDBEdit>(w, "DBEdit6"), QStringLiteral("toolong"));
    QVERIFY(!w.close());
    QVERIFY(f.window);
    QVERIFY(w.isVisible());
    QVERIFY(w.editingArrangement()); // so the change can be cancelled
    QVERIFY(Script::shownMessages().first().text.contains(QStringLiteral("“代码”太长")));
    click(testing::part<QToolButton>(w, "undobtn"));
    QVERIFY(w.close());
    QCOMPARE(f.stored()[1], QStringLiteral("2|c1|百发百中|||||||"));
}

void TestMaintenance::unreadableBackgroundStillOpensTheWindow() {
    Fixture f(rowsOf(2));
    RegistryKey key;
    QVERIFY(key.openKey(SettingsStore::keyPath, true));
    key.writeString(SettingsStore::bkgrnd, f.folder.path() + QStringLiteral("missing.bmp"));
    Tappend_frm& w = f.open();
    QCOMPARE(Script::shownMessages().size(), 1);
    QVERIFY(Script::shownMessages().first().text.contains(QStringLiteral("missing.bmp")));
    QVERIFY(w.backgroundBitmap()->isEmpty());
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit7")->text(),
             QStringLiteral("百发百中"));        // open and positioned
    testing::part<QWidget>(w, "Image1")->grab(); // painting with nothing to tile ends
    w.repaint();
}

void TestMaintenance::managementButtonOpensItModally() {
    testing::ProgramFolder folder(rowsOf(2));
    Tmain_frm main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QString seen;
    QTimer::singleShot(0, &main, [&] {
        QVERIFY(append_frm);
        seen = testing::part<TDBEdit>(*append_frm, "DBEdit7")->text() +
               QString::number(int(QApplication::activeModalWidget() == append_frm));
        click(testing::part<QToolButton>(*append_frm, "appendbtn"));
        type(testing::part<TDBEdit>(*append_frm, "DBEdit7"), QStringLiteral("不可思议"));
        click(testing::part<QToolButton>(*append_frm, "exitbtn")); // closing saves the typed idiom
    });
    click(parts(main).cyglbtn); // returns when the window has closed
    QCOMPARE(seen, QStringLiteral("百发百中1"));
    QTRY_VERIFY(!append_frm);
    QVERIFY(!parts(main).tb_cy->active());
    QCOMPARE(parts(main).q_cy->recordCount(), 2); // the list sees it only after a refresh
    click(parts(main).allvbtn);
    QCOMPARE(parts(main).q_cy->recordCount(), 3);
    parts(main).q_cy->moveTo(2);
    QCOMPARE(parts(main).q_cy->fieldText(QStringLiteral("成语")), QStringLiteral("不可思议"));
}

void TestMaintenance::searchNarrowsTheRowsUntilTheWindowCloses() {
    Fixture f(rowsOf(3));
    Tappend_frm& w = f.open();
    // 成语 at the beginning "百", confirmed in the dialog as a user would.
    connect(w.DBFilterDialog1, &TDBFilterDialog::dialogShowing, &w, [](QDialog* shown) {
        auto* dlg = static_cast<TDBFilterDlg*>(shown);
        QTimer::singleShot(0, dlg, [dlg] {
            dlg->FieldsListBox->setCurrentRow(1);
            type(dlg->FilterValueEdit, QStringLiteral("百"));
            QTest::mouseClick(dlg->BtnOK, Qt::LeftButton);
        });
    });
    QCOMPARE(w.DBFilterDialog1->caption(), QStringLiteral("选择查询条件"));
    click(testing::part<QToolButton>(w, "searchbtn"));
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit7")->text(), QStringLiteral("百发百中"));
    click(testing::part<QToolButton>(w, "nextbtn"));
    click(testing::part<QToolButton>(w, "priovbtn"));
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit7")->text(),
             QStringLiteral("百发百中")); // the only row left
    QVERIFY(w.close());
    QVERIFY(!f.table.filtered());
    Tappend_frm& again = f.open(); // every row again, from the last one
    QCOMPARE(testing::part<TDBEdit>(again, "DBEdit7")->text(), QStringLiteral("沧海桑田"));
    click(testing::part<QToolButton>(again, "priovbtn"));
    QCOMPARE(testing::part<TDBEdit>(again, "DBEdit7")->text(), QStringLiteral("百发百中"));
    click(testing::part<QToolButton>(again, "priovbtn"));
    QCOMPARE(testing::part<TDBEdit>(again, "DBEdit7")->text(), QStringLiteral("阿鼻地狱"));
}

// Pasted as a user pastes, then saved: what reaches the file, or why nothing does.
void TestMaintenance::pastedTextIsBoundedAndCleaned_data() {
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<int>("shownLength");
    QTest::addColumn<QString>("storedIdiom"); // "" when the save is refused
    QTest::newRow("100,000 characters") << QString(100000, QChar(u'成')) << 200 << QString();
    QTest::newRow("NUL inside") << QStringLiteral("画蛇添足").insert(2, QChar(u'\0')) << 4
                                << QStringLiteral("画蛇添足");
}

void TestMaintenance::pastedTextIsBoundedAndCleaned() {
    QFETCH(QString, pasted);
    QFETCH(int, shownLength);
    QFETCH(QString, storedIdiom);
    Fixture f(rowsOf(2));
    Tappend_frm& w = f.open();
    const QStringList before = f.stored();
    click(testing::part<QToolButton>(w, "editbtn"));
    QApplication::clipboard()->setText(pasted);
    testing::part<TDBEdit>(w, "DBEdit7")->setFocus();
    testing::part<TDBEdit>(w, "DBEdit7")->selectAll();
    QTest::keyClick(testing::part<TDBEdit>(w, "DBEdit7"), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit7")->text().size(), shownLength);
    QVERIFY(!testing::part<TDBEdit>(w, "DBEdit7")->text().contains(QChar(u'\0')));
    Script::queueAnswer(Dialogs::Button::Ok);
    click(testing::part<QToolButton>(w, "savebtn"));
    if (storedIdiom.isEmpty()) {
        QCOMPARE(Script::shownMessages().size(), 2);
        QCOMPARE(f.stored(), before);
        QVERIFY(w.editingArrangement());
        click(testing::part<QToolButton>(w, "undobtn"));
    } else {
        QCOMPARE(Script::shownMessages().size(), 1); // the question only
        QStringList after = before;
        after[1].replace(QStringLiteral("百发百中"), storedIdiom);
        QCOMPARE(f.stored(), after);
    }
    QCOMPARE(testing::integrityCheck(f.folder.databasePath()), QStringLiteral("ok"));
}

namespace {
qint64 residentKb() {
#ifdef Q_OS_LINUX
    malloc_trim(0); // what was freed goes back, so what is still held shows
    const QList<QByteArray> fields =
        testing::readFile(QStringLiteral("/proc/self/statm")).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) / 1024 : -1;
#else
    return -1;
#endif
}
} // namespace

// Opened, used and closed 150 times: what a closed window held goes with it.
void TestMaintenance::closedWindowGivesItsMemoryBack() {
    Fixture f(rowsOf(50));
    const auto round = [&f] {
        Tappend_frm& w = f.open();
        click(testing::part<QToolButton>(w, "priovbtn"));
        click(testing::part<QToolButton>(w, "priovbtn"));
        w.close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!f.window);
    };
    for (int i = 0; i < 2; ++i)
        round();
    const qint64 afterTwo = residentKb();
    if (afterTwo < 0)
        QSKIP("no resident memory figure on this system");
    for (int i = 2; i < 150; ++i)
        round();
    const qint64 growth = residentKb() - afterTwo;
    QVERIFY2(growth < 5 * 1024, qPrintable(QStringLiteral("%1 KB more").arg(growth)));
    QCOMPARE(Script::shownMessages().size(), 0);
}

void TestMaintenance::emptySearchLeavesTheRowAsItIs_data() {
    QTest::addColumn<QString>("typed"); // into a field before the search; "" for none
    QTest::newRow("browsing") << QString();
    QTest::newRow("with a change typed") << QStringLiteral("同");
}

// A letter typed into the value box and deleted enables OK; confirmed, it filters nothing.
void TestMaintenance::emptySearchLeavesTheRowAsItIs() {
    QFETCH(QString, typed);
    Fixture f(rowsOf(3));
    Tappend_frm& w = f.open();
    const QStringList before = f.stored();
    if (!typed.isEmpty())
        type(testing::part<TDBEdit>(w, "DBEdit4"), typed);
    const DataSetState state = f.table.state();
    connect(w.DBFilterDialog1, &TDBFilterDialog::dialogShowing, &w, [](QDialog* shown) {
        auto* dlg = static_cast<TDBFilterDlg*>(shown);
        QTimer::singleShot(0, dlg, [dlg] {
            QTest::keyClicks(dlg->FilterValueEdit, QStringLiteral("b"));
            QTest::keyClick(dlg->FilterValueEdit, Qt::Key_Backspace);
            QTest::mouseClick(dlg->BtnOK, Qt::LeftButton);
        });
    });
    click(testing::part<QToolButton>(w, "searchbtn"));
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit7")->text(), QStringLiteral("沧海桑田"));
    QCOMPARE(testing::part<TDBEdit>(w, "DBEdit4")->text(), typed);
    QCOMPARE(f.table.state(), state);
    QCOMPARE(f.stored(), before);
}

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"

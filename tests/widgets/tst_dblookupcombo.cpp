#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/DataSource.h"
#include "data/IdiomDatabase.h"
#include "widgets/dbaware/DataSetModel.h"
#include "widgets/dbaware/TDBLookupCombo.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {
IdiomEntry row(const QString& code, const QString& idiom) {
    IdiomEntry entry;
    entry.text(Column::Code) = code;
    entry.text(Column::Idiom) = idiom;
    return entry;
}

// Codes of one to four letters, one stored in upper case, one shared by two idioms, and
// three starting with "ab".
std::vector<IdiomEntry> sampleRows() {
    return {
        row(u"abss"_s, u"爱不释手"_s), row(u"abdc"_s, u"安步当车"_s), row(u"abjb"_s, u"按部就班"_s),
        row(u"bfbz"_s, u"百发百中"_s), row(u"BTEF"_s, u"半途而废"_s), row(u"bcxw"_s, u"不耻下问"_s),
        row(u"cmj"_s, u"草木皆兵"_s),  row(u"hldj"_s, u"画龙点睛"_s), row(u"hs"_s, u"画蛇添足"_s),
        row(u"k"_s, u"刻舟求剑"_s),    row(u"szdt"_s, u"守株待兔"_s), row(u"yxyy"_s, u"一心一意"_s),
        row(u"yxyy"_s, u"一言一语"_s)};
}
} // namespace

class TestDBLookupCombo : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_filled;
    QTemporaryDir m_empty;
    std::unique_ptr<QWidget> m_window;
    AdoConnection* m_connection = nullptr;
    AdoQuery* m_query = nullptr;
    DataSource* m_source = nullptr;
    TDBLookupCombo* m_combo = nullptr;
    QLineEdit* m_other = nullptr;
    QStringList m_events;

    // A window holding the box over "select * from cy order by 成语" in `folder`.
    bool build(const QString& folder) {
        m_window = std::make_unique<QWidget>();
        m_connection = new AdoConnection(m_window.get());
        m_connection->setConnectionString(AdoConnection::buildConnectionString(folder + u"/"_s));
        m_connection->open();
        m_query = new AdoQuery(m_window.get());
        m_query->setConnection(m_connection);
        m_query->setSql(u"select * from cy order by 成语"_s);
        m_query->open();
        m_source = new DataSource(m_window.get());
        m_source->setDataSet(m_query);

        auto* layout = new QVBoxLayout(m_window.get());
        m_combo = new TDBLookupCombo(m_window.get());
        m_combo->setObjectName(u"DBLookupCombo1"_s);
        QFont font(u"Arial"_s);
        font.setPixelSize(16);
        font.setBold(true);
        m_combo->setFont(font);
        m_combo->setFixedSize(133, 27);
        m_combo->setLookupSource(m_source);
        m_other = new QLineEdit(m_window.get());
        layout->addWidget(m_combo);
        layout->addWidget(m_other);
        layout->addStretch();
        m_window->resize(400, 300);
        m_window->move(50, 50);
        m_window->show();
        m_window->activateWindow();
        m_combo->editor()->setFocus();

        m_events.clear();
        connect(m_combo, &TDBLookupCombo::keyDown, this,
                [this](QKeyEvent* e) { log(u"down"_s, e); });
        connect(m_combo, &TDBLookupCombo::keyPress, this,
                [this](QKeyEvent* e) { log(u"press"_s, e); });
        connect(m_combo, &TDBLookupCombo::keyUp, this, [this](QKeyEvent* e) { log(u"up"_s, e); });
        connect(m_combo, &TDBLookupCombo::mouseDown, this, [this] { m_events << u"mouseDown"_s; });
        connect(m_combo, &TDBLookupCombo::mouseUp, this, [this] { m_events << u"mouseUp"_s; });
        connect(m_combo, &TDBLookupCombo::closeUp, this, [this] { m_events << u"closeUp"_s; });
        return QTest::qWaitForWindowActive(m_window.get());
    }

    // What a handler bound to the event sees: the key, the current row and the box text.
    void log(const QString& what, const QKeyEvent* e) {
        m_events << u"%1 %2 row=%3 text=%4"_s.arg(what, QKeySequence(e->key()).toString())
                        .arg(m_query->currentRow())
                        .arg(m_combo->text());
    }

    int rowOf(const QString& idiom) const {
        const int field = m_query->fieldIndex(u"成语"_s);
        for (int r = 0; r < m_query->recordCount(); ++r)
            if (m_query->cellText(r, field) == idiom)
                return r;
        return -1;
    }
    QString codeAt(int r) const { return m_query->cellText(r, m_query->fieldIndex(u"代码"_s)); }
    QString currentIdiom() const { return m_query->fieldText(u"成语"_s); }
    int closeUps() const { return int(m_events.count(u"closeUp"_s)); }

    void type(const QString& text) { QTest::keyClicks(m_combo->editor(), text); }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(m_combo->editor(), k, modifiers);
    }
    // Past the 200 ms delay, with room for a slow machine.
    void waitPastDelay() { QTest::qWait(400); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_filled.isValid() && m_empty.isValid());
        IdiomDatabase::create(m_filled.filePath(u"cy.mdb"_s), sampleRows());
        IdiomDatabase::create(m_empty.filePath(u"cy.mdb"_s), {});
    }

    void init() { QVERIFY(build(m_filled.path())); }
    void cleanup() { m_window.reset(); }

    void firstKeySearchesAtOnceAndOpensTheList() {
        QCOMPARE(m_query->currentRow(), 0);
        QVERIFY(!m_combo->listVisible());
        type(u"s"_s);
        // No wait: the first key searches at its release.
        QCOMPARE(currentIdiom(), u"守株待兔"_s);
        QVERIFY(m_combo->lastSearchFound());
        QVERIFY(m_combo->listVisible());
        QCOMPARE(m_combo->listView()->currentIndex().row(), rowOf(u"守株待兔"_s));
        QCOMPARE(m_combo->text(), u"s"_s);
        // The popup is a separate window right under the box; the text keeps the focus.
        QWidget* popup = m_combo->listView()->window();
        QVERIFY(popup != m_window.get());
        QCOMPARE(popup->geometry().top(), m_combo->mapToGlobal(QPoint(0, m_combo->height())).y());
        QCOMPARE(popup->geometry().left(), m_combo->mapToGlobal(QPoint(0, 0)).x());
        QVERIFY(m_combo->editor()->hasFocus());
        QCOMPARE(closeUps(), 0);
    }

    void searchIgnoresCaseAndUsesFourCharacters() {
        type(u"AB"_s);
        waitPastDelay();
        const int found = m_query->currentRow();
        QVERIFY(codeAt(found).startsWith(u"ab"_s));
        // The first of the three "ab" codes in cursor order.
        QCOMPARE(found,
                 std::min({rowOf(u"爱不释手"_s), rowOf(u"安步当车"_s), rowOf(u"按部就班"_s)}));

        // A code stored in upper case is found from lower case.
        key(Qt::Key_Escape);
        m_combo->setText({});
        type(u"bte"_s);
        waitPastDelay();
        QCOMPARE(currentIdiom(), u"半途而废"_s);

        // A fifth character is not part of the search: "abjbx" finds "abjb".
        key(Qt::Key_Escape);
        m_combo->setText({});
        type(u"abjbx"_s);
        waitPastDelay();
        QCOMPARE(currentIdiom(), u"按部就班"_s);
        QVERIFY(m_combo->lastSearchFound());
        QCOMPARE(m_combo->text(), u"abjbx"_s);
    }

    void caseSensitiveSearchWhenAsked() {
        m_combo->setProperty("SeqSearchCaseSensitive", true);
        type(u"B"_s);
        QCOMPARE(currentIdiom(), u"半途而废"_s);
        key(Qt::Key_Escape);
        m_combo->setText({});
        type(u"b"_s);
        const int lower = m_query->currentRow();
        QCOMPARE(codeAt(lower).left(1), u"b"_s);
        type(u"t"_s);
        waitPastDelay();
        QVERIFY(!m_combo->lastSearchFound());
        QCOMPARE(m_query->currentRow(), lower);
    }

    void noMatchLeavesTheRowAndEnterEmptiesTheBox() {
        type(u"h"_s);
        const int before = m_query->currentRow();
        type(u"q"_s);
        waitPastDelay();
        QVERIFY(!m_combo->lastSearchFound());
        QCOMPARE(m_query->currentRow(), before);
        QVERIFY(m_combo->listVisible());

        key(Qt::Key_Return);
        QVERIFY(!m_combo->listVisible());
        QCOMPARE(m_combo->text(), QString());
        QCOMPARE(m_query->currentRow(), before);
        QCOMPARE(closeUps(), 1);

        // A first key that finds nothing also opens the list and leaves the row.
        type(u"z"_s);
        QVERIFY(m_combo->listVisible());
        QVERIFY(!m_combo->lastSearchFound());
        QCOMPARE(m_query->currentRow(), before);
    }

    void withoutClearKeyTheTextStays() {
        m_combo->setProperty("AllowClearKey", false);
        type(u"zq"_s);
        key(Qt::Key_Return);
        QVERIFY(!m_combo->listVisible());
        QCOMPARE(m_combo->text(), u"zq"_s);
    }

    void sharedCodeFindsTheFirstAndAcceptingShowsTheCode() {
        const int first = std::min(rowOf(u"一心一意"_s), rowOf(u"一言一语"_s));
        const int second = std::max(rowOf(u"一心一意"_s), rowOf(u"一言一语"_s));
        QCOMPARE(second, first + 1);
        type(u"YX"_s);
        key(Qt::Key_Return);
        QCOMPARE(m_query->currentRow(), first);
        QCOMPARE(m_combo->text(), u"yxyy"_s);
        QVERIFY(!m_combo->listVisible());

        // The other row of the code, chosen with Down, shows the same code.
        m_combo->setText({});
        type(u"y"_s);
        QCOMPARE(m_query->currentRow(), first);
        key(Qt::Key_Down);
        QCOMPARE(m_query->currentRow(), second);
        QCOMPARE(m_combo->text(), u"y"_s);
        key(Qt::Key_Return);
        QCOMPARE(m_query->currentRow(), second);
        QCOMPARE(m_combo->text(), u"yxyy"_s);
        QCOMPARE(m_combo->lookupValue(), m_query->cellText(second, m_query->fieldIndex(u"成语"_s)));
    }

    void backspaceAndDeleteWithTheListOpenMoveNothing() {
        type(u"abj"_s);
        waitPastDelay();
        QCOMPARE(currentIdiom(), u"按部就班"_s);
        key(Qt::Key_Backspace);
        QCOMPARE(m_combo->text(), u"ab"_s);
        waitPastDelay();
        QCOMPARE(currentIdiom(), u"按部就班"_s);
        key(Qt::Key_Home);
        key(Qt::Key_Delete);
        QCOMPARE(m_combo->text(), u"b"_s);
        waitPastDelay();
        QCOMPARE(currentIdiom(), u"按部就班"_s);
        QVERIFY(m_combo->listVisible());
    }

    void backspaceWithTheListClosedSearchesAtOnce() {
        m_combo->setText(u"hsx"_s);
        m_combo->editor()->end(false);
        key(Qt::Key_Backspace);
        QCOMPARE(currentIdiom(), u"画蛇添足"_s);
        QVERIFY(m_combo->listVisible());

        // Emptying the box searches nothing and opens nothing.
        key(Qt::Key_Escape);
        m_combo->setText(u"k"_s);
        m_query->moveTo(2);
        key(Qt::Key_Backspace);
        QCOMPARE(m_combo->text(), QString());
        QCOMPARE(m_query->currentRow(), 2);
        QVERIFY(!m_combo->listVisible());
    }

    void delayedSearchRunsOnceAfterTheLastKey() {
        type(u"a"_s);
        const int firstA = m_query->currentRow();
        QCOMPARE(codeAt(firstA).left(1), u"a"_s);
        type(u"bd"_s);
        // Still inside the delay: nothing has moved yet.
        QCOMPARE(m_query->currentRow(), firstA);
        QTRY_COMPARE_WITH_TIMEOUT(currentIdiom(), u"安步当车"_s, 2000);

        // The same text is not searched again: another control moves the cursor, and a
        // timer that fires with the text of the last search leaves it there.
        type(u"j"_s);
        key(Qt::Key_Backspace);
        QCOMPARE(m_combo->text(), u"abd"_s);
        m_query->moveTo(0);
        waitPastDelay();
        QCOMPARE(m_query->currentRow(), 0);

        // The delay restarts with each character.
        m_combo->setProperty("SearchDelay", 600);
        type(u"c"_s);
        QTest::qWait(400);
        type(u"x"_s);
        QTest::qWait(400);
        QCOMPARE(m_query->currentRow(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(currentIdiom(), u"安步当车"_s, 2000);
    }

    void enterRunsAPendingSearchFirst() {
        type(u"a"_s);
        QCOMPARE(m_combo->text(), u"a"_s);
        type(u"bj"_s);
        key(Qt::Key_Return);
        QCOMPARE(currentIdiom(), u"按部就班"_s);
        QCOMPARE(m_combo->text(), u"abjb"_s);
        QVERIFY(!m_combo->listVisible());
        // Nothing left over that could move the row later.
        waitPastDelay();
        QCOMPARE(currentIdiom(), u"按部就班"_s);
    }

    void clickingARowAcceptsIt() {
        type(u"b"_s);
        QVERIFY(m_combo->listVisible());
        QTableView* list = m_combo->listView();
        const int target = rowOf(u"草木皆兵"_s);
        const QRect cell = list->visualRect(list->model()->index(target, 1));
        QVERIFY(list->viewport()->rect().contains(cell.center()));
        m_events.clear();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(m_query->currentRow(), target);
        QCOMPARE(m_combo->text(), u"cmj"_s);
        QVERIFY(!m_combo->listVisible());
        QVERIFY(m_combo->lastSearchFound());
        QCOMPARE(m_events, (QStringList{u"mouseDown"_s, u"closeUp"_s, u"mouseUp"_s}));
    }

    void escapeRestoresWhatWasBeforeTheList() {
        type(u"k"_s);
        key(Qt::Key_Return);
        const int accepted = m_query->currentRow();
        QCOMPARE(m_combo->text(), u"k"_s);
        m_events.clear();

        // The accepted code is selected: typing replaces it.
        type(u"hs"_s);
        waitPastDelay();
        QCOMPARE(m_combo->text(), u"hs"_s);
        QCOMPARE(currentIdiom(), u"画蛇添足"_s);
        key(Qt::Key_Down);
        key(Qt::Key_Escape);
        QVERIFY(!m_combo->listVisible());
        QCOMPARE(m_combo->text(), u"k"_s);
        QCOMPARE(m_query->currentRow(), accepted);
        QVERIFY(m_combo->lastSearchFound());
        QCOMPARE(closeUps(), 1);

        // A pending search dies with the list.
        type(u"h"_s);
        QCOMPARE(currentIdiom(), u"画龙点睛"_s);
        type(u"s"_s);
        key(Qt::Key_Escape);
        waitPastDelay();
        QCOMPARE(m_query->currentRow(), accepted);
        QCOMPARE(m_combo->text(), u"k"_s);
    }

    void arrowKeysMoveTheRow() {
        type(u"a"_s);
        const int start = m_query->currentRow();
        key(Qt::Key_Down);
        key(Qt::Key_Down);
        QCOMPARE(m_query->currentRow(), start + 2);
        QCOMPARE(m_combo->listView()->currentIndex().row(), start + 2);
        key(Qt::Key_Up);
        QCOMPARE(m_query->currentRow(), start + 1);
        QVERIFY(m_combo->listVisible());
        QCOMPARE(m_combo->text(), u"a"_s);
        key(Qt::Key_Return);
        QCOMPARE(m_combo->text(), codeAt(start + 1));
        QCOMPARE(m_query->currentRow(), start + 1);

        // Paging and the ends, with the list open.
        const int last = m_query->recordCount() - 1;
        key(Qt::Key_F4);
        QVERIFY(m_combo->listVisible());
        key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(m_query->currentRow(), last);
        key(Qt::Key_Down);
        QCOMPARE(m_query->currentRow(), last);
        key(Qt::Key_PageUp);
        QCOMPARE(m_query->currentRow(), last - 7);
        key(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(m_query->currentRow(), 0);
        key(Qt::Key_Up);
        QCOMPARE(m_query->currentRow(), 0);

        // With the list closed, the arrows step the row and show its code.
        key(Qt::Key_Return);
        QVERIFY(!m_combo->listVisible());
        key(Qt::Key_Down);
        QVERIFY(!m_combo->listVisible());
        QCOMPARE(m_query->currentRow(), 1);
        QCOMPARE(m_combo->text(), codeAt(1));

        // A list opened without typing offers its current row to Enter.
        m_combo->setText({});
        m_query->moveTo(4);
        key(Qt::Key_Down, Qt::AltModifier);
        QVERIFY(m_combo->listVisible());
        key(Qt::Key_Return);
        QCOMPARE(m_combo->text(), codeAt(4));
        QCOMPARE(m_query->currentRow(), 4);
    }

    void keySignalsComeAfterTheBoxHandledTheKey() {
        const int k = rowOf(u"刻舟求剑"_s);
        type(u"k"_s);
        QCOMPARE(m_events, (QStringList{u"down K row=0 text=k"_s, u"press K row=0 text=k"_s,
                                        u"up K row=%1 text=k"_s.arg(k)}));
        m_events.clear();
        m_query->moveTo(k - 1);
        key(Qt::Key_Down);
        QCOMPARE(m_events, (QStringList{u"down Down row=%1 text=k"_s.arg(k),
                                        u"up Down row=%1 text=k"_s.arg(k)}));
        m_events.clear();
        key(Qt::Key_Return);
        QCOMPARE(m_events, (QStringList{u"closeUp"_s, u"down Return row=%1 text=k"_s.arg(k),
                                        u"press Return row=%1 text=k"_s.arg(k),
                                        u"up Return row=%1 text=k"_s.arg(k)}));

        // Keys the box does not use still reach the owner; arrows are no characters.
        m_events.clear();
        key(Qt::Key_F5);
        key(Qt::Key_Up);
        const QString above = codeAt(k - 1);
        QCOMPARE(m_events,
                 (QStringList{u"down F5 row=%1 text=k"_s.arg(k), u"up F5 row=%1 text=k"_s.arg(k),
                              u"down Up row=%1 text=%2"_s.arg(k - 1).arg(above),
                              u"up Up row=%1 text=%2"_s.arg(k - 1).arg(above)}));
        // Escape and Backspace are characters too, with the list open or closed.
        m_events.clear();
        key(Qt::Key_Escape);
        key(Qt::Key_Backspace);
        QCOMPARE(m_events.filter(u"press"_s).size(), 2);
    }

    void mouseOnTheBoxAndClosingTheList() {
        QTest::mouseClick(m_combo->editor(), Qt::LeftButton);
        QCOMPARE(m_events, (QStringList{u"mouseDown"_s, u"mouseUp"_s}));

        // The button opens and closes the list.
        auto* button = m_combo->findChild<QToolButton*>();
        QVERIFY(button && button->isVisible());
        m_events.clear();
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(m_combo->listVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!m_combo->listVisible());
        QCOMPARE(m_events, (QStringList{u"mouseDown"_s, u"mouseUp"_s, u"closeUp"_s, u"mouseDown"_s,
                                        u"mouseUp"_s}));

        // A click elsewhere closes it without accepting, after the pending search.
        type(u"h"_s);
        QCOMPARE(currentIdiom(), u"画龙点睛"_s);
        type(u"s"_s);
        m_events.clear();
        QTest::mouseClick(m_other, Qt::LeftButton);
        QVERIFY(!m_combo->listVisible());
        QCOMPARE(currentIdiom(), u"画蛇添足"_s);
        QCOMPARE(m_combo->text(), u"hs"_s);
        QCOMPARE(closeUps(), 1);

        // So does a click on an empty spot of the window, which takes no focus.
        m_combo->editor()->setFocus();
        m_combo->setText({});
        type(u"k"_s);
        QVERIFY(m_combo->listVisible());
        m_events.clear();
        QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {}, QPoint(300, 250));
        QTRY_VERIFY(!m_combo->listVisible());
        QCOMPARE(closeUps(), 1);
        QCOMPARE(currentIdiom(), u"刻舟求剑"_s);
    }

    void listLook() {
        QTableView* list = m_combo->listView();
        type(u"a"_s);
        const int digit = QFontMetrics(list->font()).horizontalAdvance(u'0');
        QCOMPARE(list->font(), m_combo->font());
        QCOMPARE(list->model()->columnCount(), 2);
        QCOMPARE(list->model()->index(0, 0).data().toString(), codeAt(0));
        QCOMPARE(list->columnWidth(0), 6 * digit);
        QCOMPARE(list->columnWidth(1), 30 * digit);
        QVERIFY(list->showGrid());
        QVERIFY(!list->horizontalHeader()->isVisible());
        // Eight rows fit, the ninth does not.
        const int rowHeight = list->rowHeight(0);
        QCOMPARE(list->viewport()->height() / rowHeight, 8);
        QCOMPARE(list->rowAt(0), 0);
        QCOMPARE(list->rowAt(list->viewport()->height() - 1), 7);

        key(Qt::Key_Escape);
        m_combo->setProperty("DropDownCount", 3);
        m_combo->openList();
        QCOMPARE(list->viewport()->height() / rowHeight, 3);

        // The list follows the cursor, and the cursor follows the list.
        m_query->moveTo(9);
        QCOMPARE(list->currentIndex().row(), 9);
        QVERIFY(list->viewport()->rect().intersects(list->visualRect(list->currentIndex())));
        list->setCurrentIndex(list->model()->index(4, 0));
        QCOMPARE(m_query->currentRow(), 4);
    }

    void reopenedDataSetResetsTheList() {
        // A chosen row of the old snapshot is forgotten; closing a closed list says nothing.
        type(u"k"_s);
        key(Qt::Key_Return);
        QCOMPARE(m_combo->lookupValue(), u"刻舟求剑"_s);
        m_events.clear();
        m_query->close();
        QCOMPARE(closeUps(), 0);
        QCOMPARE(m_combo->lookupValue(), QString());
        m_query->open();
        QVERIFY(!m_combo->lastSearchFound());
        QCOMPARE(m_combo->text(), u"k"_s);

        m_combo->setText({});
        type(u"h"_s);
        QVERIFY(m_combo->listVisible());
        m_events.clear();
        m_query->close();
        QVERIFY(!m_combo->listVisible());
        QCOMPARE(closeUps(), 1);
        QCOMPARE(m_combo->listView()->model()->rowCount(), 0);

        // Typing and accepting on a closed cursor find nothing and empty the box.
        m_combo->setText({});
        type(u"hs"_s);
        QVERIFY(!m_combo->lastSearchFound());
        key(Qt::Key_Down);
        key(Qt::Key_Return);
        QCOMPARE(m_combo->text(), QString());

        m_query->open();
        QCOMPARE(m_combo->listView()->model()->rowCount(), int(sampleRows().size()));
        QCOMPARE(m_combo->listView()->currentIndex().row(), 0);
        type(u"k"_s);
        QCOMPARE(currentIdiom(), u"刻舟求剑"_s);
        QCOMPARE(m_combo->listView()->currentIndex().row(), rowOf(u"刻舟求剑"_s));
    }

    void emptyTableFindsNothing() {
        QVERIFY(build(m_empty.path()));
        QCOMPARE(m_query->recordCount(), 0);
        type(u"ab"_s);
        waitPastDelay();
        QVERIFY(!m_combo->lastSearchFound());
        QCOMPARE(m_query->currentRow(), -1);
        QVERIFY(m_combo->listVisible());
        QCOMPARE(m_combo->listView()->model()->rowCount(), 0);
        key(Qt::Key_Down);
        key(Qt::Key_PageDown);
        QTest::mouseClick(m_combo->listView()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(m_query->currentRow(), -1);
        key(Qt::Key_Return);
        QVERIFY(!m_combo->listVisible());
        QCOMPARE(m_combo->text(), QString());
        key(Qt::Key_Down);
        QCOMPARE(m_combo->text(), QString());
        QCOMPARE(m_combo->lookupValue(), QString());
    }

    void boxWithoutSource() {
        TDBLookupCombo combo;
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        QTest::keyClicks(combo.editor(), u"ab"_s);
        QVERIFY(!combo.lastSearchFound());
        QTest::keyClick(combo.editor(), Qt::Key_Down);
        QTest::keyClick(combo.editor(), Qt::Key_Return);
        QCOMPARE(combo.text(), QString());
        QVERIFY(!combo.listVisible());
    }
};

QTEST_MAIN(TestDBLookupCombo)
#include "tst_dblookupcombo.moc"

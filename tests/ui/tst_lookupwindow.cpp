#include "data/AdoQuery.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/User.h"
#include "support/MainWindowParts.h"
#include "support/RecordingShell.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"
#include "ui/lookup/Tmain_frm.h"
#include "widgets/dbaware/TDBGrid.h"
#include "widgets/dbaware/TDBLookupCombo.h"
#include "widgets/kit/VyrMenus.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace quorvane;
namespace Script = quorvane::Dialogs::Script;
using quorvane::testing::RecordingOpener;
using quorvane::testing::RefusingOpener;
using quorvane::testing::shellCalls;

#ifdef Q_OS_UNIX
using quorvane::testing::FileSizeLimit;
#endif

namespace {

// sampleRows() in the list's pinyin order.
const QStringList& sampleOrder() {
    static const QStringList order = {
        QStringLiteral("阿鼻地狱"), QStringLiteral("爱不释手"), QStringLiteral("百发百中"),
        QStringLiteral("不可胜言"), QStringLiteral("不可思议"), QStringLiteral("不知所措"),
        QStringLiteral("沧海桑田"), QStringLiteral("大器晚成"), QStringLiteral("画蛇添足"),
        QStringLiteral("一丝不苟"), QStringLiteral("一言一语"), QStringLiteral("醉翁之意不在酒")};
    return order;
}

// What the entry of each sample idiom must show: the label, then the view's paragraphs.
QString expectedEntry(const QString& idiom) {
    static const QHash<QString, QStringList> views = {
        {QStringLiteral("阿鼻地狱"), {QString(), QStringLiteral("【拼音】ā bí dì yù")}},
        {QStringLiteral("爱不释手"),
         {QString(), QStringLiteral("【拼音】ài bù shì shǒu"), QString(),
          QStringLiteral("【解释】喜爱得舍不得放下。")}},
        {QStringLiteral("百发百中"),
         {QString(), QStringLiteral("【拼音】bǎi fā bǎi zhòng"), QString(),
          QStringLiteral("【解释】每次都射中目标。"), QString(),
          QStringLiteral("【示例】他射箭百发百中。")}},
        {QStringLiteral("不可胜言"), {QString(), QStringLiteral("【拼音】bù kě shèng yán")}},
        {QStringLiteral("不可思议"), {QString(), QStringLiteral("【拼音】bù kě sī yì")}},
        {QStringLiteral("不知所措"), {QString(), QStringLiteral("【拼音】bù zhī suǒ cuò")}},
        {QStringLiteral("沧海桑田"),
         {QString(), QStringLiteral("【拼音】cāng hǎi sāng tián"), QString(),
          QStringLiteral("【近义】近义词")}},
        {QStringLiteral("大器晚成"), {QString(), QStringLiteral("【示例】例句")}},
        {QStringLiteral("画蛇添足"), {}},
        {QStringLiteral("一丝不苟"), {QString(), QStringLiteral("【拼音】yī sī bù gǒu")}},
        {QStringLiteral("一言一语"), {}},
        {QStringLiteral("醉翁之意不在酒"),
         {QString(), QStringLiteral("【拼音】zuì wēng zhī yì bù zài jiǔ")}},
    };
    return idiom + QStringLiteral("\n") + views.value(idiom).join(QStringLiteral("\n"));
}

QString shownEntry(const Tmain_frm& w) {
    return parts(w).cymc->text() + QStringLiteral("\n") +
           parts(w).RichEdit1->paragraphs().join(QStringLiteral("\n"));
}

QStringList listedIdioms(const Tmain_frm& w) {
    QStringList idioms;
    const QAbstractItemModel* model = parts(w).DBGrid1->model();
    for (int row = 0; row < model->rowCount(); ++row)
        idioms << model->index(row, 0).data().toString();
    return idioms;
}

// The idiom the list marks as current.
QString listCurrent(const Tmain_frm& w) {
    return parts(w).DBGrid1->currentIndex().data().toString();
}

QString cursorIdiom(const Tmain_frm& w) {
    return parts(w).q_cy->fieldText(QStringLiteral("成语"));
}

QRect rowRect(const Tmain_frm& w, int row) {
    return parts(w).DBGrid1->visualRect(parts(w).DBGrid1->model()->index(row, 0));
}

void clickRow(Tmain_frm& w, int row) {
    parts(w).DBGrid1->scrollTo(parts(w).DBGrid1->model()->index(row, 0));
    QTest::mouseClick(parts(w).DBGrid1->viewport(), Qt::LeftButton, {}, rowRect(w, row).center());
}

void clickIdiom(Tmain_frm& w, const QString& idiom) {
    const int row = int(listedIdioms(w).indexOf(idiom));
    QVERIFY2(row >= 0, qPrintable(idiom));
    clickRow(w, row);
}

void typeCode(Tmain_frm& w, const QString& code) {
    QLineEdit* editor = parts(w).DBLookupCombo1->editor();
    editor->setFocus();
    editor->selectAll();
    QTest::keyClicks(editor, code);
}

void typeCodeAndAccept(Tmain_frm& w, const QString& code) {
    typeCode(w, code);
    QTest::keyClick(parts(w).DBLookupCombo1->editor(), Qt::Key_Return);
}

// Opens the context menu at `at` as a right click does, and closes it once it shows.
bool openAndClose(TVyrPopupMenu* menu, const QPoint& at) {
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = User::trackedPopup() && User::trackedPopup()->isVisible();
        User::endMenu();
    });
    menu->Popup(at.x(), at.y());
    return shown;
}

bool isNavy(QRgb pixel) {
    return (pixel & 0xFFFFFF) == 0x000080;
}

struct RowPaint {
    double navyShare = 0; // of the row's pixels
    int lightPixels = 0;  // text drawn light (red channel high; navy has none)
};

RowPaint rowPaint(const QImage& image, const QRect& rect) {
    RowPaint paint;
    int navy = 0;
    int total = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            ++total;
            if (isNavy(pixel))
                ++navy;
            else if (qRed(pixel) > 150)
                ++paint.lightPixels;
        }
    }
    paint.navyShare = total ? double(navy) / total : 0;
    return paint;
}

// Rows of the list that are painted navy anywhere, from a fresh grab.
QList<int> navyRows(const Tmain_frm& w) {
    const QImage image =
        parts(w).DBGrid1->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QList<int> rows;
    for (int row = 0; row < parts(w).DBGrid1->model()->rowCount(); ++row) {
        const QRect rect = rowRect(w, row).intersected(image.rect());
        if (!rect.isEmpty() && rowPaint(image, rect).navyShare > 0)
            rows << row;
    }
    return rows;
}

QByteArray gb18030(const QString& text) {
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

// A missing file must not compare equal to an empty one.
QByteArray fileBytes(const QString& path) {
    return QFile::exists(path) ? testing::readFile(path) : QByteArray("<unreadable>");
}

using testing::writeFile;

IdiomEntry fullEntry(const QString& code, const QString& idiom, const QStringList& sections) {
    IdiomEntry e = testing::entry(code, idiom);
    const Column columns[] = {Column::Pinyin,   Column::Explanation, Column::Example,
                              Column::Synonyms, Column::Antonyms,    Column::Source,
                              Column::Allusion};
    for (int i = 0; i < sections.size() && i < 7; ++i)
        e.text(columns[i]) = sections[i];
    return e;
}

// Rows for the export: empty detail, a single section, line breaks, every section, text
// made of spaces, and a character GBK cannot hold.
std::vector<IdiomEntry> exportRows() {
    return {
        fullEntry(QStringLiteral("kkry"), QStringLiteral("空空如也"), {}),
        fullEntry(QStringLiteral("yjyg"), QStringLiteral("言简意赅"),
                  {QString(), QStringLiteral("说话简明扼要。")}),
        fullEntry(QStringLiteral("ybsz"), QStringLiteral("一波三折"),
                  {QString(), QStringLiteral("第一行\n第二行"), QString(), QString(), QString(),
                   QStringLiteral("甲\r\n乙")}),
        fullEntry(QStringLiteral("hldj"), QStringLiteral("画龙点睛"),
                  {QStringLiteral("huà lóng diǎn jīng"), QStringLiteral("比喻关键处。"),
                   QStringLiteral("这一句画龙点睛。"), QStringLiteral("点睛之笔"),
                   QStringLiteral("画蛇添足"), QStringLiteral("《历代名画记》"),
                   QStringLiteral("张僧繇画龙。")}),
        fullEntry(QStringLiteral("szdt"), QStringLiteral("守株待兔"),
                  {QString(), QString(), QString(), QString(), QStringLiteral("  ")}),
        fullEntry(QStringLiteral("jxgz"), QStringLiteral("𠮷星高照"),
                  {QString(), QString(), QString(), QString(), QString(), QString(),
                   QStringLiteral("“𠮷”不在GBK里。")}),
    };
}

} // namespace

class TestLookupWindow : public QObject {
    Q_OBJECT

private:
    // Shows the window and makes it active, so focus moves are real.
    static bool showActive(Tmain_frm& w) {
        w.show();
        w.activateWindow();
        return QTest::qWaitForWindowActive(&w);
    }

    void saveTo(Tmain_frm& w, const QString& fileName) {
        if (!fileName.isEmpty())
            Script::queueFileName(fileName);
        QTest::mouseClick(parts(w).savebtn, Qt::LeftButton);
    }

private Q_SLOTS:
    void initTestCase() {
        User::setApplicationTitle(QStringLiteral("Quorvane"));
#ifdef Q_OS_UNIX
        // An exceeded file size limit must fail the write, not end the process.
        std::signal(SIGXFSZ, SIG_IGN);
#endif
    }

    void init() {
        Script::begin();
        shellCalls().clear();
        Shell::setOpener(std::make_unique<RecordingOpener>());
    }

    void cleanup() {
        Script::end();
    }

    void navigationButtonsFollowCursorFlags() {
        testing::ProgramFolder folder(testing::sampleRows());
        Tmain_frm w;
        QVERIFY(showActive(w));
        QCOMPARE(listedIdioms(w), sampleOrder());
        QCOMPARE(QApplication::focusWidget(), parts(w).DBLookupCombo1->editor());
        QCOMPARE(shownEntry(w), expectedEntry(sampleOrder().first()));

        // At the first row the back button finds the at-start flag set: no move.
        QTest::mouseClick(parts(w).priovbtn, Qt::LeftButton);
        QVERIFY(!parts(w).priovbtn->isEnabled());
        QVERIFY(parts(w).nextbtn->isEnabled());
        QCOMPARE(cursorIdiom(w), sampleOrder().first());
        QCOMPARE(shownEntry(w), expectedEntry(sampleOrder().first()));
        QCOMPARE(QApplication::focusWidget(), parts(w).DBGrid1);

        for (int row = 1; row < sampleOrder().size(); ++row) {
            parts(w).DBLookupCombo1->editor()->setFocus();
            QTest::mouseClick(parts(w).nextbtn, Qt::LeftButton);
            QCOMPARE(cursorIdiom(w), sampleOrder().at(row));
            QCOMPARE(listCurrent(w), sampleOrder().at(row));
            QCOMPARE(shownEntry(w), expectedEntry(sampleOrder().at(row)));
            QVERIFY(parts(w).priovbtn->isEnabled());
            QVERIFY(parts(w).nextbtn->isEnabled());
            QCOMPARE(QApplication::focusWidget(), parts(w).DBGrid1);
        }

        // Last row: the first press only sets the at-end flag, the second disables.
        const QString last = sampleOrder().last();
        QTest::mouseClick(parts(w).nextbtn, Qt::LeftButton);
        QCOMPARE(cursorIdiom(w), last);
        QVERIFY(parts(w).nextbtn->isEnabled());
        QVERIFY(parts(w).priovbtn->isEnabled());
        QCOMPARE(shownEntry(w), expectedEntry(last));
        QTest::mouseClick(parts(w).nextbtn, Qt::LeftButton);
        QCOMPARE(cursorIdiom(w), last);
        QVERIFY(!parts(w).nextbtn->isEnabled());
        QVERIFY(parts(w).priovbtn->isEnabled());
        QCOMPARE(shownEntry(w), expectedEntry(last));

        // Moving in the list leaves the buttons alone.
        clickRow(w, 2);
        QCOMPARE(cursorIdiom(w), sampleOrder().at(2));
        QCOMPARE(shownEntry(w), expectedEntry(sampleOrder().at(2)));
        QVERIFY(!parts(w).nextbtn->isEnabled());
        QVERIFY(parts(w).priovbtn->isEnabled());

        // A real step back enables both again.
        parts(w).DBLookupCombo1->editor()->setFocus();
        QTest::mouseClick(parts(w).priovbtn, Qt::LeftButton);
        QCOMPARE(cursorIdiom(w), sampleOrder().at(1));
        QCOMPARE(listCurrent(w), sampleOrder().at(1));
        QCOMPARE(shownEntry(w), expectedEntry(sampleOrder().at(1)));
        QVERIFY(parts(w).nextbtn->isEnabled());
        QVERIFY(parts(w).priovbtn->isEnabled());
        QCOMPARE(QApplication::focusWidget(), parts(w).DBGrid1);
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void bookmarkReturnsToItsIdiom() {
        testing::ProgramFolder folder(testing::sampleRows());
        Tmain_frm w;
        QVERIFY(showActive(w));

        // Without a bookmark the return stays on the row but renders it again.
        clickRow(w, 3);
        parts(w).cymc->setText(QStringLiteral("stale"));
        parts(w).RichEdit1->setPlainText(QStringLiteral("stale"));
        QTest::mouseClick(parts(w).bkbtn2, Qt::LeftButton);
        QCOMPARE(cursorIdiom(w), sampleOrder().at(3));
        QCOMPARE(shownEntry(w), expectedEntry(sampleOrder().at(3)));
        QVERIFY(parts(w).bkbtn2->isEnabled());

        QTest::mouseClick(parts(w).dysqbtn, Qt::LeftButton);
        QVERIFY(parts(w).bkbtn2->isEnabled());

        // Far away through the lookup box; the return keeps the focus where it was.
        typeCodeAndAccept(w, QStringLiteral("zwzy"));
        QCOMPARE(cursorIdiom(w), QStringLiteral("醉翁之意不在酒"));
        QCOMPARE(shownEntry(w), expectedEntry(QStringLiteral("醉翁之意不在酒")));
        QTest::mouseClick(parts(w).bkbtn2, Qt::LeftButton);
        QCOMPARE(cursorIdiom(w), sampleOrder().at(3));
        QCOMPARE(listCurrent(w), sampleOrder().at(3));
        QCOMPARE(shownEntry(w), expectedEntry(sampleOrder().at(3)));
        QCOMPARE(QApplication::focusWidget(), parts(w).DBLookupCombo1->editor());

        // Far away through the list.
        clickRow(w, 10);
        QCOMPARE(cursorIdiom(w), sampleOrder().at(10));
        QTest::mouseClick(parts(w).bkbtn2, Qt::LeftButton);
        QCOMPARE(cursorIdiom(w), sampleOrder().at(3));
        QCOMPARE(shownEntry(w), expectedEntry(sampleOrder().at(3)));

        // A new bookmark replaces the old one.
        clickRow(w, 8);
        QTest::mouseClick(parts(w).dysqbtn, Qt::LeftButton);
        clickRow(w, 0);
        QTest::mouseClick(parts(w).bkbtn2, Qt::LeftButton);
        QCOMPARE(cursorIdiom(w), sampleOrder().at(8));
        QCOMPARE(shownEntry(w), expectedEntry(sampleOrder().at(8)));
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void refreshShowsAddedRowInOrder() {
        testing::ProgramFolder folder(testing::sampleRows());
        Tmain_frm w;
        QVERIFY(showActive(w));
        clickRow(w, 5);
        folder.appendRow(testing::entry(QStringLiteral("ajly"), QStringLiteral("安居乐业"),
                                        QStringLiteral("ān jū lè yè")));

        // The list is a snapshot: moving around does not reveal the new row.
        QTest::mouseClick(parts(w).nextbtn, Qt::LeftButton);
        QCOMPARE(listedIdioms(w), sampleOrder());
        // Only its first letter matches a listed code; the whole code finds nothing.
        typeCodeAndAccept(w, QStringLiteral("ajly"));
        QCOMPARE(parts(w).DBLookupCombo1->text(), QString());
        QCOMPARE(cursorIdiom(w), sampleOrder().first());

        QTest::mouseClick(parts(w).allvbtn, Qt::LeftButton);
        QStringList expected = sampleOrder();
        expected.insert(2, QStringLiteral("安居乐业"));
        QCOMPARE(listedIdioms(w), expected);
        QCOMPARE(cursorIdiom(w), expected.first());
        QCOMPARE(listCurrent(w), expected.first());
        QCOMPARE(shownEntry(w), expectedEntry(expected.first()));

        clickRow(w, 2);
        QCOMPARE(shownEntry(w), QStringLiteral("安居乐业\n\n【拼音】ān jū lè yè"));
        typeCodeAndAccept(w, QStringLiteral("zwzy"));
        typeCodeAndAccept(w, QStringLiteral("ajly"));
        QCOMPARE(cursorIdiom(w), QStringLiteral("安居乐业"));
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void bookmarkSurvivesRefresh() {
        testing::ProgramFolder folder(testing::sampleRows());
        Tmain_frm w;
        QVERIFY(showActive(w));
        clickIdiom(w, QStringLiteral("画蛇添足"));
        QTest::mouseClick(parts(w).dysqbtn, Qt::LeftButton);

        // Sorts before the bookmarked idiom, so every row after it moves down by one.
        folder.appendRow(testing::entry(QStringLiteral("ajly"), QStringLiteral("安居乐业")));
        QTest::mouseClick(parts(w).allvbtn, Qt::LeftButton);
        QCOMPARE(cursorIdiom(w), sampleOrder().first());
        QCOMPARE(listedIdioms(w).indexOf(QStringLiteral("画蛇添足")), 9);

        QTest::mouseClick(parts(w).bkbtn2, Qt::LeftButton);
        QCOMPARE(cursorIdiom(w), QStringLiteral("画蛇添足"));
        QCOMPARE(listCurrent(w), QStringLiteral("画蛇添足"));
        QCOMPARE(shownEntry(w), expectedEntry(QStringLiteral("画蛇添足")));

        // A second refresh with the same bookmark still lands there.
        clickRow(w, 0);
        QTest::mouseClick(parts(w).allvbtn, Qt::LeftButton);
        QTest::mouseClick(parts(w).bkbtn2, Qt::LeftButton);
        QCOMPARE(cursorIdiom(w), QStringLiteral("画蛇添足"));
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void copyPutsIdiomLineOnClipboard() {
        testing::ProgramFolder folder(testing::sampleRows());
        Tmain_frm w;
        QVERIFY(showActive(w));
        QClipboard* clipboard = QApplication::clipboard();

        clipboard->setText(QStringLiteral("old"));
        QTest::mouseClick(parts(w).copybtn, Qt::LeftButton);
        QCOMPARE(clipboard->text(), QStringLiteral("阿鼻地狱\r\n"));

        clickIdiom(w, QStringLiteral("醉翁之意不在酒"));
        QTest::mouseClick(parts(w).copybtn, Qt::LeftButton);
        QCOMPARE(clipboard->text(), QStringLiteral("醉翁之意不在酒\r\n"));
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void exportWritesEntryBytes_data() {
        QTest::addColumn<QString>("idiom");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no detail")
            << QStringLiteral("空空如也") << QStringLiteral("\r\n【成语】空空如也\r\n\r\n");
        QTest::newRow("only explanation")
            << QStringLiteral("言简意赅")
            << QStringLiteral("\r\n【成语】言简意赅\r\n\r\n\r\n【解释】说话简明扼要。\r\n");
        QTest::newRow("line breaks") << QStringLiteral("一波三折")
                                     << QStringLiteral("\r\n【成语】一波三折\r\n\r\n"
                                                       "\r\n【解释】第一行\r\n第二行\r\n"
                                                       "\r\n【出处】甲\r\n乙\r\n");
        QTest::newRow("all sections in order")
            << QStringLiteral("画龙点睛")
            << QStringLiteral("\r\n【成语】画龙点睛\r\n\r\n"
                              "\r\n【拼音】huà lóng diǎn jīng\r\n"
                              "\r\n【解释】比喻关键处。\r\n"
                              "\r\n【示例】这一句画龙点睛。\r\n"
                              "\r\n【近义】点睛之笔\r\n"
                              "\r\n【反义】画蛇添足\r\n"
                              "\r\n【出处】《历代名画记》\r\n"
                              "\r\n【典故】张僧繇画龙。\r\n");
        QTest::newRow("spaces count as text")
            << QStringLiteral("守株待兔")
            << QStringLiteral("\r\n【成语】守株待兔\r\n\r\n\r\n【反义】  \r\n");
        QTest::newRow("outside GBK")
            << QStringLiteral("𠮷星高照")
            << QStringLiteral("\r\n【成语】𠮷星高照\r\n\r\n\r\n【典故】“𠮷”不在GBK里。\r\n");
    }

    void exportWritesEntryBytes() {
        QFETCH(QString, idiom);
        QFETCH(QString, expected);
        testing::ProgramFolder folder(exportRows());
        QTemporaryDir target;
        Tmain_frm w;
        QVERIFY(showActive(w));
        clickIdiom(w, idiom);
        QCOMPARE(cursorIdiom(w), idiom);

        const QString file = target.filePath(QStringLiteral("entry.txt"));
        saveTo(w, file);
        QVERIFY(Script::shownMessages().isEmpty());
        const QByteArray bytes = fileBytes(file);
        QCOMPARE(bytes, gb18030(expected));
        // GB18030 round trip: nothing was replaced on the way.
        QCOMPARE(QStringDecoder("GB18030").decode(bytes), expected);

        QCOMPARE(Script::fileRequests().size(), 1);
        const Script::FileRequest request = Script::fileRequests().constFirst();
        QVERIFY(request.save);
        QCOMPARE(request.setup.filter, QStringLiteral("文本文件(*.txt)|*.txt|所有文件[*.*]|*.*"));
        QCOMPARE(request.setup.initialName, folder.path() + idiom + QStringLiteral(".txt"));
        QVERIFY(request.setup.confirmOverwrite);
    }

    void exportIsGbkWithoutByteOrderMark() {
        testing::ProgramFolder folder(exportRows());
        QTemporaryDir target;
        Tmain_frm w;
        QVERIFY(showActive(w));
        clickIdiom(w, QStringLiteral("空空如也"));

        // An older file of the same name is replaced, not appended to.
        const QString file = target.filePath(QStringLiteral("kong.txt"));
        QVERIFY(writeFile(file, QByteArray(200, 'x')));
        saveTo(w, file);
        // GBK bytes written out by hand: 【 A1BE, 成 B3C9, 语 D3EF, 】 A1BF, 空 BFD5,
        // 如 C8E7, 也 D2B2.
        QCOMPARE(fileBytes(file), QByteArray("\r\n"
                                             "\xA1\xBE\xB3\xC9\xD3\xEF\xA1\xBF"
                                             "\xBF\xD5\xBF\xD5\xC8\xE7\xD2\xB2"
                                             "\r\n\r\n"));
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void exportCancelWritesNothing() {
        testing::ProgramFolder folder(exportRows());
        Tmain_frm w;
        QVERIFY(showActive(w));
        clickIdiom(w, QStringLiteral("言简意赅"));
        const QStringList before =
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        saveTo(w, QString());
        QCOMPARE(Script::fileRequests().size(), 1);
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QVERIFY(!QFileInfo::exists(folder.path() + QStringLiteral("言简意赅.txt")));
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void exportFailureShowsErrorAndLosesNothing() {
        testing::ProgramFolder folder(exportRows());
        QTemporaryDir target;
        Tmain_frm w;
        QVERIFY(showActive(w));
        clickIdiom(w, QStringLiteral("画龙点睛"));

        // Parent is a regular file: the file cannot be created, even by root.
        const QString blocker = target.filePath(QStringLiteral("afile"));
        QVERIFY(writeFile(blocker, "blocker"));
        const QString inFile = blocker + QStringLiteral("/x.txt");
        saveTo(w, inFile);
        QCOMPARE(Script::shownMessages().size(), 1);
        Script::Shown shown = Script::shownMessages().constFirst();
        QCOMPARE(shown.caption, QStringLiteral("Quorvane"));
        QCOMPARE(shown.icon, Dialogs::Icon::Stop);
        QCOMPARE(shown.buttons, Dialogs::Buttons::Ok);
        QVERIFY2(shown.text.contains(inFile), qPrintable(shown.text));
        QCOMPARE(fileBytes(blocker), QByteArray("blocker"));

        // Target is a folder: it and what it holds stay.
        const QString folderTarget = target.filePath(QStringLiteral("adir"));
        QVERIFY(QDir(target.path()).mkdir(QStringLiteral("adir")));
        QVERIFY(writeFile(folderTarget + QStringLiteral("/inside.txt"), "inside"));
        saveTo(w, folderTarget);
        QCOMPARE(Script::shownMessages().size(), 2);
        shown = Script::shownMessages().at(1);
        QCOMPARE(shown.caption, QStringLiteral("Quorvane"));
        QCOMPARE(shown.icon, Dialogs::Icon::Stop);
        QVERIFY(QFileInfo(folderTarget).isDir());
        QCOMPARE(fileBytes(folderTarget + QStringLiteral("/inside.txt")), QByteArray("inside"));

#ifdef Q_OS_UNIX
        // The disk fills up while writing: the old file keeps every byte.
        const QString old = target.filePath(QStringLiteral("old.txt"));
        const QByteArray oldBytes = "old entry\r\n";
        QVERIFY(writeFile(old, oldBytes));
        {
            FileSizeLimit limit(16);
            QVERIFY(limit.ok());
            saveTo(w, old);
        }
        QCOMPARE(fileBytes(old), oldBytes);
        QCOMPARE(Script::shownMessages().size(), 3);
        shown = Script::shownMessages().at(2);
        QCOMPARE(shown.caption, QStringLiteral("Quorvane"));
        QCOMPARE(shown.icon, Dialogs::Icon::Stop);
#endif

        // The window goes on: the next save works.
        const QString good = target.filePath(QStringLiteral("good.txt"));
        saveTo(w, good);
        QVERIFY(fileBytes(good).startsWith(gb18030(QStringLiteral("\r\n【成语】画龙点睛\r\n"))));
    }

    void openHandsChosenFileToShell() {
        testing::ProgramFolder folder(testing::sampleRows());
        Tmain_frm w;
        QVERIFY(showActive(w));
        const QString chosen = folder.path() + QStringLiteral("笔记.txt");
        QVERIFY(writeFile(chosen, "x"));

        Script::queueFileName(chosen);
        QTest::mouseClick(parts(w).openbtn, Qt::LeftButton);
        QCOMPARE(shellCalls().size(), 1);
        QCOMPARE(shellCalls().constFirst().verb, QStringLiteral("open"));
        QCOMPARE(shellCalls().constFirst().target, chosen);
        QCOMPARE(Script::fileRequests().size(), 1);
        const Script::FileRequest request = Script::fileRequests().constFirst();
        QVERIFY(!request.save);
        QCOMPARE(request.setup.filter, QStringLiteral("文本文件(txt)|*.txt"));
        QCOMPARE(request.setup.initialName, folder.path() + QStringLiteral("*.txt"));

        // Cancelled: the dialog was asked, nothing opened.
        QTest::mouseClick(parts(w).openbtn, Qt::LeftButton);
        QCOMPARE(Script::fileRequests().size(), 2);
        QCOMPARE(shellCalls().size(), 1);
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void helpOpensHelpFileOrSaysItIsMissing() {
        testing::ProgramFolder folder(testing::sampleRows());
        Tmain_frm w;
        QVERIFY(showActive(w));

        QTest::mouseClick(parts(w).helpbtn, Qt::LeftButton);
        QCOMPARE(Script::shownMessages().size(), 1);
        const Script::Shown shown = Script::shownMessages().constFirst();
        QCOMPARE(shown.text, folder.path() + QStringLiteral("下没有找到帮助文件:cy.chm。"));
        QCOMPARE(shown.caption, QStringLiteral("提示"));
        QCOMPARE(shown.icon, Dialogs::Icon::Stop);
        QCOMPARE(shown.buttons, Dialogs::Buttons::Ok);
        QVERIFY(shellCalls().isEmpty());

        const QString help = folder.path() + QStringLiteral("cy.chm");
        QVERIFY(writeFile(help, "ITSF"));
        QTest::mouseClick(parts(w).helpbtn, Qt::LeftButton);
        QCOMPARE(Script::shownMessages().size(), 1);
        QCOMPARE(shellCalls().size(), 1);
        QCOMPARE(shellCalls().constFirst().verb, QString());
        QCOMPARE(shellCalls().constFirst().target, help);

        // No viewer for it: the user is told instead of seeing nothing happen.
        Shell::setOpener(std::make_unique<RefusingOpener>());
        QTest::mouseClick(parts(w).helpbtn, Qt::LeftButton);
        Shell::setOpener(std::make_unique<RecordingOpener>());
        QCOMPARE(shellCalls().size(), 2);
        QCOMPARE(Script::shownMessages().size(), 2);
        const Script::Shown refused = Script::shownMessages().constLast();
        QVERIFY2(refused.text.contains(QStringLiteral("xchm")) && refused.text.contains(help),
                 qPrintable(refused.text));
        QCOMPARE(refused.caption, QStringLiteral("提示"));
        QCOMPARE(refused.icon, Dialogs::Icon::Stop);
    }

    void webPageOpensProductAddress() {
        testing::ProgramFolder folder(testing::sampleRows());
        Tmain_frm w;
        parts(w).VyrMenuItem2->trigger();
        QCOMPARE(shellCalls().size(), 1);
        QCOMPARE(shellCalls().constFirst().verb, QString());
        QCOMPARE(shellCalls().constFirst().target, Tmain_frm::webPageAddress());
        const QUrl url(Tmain_frm::webPageAddress());
        QVERIFY(url.isValid());
        QVERIFY(url.scheme() == QStringLiteral("https") || url.scheme() == QStringLiteral("http"));
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void rightClickMenuChosenByKeys() {
        testing::ProgramFolder folder(testing::sampleRows());
        Tmain_frm w;
        QVERIFY(showActive(w));
        clickIdiom(w, QStringLiteral("百发百中"));
        int items = 0;
        QTimer::singleShot(0, [&] {
            QWidget* popup = User::trackedPopup();
            if (!popup)
                return;
            items = 1;
            // Down to 复制 (disabled: no selection yet), past the divider to 全选, Enter.
            QTest::keyClick(popup, Qt::Key_Down);
            QTest::keyClick(popup, Qt::Key_Down);
            QTest::keyClick(popup, Qt::Key_Return);
        });
        Q_EMIT parts(w).RichEdit1->customContextMenuRequested(QPoint(40, 40)); // a right click
        QCOMPARE(items, 1);
        QTRY_VERIFY(parts(w).RichEdit1->textCursor().hasSelection());
        QVERIFY(parts(w).copym->isEnabled());
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void f1InTheContextMenuOpensTheHelp() {
        testing::ProgramFolder folder(testing::sampleRows()); // no help file in it
        Tmain_frm w;
        QVERIFY(showActive(w));
        QTimer::singleShot(0, [] {
            if (QWidget* popup = User::trackedPopup()) {
                QTest::keyClick(popup, Qt::Key_Down);
                QTest::keyClick(popup, Qt::Key_F1);
                QTest::keyClick(popup, Qt::Key_Escape);
            }
        });
        Q_EMIT parts(w).RichEdit1->customContextMenuRequested(QPoint(40, 40));
        // Once, though both kit menus of the window see the request.
        QTRY_COMPARE(Script::shownMessages().size(), 1);
        QVERIFY(Script::shownMessages().first().text.endsWith(QStringLiteral("cy.chm。")));
    }

    void contextMenuCopiesSelection() {
        testing::ProgramFolder folder(testing::sampleRows());
        Tmain_frm w;
        QVERIFY(showActive(w));
        clickIdiom(w, QStringLiteral("百发百中"));
        const QString viewText = parts(w).RichEdit1->toPlainText();
        QVERIFY(!viewText.isEmpty());
        const QPoint at = parts(w).RichEdit1->mapToGlobal(QPoint(20, 20));

        QVERIFY(openAndClose(parts(w).VyrPopupMenu1, at));
        QVERIFY(!parts(w).copym->isEnabled());

        parts(w).selallm->trigger();
        QVERIFY(parts(w).copym->isEnabled());
        const QTextCursor cursor = parts(w).RichEdit1->textCursor();
        QCOMPARE(cursor.selectionStart(), 0);
        QCOMPARE(cursor.selectionEnd(), parts(w).RichEdit1->document()->characterCount() - 1);

        // Opening with a selection keeps it enabled.
        QVERIFY(openAndClose(parts(w).VyrPopupMenu1, at));
        QVERIFY(parts(w).copym->isEnabled());

        QApplication::clipboard()->setText(QStringLiteral("old"));
        parts(w).copym->trigger();
        QCOMPARE(QApplication::clipboard()->text(), viewText);
        QVERIFY(!parts(w).copym->isEnabled());

        // A click in the view drops the selection: the next opening disables the item.
        QTest::mouseClick(parts(w).RichEdit1->viewport(), Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(parts(w).RichEdit1->textCursor().hasSelection(), false);
        parts(w).copym->setEnabled(true);
        QVERIFY(openAndClose(parts(w).VyrPopupMenu1, at));
        QVERIFY(!parts(w).copym->isEnabled());
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void homeAndEndGoToFirstAndLastRow_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("idiom");
        QTest::newRow("Home") << int(Qt::Key_Home) << 0 << sampleOrder().first();
        QTest::newRow("End") << int(Qt::Key_End) << 0 << sampleOrder().last();
        QTest::newRow("Ctrl+Home")
            << int(Qt::Key_Home) << int(Qt::ControlModifier) << sampleOrder().first();
        QTest::newRow("Ctrl+End") << int(Qt::Key_End) << int(Qt::ControlModifier)
                                  << sampleOrder().last();
    }

    void homeAndEndGoToFirstAndLastRow() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, idiom);
        testing::ProgramFolder folder(testing::sampleRows());
        Tmain_frm w;
        QVERIFY(showActive(w));
        clickRow(w, 5);
        QTest::keyClick(parts(w).DBGrid1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(cursorIdiom(w), idiom);
        QCOMPARE(listCurrent(w), idiom);
        QCOMPARE(shownEntry(w), expectedEntry(idiom));
    }

    void rowsWithAcceptedCodeAreNavy() {
        testing::ProgramFolder folder(testing::sampleRows());
        Tmain_frm w;
        QVERIFY(showActive(w));
        const int sayOne = int(sampleOrder().indexOf(QStringLiteral("不可胜言")));
        const int sayTwo = int(sampleOrder().indexOf(QStringLiteral("不可思议")));
        const int upper = int(sampleOrder().indexOf(QStringLiteral("不知所措")));
        for (int row : {sayOne, sayTwo, upper})
            QVERIFY(parts(w).DBGrid1->viewport()->rect().contains(rowRect(w, row)));
        QCOMPARE(navyRows(w), QList<int>());

        typeCodeAndAccept(w, QStringLiteral("bksy"));
        QVERIFY(!parts(w).DBLookupCombo1->listVisible());
        QCOMPARE(parts(w).DBLookupCombo1->text(), QStringLiteral("bksy"));
        QCOMPARE(cursorIdiom(w), QStringLiteral("不可胜言"));
        QCOMPARE(shownEntry(w), expectedEntry(QStringLiteral("不可胜言")));
        QCOMPARE(navyRows(w), (QList<int>{sayOne, sayTwo}));
        const QImage image =
            parts(w).DBGrid1->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int row : {sayOne, sayTwo}) {
            const RowPaint paint = rowPaint(image, rowRect(w, row));
            QVERIFY2(paint.navyShare > 0.5, qPrintable(QString::number(paint.navyShare)));
            QVERIFY(paint.lightPixels > 0);
            const QRect rect = rowRect(w, row);
            QVERIFY(isNavy(image.pixel(rect.right() - 3, rect.center().y())));
        }

        // Another case finds the row but is not the stored code: no highlight.
        clickRow(w, 0);
        typeCode(w, QStringLiteral("BKSY"));
        QTRY_COMPARE(cursorIdiom(w), QStringLiteral("不可胜言"));
        QCOMPARE(parts(w).DBLookupCombo1->text(), QStringLiteral("BKSY"));
        QCOMPARE(navyRows(w), QList<int>());

        // A stored upper-case code typed as stored is marked while typing.
        typeCode(w, QStringLiteral("BZSC"));
        QTRY_COMPARE(cursorIdiom(w), QStringLiteral("不知所措"));
        QCOMPARE(navyRows(w), QList<int>{upper});
        typeCode(w, QStringLiteral("bzsc"));
        QTRY_COMPARE(parts(w).DBLookupCombo1->text(), QStringLiteral("bzsc"));
        QCOMPARE(cursorIdiom(w), QStringLiteral("不知所措"));
        QCOMPARE(navyRows(w), QList<int>());
        QVERIFY(Script::shownMessages().isEmpty());
    }
};

QTEST_MAIN(TestLookupWindow)
#include "tst_lookupwindow.moc"

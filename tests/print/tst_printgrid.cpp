// Data grids on paper: row counts with and without expansion, title rows on continuation
// pages, and the data set left where it was.
#include "FakePrinter.h"
#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/DataSource.h"
#include "print/TPrintAtOnce.h"
#include "support/TestDatabase.h"
#include "widgets/dbaware/TDBEdit.h"
#include "widgets/dbaware/TDBGrid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace quorvane;
using namespace PrintTypes;

namespace {
std::vector<IdiomEntry> rows(int count) {
    std::vector<IdiomEntry> result;
    for (int i = 0; i < count; ++i)
        result.push_back(testing::entry(QStringLiteral("c%1").arg(i, 3, 10, QLatin1Char('0')),
                                        QStringLiteral("成语%1").arg(i, 3, 10, QLatin1Char('0'))));
    return result;
}

// The y of every horizontal line crossing column x of a page.
QList<int> linesAt(const QImage& page, int x) {
    QList<int> ys;
    bool inside = false;
    for (int y = 0; y < page.height(); ++y) {
        const bool ink = qGray(page.pixel(x, y)) < 128;
        if (ink && !inside)
            ys << y;
        inside = ink;
    }
    return ys;
}

QFont pixelFont(int pixels) {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixels);
    return font;
}

struct GridForm {
    testing::ProgramFolder folder;
    AdoConnection connection;
    AdoQuery query;
    DataSource source;
    QWidget window;
    QFrame* panel = new QFrame(&window);
    TDBGrid* grid = new TDBGrid(panel);
    QLineEdit* below = new QLineEdit(panel);
    TPrintAtOnce* engine = new TPrintAtOnce(&window);

    explicit GridForm(int count) : folder(rows(count)) {
        connection.setConnectionString(AdoConnection::buildConnectionString(folder.path()));
        connection.open();
        query.setConnection(&connection);
        query.setSql(QStringLiteral("select * from cy order by 代码"));
        query.open();
        source.setDataSet(&query);
        panel->setGeometry(0, 0, 400, 600);
        grid->setGeometry(0, 0, 300, 200);
        grid->setDataSource(&source);
        grid->setFields({QStringLiteral("代码"), QStringLiteral("成语")});
        grid->setColumnWidth(0, 100);
        grid->setColumnWidth(1, 150);
        grid->setShowGrid(true);
        grid->setFont(pixelFont(12));
        grid->horizontalHeader()->setFont(pixelFont(11)); // 8 points
        grid->setProperty("dgTitles", true);
        below->setGeometry(0, 210, 100, 20);
        engine->setControl(panel);
        engine->WinControlPrintType = ptTopBottom;
    }
    int rowHeight() const { return QFontMetrics(grid->font()).height() + 4; }
    int titleHeight() const { return QFontMetrics(grid->horizontalHeader()->font()).height() + 4; }
};
} // namespace

class TestPrintGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rowCounts_data();
    void rowCounts();
    void titleRowOnContinuationPages_data();
    void titleRowOnContinuationPages();
    void columnWithoutFieldPrintsEmptyCells();
    void boundEditTakesItsFieldAlignment_data();
    void boundEditTakesItsFieldAlignment();
};

void TestPrintGrid::rowCounts_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("expand");
    QTest::newRow("screen rows, fewer in the set") << 3 << false;
    QTest::newRow("screen rows, more in the set") << 50 << false;
    QTest::newRow("expanded, more") << 50 << true;
    QTest::newRow("expanded, fewer") << 3 << true;
}

void TestPrintGrid::rowCounts() {
    QFETCH(int, rows);
    QFETCH(bool, expand);
    FakePrinterScope scope(96, QSize(600, 4000), QSize(150, 1000));
    GridForm form(rows);
    form.engine->Options = expand ? TPrintOptions(poExpandDBGrid) : TPrintOptions();
    form.query.moveTo(1);
    QSignalSpy moves(&form.query, &AdoDataSet::currentChanged);
    form.engine->Print();
    const int printed = expand ? rows : (200 - 2 * 8) / form.rowHeight();
    const QList<int> lines = linesAt(scope.printer.pages.at(0), 20 + 80);
    // The title's top, then one line below the title and below every row.
    QVERIFY(lines.size() >= printed + 2);
    QCOMPARE(lines.at(1) - lines.at(0), form.titleHeight());
    QCOMPARE(lines.at(printed + 1) - lines.at(1), printed * form.rowHeight());
    const int growth = expand ? form.titleHeight() + rows * form.rowHeight() - 200 : 0;
    QCOMPARE(form.engine->GridGrowth, growth);
    // The edit below the grid moved by the growth: its top line follows the table.
    QCOMPARE(lines.at(printed + 2), 20 + 210 + growth);
    QCOMPARE(form.query.currentRow(), 1);
    QCOMPARE(moves.count(), 0);
}

void TestPrintGrid::titleRowOnContinuationPages_data() {
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<bool>("titles");
    QTest::newRow("repeated") << true << true;
    QTest::newRow("bare rows") << false << true;
    QTest::newRow("repeated, grid without titles") << true << false;
}

// The horizontal lines of each page, as the reader sees the table: a title row is taller
// than a data row, so the gaps between lines tell where the titles are.
void TestPrintGrid::titleRowOnContinuationPages() {
    QFETCH(bool, repeat);
    QFETCH(bool, titles);
    FakePrinterScope scope(96, QSize(600, 400), QSize(150, 100));
    GridForm form(40);
    form.grid->horizontalHeader()->setFont(pixelFont(24)); // a title row taller than a row
    form.grid->setProperty("dgTitles", titles);
    form.engine->Options = poExpandDBGrid | (repeat ? poDBGridPageTitle : TPrintOption(0));
    form.below->hide(); // only the table's lines on the pages
    form.engine->Print();
    QVERIFY(scope.printer.pages.size() >= 2);
    int rowsSeen = 0;
    for (qsizetype p = 0; p < scope.printer.pages.size(); ++p) {
        const QList<int> lines = linesAt(scope.printer.pages.at(p), 20 + 80);
        QVERIFY(lines.size() >= 2);
        QCOMPARE(lines.at(0), 20);
        // Once at the top of the page, never between rows.
        const bool titled = p == 0 ? titles : repeat;
        QList<int> gaps;
        for (qsizetype i = 1; i < lines.size(); ++i)
            gaps << lines.at(i) - lines.at(i - 1);
        QCOMPARE(gaps.first(), titled ? form.titleHeight() : form.rowHeight());
        for (qsizetype i = 1; i < gaps.size(); ++i)
            QCOMPARE(gaps.at(i), form.rowHeight());
        rowsSeen += int(gaps.size()) - (titled ? 1 : 0);
        // The last row on a page closes its table with a bottom line above the margin.
        QVERIFY(lines.last() <= 400 - 20);
    }
    QCOMPARE(rowsSeen, 40);
}

void TestPrintGrid::columnWithoutFieldPrintsEmptyCells() {
    FakePrinterScope scope(96, QSize(600, 4000), QSize(150, 1000));
    GridForm form(5);
    form.grid->setFields({QStringLiteral("代码"), QStringLiteral("没有这一列")});
    form.engine->Options = poExpandDBGrid | poDBGridNumber;
    form.query.moveTo(3);
    form.engine->Print();
    QCOMPARE(form.query.currentRow(), 3);
    QCOMPARE(scope.printer.log.last(), QStringLiteral("end"));
}

void TestPrintGrid::boundEditTakesItsFieldAlignment_data() {
    QTest::addColumn<bool>("bound");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("side"); // -1 left, 0 centre, 1 right
    QTest::newRow("bound, right") << true << int(Qt::AlignRight) << 1;
    QTest::newRow("bound, centre") << true << int(Qt::AlignHCenter) << 0;
    QTest::newRow("bound, left") << true << int(Qt::AlignLeft) << -1;
    QTest::newRow("not bound, right") << false << int(Qt::AlignRight) << -1;
}

void TestPrintGrid::boundEditTakesItsFieldAlignment() {
    QFETCH(bool, bound);
    QFETCH(int, alignment);
    QFETCH(int, side);
    FakePrinterScope scope(96, QSize(600, 4000), QSize(150, 1000));
    GridForm form(3);
    form.grid->hide();
    form.below->hide();
    auto* edit = new TDBEdit(form.panel);
    edit->setGeometry(0, 300, 300, 24);
    edit->setFont(pixelFont(16));
    edit->setAlignment(Qt::Alignment(alignment));
    edit->setDataField(QStringLiteral("代码"));
    if (bound)
        edit->setDataSource(&form.source);
    else
        edit->setText(QStringLiteral("c000"));
    form.engine->WinControlPrintType = ptNone;
    form.engine->Print();
    const QImage& page = scope.printer.pages.at(0);
    int left = page.width();
    int right = -1;
    for (int y = 320; y < 344; ++y)
        for (int x = 20; x < 320; ++x)
            if (qGray(page.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    QVERIFY(right > left);
    const int middle = (left + right) / 2;
    const int wanted = side < 0 ? 20 + 40 : side == 0 ? 20 + 150 : 320 - 40;
    QVERIFY2(std::abs(middle - wanted) < 30,
             qPrintable(QStringLiteral("text from %1 to %2").arg(left).arg(right)));
}

QTEST_MAIN(TestPrintGrid)
#include "tst_printgrid.moc"

// The import window of the maintenance window, fed by a private HTTP server on 127.0.0.1:
// whatever the server does, the dictionary is either merged whole or left byte for byte.
#include "TestConfig.h"
#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/AdoTable.h"
#include "data/DataSource.h"
#include "platform/Dialogs.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"
#include "support/TestTable.h"
#include "support/WindowParts.h"
#include "tools/IdiomImport.h"
#include "ui/maintenance/Tappend_frm.h"
#include "ui/maintenance/Timport_frm.h"
#include "widgets/dbaware/TDBEdit.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using namespace quorvane;
namespace Script = quorvane::Dialogs::Script;
using testing::entry;

namespace {
// What the server answers for one path.
struct Answer {
    QByteArray status = "200 OK";
    QByteArray type = "application/json";
    QByteArray body;
    qint64 declared = -1; // Content-Length when it differs from the body
    qint64 cutAt = -1;    // the connection is closed after this many bytes of body
    int pauseMs = 0;      // between chunks of 4 KB
};

// One request per connection; the test starts and stops it.
class LocalServer : public QTcpServer {
public:
    QMap<QString, Answer> answers;

    LocalServer() { listen(QHostAddress::LocalHost, 0); }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            request->append(socket->readAll());
            if (!request->contains("\r\n\r\n") || socket->property("answered").toBool())
                return;
            socket->setProperty("answered", true);
            const QString path = QString::fromLatin1(request->split(' ').value(1));
            answer(socket, answers.value(path, Answer{"404 Not Found", "text/html",
                                                      "<html>not here</html>"}));
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

private:
    void answer(QTcpSocket* socket, const Answer& a) {
        const qint64 length = a.declared >= 0 ? a.declared : a.body.size();
        socket->write("HTTP/1.1 " + a.status + "\r\nContent-Type: " + a.type +
                      "\r\nContent-Length: " + QByteArray::number(length) +
                      "\r\nConnection: close\r\n\r\n");
        const QByteArray body = a.cutAt >= 0 ? a.body.left(a.cutAt) : a.body;
        if (a.pauseMs == 0) {
            socket->write(body);
            socket->disconnectFromHost();
            return;
        }
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<qint64>(0);
        connect(timer, &QTimer::timeout, socket, [socket, timer, body, sent] {
            socket->write(body.mid(*sent, 4096));
            *sent += 4096;
            if (*sent >= body.size()) {
                timer->stop();
                socket->disconnectFromHost();
            }
        });
        timer->start(a.pauseMs);
    }
};

QByteArray hashOf(const QString& path) {
    return QCryptographicHash::hash(testing::readFile(path), QCryptographicHash::Sha256);
}

QByteArray jsonRecord(const QString& word, const QString& pinyin) {
    return QStringLiteral("{\"word\":\"%1\",\"pinyin\":\"%2\",\"abbreviation\":\"x\","
                          "\"explanation\":\"解释\",\"example\":\"无\",\"derivation\":\"无\"}")
        .arg(word, pinyin)
        .toUtf8();
}

// The shared data set, or a few hundred records made here when it is not there.
QByteArray dataSet() {
    const QByteArray shared =
        testing::readFile(QStringLiteral(QUORVANE_SHARED_DATA "/idioms-xinhua-partial.json"));
    if (!shared.isEmpty())
        return shared;
    QByteArrayList records{jsonRecord(u"阿鼻地狱"_qs, u"ā bí dì yù"_qs)};
    for (int i = 0; i < 400; ++i)
        records << jsonRecord(QStringLiteral("成语%1").arg(i), u"chéng yǔ"_qs);
    return "[" + records.join(",\n") + "]";
}

// A dictionary the user has worked on, the maintenance window over it, and its import window.
struct Fixture {
    testing::ProgramFolder folder{
        {entry(u"abdy"_qs, u"阿鼻地狱"_qs, u"ā bí dì yù"_qs, u"原来的"_qs),
         entry(u"zccy"_qs, u"自创成语"_qs, u"zì chuàng chéng yǔ"_qs)}};
    AdoConnection connection;
    AdoTable table;
    DataSource source;
    QPointer<Tappend_frm> window;

    Fixture() {
        connection.setConnectionString(AdoConnection::buildConnectionString(folder.path()));
        connection.open();
        table.setConnection(&connection);
        table.setTableName(QStringLiteral("cy"));
        source.setDataSet(&table);
        window = new Tappend_frm(&table, &source);
        window->show();
        table.first();
        table.edit();
        table.setFieldText(QStringLiteral("解释"), QStringLiteral("我改过的"));
        table.post();
    }
    ~Fixture() {
        if (window)
            window->close();
        delete window.data();
    }
    Timport_frm* importWindow() {
        QTest::mouseClick(testing::part<QToolButton>(*window, "importbtn"), Qt::LeftButton);
        return window->findChild<Timport_frm*>();
    }
    QString explanationOf(const QString& idiom) const {
        for (const QString& row : testing::storedRows(folder.databasePath()))
            if (row.section(u'|', 2, 2) == idiom)
                return row.section(u'|', 4, 4);
        return QStringLiteral("(none)");
    }
};

void startAndWait(Timport_frm* w) {
    QTest::mouseClick(testing::part<QPushButton>(*w, "startbtn"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(
        testing::part<QPushButton>(*w, "startbtn")->isEnabled() && !w->importing(), 120000);
}
} // namespace

class TestImportWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { Script::begin(); }
    void cleanup() { Script::end(); }
    void downloads_data();
    void downloads();
    void cancelWhileDownloading();
    void mergedDictionaryIsWhatTheWindowsWorkOn();
    void replaceAsksFirst();
    void unsavedEditIsSettledFirst_data();
    void unsavedEditIsSettledFirst();
    void fileTooLargeIsRefused();
};

void TestImportWindow::downloads_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("said"); // a part of the message; "" for success
    QTest::newRow("the data set whole") << u"/idiom.json"_qs << QString();
    QTest::newRow("slowly") << u"/slow.json"_qs << QString();
    QTest::newRow("cut in the middle") << u"/cut.json"_qs << u"断开"_qs;
    QTest::newRow("cut without a length") << u"/cut-open.json"_qs << u"下载的数据不完整或有错"_qs;
    QTest::newRow("an HTML page") << u"/page.json"_qs << u"网页"_qs;
    QTest::newRow("404") << u"/missing.json"_qs << u"HTTP 404"_qs;
    QTest::newRow("a server error") << u"/error.json"_qs << u"HTTP 500"_qs;
    QTest::newRow("500 MB announced") << u"/huge.json"_qs << u"超过上限"_qs;
    QTest::newRow("no server") << u"closed"_qs << u"拒绝连接"_qs;
    QTest::newRow("not an address") << u"ftp://127.0.0.1/idiom.json"_qs << u"地址"_qs;
}

void TestImportWindow::downloads() {
    QFETCH(QString, path);
    QFETCH(QString, said);
    const QByteArray data = dataSet();
    LocalServer server;
    QVERIFY(server.isListening());
    server.answers[u"/idiom.json"_qs] = {"200 OK", "application/json", data};
    server.answers[u"/slow.json"_qs] = {"200 OK", "application/json", data.left(60000), -1, -1, 5};
    server.answers[u"/cut.json"_qs] = {"200 OK", "application/json", data, -1, data.size() / 2};
    server.answers[u"/page.json"_qs] = {"200 OK", "text/html",
                                        "<!DOCTYPE html><html><body>登录</body></html>"};
    server.answers[u"/error.json"_qs] = {"500 Internal Server Error", "text/plain", "boom"};
    server.answers[u"/huge.json"_qs] = {"200 OK", "application/json", "[", 500LL << 20, 1};
    QString url = path.startsWith(u'/') ? server.url(path) : path;
    if (path == u"closed") {
        QTcpServer gone; // a port that was free a moment ago
        gone.listen(QHostAddress::LocalHost, 0);
        url = QStringLiteral("http://127.0.0.1:%1/idiom.json").arg(gone.serverPort());
    }
    Fixture f;
    const QByteArray before = hashOf(f.folder.databasePath());
    Timport_frm* w = f.importWindow();
    QVERIFY(w);
    QVERIFY(testing::part<QRadioButton>(*w, "addradio")->isChecked());
    if (path == u"/slow.json") // cut where a record ends, so that the part is a whole list
        server.answers[path].body = data.left(data.indexOf("\n},", 50000) + 2) + "]";
    if (path == u"/cut-open.json") {
        // Without a length the cut only shows in the data.
        server.answers[path] = {"200 OK", "application/json", data.left(data.size() / 2)};
    }
    testing::part<QRadioButton>(*w, "netradio")->setChecked(true);
    testing::part<QLineEdit>(*w, "urledt")->setText(url);
    startAndWait(w);

    if (!said.isEmpty()) {
        QVERIFY2(testing::part<QLabel>(*w, "resultlbl")->text().contains(said),
                 qPrintable(testing::part<QLabel>(*w, "resultlbl")->text()));
        QVERIFY(testing::part<QLabel>(*w, "resultlbl")->text().contains(u"词典没有改动"_qs));
        QCOMPARE(hashOf(f.folder.databasePath()), before);
        return;
    }
    const QString served = QString::fromUtf8(server.answers[path].body.left(20));
    QVERIFY(served.startsWith(u'['));
    // The counts shown are those of the data: every idiom the dictionary lacked is added.
    const QString input = f.folder.path() + u"served.json"_qs;
    QVERIFY(testing::writeFile(input, server.answers[path].body));
    const std::vector<IdiomEntry> records = IdiomImport::readJson(input);
    QSet<QString> present{u"阿鼻地狱"_qs, u"自创成语"_qs};
    int added = 0;
    for (const IdiomEntry& record : records)
        if (!present.contains(record.text(Column::Idiom))) {
            present.insert(record.text(Column::Idiom));
            ++added;
        }
    QVERIFY2(testing::part<QLabel>(*w, "resultlbl")
                 ->text()
                 .startsWith(QStringLiteral("添加 %1 条成语，%2 条词典中已有")
                                 .arg(added)
                                 .arg(records.size() - added)),
             qPrintable(testing::part<QLabel>(*w, "resultlbl")->text()));
    QCOMPARE(testing::storedRows(f.folder.databasePath()).size(), 2 + added);
    QCOMPARE(f.explanationOf(u"阿鼻地狱"_qs), u"我改过的"_qs);
    QCOMPARE(f.explanationOf(u"自创成语"_qs), QString());
    QCOMPARE(testing::integrityCheck(f.folder.databasePath()), u"ok"_qs);
}

void TestImportWindow::cancelWhileDownloading() {
    LocalServer server;
    server.answers[u"/slow.json"_qs] = {"200 OK", "application/json", dataSet(), -1, -1, 50};
    Fixture f;
    const QByteArray before = hashOf(f.folder.databasePath());
    Timport_frm* w = f.importWindow();
    testing::part<QRadioButton>(*w, "netradio")->setChecked(true);
    testing::part<QLineEdit>(*w, "urledt")->setText(server.url(u"/slow.json"_qs));
    QTest::mouseClick(testing::part<QPushButton>(*w, "startbtn"), Qt::LeftButton);
    // The window goes on answering while the data trickles in: the count grows, 取消 works.
    QTRY_VERIFY(testing::part<QLabel>(*w, "steplbl")->text().contains(u"已收到"_qs) &&
                testing::part<QPushButton>(*w, "cancelbtn")->isEnabled());
    QVERIFY(!testing::part<QPushButton>(*w, "startbtn")->isEnabled() &&
            !testing::part<QPushButton>(*w, "closebtn")->isEnabled());
    QTest::mouseClick(testing::part<QPushButton>(*w, "cancelbtn"), Qt::LeftButton);
    QTRY_VERIFY(!w->importing());
    QVERIFY2(testing::part<QLabel>(*w, "resultlbl")->text().contains(u"下载已取消"_qs),
             qPrintable(testing::part<QLabel>(*w, "resultlbl")->text()));
    QCOMPARE(hashOf(f.folder.databasePath()), before);
    QVERIFY(testing::part<QPushButton>(*w, "startbtn")->isEnabled());
}

// After an import the maintenance window works on the new file, the idiom list keeps its
// snapshot until it is refreshed, and the doubtful records can be saved.
void TestImportWindow::mergedDictionaryIsWhatTheWindowsWorkOn() {
    Fixture f;
    AdoQuery list;
    list.setConnection(&f.connection);
    list.setSql(u"select * from cy order by 成语"_qs);
    list.open();
    const QString input = f.folder.path() + u"new.tsv"_qs;
    QVERIFY(testing::writeFile(input, "代码\t成语\t拼音\t解释\t示例\t近义\t反义\t出处\t典故\n"
                                      "bfbz\t百发百中\tbǎi fā bǎi zhòng\t\t\t\t\t\t\n"
                                      "xxxx\t不知所措\tbù zhī suǒ cuò\t\t\t\t\t\t\n"));
    Timport_frm* w = f.importWindow();
    testing::part<QLineEdit>(*w, "fileedt")->setText(input);
    startAndWait(w);
    QVERIFY2(testing::part<QLabel>(*w, "resultlbl")
                 ->text()
                 .startsWith(u"添加 2 条成语，0 条词典中已有、保持原样，1 条有疑问"_qs),
             qPrintable(testing::part<QLabel>(*w, "resultlbl")->text()));
    QCOMPARE(testing::part<QTreeWidget>(*w, "doubtlst")->topLevelItemCount(), 1);
    QCOMPARE(testing::part<QTreeWidget>(*w, "doubtlst")->topLevelItem(0)->text(1), u"不知所措"_qs);

    // The maintenance cursor is on the new file, at its last row, and can write there.
    QCOMPARE(f.table.recordCount(), 4);
    QCOMPARE(testing::part<TDBEdit>(*f.window, "DBEdit7")->text(), u"不知所措"_qs);
    QTest::mouseClick(testing::part<QToolButton>(*f.window, "editbtn"), Qt::LeftButton);
    f.table.setFieldText(u"代码"_qs, u"bzsc"_qs);
    Script::queueAnswer(Dialogs::Button::Ok);
    QTest::mouseClick(testing::part<QToolButton>(*f.window, "savebtn"), Qt::LeftButton);
    QVERIFY(testing::storedRows(f.folder.databasePath()).last().contains(u"|bzsc|不知所措|"_qs));

    // The list still shows what it had; re-opened, as 刷新 does, it shows the new idioms.
    QCOMPARE(list.recordCount(), 2);
    QCOMPARE(list.cellText(0, 3), u"我改过的"_qs); // read now, from the file it was opened on
    list.close();
    list.open();
    QStringList shown;
    for (int row = 0; row < list.recordCount(); ++row)
        shown << list.cellText(row, 1);
    QCOMPARE(shown, (QStringList{u"阿鼻地狱"_qs, u"百发百中"_qs, u"不知所措"_qs, u"自创成语"_qs}));

    const QString report = f.folder.path() + u"疑问.tsv"_qs;
    Script::queueFileName(report);
    QTest::mouseClick(testing::part<QPushButton>(*w, "reportbtn"), Qt::LeftButton);
    const QByteArray bytes = testing::readFile(report);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF")); // spreadsheets read it as UTF-8
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(u'\n');
    QCOMPARE(lines.value(0), u"行\t成语\t代码\t拼音\t问题\t说明"_qs);
    QVERIFY2(lines.value(1).startsWith(u"3\t不知所措\txxxx\tbù zhī suǒ cuò\t代码\t"_qs),
             qPrintable(lines.value(1)));
    QCOMPARE(lines.size(), 3); // and the final newline
}

void TestImportWindow::replaceAsksFirst() {
    Fixture f;
    const QString input = f.folder.path() + u"new.tsv"_qs;
    QVERIFY(testing::writeFile(input, "代码\t成语\t拼音\t解释\t示例\t近义\t反义\t出处\t典故\n"
                                      "bfbz\t百发百中\tbǎi fā bǎi zhòng\t\t\t\t\t\t\n"));
    const QByteArray before = hashOf(f.folder.databasePath());
    Timport_frm* w = f.importWindow();
    testing::part<QLineEdit>(*w, "fileedt")->setText(input);
    testing::part<QRadioButton>(*w, "replaceradio")->setChecked(true);
    Script::queueAnswer(Dialogs::Button::Cancel);
    QTest::mouseClick(testing::part<QPushButton>(*w, "startbtn"), Qt::LeftButton);
    QCOMPARE(Script::shownMessages().size(), 1);
    QVERIFY(Script::shownMessages().last().text.contains(u"替换整个词典"_qs));
    QVERIFY(!w->importing());
    QCOMPARE(hashOf(f.folder.databasePath()), before);

    Script::queueAnswer(Dialogs::Button::Ok);
    startAndWait(w);
    const QStringList rows = testing::storedRows(f.folder.databasePath());
    QCOMPARE(rows.size(), 1);
    QVERIFY(rows.first().contains(u"|百发百中|"_qs));
    QCOMPARE(f.table.recordCount(), 1);
}

void TestImportWindow::unsavedEditIsSettledFirst_data() {
    QTest::addColumn<bool>("inCode"); // typed into 代码 (four characters at most), or 成语
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("opens");
    QTest::newRow("saved") << false << true << true;
    QTest::newRow("dropped") << false << false << true;
    // A save the table refuses keeps the row in editing, and nothing is imported.
    QTest::newRow("save refused") << true << true << false;
}

void TestImportWindow::unsavedEditIsSettledFirst() {
    QFETCH(bool, inCode);
    QFETCH(bool, save);
    QFETCH(bool, opens);
    Fixture f;
    QTest::mouseClick(testing::part<QToolButton>(*f.window, "editbtn"), Qt::LeftButton);
    QLineEdit* field = inCode
                           ? static_cast<QLineEdit*>(testing::part<TDBEdit>(*f.window, "DBEdit6"))
                           : static_cast<QLineEdit*>(testing::part<TDBEdit>(*f.window, "DBEdit7"));
    field->setFocus();
    QTest::keyClicks(field, u"q"_qs);
    const QString typed = field->text();
    Script::queueAnswer(save ? Dialogs::Button::Ok : Dialogs::Button::Cancel);
    QCOMPARE(f.importWindow() != nullptr, opens);
    QVERIFY(Script::shownMessages().first().text.contains(u"还没有保存"_qs));
    QCOMPARE(f.window->editingArrangement(), !opens);
    const bool stored =
        testing::storedRows(f.folder.databasePath()).join(u'\n').contains(u'|' + typed + u'|');
    QCOMPARE(stored, save && opens);
}

void TestImportWindow::fileTooLargeIsRefused() {
    Fixture f;
    const QString big = f.folder.path() + u"big.json"_qs;
    QFile file(big);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(500LL << 20)); // sparse: takes no room
    file.close();
    const QByteArray before = hashOf(f.folder.databasePath());
    Timport_frm* w = f.importWindow();
    testing::part<QLineEdit>(*w, "fileedt")->setText(big);
    startAndWait(w);
    QVERIFY2(testing::part<QLabel>(*w, "resultlbl")->text().contains(u"超过导入的上限"_qs),
             qPrintable(testing::part<QLabel>(*w, "resultlbl")->text()));
    QCOMPARE(hashOf(f.folder.databasePath()), before);
}

QTEST_MAIN(TestImportWindow)
#include "tst_importwindow.moc"

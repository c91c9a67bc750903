#include "favourites/FavouritesExport.h"
#include "favourites/FavouritesStore.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <csignal>

using namespace quorvane;

namespace {
IdiomKey key(const QString& idiom) {
    return {idiom, QStringLiteral("pin ") + idiom};
}

QStringList idioms(const FavouritesStore& store, ListKind kind) {
    QStringList out;
    for (int i = 0; i < store.list(kind).size(); ++i)
        out << store.list(kind).at(i).key.idiom;
    return out;
}

// "+A" adds A to the favourites, "-A" takes it out, "vA" records a view of A, "xfA"/"xhA"
// removes A from a list, "Cf"/"Ch" clears a list.
void apply(FavouritesStore& store, const QString& script) {
    for (const QString& op : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QChar c = op.at(0);
        if (c == u'+' || c == u'-')
            store.setFavourite(key(op.mid(1)), c == u'+');
        else if (c == u'v')
            store.recordView(key(op.mid(1)));
        else if (c == u'x')
            store.remove(op.at(1) == u'f' ? ListKind::Favourites : ListKind::History,
                         key(op.mid(2)));
        else if (c == u'C')
            store.clear(op.at(1) == u'f' ? ListKind::Favourites : ListKind::History);
    }
}

qint64 rowCount(const QString& path, const char* table) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = QByteArray("select count(*) from ") + table;
    sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
    const qint64 count = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return count;
}

int execute(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

const QString kKept =
    QStringLiteral("收藏和最近查看本次照常使用，但更改不会保存；原文件保持原样，没有被改动。");
} // namespace

class TestFavouritesStore : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_path;

private Q_SLOTS:
    void init() {
        m_path = m_dir.filePath(QStringLiteral("data/Brevinn/Quorvane/favourites.sqlite"));
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(QFileInfo(m_path).path());
    }

    void defaultPathIsBesideTheSettings() {
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("xdg")).toLocal8Bit());
        QCOMPARE(FavouritesStore::defaultPath(),
                 m_dir.filePath(QStringLiteral("xdg/Brevinn/Quorvane/favourites.sqlite")));
    }

    void listsSurviveAReopen_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("favourites");
        QTest::addColumn<QStringList>("history");
        const auto l = [](const char* s) {
            return QString::fromUtf8(s).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        };
        QTest::newRow("nothing") << QString() << QStringList() << QStringList();
        QTest::newRow("newest first") << "+甲 +乙 +丙" << l("丙 乙 甲") << QStringList();
        QTest::newRow("taken out") << "+甲 +乙 -甲" << l("乙") << QStringList();
        QTest::newRow("added twice keeps its place")
            << "+甲 +乙 +甲" << l("乙 甲") << QStringList();
        QTest::newRow("out and in again is newest")
            << "+甲 +乙 -甲 +甲" << l("甲 乙") << QStringList();
        QTest::newRow("views without repeats")
            << "v甲 v乙 v甲 v丙" << QStringList() << l("丙 甲 乙");
        QTest::newRow("lists are apart") << "+甲 v乙 xh乙 v丙" << l("甲") << l("丙");
        QTest::newRow("removed from one list") << "+甲 +乙 v甲 xf甲" << l("乙") << l("甲");
        QTest::newRow("cleared") << "+甲 +乙 v丙 Cf v丁" << QStringList() << l("丁 丙");
        QTest::newRow("history cleared") << "+甲 v丙 Ch" << l("甲") << QStringList();
    }
    void listsSurviveAReopen() {
        QFETCH(QString, script);
        QFETCH(QStringList, favourites);
        QFETCH(QStringList, history);
        {
            FavouritesStore store(m_path);
            QCOMPARE(store.problem(), QString());
            QVERIFY(store.saving());
            apply(store, script);
            QCOMPARE(idioms(store, ListKind::Favourites), favourites);
            QCOMPARE(idioms(store, ListKind::History), history);
        }
        {
            FavouritesStore again(m_path);
            QCOMPARE(again.problem(), QString());
            QCOMPARE(idioms(again, ListKind::Favourites), favourites);
            QCOMPARE(idioms(again, ListKind::History), history);
            for (const QString& idiom : favourites)
                QVERIFY(again.isFavourite(key(idiom)));
            // Text and reading together make the idiom: another reading is another idiom.
            if (!favourites.isEmpty())
                QVERIFY(!again.isFavourite({favourites.first(), QStringLiteral("other")}));
        }
        // Between runs the file stands alone.
        QVERIFY(!QFile::exists(m_path + QStringLiteral("-wal")));
    }

    void historyKeepsTheNewest500() {
        {
            FavouritesStore store(m_path);
            for (int i = 0; i < 510; ++i)
                store.recordView(key(QString::number(i)));
            store.recordView(key(QStringLiteral("20"))); // seen again: back on top
            QCOMPARE(store.list(ListKind::History).size(), 500);
        }
        {
            FavouritesStore again(m_path);
            const RememberedList& history = again.list(ListKind::History);
            QCOMPARE(history.size(), 500);
            QCOMPARE(history.at(0).key.idiom, QStringLiteral("20"));
            QCOMPARE(history.at(1).key.idiom, QStringLiteral("509"));
            QCOMPARE(history.at(499).key.idiom, QStringLiteral("10"));
            QVERIFY(!again.list(ListKind::History).contains(key(QStringLiteral("9"))));
            QCOMPARE(history.indexOf(key(QStringLiteral("300"))), 509 - 300 + 1);
        }
        QCOMPARE(rowCount(m_path, "history"), 500);
    }

    void unreadableFilesAreLeftAlone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("version");
        const QString damaged = QStringLiteral("收藏夹文件“%1”已损坏，无法读取。") + kKept;
        QTest::newRow("not a database") << QByteArray(4096, '\x5a') << damaged << 0;
        QTest::newRow("text file") << QByteArray("甲\t乙\n") << damaged << 0;
        QTest::newRow("cut short") << QByteArray("cut") << damaged << 0;
        QTest::newRow("another database") << QByteArray("other") << damaged << 0;
        QTest::newRow("newer version")
            << QByteArray()
            << QStringLiteral("收藏夹文件“%1”是较新版本的 Quorvane 写的（格式 7），"
                              "这个版本读不了。") +
                   kKept
            << 7;
    }
    void unreadableFilesAreLeftAlone() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(int, version);
        if (bytes == "cut" || bytes.isEmpty()) {
            FavouritesStore store(m_path);
            for (int i = 0; i < 300; ++i)
                store.setFavourite(key(QString::number(i)), true);
        }
        if (bytes == "cut")
            bytes = testing::readFile(m_path).left(3 * 4096 + 100);
        else if (bytes.isEmpty())
            QCOMPARE(execute(m_path,
                             qPrintable(QStringLiteral("pragma user_version = %1").arg(version))),
                     SQLITE_OK);
        if (bytes == "other") {
            QCOMPARE(execute(m_path, "create table notes (x); insert into notes values (1)"),
                     SQLITE_OK);
            bytes = testing::readFile(m_path);
        } else if (!bytes.isEmpty()) {
            QVERIFY(testing::writeFile(m_path, bytes));
        } else {
            bytes = testing::readFile(m_path);
        }

        {
            FavouritesStore store(m_path);
            QCOMPARE(store.problem(), message.arg(m_path));
            QVERIFY(!store.saving());
            QCOMPARE(store.list(ListKind::Favourites).size(), 0);
            // The session goes on in memory, and says nothing more.
            QSignalSpy problems(&store, &FavouritesStore::problemOccurred);
            store.setFavourite(key(QStringLiteral("甲")), true);
            store.recordView(key(QStringLiteral("乙")));
            QVERIFY(store.isFavourite(key(QStringLiteral("甲"))));
            QCOMPARE(problems.size(), 0);
        }
        QCOMPARE(testing::readFile(m_path), bytes);
        QCOMPARE(QDir(QFileInfo(m_path).path()).entryList(QDir::Files),
                 QStringList{QFileInfo(m_path).fileName()});
    }

    void lockedAgainstOtherWriters() {
        {
            FavouritesStore store(m_path);
            store.setFavourite(key(QStringLiteral("甲")), true);
            QCOMPARE(execute(m_path, "insert into favourites values (99, 'x', 'y', 0)"),
                     SQLITE_BUSY);
            QCOMPARE(execute(m_path, "delete from favourites"), SQLITE_BUSY);
        }
        // Held by another writer: this store keeps out of the file.
        sqlite3* other = nullptr;
        sqlite3_open(QFile::encodeName(m_path).constData(), &other);
        QCOMPARE(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
        {
            FavouritesStore store(m_path);
            QCOMPARE(store.problem(),
                     QStringLiteral("收藏夹文件“%1”正被其他程序使用。").arg(m_path) + kKept);
            store.setFavourite(key(QStringLiteral("乙")), true);
        }
        sqlite3_exec(other, "commit", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        FavouritesStore after(m_path);
        QCOMPARE(idioms(after, ListKind::Favourites), QStringList{QStringLiteral("甲")});
    }

    void flashCardsAreOneLineEach_data() {
        QTest::addColumn<QString>("idiom");
        QTest::addColumn<QString>("pinyin");
        QTest::addColumn<QString>("explanation");
        QTest::addColumn<QString>("card");
        QTest::newRow("front and back") << "甲乙"
                                        << "jiǎ yǐ"
                                        << "解释。"
                                        << "甲乙\tjiǎ yǐ<br>解释。";
        QTest::newRow("markup is text") << "a<b"
                                        << ""
                                        << "x & y"
                                        << "a&lt;b\tx &amp; y";
        QTest::newRow("line breaks") << "丁"
                                     << "dīng"
                                     << "一\r\n二\n三\r四"
                                     << "丁\tdīng<br>一<br>二<br>三<br>四";
        QTest::newRow("tabs would split") << "甲\t乙"
                                          << "a\tb"
                                          << ""
                                          << "甲 乙\ta b";
        QTest::newRow("nothing to turn to") << "丙"
                                            << ""
                                            << ""
                                            << "丙\t";
    }
    void flashCardsAreOneLineEach() {
        QFETCH(QString, idiom);
        QFETCH(QString, pinyin);
        QFETCH(QString, explanation);
        QFETCH(QString, card);
        IdiomEntry entry;
        entry.text(Column::Idiom) = idiom;
        entry.text(Column::Pinyin) = pinyin;
        entry.text(Column::Explanation) = explanation;
        entry.text(Column::Example) = QStringLiteral("例句不上卡片");
        const QByteArray header("#separator:tab\n#html:true\n");
        QCOMPARE(FavouritesExport::flashCards({entry}), header + card.toUtf8() + '\n');
        QCOMPARE(FavouritesExport::flashCards({entry, entry}),
                 header + card.toUtf8() + '\n' + card.toUtf8() + '\n');
    }

#ifdef Q_OS_UNIX
    void fullDiskKeepsWhatWasSaved() {
        std::signal(SIGXFSZ, SIG_IGN); // an exceeded size limit fails the write instead
        {
            FavouritesStore store(m_path);
            store.setFavourite(key(QStringLiteral("甲")), true);
        }
        {
            FavouritesStore store(m_path);
            QSignalSpy problems(&store, &FavouritesStore::problemOccurred);
            {
                testing::FileSizeLimit limit(1);
                QVERIFY(limit.ok());
                store.setFavourite(key(QStringLiteral("乙")), true);
                store.setFavourite(key(QStringLiteral("丙")), true);
                store.recordView(key(QStringLiteral("丁")));
            }
            QCOMPARE(problems.size(), 1);
            QCOMPARE(store.problem(),
                     QStringLiteral("无法保存收藏夹文件“%1”：磁盘已满或无法写入。").arg(m_path) +
                         kKept);
            QCOMPARE(
                idioms(store, ListKind::Favourites),
                QStringList({QStringLiteral("丙"), QStringLiteral("乙"), QStringLiteral("甲")}));
            store.setFavourite(key(QStringLiteral("戊")), true); // room again: still not saved
        }
        FavouritesStore after(m_path);
        QCOMPARE(after.problem(), QString());
        QCOMPARE(idioms(after, ListKind::Favourites), QStringList{QStringLiteral("甲")});
    }

    void readOnlyFileIsReadButNotWritten() {
        {
            FavouritesStore store(m_path);
            store.setFavourite(key(QStringLiteral("甲")), true);
            store.recordView(key(QStringLiteral("乙")));
        }
        const QByteArray before = testing::readFile(m_path);
        const auto open = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        for (QString dir = QFileInfo(m_path).path(); dir.startsWith(m_dir.path());
             dir = QFileInfo(dir).path())
            QVERIFY(QFile(dir).setPermissions(open | QFile::WriteOwner));
        QVERIFY(QFile(m_path).setPermissions(QFile::ReadOwner | QFile::ReadOther));
        const int result = testing::runWithPermissionsEnforced([this] {
            FavouritesStore store(m_path);
            if (store.problem() != QStringLiteral("收藏夹文件“%1”是只读的。").arg(m_path) + kKept)
                return 1;
            if (!store.isFavourite(key(QStringLiteral("甲"))) ||
                store.list(ListKind::History).size() != 1)
                return 2;
            store.setFavourite(key(QStringLiteral("丙")), true);
            store.clear(ListKind::Favourites);
            return store.saving() ? 3 : 0;
        });
        QVERIFY(QFile(m_path).setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(result, 0);
        QCOMPARE(testing::readFile(m_path), before);
    }
#endif
};

QTEST_GUILESS_MAIN(TestFavouritesStore)
#include "tst_favouritesstore.moc"

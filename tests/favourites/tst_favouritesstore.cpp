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

// "+A"/"-A" put A in or out of the favourites, "vA" records a view, "xfA"/"xhA" removes A
// from a list, "Cf"/"Ch" clears one.
void apply(FavouritesStore& store, const QString& script) {
    for (const QString& op : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const ListKind kind = op.at(1) == u'f' ? ListKind::Favourites : ListKind::History;
        switch (op.at(0).unicode()) {
        case u'+':
        case u'-':
            store.setFavourite(key(op.mid(1)), op.at(0) == u'+');
            break;
        case u'v':
            store.recordView(key(op.mid(1)));
            break;
        case u'x':
            store.remove(kind, key(op.mid(2)));
            break;
        default:
            store.clear(kind);
        }
    }
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

    void listsSurviveAReopen_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("favourites");
        QTest::addColumn<QString>("history");
        QTest::newRow("newest first") << "+甲 +乙 +丙"
                                      << "丙 乙 甲"
                                      << "";
        QTest::newRow("taken out") << "+甲 +乙 -甲"
                                   << "乙"
                                   << "";
        QTest::newRow("added twice keeps its place") << "+甲 +乙 +甲"
                                                     << "乙 甲"
                                                     << "";
        QTest::newRow("out and in again is newest") << "+甲 +乙 -甲 +甲"
                                                    << "甲 乙"
                                                    << "";
        QTest::newRow("views without repeats") << "v甲 v乙 v甲 v丙"
                                               << ""
                                               << "丙 甲 乙";
        QTest::newRow("removed from one list") << "+甲 +乙 v甲 v乙 xf甲 xh乙"
                                               << "乙"
                                               << "甲";
        QTest::newRow("one list cleared") << "+甲 +乙 v丙 Cf v丁"
                                          << ""
                                          << "丁 丙";
        QTest::newRow("the other cleared") << "+甲 v丙 Ch"
                                           << "甲"
                                           << "";
    }
    void listsSurviveAReopen() {
        QFETCH(QString, script);
        QFETCH(QString, favourites);
        QFETCH(QString, history);
        for (const bool reopened : {false, true}) {
            FavouritesStore store(m_path);
            QCOMPARE(store.problem(), QString());
            if (!reopened)
                apply(store, script);
            QCOMPARE(idioms(store, ListKind::Favourites).join(u' '), favourites);
            QCOMPARE(idioms(store, ListKind::History).join(u' '), history);
            // Text and reading make the idiom: another reading is another idiom.
            for (const QString& idiom : idioms(store, ListKind::Favourites))
                QVERIFY(store.isFavourite(key(idiom)) && !store.isFavourite({idiom, {}}));
        }
        // Between runs the file stands alone, without a log beside it.
        QVERIFY(!QFile::exists(m_path + QStringLiteral("-wal")));
    }

    void historyKeepsTheNewest500() {
        for (const bool reopened : {false, true}) {
            FavouritesStore store(m_path);
            if (!reopened) {
                for (int i = 0; i < 510; ++i)
                    store.recordView(key(QString::number(i)));
                store.recordView(key(QStringLiteral("20"))); // seen again: back on top
            }
            const RememberedList& history = store.list(ListKind::History);
            QCOMPARE(history.size(), 500);
            QCOMPARE(history.at(0).key.idiom, QStringLiteral("20"));
            QCOMPARE(history.at(1).key.idiom, QStringLiteral("509"));
            QCOMPARE(history.at(499).key.idiom, QStringLiteral("10"));
            QCOMPARE(history.indexOf(key(QStringLiteral("300"))), 210);
            QCOMPARE(history.indexOf(key(QStringLiteral("9"))), -1);
        }
    }

    void unreadableFilesAreLeftAlone_data() {
        QTest::addColumn<QByteArray>("make");
        QTest::addColumn<QString>("message");
        const QString damaged = QStringLiteral("收藏夹文件“%1”已损坏，无法读取。") + kKept;
        QTest::newRow("not a database") << QByteArray(4096, '\x5a') << damaged;
        QTest::newRow("cut short") << QByteArray("cut") << damaged;
        QTest::newRow("another program's database") << QByteArray("other") << damaged;
        QTest::newRow("newer version")
            << QByteArray("newer")
            << QStringLiteral(
                   "收藏夹文件“%1”是较新版本的 Quorvane 写的（格式 7），这个版本读不了。") +
                   kKept;
    }
    void unreadableFilesAreLeftAlone() {
        QFETCH(QByteArray, make);
        QFETCH(QString, message);
        if (make == "cut" || make == "newer") {
            FavouritesStore store(m_path);
            for (int i = 0; i < 300; ++i)
                store.setFavourite(key(QString::number(i)), true);
        }
        if (make == "cut")
            QVERIFY(testing::writeFile(m_path, testing::readFile(m_path).left(3 * 4096 + 100)));
        else if (make == "newer")
            QCOMPARE(execute(m_path, "pragma user_version = 7"), SQLITE_OK);
        else if (make == "other")
            QCOMPARE(execute(m_path, "create table notes (x); insert into notes values (1)"),
                     SQLITE_OK);
        else
            QVERIFY(testing::writeFile(m_path, make));
        const QByteArray before = testing::readFile(m_path);
        {
            FavouritesStore store(m_path);
            QCOMPARE(store.problem(), message.arg(m_path));
            QVERIFY(!store.saving());
            QCOMPARE(store.list(ListKind::Favourites).size(), 0);
            // The session goes on in memory, and says nothing more.
            QSignalSpy problems(&store, &FavouritesStore::problemOccurred);
            apply(store, QStringLiteral("+甲 v乙"));
            QVERIFY(store.isFavourite(key(QStringLiteral("甲"))));
            QCOMPARE(problems.size(), 0);
        }
        QCOMPARE(testing::readFile(m_path), before);
        QCOMPARE(QDir(QFileInfo(m_path).path()).entryList(QDir::Files),
                 QStringList{QFileInfo(m_path).fileName()});
    }

    void lockedAgainstOtherWriters() {
        {
            FavouritesStore store(m_path);
            store.setFavourite(key(QStringLiteral("甲")), true);
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
        sqlite3_close(other);
        FavouritesStore after(m_path);
        QCOMPARE(idioms(after, ListKind::Favourites), QStringList{QStringLiteral("甲")});
    }

    void flashCardsAreOneLineEach_data() {
        QTest::addColumn<QString>("idiom");
        QTest::addColumn<QString>("explanation");
        QTest::addColumn<QString>("card");
        QTest::newRow("markup is text") << "a<b"
                                        << "x & y"
                                        << "a&lt;b\tpy<br>x &amp; y";
        QTest::newRow("line breaks") << "丁"
                                     << "一\r\n二\n三"
                                     << "丁\tpy<br>一<br>二<br>三";
        QTest::newRow("tabs would split") << "甲\t乙"
                                          << ""
                                          << "甲 乙\tpy";
    }
    void flashCardsAreOneLineEach() {
        QFETCH(QString, idiom);
        QFETCH(QString, explanation);
        QFETCH(QString, card);
        IdiomEntry entry;
        entry.text(Column::Idiom) = idiom;
        entry.text(Column::Pinyin) = QStringLiteral("py");
        entry.text(Column::Explanation) = explanation;
        entry.text(Column::Example) = QStringLiteral("例句不上卡片");
        QCOMPARE(FavouritesExport::flashCards({entry, entry}),
                 "#separator:tab\n#html:true\n" + (card + u'\n' + card + u'\n').toUtf8());
    }

#ifdef Q_OS_UNIX
    void fullDiskKeepsWhatWasSaved() {
        std::signal(SIGXFSZ, SIG_IGN); // an exceeded size limit fails the write instead
        apply(*std::make_unique<FavouritesStore>(m_path), QStringLiteral("+甲"));
        {
            FavouritesStore store(m_path);
            QSignalSpy problems(&store, &FavouritesStore::problemOccurred);
            {
                testing::FileSizeLimit limit(1);
                QVERIFY(limit.ok());
                apply(store, QStringLiteral("+乙 +丙 v丁"));
            }
            QCOMPARE(problems.size(), 1);
            QCOMPARE(store.problem(),
                     QStringLiteral("无法保存收藏夹文件“%1”：磁盘已满或无法写入。").arg(m_path) +
                         kKept);
            QCOMPARE(idioms(store, ListKind::Favourites).join(u' '), QStringLiteral("丙 乙 甲"));
            apply(store, QStringLiteral("+戊")); // room again: still not saved
        }
        FavouritesStore after(m_path);
        QCOMPARE(after.problem(), QString());
        QCOMPARE(idioms(after, ListKind::Favourites), QStringList{QStringLiteral("甲")});
    }

    void readOnlyFileIsReadButNotWritten() {
        apply(*std::make_unique<FavouritesStore>(m_path), QStringLiteral("+甲 v乙"));
        const QByteArray before = testing::readFile(m_path);
        for (QString dir = QFileInfo(m_path).path(); dir.startsWith(m_dir.path());
             dir = QFileInfo(dir).path())
            QVERIFY(QFile(dir).setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                                              QFile::ExeOwner | QFile::ReadOther |
                                              QFile::ExeOther));
        QVERIFY(QFile(m_path).setPermissions(QFile::ReadOwner | QFile::ReadOther));
        const int result = testing::runWithPermissionsEnforced([this] {
            FavouritesStore store(m_path);
            if (store.problem() != QStringLiteral("收藏夹文件“%1”是只读的。").arg(m_path) + kKept)
                return 1;
            if (!store.isFavourite(key(QStringLiteral("甲"))) ||
                store.list(ListKind::History).size() != 1)
                return 2;
            apply(store, QStringLiteral("+丙 Cf"));
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

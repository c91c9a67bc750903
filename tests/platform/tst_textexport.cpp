#include "platform/QuorvaneError.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;

class TestTextExport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void codePage936WithGb18030Fallback_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ordinary text")
            << QStringLiteral("【成语】a·b") << QByteArray::fromHex("a1beb3c9d3efa1bf61a1a462");
        // 0x80 in code page 936, A2 E3 in GB18030.
        QTest::newRow("euro sign") << QStringLiteral("价€5") << QByteArray::fromHex("bcdb8035");
        QTest::newRow("outside GBK, in the astral planes")
            << QStringLiteral("𠮷野") << QByteArray::fromHex("9534b235d2b0");
        QTest::newRow("outside GBK, yen sign")
            << QStringLiteral("€¥") << QByteArray::fromHex("8081308436");
        QTest::newRow("line ends")
            << QStringLiteral("\r\n甲\r\n") << QByteArray("\r\n\xBC\xD7\r\n");
    }

    void codePage936WithGb18030Fallback() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(TextCodec::toAnsi(text).toHex(), bytes.toHex());
        QCOMPARE(TextCodec::fromAnsi(bytes), text);
    }

    void writeReplacesTheWholeFile() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("entry.txt"));
        QVERIFY(testing::writeFile(file, QByteArray(300, 'x')));
        TextFile::write(file, "new\r\n");
        QCOMPARE(testing::readFile(file), QByteArray("new\r\n"));
        // Nothing is left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("entry.txt")});
    }

#ifdef Q_OS_UNIX
    void readOnlyFolderWithWritableFile() {
        QTemporaryDir dir;
        QVERIFY(QFile(dir.path())
                    .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadOther | QFile::ExeOther));
        const QString folder = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(folder));
        const QString file = folder + QStringLiteral("/entry.txt");
        QVERIFY(testing::writeFile(file, QByteArray(300, 'x')));
        const auto everyone =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther;
        QVERIFY(QFile(file).setPermissions(everyone));
        QVERIFY(QFile(folder).setPermissions(QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                             QFile::ExeOther));
        const auto attempt = [](const QString& target) {
            try {
                TextFile::write(target, "\r\n\xA1\xBE\r\n");
                return 0;
            } catch (const QuorvaneError& e) {
                return e.message().contains(target) ? 2 : 3;
            }
        };
        // The file is written in place; a new file cannot be made there and says so.
        QCOMPARE(testing::runWithPermissionsEnforced([&] { return attempt(file); }), 0);
        QCOMPARE(testing::runWithPermissionsEnforced(
                     [&] { return attempt(folder + QStringLiteral("/other.txt")); }),
                 2);
        QVERIFY(
            QFile(folder).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(testing::readFile(file), QByteArray("\r\n\xA1\xBE\r\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("entry.txt")});
    }
#endif
};

QTEST_GUILESS_MAIN(TestTextExport)
#include "tst_textexport.moc"

#include "platform/Registry.h"
#include "support/FullDisk.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace quorvane;

namespace {
const QString keyPath = QStringLiteral("Software\\Brevinn\\Quorvane\\3.0");

const QByteArray emptyKeyFile = "Windows Registry Editor Version 5.00\n"
                                "\n"
                                "[HKEY_LOCAL_MACHINE\\Software\\Brevinn\\Quorvane\\3.0]\n"
                                "\n";

} // namespace

class TestRegistry : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_config;

    QString file() const { return RegistryKey::storageFile(); }

    void writeFile(const QByteArray& bytes) {
        QVERIFY(quorvane::testing::writeFile(file(), bytes));
    }
    QByteArray fileBytes() const { return quorvane::testing::readFile(file()); }

    QString folder() const { return QFileInfo(file()).absolutePath(); }

    // Settings folder and file read-only, the folders above reachable by anyone (a child
    // process that dropped root must get there).
    void lockSettingsFolder() {
        const auto readable =
            QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile(m_config->path()).setPermissions(readable | QFile::WriteOwner));
        QVERIFY(QFile(m_config->path() + QStringLiteral("/Brevinn"))
                    .setPermissions(readable | QFile::WriteOwner));
        QVERIFY(QFile(folder()).setPermissions(readable));
        QVERIFY(QFile(file()).setPermissions(QFile::ReadOwner | QFile::ReadOther));
    }

private Q_SLOTS:
    void init() {
        m_config = std::make_unique<QTemporaryDir>();
        QVERIFY(m_config->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
    }

    void cleanup() {
        // Lets the temporary folder be removed after a locking test.
        if (QFileInfo(folder()).isDir())
            QFile(folder()).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_config.reset();
    }

    void storageFileFollowsXdgConfigHome() {
        QCOMPARE(file(), m_config->path() + QStringLiteral("/Brevinn/Quorvane/3.0.reg"));
    }

    void openingWithoutCreateNeedsTheKey() {
        RegistryKey key;
        QVERIFY(!key.openKey(keyPath, false));
        QVERIFY(!key.isOpen());
        QVERIFY(!QFile::exists(file()));

        writeFile(
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n");
        QVERIFY(!key.openKey(keyPath, false));
        QVERIFY(key.openKey(QStringLiteral("Software\\Other"), false));
        QVERIFY(key.isOpen());
        key.closeKey();
        QVERIFY(!key.isOpen());
        QVERIFY(!key.valueExists(QStringLiteral("x")));
        QVERIFY_THROWS_EXCEPTION(QuorvaneError, key.writeString(QStringLiteral("x"), {}));
    }

    void openingCreatesTheFileAndKeyOnce() {
        {
            RegistryKey key;
            QVERIFY(key.openKey(keyPath, true));
            QVERIFY(key.isOpen());
            QVERIFY(!key.valueExists(QStringLiteral("bkgrnd")));
        }
        QCOMPARE(fileBytes(), emptyKeyFile);

        // Opening an existing key writes nothing, even where writing is impossible.
        lockSettingsFolder();
        const int result = testing::runWithPermissionsEnforced([] {
            RegistryKey key;
            return key.openKey(keyPath, true) ? 0 : 1;
        });
        QCOMPARE(result, 0);
        QCOMPARE(fileBytes(), emptyKeyFile);
    }

    void keyThatCannotBeCreatedDoesNotOpen() {
        // The folder's place is taken by a file, so nothing can be created there.
        QFile blocker(m_config->path() + QStringLiteral("/Brevinn"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        RegistryKey key;
        QVERIFY(!key.openKey(keyPath, true));
        QVERIFY(!key.isOpen());
    }

    void writesProduceExactRegistryText() {
        RegistryKey key;
        QVERIFY(key.openKey(keyPath, true));
        key.writeString(QStringLiteral("bkgrnd"), QStringLiteral("C:\\Quorvane\\images\\bk.bmp"));
        key.writeString(QStringLiteral("fontname"), QStringLiteral("宋体"));
        key.writeInteger(QStringLiteral("fontsize"), 11);
        key.writeString(QStringLiteral("quote"), QStringLiteral("say \"你好\" \\ ok"));
        key.writeInteger(QStringLiteral("minus"), -1);
        key.writeString(QStringLiteral("empty"), QString());

        const QByteArray expected = "Windows Registry Editor Version 5.00\n"
                                    "\n"
                                    "[HKEY_LOCAL_MACHINE\\Software\\Brevinn\\Quorvane\\3.0]\n"
                                    "\"bkgrnd\"=\"C:\\\\Quorvane\\\\images\\\\bk.bmp\"\n"
                                    "\"fontname\"=\"\xE5\xAE\x8B\xE4\xBD\x93\"\n"
                                    "\"fontsize\"=dword:0000000b\n"
                                    "\"quote\"=\"say \\\"\xE4\xBD\xA0\xE5\xA5\xBD\\\" \\\\ ok\"\n"
                                    "\"minus\"=dword:ffffffff\n"
                                    "\"empty\"=\"\"\n"
                                    "\n";
        QCOMPARE(fileBytes(), expected);

        // A fresh key reads back what was written.
        RegistryKey again;
        QVERIFY(again.openKey(keyPath, false));
        QCOMPARE(again.readString(QStringLiteral("bkgrnd")),
                 QStringLiteral("C:\\Quorvane\\images\\bk.bmp"));
        QCOMPARE(again.readString(QStringLiteral("fontname")), QStringLiteral("宋体"));
        QCOMPARE(again.readInteger(QStringLiteral("fontsize")), 11);
        QCOMPARE(again.readString(QStringLiteral("quote")), QStringLiteral("say \"你好\" \\ ok"));
        QCOMPARE(again.readInteger(QStringLiteral("minus")), -1);
        QCOMPARE(again.readString(QStringLiteral("empty")), QString());

        // Overwriting replaces the line in place.
        again.writeInteger(QStringLiteral("fontsize"), 0x7FFFFFFF);
        again.writeString(QStringLiteral("bkgrnd"), QStringLiteral("/srv/bk.bmp"));
        QByteArray updated = expected;
        updated.replace("dword:0000000b", "dword:7fffffff");
        updated.replace("\"C:\\\\Quorvane\\\\images\\\\bk.bmp\"", "\"/srv/bk.bmp\"");
        QCOMPARE(fileBytes(), updated);
    }

    void lineBreaksInStringsKeepTheFileReadable() {
        RegistryKey key;
        QVERIFY(key.openKey(keyPath, true));
        const QString text = QStringLiteral("a\nb\r\n成");
        key.writeString(QStringLiteral("multi"), text);
        key.writeString(QStringLiteral("after"), QStringLiteral("x"));
        QVERIFY(
            fileBytes().contains("\"multi\"=hex(1):61,00,0a,00,62,00,0d,00,0a,00,10,62,00,00\n"));
        RegistryKey again;
        QVERIFY(again.openKey(keyPath, false));
        QCOMPARE(again.readString(QStringLiteral("multi")), text);
        QCOMPARE(again.readString(QStringLiteral("after")), QStringLiteral("x"));
    }

    void otherKeysAndLinesArePreserved() {
        const QByteArray original = "Windows Registry Editor Version 5.00\r\n"
                                    "\r\n"
                                    "; exported by hand\r\n"
                                    "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                                    "\"bkgrnd\"=\"other\"\r\n"
                                    "\"blob\"=hex:01,02,\\\r\n"
                                    "  03,04\r\n"
                                    "@=\"default\"\r\n"
                                    "\r\n"
                                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brevinn\\Quorvane\\3.0]\r\n"
                                    "\"Version\"=\"3.0.1\"\r\n"
                                    "; keep me\r\n"
                                    "\r\n"
                                    "[HKEY_LOCAL_MACHINE\\Software\\Later]\r\n"
                                    "\"n\"=dword:00000001\r\n";
        writeFile(original);

        RegistryKey key;
        QVERIFY(key.openKey(keyPath, true));
        QCOMPARE(fileBytes(), original); // the key exists: nothing written
        QCOMPARE(key.readString(QStringLiteral("version")), QStringLiteral("3.0.1"));
        QVERIFY(!key.valueExists(QStringLiteral("blob")));
        key.writeString(QStringLiteral("bkgrnd"), QStringLiteral("mine"));
        key.writeString(QStringLiteral("VERSION"), QStringLiteral("3.0.2"));

        QByteArray expected = original;
        expected.replace("\"Version\"=\"3.0.1\"\r\n",
                         "\"Version\"=\"3.0.2\"\r\n\"bkgrnd\"=\"mine\"\r\n");
        QCOMPARE(fileBytes(), expected);

        RegistryKey other;
        QVERIFY(other.openKey(QStringLiteral("software\\later"), false));
        QCOMPARE(other.readInteger(QStringLiteral("N")), 1);
    }

    void newKeyIsAppendedAfterOtherKeys() {
        const QByteArray original = "Windows Registry Editor Version 5.00\n"
                                    "\n"
                                    "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
                                    "\"a\"=\"b\"";
        writeFile(original);
        RegistryKey key;
        QVERIFY(key.openKey(keyPath, true));
        key.writeInteger(QStringLiteral("fontsize"), 9);
        QCOMPARE(fileBytes(), original + "\n"
                                         "\n"
                                         "[HKEY_LOCAL_MACHINE\\Software\\Brevinn\\Quorvane\\3.0]\n"
                                         "\"fontsize\"=dword:00000009\n"
                                         "\n");
    }

    void valueNamesIgnoreLetterCase() {
        RegistryKey key;
        QVERIFY(key.openKey(keyPath, true));
        key.writeString(QStringLiteral("FontName"), QStringLiteral("黑体"));
        QVERIFY(key.valueExists(QStringLiteral("fontname")));
        QCOMPARE(key.readString(QStringLiteral("FONTNAME")), QStringLiteral("黑体"));
        key.writeString(QStringLiteral("fontname"), QStringLiteral("宋体"));
        QCOMPARE(
            fileBytes(),
            QByteArray(emptyKeyFile).insert(emptyKeyFile.size() - 1, "\"FontName\"=\"宋体\"\n"));
    }

    void typeMismatchAndMissingValuesFail() {
        writeFile("Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_LOCAL_MACHINE\\Software\\Brevinn\\Quorvane\\3.0]\n"
                  "\"fontsize\"=dword:0000000b\n"
                  "\"fontcolor\"=\"11\"\n"
                  "\"blob\"=hex:0b,00,00,00\n");
        RegistryKey key;
        QVERIFY(key.openKey(keyPath, false));
        const auto message = [&](const std::function<void()>& read) {
            try {
                read();
            } catch (const RegistryFormatError&) {
                return QStringLiteral("unexpected RegistryFormatError");
            } catch (const QuorvaneError& e) {
                return e.message();
            }
            return QString();
        };
        const QString notString = message([&] { key.readString(QStringLiteral("fontsize")); });
        QVERIFY2(notString.contains(QStringLiteral("\"fontsize\"")) &&
                     notString.contains(QStringLiteral("应为字符串")),
                 qPrintable(notString));
        const QString notInteger = message([&] { key.readInteger(QStringLiteral("fontcolor")); });
        QVERIFY2(notInteger.contains(QStringLiteral("\"fontcolor\"")) &&
                     notInteger.contains(QStringLiteral("应为 32 位整数")),
                 qPrintable(notInteger));
        QVERIFY(!message([&] { key.readInteger(QStringLiteral("blob")); }).isEmpty());
        QVERIFY(!message([&] { key.readString(QStringLiteral("blob")); }).isEmpty());
        const QString missing = message([&] { key.readString(QStringLiteral("version")); });
        QVERIFY2(missing.contains(QStringLiteral("\"version\"")), qPrintable(missing));
    }

    void malformedFilesAreRejectedAndKept_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        const QByteArray head = "Windows Registry Editor Version 5.00\n\n"
                                "[HKEY_LOCAL_MACHINE\\Software\\Brevinn\\Quorvane\\3.0]\n";
        QTest::newRow("no header") << QByteArray("[HKEY_LOCAL_MACHINE\\Software]\n") << 1;
        QTest::newRow("other header") << QByteArray("REGEDIT4\n\n") << 1;
        QTest::newRow("value outside a key")
            << QByteArray("Windows Registry Editor Version 5.00\n\"a\"=\"b\"\n") << 2;
        QTest::newRow("bad line") << head + "\"a\"=\"b\"\nfontsize=11\n" << 5;
        QTest::newRow("missing equals") << head + "\"a\" \"b\"\n" << 4;
        QTest::newRow("unterminated string") << head + "\"bkgrnd\"=\"C:\\\\bk.bmp\n" << 4;
        QTest::newRow("unterminated name") << head + "\"bkgrnd=\"x\"\n" << 4;
        QTest::newRow("unknown escape") << head + "\"bkgrnd\"=\"C:\\images\"\n" << 4;
        QTest::newRow("text after string") << head + "\"a\"=\"b\" c\n" << 4;
        QTest::newRow("dword not hex") << head + "\"fontsize\"=dword:0000000g\n" << 4;
        QTest::newRow("dword too long") << head + "\"fontsize\"=dword:000000011\n" << 4;
        QTest::newRow("dword empty") << head + "\"fontsize\"=dword:\n" << 4;
        QTest::newRow("unknown data") << head + "\"fontsize\"=11\n" << 4;
        QTest::newRow("bad hex byte") << head + "\"b\"=hex:01,2g\n" << 4;
        QTest::newRow("hex continues past end") << head + "\"b\"=hex:01,\\\n" << 4;
        QTest::newRow("unclosed key") << head + "[HKEY_LOCAL_MACHINE\\Software\n" << 4;
        QTest::newRow("duplicate value") << head + "\"a\"=\"1\"\n\"A\"=\"2\"\n" << 5;
        QTest::newRow("duplicate key") << head + "\n" + head.mid(38) << 5;
        QTest::newRow("invalid UTF-8") << head + "\"a\"=\"\xC3\x28\"\n" << 4;
        // 字 is E5 AD 97: cut after two bytes, at the end of a line and of the file.
        QTest::newRow("character cut at line end") << head + "\"a\"=\"x\"\xE5\xAD\n\"b\"=\"y\"\n"
                                                   << 4;
        QTest::newRow("character cut at file end") << head + "\"a\"=\"x\"\n;\xE5\xAD" << 5;
    }

    void malformedFilesAreRejectedAndKept() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        writeFile(bytes);
        const QString where = QStringLiteral("设置文件“%1”第 %2 行格式错误：")
                                  .arg(QDir::toNativeSeparators(file()))
                                  .arg(line);

        RegistryKey key;
        try {
            key.openKey(keyPath, true);
            QFAIL("a malformed file was accepted");
        } catch (const RegistryFormatError& e) {
            QVERIFY2(e.message().contains(where), qPrintable(e.message()));
        }
        QVERIFY(!key.isOpen());
        QVERIFY_THROWS_EXCEPTION(RegistryFormatError, key.openKey(keyPath, false));
        QCOMPARE(fileBytes(), bytes);
    }

    void fileSpoiledAfterOpeningIsNotOverwritten() {
        RegistryKey key;
        QVERIFY(key.openKey(keyPath, true));
        key.writeInteger(QStringLiteral("fontsize"), 11);
        const QByteArray spoiled = fileBytes() + "garbage\n";
        writeFile(spoiled);
        QVERIFY_THROWS_EXCEPTION(RegistryFormatError,
                                 key.writeString(QStringLiteral("fontname"), QStringLiteral("x")));
        QVERIFY_THROWS_EXCEPTION(RegistryFormatError, key.readInteger(QStringLiteral("fontsize")));
        QCOMPARE(fileBytes(), spoiled);
    }

    void writeToReadOnlyFolderFailsAndKeepsTheFile() {
        RegistryKey key;
        QVERIFY(key.openKey(keyPath, true));
        key.writeString(QStringLiteral("bkgrnd"), QStringLiteral("old"));
        const QByteArray before = fileBytes();

        lockSettingsFolder();
        const QString expectedFile = QDir::toNativeSeparators(file());
        const int result = testing::runWithPermissionsEnforced([&] {
            RegistryKey writer;
            if (!writer.openKey(keyPath, false))
                return 2;
            try {
                writer.writeString(QStringLiteral("bkgrnd"), QStringLiteral("new"));
            } catch (const RegistryFormatError&) {
                return 3;
            } catch (const QuorvaneError& e) {
                return e.message().contains(expectedFile) ? 0 : 4;
            }
            return 1; // the write claimed success
        });
        QCOMPARE(result, 0);
        QCOMPARE(fileBytes(), before);
        QCOMPARE(key.readString(QStringLiteral("bkgrnd")), QStringLiteral("old"));
    }

    // What takes the file's place, or the space it needs; each time the file or what
    // stands there stays as it was, and the error names it.
    void settingsFileThatCannotBeUsed_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("full disk") << u"full"_qs << u"无法写入设置文件"_qs;
        QTest::newRow("folder") << u"folder"_qs << u"不是普通文件"_qs;
        QTest::newRow("pipe") << u"fifo"_qs << u"不是普通文件"_qs;
    }

    void settingsFileThatCannotBeUsed() {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        std::unique_ptr<testing::FullDisk> disk;
        {
            RegistryKey key;
            QVERIFY(key.openKey(keyPath, true));
            key.writeString(QStringLiteral("fontname"), QStringLiteral("黑体"));
            key.writeInteger(QStringLiteral("fontsize"), 14);
        }
        const QByteArray before = fileBytes();
        if (fault == u"full") {
            disk = std::make_unique<testing::FullDisk>(folder());
            disk->fill();
        } else {
            QVERIFY(QFile::remove(file()));
            if (fault == u"folder")
                QVERIFY(QDir().mkpath(file()));
            else
                QCOMPARE(::mkfifo(QFile::encodeName(file()).constData(), 0600), 0);
        }
        const auto failure = [&](const std::function<void()>& use) {
            try {
                use();
            } catch (const QuorvaneError& e) {
                return e.message();
            }
            return QStringLiteral("no error");
        };
        const QString error = failure([] {
            RegistryKey key;
            if (key.openKey(keyPath, true)) // a pipe would hold the open here
                key.writeString(QStringLiteral("fontname"), QStringLiteral("宋体"));
        });
        QVERIFY2(error.contains(message) && error.contains(QDir::toNativeSeparators(file())),
                 qPrintable(error));
        if (fault == u"full") {
            QCOMPARE(fileBytes(), before);
            RegistryKey key;
            QVERIFY(key.openKey(keyPath, false));
            QCOMPARE(key.readString(QStringLiteral("fontname")), QStringLiteral("黑体"));
            QCOMPARE(key.readInteger(QStringLiteral("fontsize")), 14);
            QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList{u"3.0.reg"_qs});
        } else {
            QFileInfo info(file());
            QVERIFY(fault == u"folder" ? info.isDir() : !info.isFile() && info.exists());
        }
    }

    // A large file reads right; each value read and the duplicate check use the names,
    // not a walk over every earlier value.
    void manyValuesReadBackAndDuplicatesAreFound() {
        QByteArray bytes = emptyKeyFile;
        const int count = 20000;
        for (int i = 0; i < count; ++i)
            bytes += "\"v" + QByteArray::number(i) +
                     "\"=dword:" + QByteArray::number(i, 16).rightJustified(8, '0') + "\n";
        writeFile(bytes);
        RegistryKey key;
        QVERIFY(key.openKey(keyPath, false));
        for (const int i : {0, 1, 9999, count - 1})
            QCOMPARE(key.readInteger(u"V"_qs + QString::number(i)), i);
        QVERIFY(!key.valueExists(u"v"_qs + QString::number(count)));

        // Another key's write is seen by one already open.
        RegistryKey writer;
        QVERIFY(writer.openKey(keyPath, false));
        writer.writeInteger(QStringLiteral("v9999"), -5);
        QCOMPARE(key.readInteger(QStringLiteral("v9999")), -5);
        // So is a change made in place by someone else, the size kept.
        QByteArray changed = fileBytes();
        changed.replace("\"v1\"=dword:00000001", "\"v1\"=dword:00000007");
        writeFile(changed);
        QCOMPARE(key.readInteger(QStringLiteral("v1")), 7);

        writeFile(bytes + "\"V12345\"=dword:00000000\n");
        try {
            RegistryKey again;
            again.openKey(keyPath, false);
            QFAIL("a duplicate value was accepted");
        } catch (const RegistryFormatError& e) {
            QVERIFY2(e.message().contains(u"第 %1 行"_qs.arg(count + 5)) &&
                         e.message().contains(u"第一次在第 %1 行"_qs.arg(12345 + 5)),
                     qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"

#include "data/SettingsStore.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {
const QByteArray fileHead = "Windows Registry Editor Version 5.00\n"
                            "\n"
                            "[HKEY_LOCAL_MACHINE\\Software\\Brevinn\\Quorvane\\3.0]\n";

// The design font of the entry view, as the main window passes it on.
SettingsStore::ViewFont designFont() {
    return {u"宋体"_s, 11, 0x80000008};
}

QByteArray quotedPath(const QString& path) {
    QString escaped = path;
    escaped.replace(u"\\"_s, u"\\\\"_s);
    return '"' + escaped.toUtf8() + '"';
}
} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<QTemporaryDir> m_program;
    QStringList m_loaded;

    QString file() const { return RegistryKey::storageFile(); }

    void writeFile(const QByteArray& bytes) {
        QVERIFY(quorvane::testing::writeFile(file(), bytes));
    }
    QByteArray fileBytes() const { return quorvane::testing::readFile(file()); }

    std::function<void(const QString&)> recordLoads() {
        return [this](const QString& path) { m_loaded << path; };
    }

private Q_SLOTS:
    void init() {
        m_config = std::make_unique<QTemporaryDir>();
        m_program = std::make_unique<QTemporaryDir>();
        QVERIFY(m_config->isValid() && m_program->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
        AppPaths::setExecutableFolder(m_program->path());
        m_loaded.clear();
    }

    void defaultBackgroundIsBesideTheProgram() {
        QCOMPARE(SettingsStore::defaultBackgroundPath(),
                 QDir::toNativeSeparators(m_program->path() + u"/images/bk.bmp"_s));
    }

    void firstStartWritesTheDesignFontAndRendersInBlack() {
        auto view = designFont();
        EntryFont entry;
        SettingsStore::readAtMainWindowCreation(recordLoads(), view, entry);

        const QString background = SettingsStore::defaultBackgroundPath();
        QCOMPARE(m_loaded, QStringList{background});
        QCOMPARE(entry, (EntryFont{u"宋体"_s, 11, u"clBlack"_s}));
        QCOMPARE(view.face, u"宋体"_s);
        QCOMPARE(view.size, 11);
        QCOMPARE(view.colour, 0x80000008u);
        QCOMPARE(fileBytes(), fileHead + "\"bkgrnd\"=" + quotedPath(background) +
                                  "\n"
                                  "\"fontname\"=\"宋体\"\n"
                                  "\"fontsize\"=dword:0000000b\n"
                                  "\"fontcolor\"=\"clWindowText\"\n"
                                  "\n");
    }

    void firstStartWritesWhatTheViewHas() {
        // The stored values come from the view, the entry font from the fixed defaults.
        SettingsStore::ViewFont view{u"黑体"_s, 14, 0x00123456};
        EntryFont entry;
        SettingsStore::readAtMainWindowCreation(recordLoads(), view, entry);
        QCOMPARE(entry, EntryFont::defaults());
        RegistryKey key;
        QVERIFY(key.openKey(SettingsStore::keyPath, false));
        QCOMPARE(key.readString(SettingsStore::fontname), u"黑体"_s);
        QCOMPARE(key.readInteger(SettingsStore::fontsize), 14);
        QCOMPARE(key.readString(SettingsStore::fontcolor), u"$00123456"_s);
    }

    void backgroundLoadsBeforeTheDefaultIsStored() {
        auto view = designFont();
        EntryFont entry;
        bool storedDuringLoad = true;
        SettingsStore::readAtMainWindowCreation(
            [&](const QString&) {
                RegistryKey key;
                storedDuringLoad = key.openKey(SettingsStore::keyPath, false) &&
                                   key.valueExists(SettingsStore::bkgrnd);
            },
            view, entry);
        QVERIFY(!storedDuringLoad);
        QCOMPARE(SettingsStore::readBackgroundPath(), SettingsStore::defaultBackgroundPath());
    }

    void laterStartUsesStoredValues() {
        const QByteArray stored = fileHead + "\"bkgrnd\"=\"/home/u/tiles/纸.bmp\"\n"
                                             "\"fontname\"=\"楷体_GB2312\"\n"
                                             "\"fontsize\"=dword:0000000e\n"
                                             "\"fontcolor\"=\"$00FF0000\"\n"
                                             "\"version\"=\"3.0\"\n";
        writeFile(stored);
        auto view = designFont();
        EntryFont entry;
        SettingsStore::readAtMainWindowCreation(recordLoads(), view, entry);

        QCOMPARE(m_loaded, QStringList{u"/home/u/tiles/纸.bmp"_s});
        QCOMPARE(view.face, u"楷体_GB2312"_s);
        QCOMPARE(view.size, 14);
        QCOMPARE(view.colour, 0x00FF0000u);
        QCOMPARE(entry, (EntryFont{u"楷体_GB2312"_s, 14, u"clBlue"_s}));
        QCOMPARE(fileBytes(), stored); // "$00FF0000" is not rewritten as "clBlue"
    }

    void colourTextIsNormalisedInMemoryOnly() {
        const QByteArray stored = fileHead + "\"bkgrnd\"=\"bk.bmp\"\n"
                                             "\"fontcolor\"=\"255\"\n";
        writeFile(stored);
        auto view = designFont();
        EntryFont entry;
        SettingsStore::readAtMainWindowCreation(recordLoads(), view, entry);
        QCOMPARE(view.colour, 0x000000FFu);
        QCOMPARE(entry.fontcolor, u"clRed"_s);
        // The missing font values were added from the view; the colour text stays.
        QCOMPARE(fileBytes(), fileHead + "\"bkgrnd\"=\"bk.bmp\"\n"
                                         "\"fontcolor\"=\"255\"\n"
                                         "\"fontname\"=\"宋体\"\n"
                                         "\"fontsize\"=dword:0000000b\n");
    }

    void failingBackgroundStopsEverythingElse() {
        auto view = designFont();
        EntryFont entry;
        try {
            SettingsStore::readAtMainWindowCreation(
                [](const QString&) { throw QuorvaneError(u"cannot load bk.bmp"_s); }, view, entry);
            QFAIL("the load error was swallowed");
        } catch (const QuorvaneError& e) {
            QCOMPARE(e.message(), u"cannot load bk.bmp"_s);
        }
        QCOMPARE(entry, EntryFont{});
        QCOMPARE(fileBytes(), fileHead + "\n"); // the key was created, nothing written into it
    }

    void badColourTextFailsAfterTheOtherFontValues() {
        const QByteArray stored = fileHead + "\"bkgrnd\"=\"bk.bmp\"\n"
                                             "\"fontname\"=\"黑体\"\n"
                                             "\"fontsize\"=dword:0000000c\n"
                                             "\"fontcolor\"=\"blue\"\n";
        writeFile(stored);
        auto view = designFont();
        EntryFont entry;
        try {
            SettingsStore::readAtMainWindowCreation(recordLoads(), view, entry);
            QFAIL("a bad colour text was accepted");
        } catch (const QuorvaneError& e) {
            QCOMPARE(e.message(), u"'blue' is not a valid integer value"_s);
        }
        QCOMPARE(entry, (EntryFont{u"黑体"_s, 12, QString()}));
        QCOMPARE(view.colour, 0x80000008u);
        QCOMPARE(fileBytes(), stored);
    }

    void fontsizeStoredAsTextFails() {
        const QByteArray stored = fileHead + "\"bkgrnd\"=\"bk.bmp\"\n"
                                             "\"fontsize\"=\"11\"\n";
        writeFile(stored);
        auto view = designFont();
        EntryFont entry;
        try {
            SettingsStore::readAtMainWindowCreation(recordLoads(), view, entry);
            QFAIL("a fontsize string was accepted");
        } catch (const RegistryFormatError&) {
            QFAIL("the file itself is well formed");
        } catch (const QuorvaneError& e) {
            QVERIFY2(e.message().contains(u"fontsize"_s), qPrintable(e.message()));
        }
        QCOMPARE(entry.fontname, u"宋体"_s);
        QCOMPARE(entry.fontsize, 0);
        QVERIFY(entry.fontcolor.isEmpty());
        // fontname was written before the failure; fontcolor never was.
        QCOMPARE(fileBytes(), fileHead + "\"bkgrnd\"=\"bk.bmp\"\n"
                                         "\"fontsize\"=\"11\"\n"
                                         "\"fontname\"=\"宋体\"\n");
    }

    void faceNameLongerThanAFaceCanBeIsBad_data() {
        QTest::addColumn<int>("length");
        QTest::newRow("31, the longest face name") << 31;
        QTest::newRow("32") << 32;
        QTest::newRow("a million") << 1000000;
    }

    void faceNameLongerThanAFaceCanBeIsBad() {
        QFETCH(int, length);
        const QString face(length, u'宋');
        const QByteArray stored = fileHead +
                                  "\"bkgrnd\"=\"bk.bmp\"\n"
                                  "\"fontname\"=\"" +
                                  face.toUtf8() + "\"\n";
        writeFile(stored);
        auto view = designFont();
        EntryFont entry;
        if (length <= 31) {
            SettingsStore::readAtMainWindowCreation(recordLoads(), view, entry);
            QCOMPARE(entry.fontname, face);
            QCOMPARE(view.face, face);
            return;
        }
        try {
            SettingsStore::readAtMainWindowCreation(recordLoads(), view, entry);
            QFAIL("an over-long face name was accepted");
        } catch (const RegistryFormatError&) {
            QFAIL("the file itself is well formed");
        } catch (const QuorvaneError& e) {
            QVERIFY2(e.message().contains(u"超过 31 个字符"_s), qPrintable(e.message()));
            QVERIFY(e.message().size() < 100);
        }
        QCOMPARE(m_loaded, QStringList{u"bk.bmp"_s});
        QCOMPARE(view.face, u"宋体"_s);
        QCOMPARE(entry, EntryFont{});
        QCOMPARE(fileBytes(), stored); // nothing after the bad value was written
    }

    void malformedFileFailsBeforeAnything() {
        const QByteArray stored = fileHead + "\"bkgrnd\"=\"C:\\bk.bmp\"\n";
        writeFile(stored);
        auto view = designFont();
        EntryFont entry;
        QVERIFY_THROWS_EXCEPTION(RegistryFormatError, SettingsStore::readAtMainWindowCreation(
                                                          recordLoads(), view, entry));
        QVERIFY(m_loaded.isEmpty());
        QCOMPARE(entry, EntryFont{});
        QCOMPARE(fileBytes(), stored);
        QVERIFY_THROWS_EXCEPTION(RegistryFormatError, SettingsStore::readVersion());
        QVERIFY_THROWS_EXCEPTION(RegistryFormatError,
                                 SettingsStore::writeEntryFont(EntryFont::defaults()));
        QCOMPARE(fileBytes(), stored);
    }

    void keyThatCannotBeOpenedLeavesEverythingUnset() {
        // A file where the settings folder belongs: the key can be neither opened nor created.
        QFile blocker(m_config->path() + u"/Brevinn"_s);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto view = designFont();
        EntryFont entry;
        SettingsStore::readAtMainWindowCreation(recordLoads(), view, entry);
        QVERIFY(m_loaded.isEmpty());
        QCOMPARE(entry, EntryFont{});
        QCOMPARE(SettingsStore::readVersion(), QString());
        QCOMPARE(SettingsStore::readBackgroundPath(), QString());
        SettingsStore::writeEntryFont(EntryFont::defaults()); // silently nothing
        QVERIFY(QFileInfo(blocker.fileName()).isFile());
    }

    void fontButtonsStoreAllThreeValues() {
        writeFile(fileHead + "\"bkgrnd\"=\"bk.bmp\"\n"
                             "\"fontcolor\"=\"clred\"\n");
        SettingsStore::writeEntryFont({u"仿宋_GB2312"_s, 16, u"$00123456"_s});
        SettingsStore::writeEntryFont(EntryFont::defaults());
        QCOMPARE(fileBytes(), fileHead + "\"bkgrnd\"=\"bk.bmp\"\n"
                                         "\"fontcolor\"=\"clBlack\"\n"
                                         "\"fontname\"=\"宋体\"\n"
                                         "\"fontsize\"=dword:0000000b\n");

        // The next start reads back what the buttons stored.
        auto view = designFont();
        EntryFont entry;
        SettingsStore::readAtMainWindowCreation(recordLoads(), view, entry);
        QCOMPARE(entry, EntryFont::defaults());
        QCOMPARE(view.colour, 0u);
    }

    void versionAndBackgroundReads() {
        QCOMPARE(SettingsStore::readVersion(), QString());
        QCOMPARE(SettingsStore::readBackgroundPath(), QString());
        writeFile(fileHead + "\"Version\"=\"3.0 正式版\"\n"
                             "\"bkgrnd\"=\"D:\\\\tiles\\\\a.bmp\"\n");
        QCOMPARE(SettingsStore::readVersion(), u"3.0 正式版"_s);
        QCOMPARE(SettingsStore::readBackgroundPath(), u"D:\\tiles\\a.bmp"_s);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"

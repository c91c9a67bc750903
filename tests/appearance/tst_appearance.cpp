#include "data/ColourText.h"
#include "data/SettingsStore.h"
#include "platform/Dialogs.h"
#include "platform/FontDialog.h"
#include "platform/FontFaces.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/User.h"
#include "support/FullDisk.h"
#include "support/MainWindowParts.h"
#include "support/RecordingShell.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"
#include "support/TestSettings.h"
#include "support/WindowParts.h"
#include "ui/appearance/BannerImage.h"
#include "ui/appearance/BannerPicture.h"
#include "ui/appearance/FolderListBox.h"
#include "ui/appearance/PreviewImage.h"
#include "ui/appearance/ProductLinks.h"
#include "ui/appearance/TImageform.h"
#include "ui/appearance/Tabout_frm.h"
#include "ui/appearance/Tlogo_frm.h"
#include "ui/lookup/Tmain_frm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBlock>
#include <QtTest>

#include <functional>

#include <sys/stat.h>

using namespace quorvane;
using quorvane::testing::RecordingOpener;
using quorvane::testing::settingsText;
using quorvane::testing::shellCalls;
using quorvane::testing::writeSettings;
namespace Script = quorvane::Dialogs::Script;

namespace {
QString storedValue(const QString& name) {
    const QString text = settingsText();
    const QString key = u'"' + name + QStringLiteral("\"=");
    const qsizetype at = text.indexOf(key);
    return at < 0 ? QString() : text.mid(at + key.size()).section(u'\n', 0, 0).trimmed();
}

QString stored(const QString& path) {
    return u'"' + path + u'"';
}

// Runs `drive` on the modal window once it is up, while `open` shows it.
void whileModal(const std::function<void()>& open, const std::function<void(QWidget*)>& drive) {
    bool driven = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        drive(modal);
        driven = true;
        if (modal->isVisible())
            modal->close();
    });
    open();
    QVERIFY(driven);
}

QColor colourAt(QWidget* widget, QPoint at = {2, 2}) {
    return widget->grab().toImage().pixelColor(at);
}
} // namespace

class TestAppearance : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ProgramFolder> m_folder;
    std::unique_ptr<Tmain_frm> m_window;
    QString m_tiles;

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void chooserAppliesStoresOrRefuses_data();
    void chooserAppliesStoresOrRefuses();
    void chooserSelectsPreviewsAndReopens();
    void fontDialogChoiceReachesViewAndSettings();
    void defaultFontKeepsStyleAndIndentsSelection();
    void fontWithoutSettingsKeyLastsOneRendering();
    void fontDialogChecksItsInput();
    void fontButtonsSayWhenSettingsCannotBeKept_data();
    void fontButtonsSayWhenSettingsCannotBeKept();
    void versionLabel_data();
    void versionLabel();
    void aboutLinksAndClicks();
};

void TestAppearance::initTestCase() {
    User::setApplicationTitle(QStringLiteral("Quorvane"));
    FontFaces::installSubstitutions();
    Shell::setOpener(std::make_unique<RecordingOpener>());
}

void TestAppearance::init() {
    m_folder = std::make_unique<testing::ProgramFolder>(testing::sampleRows());
    m_tiles = m_folder->path() + QStringLiteral("tiles");
    QDir().mkpath(m_tiles);
    for (const auto& [name, colour] :
         {std::pair{u"red.bmp"_qs, QColor(Qt::red)}, std::pair{u"blue.bmp"_qs, QColor(Qt::blue)}}) {
        QImage tile(16, 16, QImage::Format_RGB32);
        tile.fill(colour);
        QVERIFY(tile.save(m_tiles + u'/' + name, "BMP"));
    }
    QVERIFY(testing::writeFile(m_tiles + u"/bad.bmp"_qs, "BM and nothing else"));
    Script::begin();
    m_window = std::make_unique<Tmain_frm>();
    QCOMPARE(Script::shownMessages().size(), 0);
    m_window->setWindowState(Qt::WindowNoState);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    FontDialog::resetScript();
    shellCalls().clear();
}

void TestAppearance::cleanup() {
    m_window.reset();
    Script::end();
    m_folder.reset();
}

void TestAppearance::chooserAppliesStoresOrRefuses_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("error"); // "" for none
    QTest::newRow("apply, then cancel keeps it") << "red.bmp"
                                                 << "BitBtn3" << QString();
    QTest::newRow("ok") << "blue.bmp"
                        << "BitBtn1" << QString();
    QTest::newRow("only the mask") << "*.bmp"
                                   << "BitBtn1"
                                   << "Cannot open file %1/*.bmp";
    QTest::newRow("not a bitmap") << "bad.bmp"
                                  << "BitBtn3"
                                  << "Bitmap image is not valid.";
    QTest::newRow("empty name") << ""
                                << "BitBtn1" << QString();
}

void TestAppearance::chooserAppliesStoresOrRefuses() {
    QFETCH(QString, file);
    QFETCH(QString, button);
    QFETCH(QString, error);
    const QString before = settingsText();
    const QColor original = colourAt(parts(*m_window).Image7);
    bool openAfterButton = false;
    whileModal([&] { parts(*m_window).setimagebtn->click(); },
               [&](QWidget* modal) {
                   auto* chooser = qobject_cast<TImageform*>(modal);
                   QVERIFY(chooser && chooser == Imageform);
                   QVERIFY(testing::part<FolderListBox>(*chooser, "Box1")->setDirectory(m_tiles));
                   testing::part<QLineEdit>(*chooser, "FileEdit")->setText(file);
                   chooser->findChild<QPushButton*>(button)->click();
                   openAfterButton = chooser->isVisible();
                   if (openAfterButton)
                       testing::part<QPushButton>(*chooser, "BitBtn2")
                           ->click(); // Cancel keeps what Apply did
                   QVERIFY(!chooser->isVisible());
               });
    QVERIFY(Imageform == nullptr); // destroyed when it closed

    const QString path = m_tiles + u'/' + file;
    if (!error.isEmpty()) {
        QCOMPARE(Script::shownMessages().size(), 1);
        QCOMPARE(Script::shownMessages()[0].text,
                 error.arg(m_tiles) + (error.endsWith(u'.') ? u""_qs : u"."_qs));
        QVERIFY(openAfterButton); // OK stays open on a failed apply
    }
    if (!error.isEmpty() || file.isEmpty()) {
        QCOMPARE(settingsText(), before);
        QCOMPARE(colourAt(parts(*m_window).Image7), original);
        return;
    }
    QCOMPARE(Script::shownMessages().size(), 0);
    QCOMPARE(openAfterButton, button == u"BitBtn3"); // Apply leaves the chooser open
    const QColor colour = file == u"red.bmp" ? QColor(Qt::red) : QColor(Qt::blue);
    QCOMPARE(storedValue(SettingsStore::bkgrnd), stored(path));
    QCOMPARE(m_window->backgroundBitmap()->path(), path);
    for (QWidget* surface :
         {parts(*m_window).Image3, parts(*m_window).Image5, parts(*m_window).Image7,
          parts(*m_window).Image10, static_cast<QWidget*>(parts(*m_window).Splitter1)})
        QCOMPARE(colourAt(surface, {1, 1}), colour);
}

void TestAppearance::chooserSelectsPreviewsAndReopens() {
    writeSettings(QStringLiteral("\"bkgrnd\"=\"") + m_tiles + QStringLiteral("/red.bmp\"\r\n"));
    const QString before = settingsText();
    TImageform chooser(nullptr, m_window.get());
    chooser.show();
    // Opened on the stored picture: its folder, its name selected, its preview.
    QCOMPARE(testing::part<FolderListBox>(chooser, "Box1")->directory(), m_tiles);
    QCOMPARE(testing::part<QLineEdit>(chooser, "FileEdit")->text(), QStringLiteral("red.bmp"));
    QCOMPARE(testing::part<QListWidget>(chooser, "FileListBox1")->selectedItems().size(), 1);
    QCOMPARE(testing::part<QListWidget>(chooser, "FileListBox1")->selectedItems()[0]->text(),
             QStringLiteral("red.bmp"));
    QCOMPARE(testing::part<PreviewImage>(chooser, "Image1")->picture().size(), QSize(16, 16));
    QCOMPARE(chooser.windowTitle(), QStringLiteral("背景设置"));
    // A click on the file already selected is a selection too: its name goes back in.
    testing::part<QLineEdit>(chooser, "FileEdit")->setText(u"typed.bmp"_qs);
    QListWidgetItem* red = testing::part<QListWidget>(chooser, "FileListBox1")->selectedItems()[0];
    QTest::mouseClick(
        testing::part<QListWidget>(chooser, "FileListBox1")->viewport(), Qt::LeftButton, {},
        testing::part<QListWidget>(chooser, "FileListBox1")->visualItemRect(red).center());
    QCOMPARE(testing::part<QLineEdit>(chooser, "FileEdit")->text(), QStringLiteral("red.bmp"));
    QCOMPARE(chooser.windowTitle(), QStringLiteral("red.bmp (16 x 16)"));
    QVERIFY(Script::shownMessages().isEmpty());

    testing::part<QListWidget>(chooser, "FileListBox1")
        ->findItems(u"blue.bmp"_qs, Qt::MatchExactly)[0]
        ->setSelected(true);
    QCOMPARE(chooser.windowTitle(), QStringLiteral("blue.bmp (16 x 16)"));
    QCOMPARE(testing::part<QLineEdit>(chooser, "FileEdit")->text(), QStringLiteral("blue.bmp"));
    // A file that cannot be read changes neither caption, preview nor name.
    testing::part<QListWidget>(chooser, "FileListBox1")
        ->findItems(u"bad.bmp"_qs, Qt::MatchExactly)[0]
        ->setSelected(true);
    QCOMPARE(Script::shownMessages().size(), 1);
    QCOMPARE(Script::shownMessages()[0].text, QStringLiteral("Bitmap image is not valid."));
    QCOMPARE(chooser.windowTitle(), QStringLiteral("blue.bmp (16 x 16)"));
    QCOMPARE(testing::part<QLineEdit>(chooser, "FileEdit")->text(), QStringLiteral("blue.bmp"));
    QCOMPARE(colourAt(testing::part<PreviewImage>(chooser, "Image1"), {52, 52}), QColor(Qt::blue));

    // The stretch box changes only the preview.
    QVERIFY(colourAt(testing::part<PreviewImage>(chooser, "Image1"), {1, 1}) != QColor(Qt::blue));
    testing::part<QCheckBox>(chooser, "CheckBox1")->click();
    QCOMPARE(colourAt(testing::part<PreviewImage>(chooser, "Image1"), {1, 1}), QColor(Qt::blue));
    QCOMPARE(settingsText(), before);

    // A new folder lists its files with the mask, nothing selected.
    QVERIFY(testing::part<FolderListBox>(chooser, "Box1")
                ->setDirectory(m_folder->path() + u"images"_qs));
    QCOMPARE(testing::part<QLineEdit>(chooser, "FileEdit")->text(), QStringLiteral("*.bmp"));
    QCOMPARE(testing::part<QListWidget>(chooser, "FileListBox1")->count(), 1);
    QVERIFY(testing::part<QListWidget>(chooser, "FileListBox1")->selectedItems().isEmpty());

    // In a root folder the joined path has two separators, as it is stored.
    QVERIFY(testing::part<FolderListBox>(chooser, "Box1")->setDirectory(u"/"_qs));
    testing::part<QLineEdit>(chooser, "FileEdit")->setText(u"quorvane-nowhere.bmp"_qs);
    testing::part<QPushButton>(chooser, "BitBtn3")->click();
    QCOMPARE(Script::shownMessages().last().text,
             QStringLiteral("Cannot open file //quorvane-nowhere.bmp."));
}

void TestAppearance::fontDialogChoiceReachesViewAndSettings() {
    RichEdit* view = parts(*m_window).RichEdit1;
    const QString before = settingsText();
    FontDialog::queueAnswer(std::nullopt);
    parts(*m_window).fontbtn->click();
    QCOMPARE(FontDialog::openedWith().size(), 1);
    const FontDialog::Font seed = FontDialog::openedWith()[0];
    QCOMPARE(seed.face, QStringLiteral("宋体"));
    QCOMPARE(seed.size, 11);
    QCOMPARE(seed.colour, 0u);
    QCOMPARE(seed.charset, FontDialog::kGb2312Charset);
    QCOMPARE(settingsText(), before); // cancelled: nothing at all
    QCOMPARE(m_window->entryFont(), EntryFont::defaults());

    FontDialog::Font kai{QStringLiteral("楷体_GB2312"), 14, true, false, false, false, 0x0000FF,
                         FontDialog::kAnsiCharset};
    FontDialog::queueAnswer(kai);
    parts(*m_window).fontbtn->click();
    QCOMPARE(view->textFont().family(), kai.face);
    QCOMPARE(view->textFont().pointSize(), 14);
    QVERIFY(view->textFont().bold());
    QCOMPARE(view->textColour(), QColor(Qt::red));
    QCOMPARE(storedValue(SettingsStore::fontname), stored(kai.face));
    QCOMPARE(storedValue(SettingsStore::fontsize), QStringLiteral("dword:0000000e"));
    QCOMPARE(storedValue(SettingsStore::fontcolor), stored(u"clRed"_qs));
    QCOMPARE(m_window->entryFont(), (EntryFont{kai.face, 14, u"clRed"_qs}));

    // The style outlives the renderings; the dialog reopens on what the view shows.
    parts(*m_window).nextbtn->click();
    QVERIFY(view->textFont().bold());
    QCOMPARE(view->document()->lastBlock().charFormat().font().bold(), true);
    FontDialog::queueAnswer(std::nullopt);
    parts(*m_window).fontbtn->click();
    QCOMPARE(FontDialog::openedWith().last(), kai);
}

void TestAppearance::defaultFontKeepsStyleAndIndentsSelection() {
    RichEdit* view = parts(*m_window).RichEdit1;
    FontDialog::queueAnswer(FontDialog::Font{QStringLiteral("楷体_GB2312"), 14, true, false, false,
                                             false, 0x0000FF, FontDialog::kGb2312Charset});
    parts(*m_window).fontbtn->click();
    const auto offsetPoints = [view](int block) {
        const QTextBlockFormat format = view->document()->findBlockByNumber(block).blockFormat();
        return qRound(-format.textIndent() * 72.0 / view->logicalDpiX());
    };
    QCOMPARE(offsetPoints(1), 40);
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(view->document()->findBlockByNumber(1).position() + 1);
    view->setTextCursor(cursor);

    QStringList afterEach;
    for (int click = 0; click < 2; ++click) {
        parts(*m_window).defaultfont->click();
        afterEach << settingsText();
    }
    QCOMPARE(afterEach[0], afterEach[1]);
    QCOMPARE(storedValue(SettingsStore::fontname), stored(u"宋体"_qs));
    QCOMPARE(storedValue(SettingsStore::fontsize), QStringLiteral("dword:0000000b"));
    QCOMPARE(storedValue(SettingsStore::fontcolor), stored(u"clBlack"_qs));
    QCOMPARE(m_window->entryFont(), EntryFont::defaults());
    QCOMPARE(view->textFont().family(), QStringLiteral("宋体"));
    QCOMPARE(view->textFont().pointSize(), 11);
    QVERIFY(view->textFont().bold());
    QCOMPARE(view->textColour(), QColor(Qt::black));
    // 44 points at the selection only, until the next rendering.
    QCOMPARE(offsetPoints(1), 44);
    QCOMPARE(offsetPoints(0), 40);
    m_window->ShowEntry();
    QCOMPARE(offsetPoints(1), 40);
}

void TestAppearance::fontWithoutSettingsKeyLastsOneRendering() {
    // A file where the settings folder belongs: the key can be neither opened nor created.
    const QString folder = m_folder->configHome() + u"/Brevinn"_qs;
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(testing::writeFile(folder, "blocker"));
    FontDialog::queueAnswer(FontDialog::Font{QStringLiteral("楷体_GB2312"), 20, false, true, false,
                                             false, 0xFF0000, FontDialog::kGb2312Charset});
    parts(*m_window).fontbtn->click();
    QCOMPARE(parts(*m_window).RichEdit1->textFont().pointSize(), 20);
    QCOMPARE(m_window->entryFont(), EntryFont::defaults());
    m_window->ShowEntry();
    QCOMPARE(parts(*m_window).RichEdit1->textFont().family(), QStringLiteral("宋体"));
    QCOMPARE(parts(*m_window).RichEdit1->textFont().pointSize(), 11);
    QVERIFY(parts(*m_window).RichEdit1->textFont().italic()); // the style stays
    parts(*m_window).defaultfont->click();
    QCOMPARE(testing::readFile(folder), QByteArray("blocker"));
    QCOMPARE(Script::shownMessages().size(), 0);
}

void TestAppearance::fontButtonsSayWhenSettingsCannotBeKept_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("dialog");
    QTest::addColumn<QString>("message");
    QTest::newRow("full disk, 默认字体") << u"full"_qs << false << u"无法写入设置文件"_qs;
    QTest::newRow("full disk, font dialog") << u"full"_qs << true << u"无法写入设置文件"_qs;
    QTest::newRow("folder, 默认字体") << u"folder"_qs << false << u"不是普通文件"_qs;
    QTest::newRow("pipe, font dialog") << u"fifo"_qs << true << u"不是普通文件"_qs;
}

void TestAppearance::fontButtonsSayWhenSettingsCannotBeKept() {
    QFETCH(QString, fault);
    QFETCH(bool, dialog);
    QFETCH(QString, message);
    const QString file = RegistryKey::storageFile();
    const QByteArray before = testing::readFile(file);
    QVERIFY(before.contains("fontname"));
    std::unique_ptr<testing::FullDisk> disk;
    if (fault == u"full") {
        disk = std::make_unique<testing::FullDisk>(QFileInfo(file).absolutePath());
        disk->fill();
    } else {
        QVERIFY(QFile::remove(file));
        if (fault == u"folder")
            QVERIFY(QDir().mkpath(file));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    }
    if (dialog) {
        FontDialog::queueAnswer(FontDialog::Font{QStringLiteral("楷体_GB2312"), 20, false, false,
                                                 false, false, 0xFF0000,
                                                 FontDialog::kGb2312Charset});
        parts(*m_window).fontbtn->click();
    } else {
        parts(*m_window).defaultfont->click();
    }
    QCOMPARE(Script::shownMessages().size(), 1);
    const QString shown = Script::shownMessages()[0].text;
    QVERIFY2(shown.contains(message) && shown.contains(QDir::toNativeSeparators(file)),
             qPrintable(shown));
    QCOMPARE(Script::shownMessages()[0].icon, Dialogs::Icon::Stop);
    if (fault == u"full")
        QCOMPARE(testing::readFile(file), before); // the old background and font are kept
    else
        QVERIFY(!QFileInfo(file).isFile());
    QVERIFY(m_window->isVisible()); // and the program goes on
}

void TestAppearance::fontDialogChecksItsInput() {
    // The colour list carries the program's own colour names.
    const QList<FontDialog::NamedColour> colours = FontDialog::colourList();
    QCOMPARE(colours.size(), 16);
    for (const FontDialog::NamedColour& colour : colours)
        QCOMPARE(ColourText::fromColour(colour.value), QString::fromLatin1(colour.name));

    // The real dialog; its warnings are answered by the script, begun once it shows.
    Script::end();
    FontDialog dialog;
    dialog.setDialogFont(
        {QStringLiteral("宋体"), 11, false, false, false, false, 0, FontDialog::kGb2312Charset});
    whileModal([&] { QVERIFY(dialog.execute()); },
               [&](QWidget* modal) {
                   QCOMPARE(modal, &dialog);
                   Script::begin();
                   auto* size = dialog.findChild<QLineEdit*>(u"sizeEdit"_qs);
                   QCOMPARE(size->text(), QStringLiteral("11"));
                   QCOMPARE(dialog.findChild<QLineEdit*>(u"faceEdit"_qs)->maxLength(),
                            FontDialog::kLongestFace);
                   for (const QString& bad : {u"0"_qs, u"big"_qs, u"1639"_qs}) {
                       size->setText(bad);
                       dialog.findChild<QPushButton*>(u"okButton"_qs)->click();
                       QVERIFY(dialog.isVisible());
                   }
                   QCOMPARE(Script::shownMessages().size(), 3);
                   QCOMPARE(Script::shownMessages()[0].text,
                            QStringLiteral("大小必须是 1 到 1638 之间的整数。"));
                   size->setText(u"14"_qs);
                   dialog.findChild<QCheckBox*>(u"underlineBox"_qs)->setChecked(true);
                   auto* colour = dialog.findChild<QComboBox*>(u"colourBox"_qs);
                   colour->setCurrentIndex(colour->findText(u"clNavy"_qs));
                   dialog.findChild<QListWidget*>(u"styleList"_qs)->setCurrentRow(3);
                   dialog.findChild<QPushButton*>(u"okButton"_qs)->click();
               });
    QCOMPARE(dialog.dialogFont(), (FontDialog::Font{QStringLiteral("宋体"), 14, true, true, true,
                                                    false, 0x800000, FontDialog::kGb2312Charset}));
}

void TestAppearance::versionLabel_data() {
    QTest::addColumn<QString>("values");
    QTest::addColumn<QString>("shown");
    QTest::newRow("missing") << ""
                             << "";
    QTest::newRow("3.0") << "\"version\"=\"3.0\"\r\n"
                         << "版本：3.0";
    QTest::newRow("empty") << "\"version\"=\"\"\r\n"
                           << "版本：";
    QTest::newRow("not a string") << "\"version\"=dword:00000003\r\n"
                                  << "";
}

void TestAppearance::versionLabel() {
    QFETCH(QString, values);
    QFETCH(QString, shown);
    writeSettings(values);
    Tlogo_frm splash;
    QCOMPARE(testing::part<QLabel>(splash, "verlb")->text(), shown);
    QCOMPARE(splash.size(), QSize(400, 195));
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QTRY_VERIFY(testing::part<BannerImage>(splash, "Image1")->hasPainted());
    QCOMPARE(splash.grab().toImage().pixel(100, 30), BannerPicture::banner().pixel(100, 30));
    Tabout_frm about;
    QCOMPARE(testing::part<QLabel>(about, "verlb")->text(), shown);
    QCOMPARE(testing::part<QLabel>(about, "verlb")->geometry(), QRect(312, 114, 81, 14));
    QCOMPARE(Script::shownMessages().size(), 0);
}

void TestAppearance::aboutLinksAndClicks() {
    whileModal(
        [&] {
            QTest::mouseClick(parts(*m_window).VyrRoundButton1, Qt::LeftButton, {},
                              parts(*m_window).VyrRoundButton1->rect().center());
        },
        [&](QWidget* modal) {
            QCOMPARE(modal, about_frm);
            QCOMPARE(modal->windowTitle(), QStringLiteral("关于Quorvane"));
            for (QWidget* label : {testing::part<QLabel>(*about_frm, "verlb"),
                                   testing::part<QLabel>(*about_frm, "Label3"),
                                   testing::part<QLabel>(*about_frm, "Label4")}) {
                QTest::mouseClick(label, Qt::LeftButton, {}, {2, 2});
                QVERIFY(about_frm->isVisible());
            }
            QTest::mouseClick(testing::part<BannerImage>(*about_frm, "Image1"), Qt::LeftButton, {},
                              {50, 50});
            QVERIFY(!modal->isVisible());
        });
    QTRY_VERIFY(about_frm == nullptr);

    Tabout_frm about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(testing::part<QLabel>(about, "Label2")->text(), ProductLinks::mailAddress);
    QCOMPARE(testing::part<QLabel>(about, "Label2")->toolTip(),
             QStringLiteral("mailto:") + ProductLinks::mailAddress);
    QVERIFY(testing::part<QLabel>(about, "urllb")->toolTip().isEmpty());
    QVERIFY(!testing::part<QLabel>(about, "Label2")->font().bold());
    // Moves through the window, as the pointer makes them.
    QTest::mouseMove(about.windowHandle(),
                     testing::part<QLabel>(about, "Label2")->geometry().topLeft() + QPoint(3, 3));
    QTest::mouseMove(about.windowHandle(), {10, 190});
    QTRY_VERIFY(testing::part<QLabel>(about, "Label2")->font().bold());
    QVERIFY(testing::part<QLabel>(about, "Label2")->font().underline());
    QCOMPARE(testing::part<QLabel>(about, "Label2")->palette().color(QPalette::WindowText),
             QColor(0, 0, 255));
    QVERIFY(!testing::part<QLabel>(about, "urllb")->font().bold());
    QTest::mouseClick(testing::part<QLabel>(about, "Label2"), Qt::LeftButton, {}, {3, 3});
    QTest::mouseClick(testing::part<QLabel>(about, "urllb"), Qt::LeftButton, {}, {3, 3});
    QCOMPARE(shellCalls().size(), 2);
    QCOMPARE(shellCalls()[0].target, QStringLiteral("mailto:") + ProductLinks::mailAddress);
    QCOMPARE(shellCalls()[1].target, testing::part<QLabel>(about, "urllb")->text());
    QCOMPARE(testing::part<QLabel>(about, "urllb")->text(), ProductLinks::webPage);
    QVERIFY(about.isVisible());
    QTest::mouseClick(&about, Qt::LeftButton, {}, {10, 190}); // the free area closes it
    QVERIFY(!about.isVisible());
}

QTEST_MAIN(TestAppearance)
#include "tst_appearance.moc"

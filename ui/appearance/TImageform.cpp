#include "ui/appearance/TImageform.h"
#include "ui_imageform.h"

#include "data/SettingsStore.h"
#include "platform/HandlerGuard.h"
#include "platform/QuorvaneError.h"
#include "platform/Registry.h"
#include "ui/appearance/BackgroundBitmap.h"
#include "ui/appearance/BitmapFile.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStorageInfo>

namespace quorvane {

TImageform* Imageform = nullptr;

namespace {
const QString kFilter = QStringLiteral("位图文件 (*.bmp)|*.bmp");
}

TImageform::TImageform(BackgroundBitmap* bitmap, QWidget* mainWindow, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_bitmap(bitmap), m_mainWindow(mainWindow) {
    ui = std::make_unique<Ui::TImageform>();
    ui->setupUi(this);
    setObjectName(QStringLiteral("Imageform"));
    setFixedSize(498, 287);
    for (QPushButton* button : {ui->BitBtn1, ui->BitBtn2, ui->BitBtn3})
        button->setAutoDefault(false);
    const QStringList filter = kFilter.split(QLatin1Char('|'));
    ui->FilterComboBox1->addItem(filter[0], filter[1]);
    fillDrives();

    connect(ui->DriveComboBox1, &QComboBox::activated, this, [this](int index) {
        runGuarded([this, index] {
            const QString root = ui->DriveComboBox1->itemData(index).toString();
            if (!ui->Box1->setDirectory(root))
                throw QuorvaneError(QStringLiteral("无法打开“%1”。").arg(root));
        });
    });
    connect(ui->Box1, &FolderListBox::directoryChanged, this, [this](const QString& folder) {
        showDrive(folder);
        fillFiles();
    });
    connect(ui->FileListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        m_selectionChanged = true;
        if (!m_filling)
            runGuarded([this] { fileSelected(); });
    });
    // A click on the file already selected changes no selection, yet it is a selection.
    ui->FileListBox1->viewport()->installEventFilter(this);
    connect(ui->FileListBox1, &QListWidget::itemClicked, this, [this] {
        if (!m_selectionChanged)
            runGuarded([this] { fileSelected(); });
    });
    connect(ui->CheckBox1, &QCheckBox::toggled, this,
            [this] { runGuarded([this] { CheckBox1Click(); }); });
    connect(ui->BitBtn1, &QPushButton::clicked, this,
            [this] { runGuarded([this] { BitBtn1Click(); }); });
    connect(ui->BitBtn2, &QPushButton::clicked, this,
            [this] { runGuarded([this] { BitBtn2Click(); }); });
    connect(ui->BitBtn3, &QPushButton::clicked, this,
            [this] { runGuarded([this] { BitBtn3Click(); }); });

    // Without a stored picture the chooser opens at the working folder.
    ui->Box1->setDirectory(QDir::currentPath());
    runGuarded([this] { FormCreate(); });
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

TImageform::~TImageform() {
    if (Imageform == this)
        Imageform = nullptr;
}

void TImageform::showChooser(BackgroundBitmap* bitmap, QWidget* mainWindow) {
    Imageform = new TImageform(bitmap, mainWindow, mainWindow);
    Imageform->setAttribute(Qt::WA_DeleteOnClose); // FormClose destroys the chooser
    Imageform->exec();
}

void TImageform::fillDrives() {
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (volume.isValid() && volume.isReady() && QFileInfo(root).isDir() &&
            ui->DriveComboBox1->findData(root) < 0)
            ui->DriveComboBox1->addItem(QDir::toNativeSeparators(root), root);
    }
}

// The drive of a folder is the volume with the longest root that contains it.
void TImageform::showDrive(const QString& folder) {
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < ui->DriveComboBox1->count(); ++i) {
        const QString root = ui->DriveComboBox1->itemData(i).toString();
        const QString prefix = root.endsWith(u'/') ? root : root + u'/';
        if ((folder == root || folder.startsWith(prefix)) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    ui->DriveComboBox1->setCurrentIndex(best);
}

// A new folder lists its files with the mask, none selected, and the mask in ui->FileEdit.
void TImageform::fillFiles() {
    const QString mask = ui->FilterComboBox1->currentData().toString();
    m_filling = true;
    ui->FileListBox1->clear();
    ui->FileListBox1->addItems(
        QDir(ui->Box1->directory())
            .entryList({mask}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase));
    m_filling = false;
    ui->FileEdit->setText(mask);
}

QString TImageform::selectedFile() const {
    const QList<QListWidgetItem*> selected = ui->FileListBox1->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

// The click runs first; a file it cannot load leaves ui->FileEdit as it was.
void TImageform::fileSelected() {
    if (selectedFile().isEmpty())
        return;
    FileListBox1Click();
    ui->FileEdit->setText(selectedFile());
}

void TImageform::FormCreate() {
    RegistryKey key;
    if (!key.openKey(SettingsStore::keyPath, true) || !key.valueExists(SettingsStore::bkgrnd))
        return;
    const QString stored = key.readString(SettingsStore::bkgrnd);
    const qsizetype cut = stored.lastIndexOf(QDir::separator());
    const QString folder = stored.left(cut + 1);
    if (!folder.isEmpty())
        ui->Box1->setDirectory(folder); // a folder that is gone leaves the list where it is
    ui->FileEdit->setText(stored.mid(cut + 1));
    m_filling = true;
    for (int i = 0; i < ui->FileListBox1->count(); ++i)
        if (ui->FileListBox1->item(i)->text() == ui->FileEdit->text())
            ui->FileListBox1->item(i)->setSelected(true);
    m_filling = false;
    const QString path = ui->Box1->directory() + QDir::separator() + ui->FileEdit->text();
    if (QFileInfo(path).isFile()) {
        try {
            ui->Image1->setPicture(BitmapFile::read(path));
        } catch (const QuorvaneError&) {
            // The preview stays empty; opening reports nothing.
        }
    }
}

void TImageform::FileListBox1Click() {
    const QString name = selectedFile();
    const QImage picture = BitmapFile::read(QDir(ui->Box1->directory()).filePath(name));
    ui->Image1->setPicture(picture);
    setWindowTitle(name + QStringLiteral(" (%1 x %2)").arg(picture.width()).arg(picture.height()));
}

void TImageform::CheckBox1Click() {
    ui->Image1->setStretch(ui->CheckBox1->isChecked());
}

void TImageform::BitBtn3Click() {
    RegistryKey key;
    if (!key.openKey(SettingsStore::keyPath, true) || ui->FileEdit->text().isEmpty())
        return;
    // Joined as they stand: a root folder gives a doubled separator.
    const QString path = ui->Box1->directory() + QDir::separator() + ui->FileEdit->text();
    if (m_bitmap)
        m_bitmap->load(path);
    else
        BitmapFile::read(path); // nothing that cannot be loaded is stored
    repaintMainWindow();
    key.writeString(SettingsStore::bkgrnd, path);
}

void TImageform::BitBtn1Click() {
    BitBtn3Click();
    repaintMainWindow();
    close();
}

// The tiled surfaces are opaque children of their panels: a repaint of the window alone
// leaves them showing the old picture. Each is marked, then all are painted at once.
void TImageform::repaintMainWindow() {
    if (!m_mainWindow)
        return;
    for (QWidget* child : m_mainWindow->findChildren<QWidget*>())
        if (child->isVisible())
            child->update();
    m_mainWindow->repaint();
}

bool TImageform::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->FileListBox1->viewport() && event->type() == QEvent::MouseButtonPress)
        m_selectionChanged = false;
    return QDialog::eventFilter(watched, event);
}

void TImageform::BitBtn2Click() {
    close();
}

} // namespace quorvane

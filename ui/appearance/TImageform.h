#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TImageform;
}

namespace quorvane {

class BackgroundBitmap;

// The background chooser "背景设置": folder, file list and preview; Apply and OK replace the
// main window's BackgroundBitmap at once and store the path in `bkgrnd`.
class TImageform : public QDialog {
    Q_OBJECT
public:
    // `bitmap` is the main window's, `mainWindow` the window that tiles it.
    TImageform(BackgroundBitmap* bitmap, QWidget* mainWindow, QWidget* parent = nullptr);
    ~TImageform() override;

    // setimagebtnClick: a new chooser as Imageform, shown modally; returns once it closed.
    static void showChooser(BackgroundBitmap* bitmap, QWidget* mainWindow);

    void FormCreate();
    void FileListBox1Click();
    void CheckBox1Click();
    void BitBtn3Click();
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TImageform> ui;
    void repaintMainWindow();
    void fillDrives();
    void showDrive(const QString& folder);
    void fillFiles();
    void fileSelected();
    QString selectedFile() const;

    BackgroundBitmap* m_bitmap;
    QWidget* m_mainWindow;
    bool m_filling = false;
    bool m_selectionChanged = false; // by the press of the click under way
};

// The chooser while it is open.
extern TImageform* Imageform;

} // namespace quorvane

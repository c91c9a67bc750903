#pragma once

#include "print/TPrintAtOnce.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace Ui {
class TPreviewAtOnceForm;
}

namespace quorvane {

class PreviewPage;
class TPrintAtOnce;

// The print preview: the engine's pages as pictures one below the other, the paper list
// and size fields, zoom, printer setup and print. It destroys itself when it closes.
class TPreviewAtOnceForm : public QDialog {
    Q_OBJECT
    Q_PROPERTY(double Zoom READ zoom)
public:
    explicit TPreviewAtOnceForm(QWidget* parent = nullptr);
    ~TPreviewAtOnceForm() override;

    QTimer* Timer1;

    TPrintAtOnce* Engine() const { return m_engine; }
    double PageWidthPx = 0;
    double PageHeightPx = 0;
    double zoom() const { return Zoom; }
    double Zoom = 1.0;
    bool Ready = false;

    // Set up by the engine's Preview.
    void bind(TPrintAtOnce* engine);
    // No border icons, a fixed border, and the window cannot be moved or sized.
    void lock();
    bool locked() const { return m_locked; }
    // Selects a paper and runs the list's change handler.
    void selectPaper(int index);
    // The page pictures, in creation order.
    QList<PreviewPage*> pages() const;

    void FormCreate();
    void FormClose();
    void PrintBtnClick();
    void PrinterSetupBtnClick();
    void CloseBtnClick();
    void ZoomInBtnClick();
    void ZoomOutBtnClick();
    void ComboBox1Change();
    void SpinEdit1Change();
    void SpinEdit2Change();
    void Timer1Timer();
    void RefreshPrinter();
    void RefreshFector();
    void NewPage();
    void ArrangePaper();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<Ui::TPreviewAtOnceForm> ui;
    void wireEvents();
    void fitContents();
    void guarded(void (TPreviewAtOnceForm::*handler)());
    // The screen's free area less the window manager's frame: where the window belongs.
    QRect placeOnScreen() const;
    void keepPlace();
    void askPlace();

    QPointer<TPrintAtOnce> m_engine;
    bool m_locked = false;
    bool m_placePending = false;
};

} // namespace quorvane

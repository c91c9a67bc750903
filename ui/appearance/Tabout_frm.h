#pragma once

#include <QDialog>

#include <memory>

class QLabel;

namespace Ui {
class Tabout_frm;
}

namespace quorvane {

// The About window: banner, version, the author's mail address and the product web page.
// Modal, made afresh for each opening and destroyed when it closes.
class Tabout_frm : public QDialog {
    Q_OBJECT
public:
    explicit Tabout_frm(QWidget* parent = nullptr);
    ~Tabout_frm() override;

    // aboutmClick: opens a new About window as about_frm over `owner`, modally, and returns
    // when it has closed. The main window's About button and the tray menu both call it.
    static void showAbout(QWidget* owner);

    void FormCreate();
    void FormClick();
    void Label2Click();
    void urllbClick();
    void Label2MouseMove();
    void urllbMouseMove();
    void FormMouseMove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<Ui::Tabout_frm> ui;
    static void highlight(QLabel* link);
};

// The About window while it is open.
extern Tabout_frm* about_frm;

} // namespace quorvane

#pragma once

#include <QWidget>

#include <memory>

class QLabel;

namespace Ui {
class Tlogo_frm;
}

namespace quorvane {

// The splash window shown while the program starts: the banner, the version and
// "正在启动...". It takes no input.
class Tlogo_frm : public QWidget {
    Q_OBJECT
public:
    explicit Tlogo_frm(QWidget* parent = nullptr);
    ~Tlogo_frm() override;

    QLabel* versionLabel() const;

    void FormCreate();

private:
    std::unique_ptr<Ui::Tlogo_frm> ui;
};

} // namespace quorvane

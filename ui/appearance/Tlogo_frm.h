#pragma once

#include "ui_logo_frm.h"

#include <QWidget>

class QLabel;

namespace quorvane {

// The splash window shown while the program starts: the banner, the version and
// "正在启动...". It takes no input.
class Tlogo_frm : public QWidget, public Ui::Tlogo_frm {
    Q_OBJECT
public:
    explicit Tlogo_frm(QWidget* parent = nullptr);

    QLabel* versionLabel() const { return verlb; }

    void FormCreate();
};

} // namespace quorvane

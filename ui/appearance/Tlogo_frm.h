#pragma once

#include <QWidget>

class QLabel;

namespace quorvane {

// The splash window shown while the program starts.
class Tlogo_frm : public QWidget {
    Q_OBJECT
public:
    explicit Tlogo_frm(QWidget* parent = nullptr);

    QLabel* versionLabel() const { return m_version; }

private:
    QLabel* m_version;
};

} // namespace quorvane

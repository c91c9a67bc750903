#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class Tprint_frm;
}

namespace quorvane {

class IdiomEntry;
class TPrintAtOnce;

// The page layout an idiom is printed from: never shown, printed as it would appear. The
// idiom in a large label, the entry text below it.
class Tprint_frm : public QWidget {
    Q_OBJECT
public:
    explicit Tprint_frm(QWidget* parent = nullptr);
    ~Tprint_frm() override;

    TPrintAtOnce* PrintAtOnce1;

    // Fills the layout with an entry: the idiom, then each section after an empty line.
    void fill(const IdiomEntry& entry);

    void FormCreate();

private:
    std::unique_ptr<Ui::Tprint_frm> ui;
    // Makes the text buffer large enough for the whole entry.
    void fitText();
};

// The newest print window, while it exists.
extern Tprint_frm* print_frm;

} // namespace quorvane

#pragma once

#include "ui/appearance/BackgroundBitmap.h"

#include <QWidget>

#include <memory>

class QToolButton;

namespace Ui {
class Tappend_frm;
}

namespace quorvane {

class AdoTable;
class DataSource;
class TDBFilterDialog;
class TDBIntl;

// The maintenance window: steps through table cy row by row on the maintenance cursor,
// adds, edits, saves, cancels and deletes idioms. It is given the main window's cursor and
// data source, and destroys itself when it closes.
class Tappend_frm : public QWidget {
    Q_OBJECT
public:
    Tappend_frm(AdoTable* table, DataSource* source, QWidget* parent = nullptr);
    ~Tappend_frm() override;

    // The main window's maintenance cursor and its data source.
    AdoTable* const tb_cy;
    DataSource* const ds_tbcy;

    // The record search on ds_tbcy and the texts of its dialog.
    TDBFilterDialog* DBFilterDialog1;
    TDBIntl* DBIntl1;

    const BackgroundBitmap* backgroundBitmap() const { return m_background.get(); }
    // Whether the editing buttons show the editing arrangement.
    bool editingArrangement() const;

    // Shows the window modally; returns when it has closed.
    void ShowModal();

    // Handlers, bound when the window is built.
    void FormCreate();
    void FormClose();
    void FormPaint(QWidget* surface);
    // The key preview: true when the key was used up.
    bool FormKeyPress(QChar key);
    void SpeedButton1Click();
    void searchbtnClick();
    void priovbtnClick();
    void nextbtnClick();
    void appendbtnClick();
    void undobtnClick();
    void editbtnClick();
    void savebtnClick();
    void deletebtnClick();
    void importbtnClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::Tappend_frm> ui;
    void setEditingArrangement(bool editing);
    void step(bool atEnd, void (AdoTable::*move)(), QToolButton* self, QToolButton* other);
    void handle(void (Tappend_frm::*handler)());

    std::unique_ptr<BackgroundBitmap> m_background;
    QList<QWidget*> m_fields;
    bool m_closed = false;
};

// The maintenance window while it is open.
extern Tappend_frm* append_frm;

} // namespace quorvane

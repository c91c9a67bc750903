#pragma once

#include "data/AdoDataSet.h"
#include "data/EntryFont.h"
#include "platform/EventHandler.h"
#include "ui/appearance/BackgroundBitmap.h"

#include <QMainWindow>
#include <QSize>

#include <memory>

class QToolButton;
namespace Ui {
class Tmain_frm;
}

namespace quorvane {

class AdoConnection;
class AdoQuery;
class AdoTable;
class DataSource;
class FavouritesController;
class FontDialog;
class MainWindowMenus;
class Tsearch_frm;

// The lookup window: lookup box, idiom list, entry view and toolbar. It owns the idiom
// store and the program's shared state for the whole run.
class Tmain_frm : public QMainWindow {
    Q_OBJECT
public:
    explicit Tmain_frm(QWidget* parent = nullptr);
    ~Tmain_frm() override;

    // The window's own record of its state. Minimising the program leaves it as it was;
    // set while the window is hidden, it takes effect when the window shows again.
    enum TWindowState { wsNormal, wsMinimized, wsMaximized };
    TWindowState recordedState() const { return m_recordedState; }
    void setRecordedState(TWindowState state);
    void setVisible(bool visible) override;

    EntryFont entryFont() const { return m_entryFont; }
    const BackgroundBitmap* backgroundBitmap() const { return m_background.get(); }
    // The window's size when not maximised, after the adaptation to the screen.
    QSize restoredSize() const { return m_restoredSize; }

    // The product's web page, opened from the tray menu.
    static QString webPageAddress();

    // Renders the current idiom of q_cy into the entry view.
    void ShowEntry();
    // A window hidden in the tray comes back as a click on the icon brings it; for a later
    // copy of the program and for a notification area that went away.
    void leaveTray();
    Tsearch_frm* searchWindow() const { return m_search; }
    FavouritesController* favourites() const { return m_favourites; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Handlers, bound when the window is built. The key, mouse and close-up handlers of the
    // lookup box and the list all re-render the entry, whatever the key or button.
    void FormCreate();
    void FormResize();
    void FormPaint();
    void FormClose();
    void DBGrid1KeyDown();
    void DBGrid1KeyPress();
    void DBGrid1MouseDown();
    void DBGrid1CellClick();
    void DBLookupCombo1KeyPress();
    void DBLookupCombo1KeyUp();
    void DBLookupCombo1MouseDown();
    void DBLookupCombo1CloseUp();
    void allvbtnClick();
    void priovbtnClick();
    void nextbtnClick();
    void dysqbtnClick();
    void bkbtn2Click();
    void copybtnClick();
    void savebtnClick();
    void SaveDialog1CanClose(const QString& fileName);
    void openbtnClick();
    void cyglbtnClick();
    void helpbtnClick();
    void printbtnClick();
    void VyrMenuItem2Click();
    void VyrPopupMenu1Popup();
    void copymClick();
    void selallmClick();
    void exitbtnClick();
    void setimagebtnClick();
    void fontbtnClick();
    void defaultfontClick();
    void TrayIcon1Click();
    void aboutmClick();
    // The search window: opened by jsbtn and Ctrl+F; a chosen result re-renders the entry.
    void jsbtnClick();
    void search_frmRowChosen();
    // Favourites and history: the star (favbtn, favmark, Ctrl+D) and the side window
    // (favlistbtn, Ctrl+Shift+F); a chosen idiom re-renders the entry.
    void favbtnClick();
    void favlistbtnClick();
    void favourites_frmRowChosen();

    void buildStore();
    void applyRecordedState();
    void wireEvents();
    void openStore();
    void adaptToScreen();
    void readSettings();
    void SetEntryMargins();
    void setViewFont(const QString& face, int size, quint32 colour);
    void step(bool atEnd, void (AdoDataSet::*move)(), QToolButton* self, QToolButton* other);
    void DBGrid1DrawColumnCell(struct GridCellDraw& cell);
    // Runs a handler; an error shows in the standard error box.
    void handle(void (Tmain_frm::*handler)());
    // The handler as an event function: it runs through handle() while the window lives.
    auto handler(void (Tmain_frm::*method)());

    std::unique_ptr<Ui::Tmain_frm> ui;
    // The idiom store.
    AdoConnection* skt_cy;
    AdoQuery* q_cy;
    AdoTable* tb_cy;
    DataSource* ds_cy;
    DataSource* ds_tbcy;
    // The font dialog of the entry font; it remembers the character set last confirmed.
    FontDialog* FontDialog1;
    std::unique_ptr<MainWindowMenus> m_menus;

    EntryFont m_entryFont;
    std::unique_ptr<BackgroundBitmap> m_background;
    Bookmark m_savedBookmark;
    QSize m_restoredSize;
    QString m_exportBuffer;
    bool m_closed = false;
    TWindowState m_recordedState = wsNormal;
    bool m_applyingState = false;
    Tsearch_frm* m_search = nullptr;
    FavouritesController* m_favourites = nullptr;
    // Last, so that it ends first: every handler is bound to it.
    ReceiverLifetime m_lifetime;
};

// The program's one main window, while it exists.
extern Tmain_frm* main_frm;

} // namespace quorvane

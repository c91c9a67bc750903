#pragma once

#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/AdoTable.h"
#include "data/DataSource.h"
#include "framework/TImageList.h"
#include "platform/RichEdit.h"
#include "ui/lookup/Tmain_frm.h"
#include "widgets/dbaware/TDBGrid.h"
#include "widgets/dbaware/TDBLookupCombo.h"
#include "widgets/kit/VyrLabel.h"
#include "widgets/kit/VyrMenus.h"
#include "widgets/kit/VyrTRoundButton.h"
#include "widgets/layout/AlignSplitter.h"
#include "widgets/tray/TrayIcons.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

namespace quorvane {

// The main window's components as the tests reach them: by their designer names, which are
// their object names. A missing one stops the test run.
class MainWindowParts {
public:
    explicit MainWindowParts(const Tmain_frm& window) : m_window(window) {}

private:
    template <typename T> T* find(const char* name) const {
        T* found = m_window.findChild<T*>(QLatin1StringView(name));
        if (!found)
            qFatal("the main window has no %s", name);
        return found;
    }
    const Tmain_frm& m_window;

public:
    AdoConnection* skt_cy = find<AdoConnection>("skt_cy");
    AdoQuery* q_cy = find<AdoQuery>("q_cy");
    AdoTable* tb_cy = find<AdoTable>("tb_cy");
    QFrame* Panel2 = find<QFrame>("Panel2");
    QFrame* lrpnl = find<QFrame>("lrpnl");
    QWidget* Image3 = find<QWidget>("Image3");
    QLabel* Label1 = find<QLabel>("Label1");
    TDBLookupCombo* DBLookupCombo1 = find<TDBLookupCombo>("DBLookupCombo1");
    QWidget* Image4 = find<QWidget>("Image4");
    QToolButton* allvbtn = find<QToolButton>("allvbtn");
    QToolButton* priovbtn = find<QToolButton>("priovbtn");
    QToolButton* nextbtn = find<QToolButton>("nextbtn");
    QToolButton* dysqbtn = find<QToolButton>("dysqbtn");
    QToolButton* bkbtn2 = find<QToolButton>("bkbtn2");
    QToolButton* copybtn = find<QToolButton>("copybtn");
    QToolButton* savebtn = find<QToolButton>("savebtn");
    QToolButton* openbtn = find<QToolButton>("openbtn");
    QToolButton* cyglbtn = find<QToolButton>("cyglbtn");
    QToolButton* printbtn = find<QToolButton>("printbtn");
    QToolButton* helpbtn = find<QToolButton>("helpbtn");
    QToolButton* jsbtn = find<QToolButton>("jsbtn");
    QToolButton* favbtn = find<QToolButton>("favbtn");
    QToolButton* favlistbtn = find<QToolButton>("favlistbtn");
    QWidget* Image5 = find<QWidget>("Image5");
    QFrame* Panel13 = find<QFrame>("Panel13");
    TDBGrid* DBGrid1 = find<TDBGrid>("DBGrid1");
    AlignSplitter* Splitter1 = find<AlignSplitter>("Splitter1");
    QWidget* Image6 = find<QWidget>("Image6");
    QFrame* Panel6 = find<QFrame>("Panel6");
    QWidget* Image7 = find<QWidget>("Image7");
    TVyrLabel* cymc = find<TVyrLabel>("cymc");
    QToolButton* favmark = find<QToolButton>("favmark");
    QToolButton* setimagebtn = find<QToolButton>("setimagebtn");
    QToolButton* fontbtn = find<QToolButton>("fontbtn");
    QToolButton* defaultfont = find<QToolButton>("defaultfont");
    TVyrRoundButton* VyrRoundButton1 = find<TVyrRoundButton>("VyrRoundButton1");
    RichEdit* RichEdit1 = find<RichEdit>("RichEdit1");
    QWidget* Image10 = find<QWidget>("Image10");
    TVyrPopupMenu* VyrPopupMenu1 = find<TVyrPopupMenu>("VyrPopupMenu1");
    TVyrMenuItem* copym = find<TVyrMenuItem>("copym");
    TVyrMenuItem* selallm = find<TVyrMenuItem>("selallm");
    TImageList* ImageList = find<TImageList>("ImageList");
    TTrayIcon* TrayIcon1 = find<TTrayIcon>("TrayIcon1");
    TVyrPopupMenu* tbmenu = find<TVyrPopupMenu>("tbmenu");
    TVyrMenuItem* hlpm = find<TVyrMenuItem>("hlpm");
    TVyrMenuItem* VyrMenuItem2 = find<TVyrMenuItem>("VyrMenuItem2");
    TVyrMenuItem* exitbtn = find<TVyrMenuItem>("exitbtn");
};

inline MainWindowParts parts(const Tmain_frm& window) {
    return MainWindowParts(window);
}

} // namespace quorvane

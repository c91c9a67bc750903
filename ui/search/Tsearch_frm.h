#pragma once

#include "data/IdiomSearch.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class Tsearch_frm;
}

namespace quorvane {

class AdoDataSet;
class SearchResultModel;

// The search window: one field, results as the user types, grouped (pinyin, idiom start,
// idiom, entry text) in the list's order. Choosing a result moves the data set there;
// nothing is written anywhere. It stays open beside its owner window until Escape.
class Tsearch_frm : public QWidget {
    Q_OBJECT
public:
    // `dataSet` is the cursor the results come from and the choice moves (q_cy).
    explicit Tsearch_frm(AdoDataSet* dataSet, QWidget* owner);
    ~Tsearch_frm() override;

    SearchResultModel* results() const { return m_results; }

    // Shows the window beside its owner (the first time) and puts the focus in the field.
    void open();

    // Handlers, bound when the window is built.
    void searchedtChange();
    void resultlstDblClick();
    // Moves the data set to the result in the list's current row (the first when none).
    void chooseCurrent();

Q_SIGNALS:
    // The data set was moved to `row` by a choice in this window.
    void rowChosen(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::Tsearch_frm> ui;
    void adaptToScreen();
    void placeBesideOwner();
    void runSearch();
    void prepareSoon();
    void dataSetChanged();
    void showCount();

    QPointer<AdoDataSet> m_dataSet;
    IdiomSearch m_search;
    SearchResultModel* m_results;
    // Keys that come in one burst are searched once, at once after the last of them.
    QTimer m_delay;
    QString m_searched;
    bool m_placed = false;
};

} // namespace quorvane

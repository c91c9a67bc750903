#pragma once

#include "data/IdiomEntry.h"
#include "favourites/FavouritesStore.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class QTreeView;

namespace Ui {
class Tfavourites_frm;
}

namespace quorvane {

class AdoDataSet;
class IdiomLocator;
class RememberedListModel;

// The side window of the favourites (收藏) and the idioms looked at lately (最近查看).
// Enter or a double click moves the lookup cursor to the idiom; Delete takes it out of the
// list. It stays open beside its owner until Escape.
class Tfavourites_frm : public QWidget {
    Q_OBJECT
public:
    Tfavourites_frm(FavouritesStore* store, AdoDataSet* dataSet, const IdiomLocator* locator,
                    QWidget* owner);
    ~Tfavourites_frm() override;

    RememberedListModel* model(ListKind kind) const;
    QTreeView* view(ListKind kind) const;

    // Shows the window beside its owner (the first time) and puts the focus in the list.
    void open();

    // Handlers, bound when the window is built.
    void chooseCurrent(ListKind kind);
    void removeCurrent(ListKind kind);
    void favclearbtnClick();
    void histclearbtnClick();
    void favtextbtnClick();
    void favcardbtnClick();

    // The favourites as entries, in the list's order; an idiom the dictionary no longer has
    // brings what the list knows of it.
    std::vector<IdiomEntry> favouriteEntries() const;

Q_SIGNALS:
    // The data set was moved to `row` by a choice in this window.
    void rowChosen(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::Tfavourites_frm> ui;
    void setUpView(QTreeView* view, RememberedListModel* model);
    void clearList(ListKind kind, const QString& question);
    void exportFavourites(const QString& filter, const QString& name,
                          QByteArray (*format)(const std::vector<IdiomEntry>&));
    void updateButtons();

    FavouritesStore* m_store;
    QPointer<AdoDataSet> m_dataSet;
    const IdiomLocator* m_locator;
    RememberedListModel* m_favourites;
    RememberedListModel* m_history;
    bool m_placed = false;
};

} // namespace quorvane

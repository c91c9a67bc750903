#pragma once

#include "data/IdiomEntry.h"
#include "favourites/FavouritesStore.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class QAbstractButton;
class QWidget;

namespace quorvane {

class AdoDataSet;
class IdiomLocator;
class Tfavourites_frm;

// What the main window needs of the favourites and the history: the star for the shown
// idiom, the history rule (an idiom shown for more than two seconds, or copied, saved or
// printed) and the side window. The store's problems reach the user once, in a message.
class FavouritesController : public QObject {
    Q_OBJECT
public:
    static constexpr int kDwellMs = 2000;

    // `dataSet` is the lookup cursor; `owner` the main window.
    FavouritesController(AdoDataSet* dataSet, QWidget* owner,
                         const QString& path = FavouritesStore::defaultPath());

    FavouritesStore* store() const { return m_store.get(); }
    const IdiomLocator* locator() const { return m_locator; }
    Tfavourites_frm* window() const { return m_window; }
    IdiomKey shown() const { return m_shown; }

    // The toolbar star and the header mark; both follow the shown idiom.
    void setIndicators(QAbstractButton* star, QAbstractButton* mark);

    // Called at every rendering of the entry.
    void entryShown(const IdiomEntry& entry);
    // The entry was copied, saved or printed: it goes into the history now.
    void entryUsed(const IdiomEntry& entry);
    // Adds the shown idiom to the favourites or takes it out.
    void toggleShown();
    void openWindow();

Q_SIGNALS:
    // A choice in the side window moved the cursor to `row`.
    void rowChosen(int row);

private:
    void dwellEnded();
    void showIndicators();
    void reportProblem();

    std::shared_ptr<FavouritesStore> m_store;
    QPointer<AdoDataSet> m_dataSet;
    QWidget* m_owner;
    IdiomLocator* m_locator;
    QTimer m_dwell;
    IdiomKey m_shown;
    QPointer<QAbstractButton> m_star;
    QPointer<QAbstractButton> m_mark;
    QIcon m_starOn;
    QIcon m_starOff;
    enum class Indicated { Unknown, Nothing, NotFavourite, Favourite };
    Indicated m_indicated = Indicated::Unknown;
    Tfavourites_frm* m_window = nullptr;
};

} // namespace quorvane

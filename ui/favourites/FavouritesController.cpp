#include "ui/favourites/FavouritesController.h"

#include "data/AdoDataSet.h"
#include "favourites/IdiomLocator.h"
#include "platform/Dialogs.h"
#include "ui/favourites/Tfavourites_frm.h"

#include <QAbstractButton>
#include <QIcon>

static void initFavouriteGlyphs() {
    Q_INIT_RESOURCE(favourites);
}

namespace quorvane {

FavouritesController::FavouritesController(AdoDataSet* dataSet, QWidget* owner, const QString& path)
    : QObject(owner), m_store(FavouritesStore::shared(path)), m_dataSet(dataSet), m_owner(owner),
      m_locator(new IdiomLocator(dataSet, this)) {
    initFavouriteGlyphs();
    // One icon each, so the rendered star is kept between paints.
    m_starOn = QIcon(QStringLiteral(":/favourites/star-on.svg"));
    m_starOff = QIcon(QStringLiteral(":/favourites/star-off.svg"));
    // Precise: "more than two seconds" must not come a little early.
    m_dwell.setTimerType(Qt::PreciseTimer);
    m_dwell.setSingleShot(true);
    m_dwell.setInterval(kDwellMs);
    m_dwell.setObjectName(QStringLiteral("dwelltimer"));
    connect(&m_dwell, &QTimer::timeout, this, &FavouritesController::dwellEnded);
    connect(m_store.get(), &FavouritesStore::changed, this, &FavouritesController::showIndicators);
    connect(m_store.get(), &FavouritesStore::problemOccurred, this,
            &FavouritesController::reportProblem);
    // Over the main window once it shows, not over the splash before it.
    if (!m_store->problem().isEmpty())
        QTimer::singleShot(0, this, &FavouritesController::reportProblem);
}

void FavouritesController::reportProblem() {
    const QString message = m_store->unreportedProblem();
    if (!message.isEmpty())
        Dialogs::messageBox(m_owner, message, QStringLiteral("提示"), Dialogs::Icon::Warning);
}

void FavouritesController::setIndicators(QAbstractButton* star, QAbstractButton* mark) {
    m_star = star;
    m_mark = mark;
    m_indicated = Indicated::Unknown;
    showIndicators();
}

void FavouritesController::showIndicators() {
    const bool any = !m_shown.isEmpty();
    const bool favourite = any && m_store->isFavourite(m_shown);
    // Every key renders the entry: the buttons change only when what they say changes.
    const Indicated now =
        !any ? Indicated::Nothing : (favourite ? Indicated::Favourite : Indicated::NotFavourite);
    if (now == m_indicated)
        return;
    m_indicated = now;
    const QIcon& icon = favourite ? m_starOn : m_starOff;
    const QString hint = favourite ? QStringLiteral("取消收藏当前成语（Ctrl+D）")
                                   : QStringLiteral("收藏当前成语（Ctrl+D）");
    if (m_star) {
        m_star->setEnabled(any);
        m_star->setIcon(icon);
        m_star->setToolTip(hint);
    }
    if (m_mark) {
        m_mark->setVisible(any);
        m_mark->setIcon(icon);
        m_mark->setToolTip(favourite ? QStringLiteral("已收藏；点一下取消收藏")
                                     : QStringLiteral("未收藏；点一下收藏"));
    }
}

void FavouritesController::entryShown(const IdiomEntry& entry) {
    IdiomKey key = IdiomLocator::keyOf(entry);
    if (key == m_shown)
        return; // still the same idiom: its time on screen goes on
    m_shown = std::move(key);
    if (m_shown.isEmpty())
        m_dwell.stop();
    else
        m_dwell.start();
    showIndicators();
}

void FavouritesController::dwellEnded() {
    m_store->recordView(m_shown);
}

void FavouritesController::entryUsed(const IdiomEntry& entry) {
    const IdiomKey key = IdiomLocator::keyOf(entry);
    if (key == m_shown)
        m_dwell.stop(); // in the history already; no second entry for the same showing
    m_store->recordView(key);
}

void FavouritesController::toggleShown() {
    if (!m_shown.isEmpty())
        m_store->setFavourite(m_shown, !m_store->isFavourite(m_shown));
}

void FavouritesController::openWindow() {
    if (!m_window) {
        m_window = new Tfavourites_frm(m_store.get(), m_dataSet, m_locator, m_owner);
        connect(m_window, &Tfavourites_frm::rowChosen, this, &FavouritesController::rowChosen);
    }
    m_window->open();
}

} // namespace quorvane

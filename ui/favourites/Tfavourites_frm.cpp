#include "ui/favourites/Tfavourites_frm.h"
#include "ui_favourites_frm.h"

#include "data/AdoDataSet.h"
#include "favourites/FavouritesExport.h"
#include "favourites/IdiomLocator.h"
#include "platform/Dialogs.h"
#include "platform/HandlerGuard.h"
#include "platform/TextFile.h"
#include "ui/favourites/RememberedListModel.h"
#include "widgets/layout/FormFonts.h"
#include "widgets/layout/SideWindow.h"

#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>

namespace quorvane {

Tfavourites_frm::Tfavourites_frm(FavouritesStore* store, AdoDataSet* dataSet,
                                 const IdiomLocator* locator, QWidget* owner)
    : QWidget(owner, Qt::Tool), m_store(store), m_dataSet(dataSet), m_locator(locator),
      m_favourites(new RememberedListModel(store, ListKind::Favourites, locator, this)),
      m_history(new RememberedListModel(store, ListKind::History, locator, this)) {
    ui = std::make_unique<Ui::Tfavourites_frm>();
    ui->setupUi(this);
    setObjectName(QStringLiteral("favourites_frm"));
    FormFonts::applyPixelSizes(this);
    SideWindow::adaptToScreen(this);
    setUpView(ui->favlst, m_favourites);
    setUpView(ui->histlst, m_history);

    const auto guarded = [this](void (Tfavourites_frm::*handler)()) {
        return [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(ui->favclearbtn, &QPushButton::clicked, this,
            guarded(&Tfavourites_frm::favclearbtnClick));
    connect(ui->histclearbtn, &QPushButton::clicked, this,
            guarded(&Tfavourites_frm::histclearbtnClick));
    connect(ui->favtextbtn, &QPushButton::clicked, this,
            guarded(&Tfavourites_frm::favtextbtnClick));
    connect(ui->favcardbtn, &QPushButton::clicked, this,
            guarded(&Tfavourites_frm::favcardbtnClick));
    connect(store, &FavouritesStore::changed, this, &Tfavourites_frm::updateButtons);
    if (dataSet)
        connect(dataSet, &AdoDataSet::dataSetChanged, this, [this] {
            m_favourites->dictionaryChanged();
            m_history->dictionaryChanged();
        });
    updateButtons();
}

void Tfavourites_frm::setUpView(QTreeView* view, RememberedListModel* model) {
    view->setModel(model);
    QHeaderView* header = view->header();
    header->setStretchLastSection(true);
    header->setSectionsMovable(false);
    const int em = view->fontMetrics().horizontalAdvance(QStringLiteral("中"));
    view->setColumnWidth(RememberedListModel::IdiomColumn, em * 7);
    view->setColumnWidth(RememberedListModel::PinyinColumn, em * 10);
    const ListKind kind = model->kind();
    connect(view, &QAbstractItemView::doubleClicked, this,
            [this, kind] { runGuarded([this, kind] { chooseCurrent(kind); }); });
    // A list that changes keeps a current row near where it was.
    connect(model, &QAbstractItemModel::modelReset, view, [view, model] {
        if (model->rowCount() > 0 && !view->currentIndex().isValid())
            view->setCurrentIndex(model->index(0, 0));
    });
    view->installEventFilter(this);
}

RememberedListModel* Tfavourites_frm::model(ListKind kind) const {
    return kind == ListKind::Favourites ? m_favourites : m_history;
}

QTreeView* Tfavourites_frm::view(ListKind kind) const {
    return kind == ListKind::Favourites ? ui->favlst : ui->histlst;
}

void Tfavourites_frm::open() {
    show();
    raise();
    activateWindow();
    QTreeView* list = ui->pages->currentWidget() == ui->histpage ? ui->histlst : ui->favlst;
    list->setFocus();
    if (!list->currentIndex().isValid() && list->model()->rowCount() > 0)
        list->setCurrentIndex(list->model()->index(0, 0));
}

void Tfavourites_frm::showEvent(QShowEvent* event) {
    if (!m_placed) {
        SideWindow::placeBeside(this, parentWidget());
        m_placed = true;
    }
    QWidget::showEvent(event);
}

void Tfavourites_frm::updateButtons() {
    const bool any = m_store->list(ListKind::Favourites).size() > 0;
    ui->favtextbtn->setEnabled(any);
    ui->favcardbtn->setEnabled(any);
    ui->favclearbtn->setEnabled(any);
    ui->histclearbtn->setEnabled(m_store->list(ListKind::History).size() > 0);
}

void Tfavourites_frm::chooseCurrent(ListKind kind) {
    const QModelIndex current = view(kind)->currentIndex();
    if (!current.isValid() || !m_dataSet)
        return;
    const IdiomKey key = model(kind)->item(current.row()).key;
    const int row = m_locator->findRow(key);
    if (row < 0) {
        Dialogs::messageBox(
            this,
            QStringLiteral("词典中已没有“%1”这条成语（可能是换了词典或重新导入过）。")
                .arg(key.idiom),
            QStringLiteral("提示"), Dialogs::Icon::Information);
        return;
    }
    m_dataSet->moveTo(row);
    Q_EMIT rowChosen(row);
}

void Tfavourites_frm::removeCurrent(ListKind kind) {
    QTreeView* list = view(kind);
    const int row = list->currentIndex().row();
    if (row < 0)
        return;
    m_store->remove(kind, model(kind)->item(row).key);
    const int left = model(kind)->rowCount();
    if (left > 0)
        list->setCurrentIndex(model(kind)->index(std::min(row, left - 1), 0));
}

void Tfavourites_frm::clearList(ListKind kind, const QString& question) {
    if (Dialogs::messageBox(this, question, QStringLiteral("提示"), Dialogs::Icon::Question,
                            Dialogs::Buttons::OkCancel,
                            Dialogs::Button::Cancel) == Dialogs::Button::Ok)
        m_store->clear(kind);
}

void Tfavourites_frm::favclearbtnClick() {
    clearList(ListKind::Favourites, QStringLiteral("确定要清空全部 %1 条收藏吗？")
                                        .arg(m_store->list(ListKind::Favourites).size()));
}

void Tfavourites_frm::histclearbtnClick() {
    clearList(ListKind::History, QStringLiteral("确定要清空最近查看的成语吗？"));
}

std::vector<IdiomEntry> Tfavourites_frm::favouriteEntries() const {
    const RememberedList& list = m_store->list(ListKind::Favourites);
    std::vector<IdiomEntry> entries;
    entries.reserve(size_t(list.size()));
    for (int i = 0; i < list.size(); ++i) {
        const IdiomKey& key = list.at(i).key;
        const int row = m_locator->findRow(key);
        if (row >= 0) {
            entries.push_back(m_locator->entryAt(row));
        } else {
            IdiomEntry known;
            known.text(Column::Idiom) = key.idiom;
            known.text(Column::Pinyin) = key.pinyin;
            entries.push_back(known);
        }
    }
    return entries;
}

void Tfavourites_frm::exportFavourites(const QString& filter, const QString& name,
                                       QByteArray (*format)(const std::vector<IdiomEntry>&)) {
    const QString chosen =
        Dialogs::getSaveFileName(this, {filter, QDir::homePath() + QLatin1Char('/') + name, true});
    if (!chosen.isEmpty())
        TextFile::write(chosen, format(favouriteEntries()));
}

void Tfavourites_frm::favtextbtnClick() {
    exportFavourites(QStringLiteral("文本文件(*.txt)|*.txt|所有文件[*.*]|*.*"),
                     QStringLiteral("收藏的成语.txt"), &FavouritesExport::entryText);
}

void Tfavourites_frm::favcardbtnClick() {
    exportFavourites(QStringLiteral("制表符分隔的卡片(*.txt)|*.txt|所有文件[*.*]|*.*"),
                     QStringLiteral("收藏的成语-卡片.txt"), &FavouritesExport::flashCards);
}

bool Tfavourites_frm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == ui->favlst || watched == ui->histlst)) {
        const ListKind kind = watched == ui->favlst ? ListKind::Favourites : ListKind::History;
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            runGuarded([this, kind] { chooseCurrent(kind); });
            return true;
        case Qt::Key_Delete:
            runGuarded([this, kind] { removeCurrent(kind); });
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Tfavourites_frm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

Tfavourites_frm::~Tfavourites_frm() = default;

} // namespace quorvane

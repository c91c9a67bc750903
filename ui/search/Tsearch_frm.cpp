#include "ui/search/Tsearch_frm.h"
#include "ui_search_frm.h"

#include "data/AdoDataSet.h"
#include "platform/HandlerGuard.h"
#include "ui/search/HighlightDelegate.h"
#include "ui/search/SearchResultModel.h"
#include "widgets/layout/FormFonts.h"
#include "widgets/layout/SideWindow.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QShortcut>

namespace quorvane {
namespace {
// Far above any real query (an idiom, its pinyin, a phrase of its text), and low enough
// that a pasted run of combining marks stays quick to lay out on every paint.
constexpr int kLongestQuery = 200;

QString groupCaption(SearchGroup group) {
    switch (group) {
    case SearchGroup::Pinyin:
        return QStringLiteral("拼音");
    case SearchGroup::IdiomStart:
        return QStringLiteral("成语开头");
    case SearchGroup::IdiomContains:
        return QStringLiteral("成语含有");
    case SearchGroup::EntryText:
        return QStringLiteral("释文");
    }
    return {};
}
} // namespace

Tsearch_frm::Tsearch_frm(AdoDataSet* dataSet, QWidget* owner)
    : QWidget(owner, Qt::Tool), m_dataSet(dataSet), m_search(dataSet),
      m_results(new SearchResultModel(this)) {
    ui = std::make_unique<Ui::Tsearch_frm>();
    ui->setupUi(this);
    setObjectName(QStringLiteral("search_frm"));
    FormFonts::applyPixelSizes(this);
    ui->searchedt->setMaxLength(kLongestQuery);
    ui->resultlst->setModel(m_results);
    ui->resultlst->setItemDelegate(new HighlightDelegate(ui->resultlst));
    ui->resultlst->setAllColumnsShowFocus(true);
    QHeaderView* header = ui->resultlst->header();
    header->setStretchLastSection(true);
    header->setSectionsMovable(false);
    adaptToScreen();
    const int em = ui->resultlst->fontMetrics().horizontalAdvance(QStringLiteral("中"));
    ui->resultlst->setColumnWidth(SearchResultModel::IdiomColumn, em * 6);
    ui->resultlst->setColumnWidth(SearchResultModel::PinyinColumn, em * 10);

    m_delay.setSingleShot(true);
    m_delay.setInterval(0);
    // A dictionary that cannot be read whole fails the search: the error box, not the end
    // of the program, also from a timer.
    connect(&m_delay, &QTimer::timeout, this, [this] { runGuarded([this] { runSearch(); }); });
    connect(ui->searchedt, &QLineEdit::textChanged, this, &Tsearch_frm::searchedtChange);
    connect(ui->resultlst, &QAbstractItemView::doubleClicked, this,
            [this] { runGuarded([this] { resultlstDblClick(); }); });
    if (dataSet)
        connect(dataSet, &AdoDataSet::dataSetChanged, this, &Tsearch_frm::dataSetChanged);
    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(find, &QShortcut::activated, this, &Tsearch_frm::open);
    ui->searchedt->installEventFilter(this);
    ui->resultlst->installEventFilter(this);
    showCount();
}

Tsearch_frm::~Tsearch_frm() {
    m_delay.stop();
}

void Tsearch_frm::adaptToScreen() {
    SideWindow::adaptToScreen(this);
}

void Tsearch_frm::open() {
    show();
    raise();
    activateWindow();
    ui->searchedt->setFocus();
    ui->searchedt->selectAll();
}

void Tsearch_frm::showEvent(QShowEvent* event) {
    if (!m_placed) {
        placeBesideOwner();
        m_placed = true;
    }
    QWidget::showEvent(event);
    // The data set may have been re-read while the window was closed.
    m_searched.clear();
    m_delay.start();
    prepareSoon();
}

// The readings of a large snapshot take a moment to prepare: better while the user looks
// at the window than at the first key.
void Tsearch_frm::prepareSoon() {
    QTimer::singleShot(0, this, [this] { runGuarded([this] { m_search.prepare(); }); });
}

void Tsearch_frm::placeBesideOwner() {
    SideWindow::placeBeside(this, parentWidget());
}

void Tsearch_frm::searchedtChange() {
    m_delay.start();
}

void Tsearch_frm::runSearch() {
    const QString text = ui->searchedt->text();
    if (text == m_searched)
        return;
    m_searched = text;
    m_results->setResults(m_dataSet, m_search.find(text));
    if (m_results->rowCount() > 0)
        ui->resultlst->setCurrentIndex(m_results->index(0, 0));
    ui->resultlst->scrollToTop();
    showCount();
}

void Tsearch_frm::dataSetChanged() {
    // Rows of the old snapshot mean nothing in the new one.
    m_results->clear();
    m_searched.clear();
    showCount();
    if (isVisible()) {
        m_delay.start();
        prepareSoon();
    }
}

void Tsearch_frm::showCount() {
    if (ui->searchedt->text().trimmed().isEmpty()) {
        ui->countlbl->setText(QStringLiteral("输入拼音（声调可有可无）、汉字，或用引号检索全文"));
        return;
    }
    if (m_results->rowCount() == 0) {
        ui->countlbl->setText(QStringLiteral("没有找到"));
        return;
    }
    QStringList parts;
    for (const SearchGroup group : {SearchGroup::Pinyin, SearchGroup::IdiomStart,
                                    SearchGroup::IdiomContains, SearchGroup::EntryText})
        if (const int n = m_results->count(group))
            parts << groupCaption(group) + QString::number(n);
    ui->countlbl->setText(QStringLiteral("共%1条：").arg(m_results->rowCount()) +
                          parts.join(QStringLiteral("，")));
}

void Tsearch_frm::resultlstDblClick() {
    chooseCurrent();
}

void Tsearch_frm::chooseCurrent() {
    if (m_delay.isActive()) {
        m_delay.stop();
        runSearch(); // Enter right after a key chooses from what the key found
    }
    if (!m_dataSet || !m_dataSet->active() || m_results->rowCount() == 0)
        return;
    const QModelIndex current = ui->resultlst->currentIndex();
    const int row = m_results->hit(current.isValid() ? current.row() : 0).row;
    if (row < 0 || row >= m_dataSet->recordCount())
        return;
    m_dataSet->moveTo(row);
    Q_EMIT rowChosen(row);
}

bool Tsearch_frm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        runGuarded([this] { chooseCurrent(); });
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // The field keeps the focus; the list moves its current row.
        if (watched == ui->searchedt) {
            QKeyEvent copy(key->type(), key->key(), key->modifiers());
            QCoreApplication::sendEvent(ui->resultlst, &copy);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void Tsearch_frm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quorvane

// The lookup box. Choices beyond the typing rules:
// - Escape with the list open restores the text, the cursor row and the search memory the
//   box had before the list opened (before the key that opened it). It is the only closing
//   that undoes anything.
// - Other closings (the button, a click elsewhere, focus leaving the box) first run a
//   pending delayed search, then close without accepting: text and row stay.
// - Up/Down with the list open move the cursor one row and count as choosing that row, so
//   Enter then shows its code; they drop a pending delayed search. A list opened without
//   typing (button, F4, Alt+Down) likewise offers its current row to Enter. Page Up/Down move by
//   one list page less a row, Ctrl+Home/Ctrl+End go to the first/last row. Plain Home/End
//   stay with the text caret, since the box is editable.
// - With the list closed, Up/Down step the cursor one row and show that row's code, as a
//   combo box steps its value; F4 and Alt+Down open the list without searching; Enter does
//   nothing beyond the key signals.
// - A list row is made current on mouse press (dragging follows the mouse) and accepted on
//   release over a row.
// - Accepting a row and Escape select the whole text, so the next code typed replaces it.
// - Backspace/Delete leave an already running delayed search alone: it fires with the
//   text as it then is.
// - With SeqSearchEnabled off, typing never chooses a row; csDropDownList makes the text
//   read-only, rows are chosen with the list and the arrow keys only.
#include "widgets/dbaware/TDBLookupCombo.h"

#include "data/DataSource.h"
#include "data/IdiomColumns.h"
#include "platform/HandlerGuard.h"
#include "widgets/dbaware/DataSetModel.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <limits>

namespace quorvane {
namespace {
bool isEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// Keys that arrive as a character at the owner, besides the printable ones.
bool producesCharacter(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
        return true;
    default:
        return !event->text().isEmpty() && event->text().front().isPrint();
    }
}

bool isPrintable(const QKeyEvent* event) {
    return !event->text().isEmpty() && event->text().front().isPrint();
}

bool isDeletion(const QKeyEvent* event) {
    return event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
}

// Lets the widget handle the event as if no filter were installed; the filter then
// returns true, so the event is not delivered a second time.
void deliver(QObject* target, QEvent* event) {
    target->event(event);
}
} // namespace

TDBLookupCombo::TDBLookupCombo(QWidget* parent)
    : QWidget(parent), m_lookupDisplay(QStringLiteral("代码")),
      m_selected({QStringLiteral("代码\t6"), QStringLiteral("成语\t30")}),
      m_lookupField(QStringLiteral("成语")) {
    m_edit = new QLineEdit(this);
    m_button = new QToolButton(this);
    m_button->setArrowType(Qt::DownArrow);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit);
    layout->addWidget(m_button);
    setFocusProxy(m_edit);
    setFocusPolicy(m_edit->focusPolicy());

    // A tool-tip window never takes the focus, so typing keeps going to the text.
    m_popup =
        new QFrame(this, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    m_popup->setAttribute(Qt::WA_ShowWithoutActivating);
    m_popup->setFrameShape(QFrame::Box);
    m_popup->setLineWidth(1);
    m_list = new QTableView(m_popup);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setMinimumSectionSize(1);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->horizontalHeader()->setHighlightSections(false);
    // The popup is never the active window; its current row must still look selected.
    QPalette palette = m_list->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    m_list->setPalette(palette);
    auto* popupLayout = new QHBoxLayout(m_popup);
    popupLayout->setContentsMargins(0, 0, 0, 0);
    popupLayout->addWidget(m_list);

    m_model = new DataSetModel(this);
    m_list->setModel(m_model);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                AdoDataSet* set = activeDataSet();
                if (m_syncingList || !set || !current.isValid())
                    return;
                set->moveTo(current.row());
            });

    m_searchTimer.setSingleShot(true);
    // A search reads the data set, which may fail: the error box, as in an event handler.
    connect(&m_searchTimer, &QTimer::timeout, this,
            [this] { runGuarded([this] { searchTimerFired(); }); });
    connect(m_button, &QToolButton::pressed, this, [this] {
        if (listVisible())
            closeList();
        else
            openList();
    });

    m_edit->installEventFilter(this);
    m_button->installEventFilter(this);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    rebuildColumns();
}

TDBLookupCombo::~TDBLookupCombo() {
    // Children still get events while QWidget tears them down; this object is gone by then.
    m_searchTimer.stop();
    m_edit->removeEventFilter(this);
    m_button->removeEventFilter(this);
    m_list->removeEventFilter(this);
    m_list->viewport()->removeEventFilter(this);
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    if (m_watchedTopLevel)
        m_watchedTopLevel->removeEventFilter(this);
    disconnect(m_changedConnection);
    disconnect(m_currentConnection);
}

void TDBLookupCombo::setLookupSource(DataSource* source) {
    disconnect(m_changedConnection);
    disconnect(m_currentConnection);
    m_source = source;
    m_model->setDataSource(source);
    if (source) {
        // The model connected first, so it has reset by the time the box reacts.
        m_changedConnection =
            connect(source, &DataSource::dataSetChanged, this, &TDBLookupCombo::dataSetChanged);
        m_currentConnection =
            connect(source, &DataSource::currentChanged, this, &TDBLookupCombo::currentRowChanged);
    }
    dataSetChanged();
}

void TDBLookupCombo::setLookupDisplay(const QString& field) {
    m_lookupDisplay = field;
    m_lastSearchText.clear();
    m_lastFound = false;
}

void TDBLookupCombo::setSelected(const QStringList& fields) {
    m_selected = fields;
    rebuildColumns();
}

void TDBLookupCombo::setOptions(LookupOptions options) {
    m_options = options;
    rebuildColumns();
}

void TDBLookupCombo::setStyle(LookupStyle style) {
    m_style = style;
    m_edit->setReadOnly(style == csDropDownList);
}

void TDBLookupCombo::setShowButton(bool on) {
    m_showButton = on;
    m_button->setVisible(on);
}

void TDBLookupCombo::setSearchDelay(int milliseconds) {
    m_searchDelay = std::max(0, milliseconds);
}

void TDBLookupCombo::setDropDownCount(int rows) {
    m_dropDownCount = std::max(1, rows);
    if (listVisible())
        placeList();
}

QString TDBLookupCombo::lookupValue() const {
    const AdoDataSet* set = activeDataSet();
    if (!m_lastFound || !set || set->currentRow() < 0)
        return {};
    return set->cellText(set->currentRow(), set->fieldIndex(m_lookupField));
}

QString TDBLookupCombo::text() const {
    return m_edit->text();
}

void TDBLookupCombo::setText(const QString& text) {
    m_edit->setText(text);
}

bool TDBLookupCombo::listVisible() const {
    return m_popup->isVisible();
}

AdoDataSet* TDBLookupCombo::activeDataSet() const {
    AdoDataSet* set = m_source ? m_source->dataSet() : nullptr;
    return set && set->active() ? set : nullptr;
}

int TDBLookupCombo::displayFieldSize() const {
    for (int i = 0; i < kColumnCount; ++i)
        if (columnName(Column(i)).compare(m_lookupDisplay, Qt::CaseInsensitive) == 0)
            return columnWidth(Column(i));
    return 0;
}

QString TDBLookupCombo::displayText(int row) const {
    const AdoDataSet* set = activeDataSet();
    return set ? set->cellText(row, set->fieldIndex(m_lookupDisplay)) : QString();
}

// ---- events ---------------------------------------------------------------------------

bool TDBLookupCombo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit)
        return editorEvent(event);
    if (watched == m_list || watched == m_list->viewport())
        return listEvent(event);
    if (watched == m_button) {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
            type == QEvent::MouseButtonRelease) {
            deliverMouse(m_button, static_cast<QMouseEvent*>(event));
            return true;
        }
        return false;
    }
    if (watched == m_watchedWindow && (event->type() == QEvent::MouseButtonPress ||
                                       event->type() == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!rect().contains(mapFromGlobal(mouse->globalPosition().toPoint())))
            closeList();
        return false;
    }
    if (watched == m_watchedTopLevel &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize) && listVisible())
        placeList();
    return false;
}

bool TDBLookupCombo::editorEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        // While the list is open its keys must not trigger the window's shortcuts.
        auto* key = static_cast<QKeyEvent*>(event);
        if (listVisible() && (isEnter(key) || key->key() == Qt::Key_Escape ||
                              key->key() == Qt::Key_Up || key->key() == Qt::Key_Down ||
                              key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown)) {
            key->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress:
        handleKeyPress(static_cast<QKeyEvent*>(event));
        return true;
    case QEvent::KeyRelease:
        handleKeyRelease(static_cast<QKeyEvent*>(event));
        return true;
    case QEvent::InputMethod: {
        // Committed input has no key release; it searches or restarts the timer at once.
        const QString before = text();
        const RestorePoint restore = {before,
                                      activeDataSet() ? activeDataSet()->bookmark() : Bookmark{},
                                      m_lastSearchText, m_lastFound};
        deliver(m_edit, event);
        if (text() != before && !text().isEmpty()) {
            if (listVisible()) {
                m_searchTimer.start(m_searchDelay > 0 ? m_searchDelay : kDefaultSearchDelay);
            } else {
                m_restore = restore;
                search();
                if (m_autoDropDown)
                    showList();
            }
        }
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        deliverMouse(m_edit, static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::FocusOut: {
        // The release of a key typed here goes elsewhere now.
        m_searchOnRelease = false;
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && listVisible())
            closeList();
        return false;
    }
    default:
        return false;
    }
}

bool TDBLookupCombo::listEvent(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease ||
        type == QEvent::ShortcutOverride || type == QEvent::InputMethod) {
        // Should the list ever get keys, they belong to the text.
        QCoreApplication::sendEvent(m_edit, event);
        return true;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    // A hidden list may still see the rest of a click that accepted a row.
    if (!listVisible() || (mouse->button() != Qt::LeftButton && type != QEvent::MouseMove))
        return true;
    const int row = m_list->rowAt(mouse->position().toPoint().y());
    AdoDataSet* set = activeDataSet();
    QPointer<TDBLookupCombo> self(this);
    switch (type) {
    case QEvent::MouseMove:
        if (m_pressedInList && (mouse->buttons() & Qt::LeftButton) && set && row >= 0)
            set->moveTo(row);
        return true;
    case QEvent::MouseButtonRelease:
        if (!m_pressedInList)
            return true;
        m_pressedInList = false;
        if (set && row >= 0)
            acceptRow(row);
        if (self)
            Q_EMIT mouseUp(mouse);
        return true;
    default: // press, double click
        m_pressedInList = true;
        m_searchTimer.stop();
        if (set && row >= 0)
            set->moveTo(row);
        if (self)
            Q_EMIT mouseDown(mouse);
        return true;
    }
}

void TDBLookupCombo::deliverMouse(QObject* target, QMouseEvent* event) {
    QPointer<TDBLookupCombo> self(this);
    deliver(target, event);
    if (!self)
        return;
    if (event->type() == QEvent::MouseButtonRelease)
        Q_EMIT mouseUp(event);
    else
        Q_EMIT mouseDown(event);
}

void TDBLookupCombo::handleKeyPress(QKeyEvent* event) {
    QPointer<TDBLookupCombo> self(this);
    if (listVisible())
        handleOpenListKey(event);
    else
        handleClosedListKey(event);
    if (!self)
        return;
    Q_EMIT keyDown(event);
    if (self && producesCharacter(event))
        Q_EMIT keyPress(event);
}

void TDBLookupCombo::handleKeyRelease(QKeyEvent* event) {
    QPointer<TDBLookupCombo> self(this);
    deliver(m_edit, event);
    if (m_searchOnRelease) {
        m_searchOnRelease = false;
        if (!listVisible() && !text().isEmpty()) {
            search();
            if (m_autoDropDown)
                showList();
        }
    }
    if (self)
        Q_EMIT keyUp(event);
}

void TDBLookupCombo::handleOpenListKey(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool alt = event->modifiers() & Qt::AltModifier;
    const int page = std::max(1, m_dropDownCount - 1);
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        runPendingSearch();
        accept();
        break;
    case Qt::Key_Escape:
        cancel();
        break;
    case Qt::Key_F4:
        closeList();
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (alt)
            closeList();
        else
            stepRow(event->key() == Qt::Key_Up ? -1 : 1);
        break;
    case Qt::Key_PageUp:
        stepRow(-page);
        break;
    case Qt::Key_PageDown:
        stepRow(page);
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!ctrl) {
            deliver(m_edit, event);
            return;
        }
        stepRow(event->key() == Qt::Key_Home ? -std::numeric_limits<int>::max() / 2
                                             : std::numeric_limits<int>::max() / 2);
        break;
    default: {
        const QString before = text();
        deliver(m_edit, event);
        if (text() != before && !isDeletion(event) &&
            (isPrintable(event) || event->matches(QKeySequence::Paste)))
            m_searchTimer.start(m_searchDelay > 0 ? m_searchDelay : kDefaultSearchDelay);
        return;
    }
    }
    event->accept();
}

void TDBLookupCombo::handleClosedListKey(QKeyEvent* event) {
    const bool alt = event->modifiers() & Qt::AltModifier;
    if (event->key() == Qt::Key_F4 || (alt && event->key() == Qt::Key_Down)) {
        openList();
        event->accept();
        return;
    }
    if (!alt && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        stepRow(event->key() == Qt::Key_Up ? -1 : 1);
        event->accept();
        return;
    }
    // Typing starts here: Escape returns to the state before this key.
    if (!m_searchOnRelease)
        takeRestorePoint();
    const QString before = text();
    deliver(m_edit, event);
    if (text() != before)
        m_searchOnRelease = true;
}

// ---- searching and choosing -----------------------------------------------------------

void TDBLookupCombo::search() {
    m_searchTimer.stop();
    const QString typed = text();
    m_lastSearchText = typed;
    bool found = false;
    AdoDataSet* set = activeDataSet();
    if (set && m_seqSearchEnabled && !typed.isEmpty() && set->fieldIndex(m_lookupDisplay) >= 0) {
        // Nothing longer than the field can match, so the rest of the text is ignored.
        const int size = displayFieldSize();
        const QString key = size > 0 ? typed.left(size) : typed;
        found = set->locate(m_lookupDisplay, key, {!m_seqSearchCaseSensitive, true});
    }
    m_lastFound = found;
    if (found && m_showMatchText) {
        const QString code = displayText(set->currentRow());
        if (code.size() > typed.size() &&
            code.startsWith(typed,
                            m_seqSearchCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive)) {
            m_edit->setText(typed + code.mid(typed.size()));
            m_edit->setSelection(int(typed.size()), int(code.size() - typed.size()));
        }
    }
}

void TDBLookupCombo::runPendingSearch() {
    if (!m_searchTimer.isActive())
        return;
    m_searchTimer.stop();
    searchTimerFired();
}

void TDBLookupCombo::searchTimerFired() {
    if (text() != m_lastSearchText)
        search();
}

void TDBLookupCombo::accept() {
    const AdoDataSet* set = activeDataSet();
    if (m_lastFound && set && set->currentRow() >= 0) {
        acceptRow(set->currentRow());
        return;
    }
    m_searchTimer.stop();
    m_lastFound = false;
    if (m_allowClearKey) {
        m_edit->clear();
        m_lastSearchText.clear();
    }
    hideList();
}

void TDBLookupCombo::acceptRow(int row) {
    m_searchTimer.stop();
    if (AdoDataSet* set = activeDataSet())
        set->moveTo(row);
    m_lastFound = true;
    m_edit->setText(displayText(row));
    m_edit->selectAll(); // the next code typed replaces this one
    m_lastSearchText = text();
    hideList();
}

void TDBLookupCombo::cancel() {
    m_searchTimer.stop();
    m_edit->setText(m_restore.text);
    m_edit->selectAll();
    if (AdoDataSet* set = activeDataSet())
        set->gotoBookmark(m_restore.row);
    m_lastSearchText = m_restore.lastSearchText;
    m_lastFound = m_restore.lastFound;
    hideList();
}

void TDBLookupCombo::stepRow(int delta) {
    AdoDataSet* set = activeDataSet();
    if (!set || set->recordCount() == 0)
        return;
    m_searchTimer.stop();
    const int from =
        set->currentRow() < 0 ? (delta > 0 ? -1 : set->recordCount()) : set->currentRow();
    const int row = int(std::clamp<qint64>(qint64(from) + delta, 0, set->recordCount() - 1));
    set->moveTo(row);
    m_lastFound = true;
    if (!listVisible()) {
        m_edit->setText(displayText(row));
        m_lastSearchText = text();
    }
}

void TDBLookupCombo::takeRestorePoint() {
    const AdoDataSet* set = activeDataSet();
    m_restore = {text(), set ? set->bookmark() : Bookmark{}, m_lastSearchText, m_lastFound};
}

// ---- the list -------------------------------------------------------------------------

void TDBLookupCombo::openList() {
    if (listVisible())
        return;
    takeRestorePoint();
    // Opened without typing, the list offers its current row: Enter takes it.
    if (const AdoDataSet* set = activeDataSet(); set && set->currentRow() >= 0)
        m_lastFound = true;
    showList();
}

void TDBLookupCombo::closeList() {
    if (!listVisible())
        return;
    runPendingSearch();
    hideList();
}

void TDBLookupCombo::showList() {
    if (listVisible() || !isVisible())
        return;
    rebuildColumns();
    if (const AdoDataSet* set = activeDataSet())
        currentRowChanged(set->currentRow());
    placeList();
    m_popup->show();
    if (m_list->currentIndex().isValid())
        m_list->scrollTo(m_list->currentIndex(), QAbstractItemView::EnsureVisible);
    m_watchedTopLevel = window();
    m_watchedTopLevel->installEventFilter(this);
    m_watchedWindow = window()->windowHandle();
    if (m_watchedWindow)
        m_watchedWindow->installEventFilter(this);
}

void TDBLookupCombo::hideList() {
    if (!listVisible())
        return;
    m_searchTimer.stop();
    m_pressedInList = false;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    if (m_watchedTopLevel)
        m_watchedTopLevel->removeEventFilter(this);
    m_watchedWindow.clear();
    m_watchedTopLevel.clear();
    m_popup->hide();
    Q_EMIT closeUp();
}

void TDBLookupCombo::dataSetChanged() {
    // Rows of an earlier snapshot: what the last search found means nothing any more.
    m_searchTimer.stop();
    m_searchOnRelease = false;
    m_lastSearchText.clear();
    m_lastFound = false;
    if (const AdoDataSet* set = activeDataSet()) {
        currentRowChanged(set->currentRow());
        if (listVisible())
            placeList();
    } else {
        hideList();
    }
}

void TDBLookupCombo::currentRowChanged(int row) {
    m_syncingList = true;
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex index = m_model->index(row, 0);
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
        m_list->scrollTo(index, QAbstractItemView::EnsureVisible);
    } else {
        m_list->selectionModel()->clear();
    }
    m_syncingList = false;
}

void TDBLookupCombo::rebuildColumns() {
    QStringList fields;
    m_columnChars.clear();
    for (const QString& entry : m_selected) {
        const int tab = int(entry.indexOf(u'\t'));
        fields << (tab < 0 ? entry : entry.left(tab)).trimmed();
        bool ok = false;
        const int chars = tab < 0 ? 0 : entry.mid(tab + 1).trimmed().toInt(&ok);
        m_columnChars << (ok && chars > 0 ? chars : 10);
    }
    if (fields != m_model->fields()) {
        m_model->setFields(fields);
        if (const AdoDataSet* set = activeDataSet())
            currentRowChanged(set->currentRow());
    }

    m_list->setFont(font());
    const QFontMetrics metrics(m_list->font());
    const int digit = metrics.horizontalAdvance(u'0');
    for (int i = 0; i < m_columnChars.size(); ++i)
        m_list->setColumnWidth(i, m_columnChars[i] * digit);
    m_list->verticalHeader()->setDefaultSectionSize(metrics.height() + 3);
    m_list->horizontalHeader()->setVisible(m_options.testFlag(loTitles));

    // Both kinds of line are the table's own grid; one kind alone is an item border.
    const bool columns = m_options.testFlag(loColLines);
    const bool rows = m_options.testFlag(loRowLines);
    m_list->setShowGrid(columns && rows);
    QString sheet;
    if (columns != rows) {
        sheet = QStringLiteral("QTableView::item { border: none; ") +
                (columns ? QStringLiteral("border-right") : QStringLiteral("border-bottom")) +
                QStringLiteral(": 1px solid palette(mid); }");
    }
    if (m_list->styleSheet() != sheet)
        m_list->setStyleSheet(sheet);
}

void TDBLookupCombo::placeList() {
    const int frame = m_popup->frameWidth();
    const int modelRows = m_model->rowCount();
    const int rows = std::clamp(modelRows, 1, m_dropDownCount);
    const int titles =
        m_options.testFlag(loTitles) ? m_list->horizontalHeader()->sizeHint().height() : 0;
    int width = 0;
    for (int i = 0; i < m_model->columnCount(); ++i)
        width += m_list->columnWidth(i);
    if (modelRows > rows)
        width += m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list);
    width = std::max(width + 2 * frame, this->width());
    const int height = rows * m_list->verticalHeader()->defaultSectionSize() + titles + 2 * frame;

    QPoint topLeft = mapToGlobal(QPoint(0, this->height()));
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        if (topLeft.y() + height > area.bottom() &&
            mapToGlobal(QPoint(0, 0)).y() - height >= area.top())
            topLeft.setY(mapToGlobal(QPoint(0, 0)).y() - height);
        topLeft.setX(
            std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - width + 1)));
    }
    m_popup->setGeometry(QRect(topLeft, QSize(width, height)));
}

void TDBLookupCombo::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        rebuildColumns();
        if (listVisible())
            placeList();
    } else if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        hideList();
    }
}

void TDBLookupCombo::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    hideList();
}

} // namespace quorvane

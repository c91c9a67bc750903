#include "ui/maintenance/Tappend_frm.h"
#include "ui_append_frm.h"

#include "data/AdoTable.h"
#include "data/ColourText.h"
#include "data/DataSource.h"
#include "data/IdiomColumns.h"
#include "data/SettingsStore.h"
#include "platform/Dialogs.h"
#include "platform/HandlerGuard.h"
#include "platform/Registry.h"
#include "platform/SystemColours.h"
#include "ui/maintenance/Timport_frm.h"
#include "widgets/dbaware/TDBFilterDialog.h"
#include "widgets/dbaware/TDBIntl.h"
#include "widgets/layout/FormFonts.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>

// Resources of a static library are registered by hand, outside any namespace.
static void initMaintenanceResources() {
    Q_INIT_RESOURCE(maintenance);
}

namespace quorvane {

Tappend_frm* append_frm = nullptr;

namespace {
// One icon per glyph for the program's life: a new icon at every opening would leave its
// rendered pixmaps in the application's pixmap cache, about 30 KB a time.
QIcon glyphIcon(const QString& glyph) {
    static QHash<QString, QIcon> icons;
    auto found = icons.find(glyph);
    if (found == icons.end()) {
        const QString base = QStringLiteral(":/maintenance/") + glyph;
        const QString svg = base + QStringLiteral(".svg");
        found =
            icons.insert(glyph, QIcon(QFile::exists(svg) ? svg : base + QStringLiteral(".png")));
    }
    return *found;
}

QColor colourOf(const QWidget* widget) {
    return toQColor(ColourText::toColour(widget->property("fontColour").toString()));
}
} // namespace

Tappend_frm::Tappend_frm(AdoTable* table, DataSource* source, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      tb_cy(table), ds_tbcy(source) {
    initMaintenanceResources();
    append_frm = this;
    ui = std::make_unique<Ui::Tappend_frm>();
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(629, 465);
    FormFonts::applyPixelSizes(this);

    for (QWidget* widget : findChildren<QWidget*>()) {
        const QString glyph = widget->property("glyph").toString();
        if (auto* button = qobject_cast<QToolButton*>(widget); button && !glyph.isEmpty()) {
            // The glyphs the main window shares are drawn as SVG, ours are pictures.
            button->setIcon(glyphIcon(glyph));
            button->setIconSize(QSize(20, 20));
        }
        if (widget->property("transparent").toBool() || widget->property("tileArea").toBool())
            widget->setAttribute(Qt::WA_TranslucentBackground);
        if (widget->property("tileArea").toBool())
            widget->installEventFilter(this);
        if (widget->property("fontColour").isValid()) {
            QPalette colours = widget->palette();
            colours.setColor(QPalette::WindowText, colourOf(widget));
            colours.setColor(QPalette::Text, colourOf(widget));
            widget->setPalette(colours);
        }
    }
    // Tab order: the nine fields, as the layout lists them.
    m_fields = {ui->DBEdit7, ui->DBEdit1, ui->DBEdit6, ui->DBMemo1, ui->DBMemo4,
                ui->DBEdit4, ui->DBEdit2, ui->DBMemo2, ui->DBMemo3};
    for (QWidget* field : std::as_const(m_fields))
        field->installEventFilter(this);
    for (TDBEdit* edit : {ui->DBEdit7, ui->DBEdit1, ui->DBEdit6, ui->DBEdit4, ui->DBEdit2})
        edit->setDataSource(ds_tbcy);
    for (TDBMemo* memo : {ui->DBMemo1, ui->DBMemo4, ui->DBMemo2, ui->DBMemo3})
        memo->setDataSource(ds_tbcy);

    DBIntl1 = new TDBIntl(this);
    DBIntl1->setObjectName(QStringLiteral("DBIntl1"));
    DBIntl1->setConnected(true);
    DBFilterDialog1 = new TDBFilterDialog(this);
    DBFilterDialog1->setObjectName(QStringLiteral("DBFilterDialog1"));
    DBFilterDialog1->setCaption(QStringLiteral("选择查询条件"));
    QStringList fields;
    for (int column = 0; column < kColumnCount; ++column)
        fields << columnName(Column(column));
    DBFilterDialog1->setSelectedFields(fields);
    DBFilterDialog1->setDataSource(ds_tbcy);

    const auto click = [this](QToolButton* button, void (Tappend_frm::*handler)()) {
        connect(button, &QToolButton::clicked, this, [this, handler] { handle(handler); });
    };
    click(ui->exitbtn, &Tappend_frm::SpeedButton1Click);
    click(ui->searchbtn, &Tappend_frm::searchbtnClick);
    click(ui->priovbtn, &Tappend_frm::priovbtnClick);
    click(ui->nextbtn, &Tappend_frm::nextbtnClick);
    click(ui->appendbtn, &Tappend_frm::appendbtnClick);
    click(ui->undobtn, &Tappend_frm::undobtnClick);
    click(ui->editbtn, &Tappend_frm::editbtnClick);
    click(ui->savebtn, &Tappend_frm::savebtnClick);
    click(ui->deletebtn, &Tappend_frm::deletebtnClick);
    click(ui->importbtn, &Tappend_frm::importbtnClick);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    // A failed step leaves the rest undone; the window still opens.
    handle(&Tappend_frm::FormCreate);
}

Tappend_frm::~Tappend_frm() {
    if (append_frm == this)
        append_frm = nullptr;
}

void Tappend_frm::handle(void (Tappend_frm::*handler)()) {
    runGuarded([this, handler] { (this->*handler)(); });
}

void Tappend_frm::ShowModal() {
    QPointer<Tappend_frm> self(this);
    QEventLoop loop;
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    show();
    if (self)
        loop.exec();
}

void Tappend_frm::FormCreate() {
    m_background = std::make_unique<BackgroundBitmap>();
    tb_cy->open();
    tb_cy->last();
    // The window's own copy of the background, as stored at this opening.
    RegistryKey key;
    if (!key.openKey(SettingsStore::keyPath, true))
        return;
    if (key.valueExists(SettingsStore::bkgrnd)) {
        m_background->load(key.readString(SettingsStore::bkgrnd));
    } else {
        const QString path = SettingsStore::defaultBackgroundPath();
        m_background->load(path);
        key.writeString(SettingsStore::bkgrnd, path);
    }
}

void Tappend_frm::searchbtnClick() {
    DBFilterDialog1->ShowSearchDialog();
}

void Tappend_frm::FormClose() {
    // Closing leaves the row as a move would: typed changes are saved, not lost. A save
    // that fails keeps the window open in the editing arrangement. Removing a search is a
    // change of filter, which saves a changed row first.
    try {
        DBFilterDialog1->ClearSearchCriteria();
        DBFilterDialog1->ApplySearchCriteria();
        tb_cy->checkBrowseMode();
    } catch (...) {
        setEditingArrangement(true);
        throw;
    }
    tb_cy->close();
    m_background.reset();
}

// ui->Image1 and ui->Image2 each paint on their own; each is tiled with the window's picture.
void Tappend_frm::FormPaint(QWidget* surface) {
    if (!m_background)
        return;
    QPainter painter(surface);
    m_background->tile(painter, surface->rect());
}

bool Tappend_frm::FormKeyPress(QChar key) {
    if (key != QChar(13))
        return false;
    // Enter moves on in tab order, in the memos too; from the last field to the first.
    focusNextChild();
    return true;
}

void Tappend_frm::setEditingArrangement(bool editing) {
    ui->appendbtn->setEnabled(!editing);
    ui->editbtn->setEnabled(!editing);
    ui->savebtn->setEnabled(editing);
    ui->undobtn->setEnabled(editing);
}

void Tappend_frm::SpeedButton1Click() {
    close();
}

// The flag is read before the move: at an end the first press only sets it, the next one
// turns the button off. Either press turns the other button on.
void Tappend_frm::step(bool atEnd, void (AdoTable::*move)(), QToolButton* self,
                       QToolButton* other) {
    if (atEnd) {
        self->setEnabled(false);
    } else {
        (tb_cy->*move)();
        self->setEnabled(true);
    }
    other->setEnabled(true);
}

void Tappend_frm::priovbtnClick() {
    step(tb_cy->bof(), &AdoTable::prior, ui->priovbtn, ui->nextbtn);
}

void Tappend_frm::nextbtnClick() {
    step(tb_cy->eof(), &AdoTable::next, ui->nextbtn, ui->priovbtn);
}

void Tappend_frm::appendbtnClick() {
    tb_cy->edit();
    tb_cy->append();
    setEditingArrangement(true);
}

void Tappend_frm::undobtnClick() {
    tb_cy->cancel();
    setEditingArrangement(false);
}

void Tappend_frm::editbtnClick() {
    tb_cy->edit();
    setEditingArrangement(true);
}

void Tappend_frm::savebtnClick() {
    if (Dialogs::messageBox(this, QStringLiteral("确实要保存当前成语吗？"), QStringLiteral("提示"),
                            Dialogs::Icon::Question, Dialogs::Buttons::OkCancel,
                            Dialogs::Button::Cancel) == Dialogs::Button::Ok) {
        tb_cy->edit();
        tb_cy->post();
    }
    setEditingArrangement(false);
}

void Tappend_frm::deletebtnClick() {
    if (Dialogs::messageBox(this, QStringLiteral("确实要删除当前成语吗？"),
                            QStringLiteral("删除提示"), Dialogs::Icon::Question,
                            Dialogs::Buttons::OkCancel,
                            Dialogs::Button::Cancel) == Dialogs::Button::Ok) {
        tb_cy->edit();
        tb_cy->deleteRecord();
    }
}

void Tappend_frm::importbtnClick() {
    // The import works on the file: a row being edited is settled first, as the user says.
    const DataSetState state = tb_cy->state();
    if (state == DataSetState::Edit || state == DataSetState::Insert) {
        if (tb_cy->modified() &&
            Dialogs::messageBox(this,
                                QStringLiteral("当前成语的修改还没有保存。按“确定”保存后导入，"
                                               "按“取消”放弃这些修改后导入。"),
                                QStringLiteral("导入成语"), Dialogs::Icon::Question,
                                Dialogs::Buttons::OkCancel,
                                Dialogs::Button::Ok) == Dialogs::Button::Ok)
            tb_cy->post();
        else
            tb_cy->cancel();
        setEditingArrangement(false);
    }
    auto* window = new Timport_frm(tb_cy, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->open();
}

void Tappend_frm::closeEvent(QCloseEvent* event) {
    if (m_closed) {
        event->accept();
        return;
    }
    if (!runGuarded([this] { FormClose(); })) {
        event->ignore();
        return;
    }
    m_closed = true;
    event->accept();
}

bool Tappend_frm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched->property("tileArea").toBool()) {
        FormPaint(static_cast<QWidget*>(watched));
        return true;
    }
    if (event->type() == QEvent::KeyPress && m_fields.contains(watched)) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        const auto key = static_cast<QKeyEvent*>(event)->key();
        const QChar typed = key == Qt::Key_Return || key == Qt::Key_Enter ? QChar(13)
                            : text.size() == 1                            ? text[0]
                                                                          : QChar();
        bool used = false;
        if (!typed.isNull())
            runGuarded([&] { used = FormKeyPress(typed); });
        if (used)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool Tappend_frm::editingArrangement() const {
    return ui->savebtn->isEnabled();
}

} // namespace quorvane

#include "ui/lookup/Tmain_frm.h"
#include "ui/lookup/MainWindowMenus.h"
#include "ui/maintenance/Tappend_frm.h"
#include "ui_main_frm.h"

#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/AdoTable.h"
#include "data/ColourText.h"
#include "data/DataSource.h"
#include "data/EntryText.h"
#include "data/IdiomEntry.h"
#include "data/SettingsStore.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/FontDialog.h"
#include "platform/HandlerGuard.h"
#include "platform/Menus.h"
#include "platform/Printer.h"
#include "platform/QuorvaneError.h"
#include "platform/Shell.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "platform/User.h"
#include "print/TPrintAtOnce.h"
#include "print/Tprint_frm.h"
#include "ui/appearance/EntryFontButtons.h"
#include "ui/appearance/ProductLinks.h"
#include "ui/appearance/TImageform.h"
#include "ui/appearance/Tabout_frm.h"
#include "ui/favourites/FavouritesController.h"
#include "ui/search/Tsearch_frm.h"
#include "widgets/kit/VyrMenus.h"
#include "widgets/layout/AlignLayout.h"
#include "widgets/layout/FormFonts.h"
#include "widgets/layout/LabelFit.h"
#include "widgets/layout/ScaleBy.h"
#include "widgets/tray/TrayIcons.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QShortcut>

// Resources of a static library are registered by hand, outside any namespace.
static void initGlyphResources() {
    Q_INIT_RESOURCE(glyphs);
}

namespace quorvane {

Tmain_frm* main_frm = nullptr;

namespace {
const QString kLookupSql = QStringLiteral("select * from cy order by 成语");
const ParaFormat kEntryParagraph{200, 800, 200, false};
// The entry view's design font: 宋体, 11 points, clWindowText.
const QString kViewDesignFace = QStringLiteral("宋体");
constexpr int kViewDesignSize = 11;
const QString kViewDesignColour = QStringLiteral("clWindowText");

// Vector glyphs stay sharp at whatever size the screen adaptation gives their buttons.
QIcon glyphIcon(const QString& glyph, const QString& disabledGlyph) {
    QIcon icon(QStringLiteral(":/glyphs/") + glyph + QStringLiteral(".svg"));
    if (!disabledGlyph.isEmpty())
        icon.addFile(QStringLiteral(":/glyphs/") + disabledGlyph + QStringLiteral(".svg"), {},
                     QIcon::Disabled);
    return icon;
}
} // namespace

Tmain_frm::Tmain_frm(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::Tmain_frm>()) {
    initGlyphResources();
    main_frm = this;
    User::setMainWindow(this);
    ui->setupUi(this);
    FormFonts::applyPixelSizes(this);
    buildStore();
    m_favourites = new FavouritesController(q_cy, this);
    m_menus = std::make_unique<MainWindowMenus>(this);
    ui->RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    FontDialog1 = new FontDialog(this);
    FontDialog1->setObjectName(QStringLiteral("FontDialog1"));

    for (QWidget* widget : findChildren<QWidget*>()) {
        const QString glyph = widget->property("glyph").toString();
        if (auto* button = qobject_cast<QToolButton*>(widget); button && !glyph.isEmpty()) {
            button->setIcon(glyphIcon(glyph, button->property("disabledGlyph").toString()));
            // A glyph button smaller than the glyph (the round one) gets a smaller glyph.
            const int side = qMin(button->text().isEmpty() ? 20 : 24,
                                  qMin(button->width(), button->height()) - 2);
            button->setIconSize(QSize(side, side));
        }
        if (widget->property("tileArea").toBool() || widget->property("transparent").toBool())
            widget->setAttribute(Qt::WA_TranslucentBackground);
        if (widget->property("tileArea").toBool())
            widget->installEventFilter(this);
    }
    QPalette silver = ui->Panel5->palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    ui->Panel5->setPalette(silver);
    ui->Panel5->setAutoFillBackground(true);

    ui->DBLookupCombo1->setLookupDisplay(QStringLiteral("代码"));
    ui->DBLookupCombo1->setSelected({QStringLiteral("代码\t6"), QStringLiteral("成语\t30")});
    ui->DBLookupCombo1->setLookupField(QStringLiteral("成语"));
    ui->DBLookupCombo1->setLookupSource(ds_cy);
    ui->DBLookupCombo1->editor()->setStyleSheet(QStringLiteral("background: white;"));
    ui->DBGrid1->setFields({QStringLiteral("成语")});
    ui->DBGrid1->setDataSource(ds_cy);
    QPalette white = ui->DBGrid1->palette();
    white.setColor(QPalette::Base, Qt::white);
    ui->DBGrid1->setPalette(white);
    ui->RichEdit1->installEventFilter(this);
    setViewFont(kViewDesignFace, kViewDesignSize, ColourText::toColour(kViewDesignColour));

    AlignLayout::install(this->centralWidget());
    ui->favlistbtn->setIcon(QIcon(QStringLiteral(":/favourites/favourites.svg")));
    for (QToolButton* button : {ui->favbtn, ui->favlistbtn, ui->favmark})
        button->setIconSize(QSize(18, 18));
    m_favourites->setIndicators(ui->favbtn, ui->favmark);
    wireEvents();
    resize(789, 423);
    m_restoredSize = size();
    ui->DBLookupCombo1->editor()->setFocus();

    if (!runGuarded([this] { FormCreate(); }))
        ui->cymc->clear(); // the design caption is no idiom
    // Whatever size the fonts were scaled to, no caption is cut.
    LabelFit::fitToText(ui->Label1, true);
    LabelFit::fitToText(ui->cymc, ui->cymc->caption(), false);
    // Centred at its restored size, whatever the screen adaptation made of it.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    setWindowState(Qt::WindowMaximized);
    m_menus->TrayIcon1->Loaded();
    // F1 on a menu item: the help file has no topics to address, so it opens as a whole.
    User::setHelpHandler([this, alive = m_lifetime.token()](UINT, quintptr) {
        if (alive.expired())
            return false;
        helpbtnClick();
        return true;
    });
}

// Hiding the children while they are destroyed moves the focus and fires their events;
// every handler is bound to m_lifetime, so none runs on the window half taken apart.
Tmain_frm::~Tmain_frm() {
    // The icon leaves the tray and unhooks while the window is still whole.
    delete m_menus->TrayIcon1;
    if (User::mainWindow() == this)
        User::setMainWindow(nullptr);
    if (main_frm == this)
        main_frm = nullptr;
}

QString Tmain_frm::webPageAddress() {
    return ProductLinks::webPage;
}

void Tmain_frm::buildStore() {
    skt_cy = new AdoConnection(this);
    skt_cy->setObjectName(QStringLiteral("skt_cy"));
    q_cy = new AdoQuery(this);
    q_cy->setObjectName(QStringLiteral("q_cy"));
    q_cy->setConnection(skt_cy);
    q_cy->setSql(kLookupSql);
    q_cy->setPreloadFields({columnName(Column::Code)}); // what the lookup box searches
    // A file that breaks while the codes are read: say so rather than miss idioms quietly.
    const auto readFailed = m_lifetime.guarded([this](const QString& message) {
        Dialogs::messageBox(this, message, QStringLiteral("错误"), Dialogs::Icon::Stop);
    });
    connect(q_cy, &AdoDataSet::fetchFailed, this, readFailed);
    tb_cy = new AdoTable(this);
    tb_cy->setObjectName(QStringLiteral("tb_cy"));
    connect(tb_cy, &AdoDataSet::fetchFailed, this, readFailed);
    tb_cy->setConnection(skt_cy);
    tb_cy->setTableName(QStringLiteral("cy"));
    ds_cy = new DataSource(this);
    ds_cy->setObjectName(QStringLiteral("ds_cy"));
    ds_cy->setDataSet(q_cy);
    ds_tbcy = new DataSource(this);
    ds_tbcy->setObjectName(QStringLiteral("ds_tbcy"));
    ds_tbcy->setDataSet(tb_cy);
}

void Tmain_frm::handle(void (Tmain_frm::*handler)()) {
    runGuarded([this, handler] { (this->*handler)(); });
}

auto Tmain_frm::handler(void (Tmain_frm::*method)()) {
    return m_lifetime.guarded([this, method](auto&&...) { handle(method); });
}

void Tmain_frm::wireEvents() {
    const auto bind = [this](auto* sender, auto signal, void (Tmain_frm::*method)()) {
        connect(sender, signal, this, handler(method));
    };
    bind(ui->DBLookupCombo1, &TDBLookupCombo::keyDown, &Tmain_frm::DBGrid1KeyDown);
    bind(ui->DBLookupCombo1, &TDBLookupCombo::keyPress, &Tmain_frm::DBLookupCombo1KeyPress);
    bind(ui->DBLookupCombo1, &TDBLookupCombo::keyUp, &Tmain_frm::DBLookupCombo1KeyUp);
    bind(ui->DBLookupCombo1, &TDBLookupCombo::mouseDown, &Tmain_frm::DBLookupCombo1MouseDown);
    bind(ui->DBLookupCombo1, &TDBLookupCombo::mouseUp, &Tmain_frm::DBGrid1MouseDown);
    bind(ui->DBLookupCombo1, &TDBLookupCombo::closeUp, &Tmain_frm::DBLookupCombo1CloseUp);
    bind(ui->DBGrid1, &TDBGrid::cellClick, &Tmain_frm::DBGrid1CellClick);
    bind(ui->DBGrid1, &TDBGrid::keyDown, &Tmain_frm::DBGrid1KeyDown);
    bind(ui->DBGrid1, &TDBGrid::keyPress, &Tmain_frm::DBGrid1KeyPress);
    bind(ui->DBGrid1, &TDBGrid::keyUp, &Tmain_frm::DBGrid1KeyDown);
    bind(ui->DBGrid1, &TDBGrid::mouseDown, &Tmain_frm::DBGrid1MouseDown);
    bind(ui->DBGrid1, &TDBGrid::mouseUp, &Tmain_frm::DBGrid1MouseDown);
    // The highlight depends on the box's text, so the list redraws as it changes.
    connect(ui->DBLookupCombo1->editor(), &QLineEdit::textChanged, ui->DBGrid1->viewport(),
            qOverload<>(&QWidget::update));
    ui->DBGrid1->setDrawColumnCell(
        m_lifetime.guarded([this](GridCellDraw& cell) { DBGrid1DrawColumnCell(cell); }));
    // Splitter1Paint after the splitter's own colour, which an empty bitmap leaves.
    ui->Splitter1->setPaintHandler(m_lifetime.guarded([this](QPainter& painter) {
        painter.fillRect(ui->Splitter1->rect(), ui->Splitter1->palette().window());
        if (m_background)
            m_background->tile(painter, ui->Splitter1->rect());
    }));

    const auto click = [&bind](QToolButton* button, void (Tmain_frm::*method)()) {
        bind(button, &QToolButton::clicked, method);
    };
    click(ui->allvbtn, &Tmain_frm::allvbtnClick);
    click(ui->priovbtn, &Tmain_frm::priovbtnClick);
    click(ui->nextbtn, &Tmain_frm::nextbtnClick);
    click(ui->dysqbtn, &Tmain_frm::dysqbtnClick);
    click(ui->bkbtn2, &Tmain_frm::bkbtn2Click);
    click(ui->copybtn, &Tmain_frm::copybtnClick);
    click(ui->savebtn, &Tmain_frm::savebtnClick);
    click(ui->openbtn, &Tmain_frm::openbtnClick);
    click(ui->cyglbtn, &Tmain_frm::cyglbtnClick);
    click(ui->helpbtn, &Tmain_frm::helpbtnClick);
    click(ui->setimagebtn, &Tmain_frm::setimagebtnClick);
    click(ui->fontbtn, &Tmain_frm::fontbtnClick);
    click(ui->defaultfont, &Tmain_frm::defaultfontClick);
    bind(ui->VyrRoundButton1, &TVyrRoundButton::clicked, &Tmain_frm::aboutmClick);
    click(ui->printbtn, &Tmain_frm::printbtnClick);
    click(ui->jsbtn, &Tmain_frm::jsbtnClick);
    click(ui->favbtn, &Tmain_frm::favbtnClick);
    click(ui->favmark, &Tmain_frm::favbtnClick);
    click(ui->favlistbtn, &Tmain_frm::favlistbtnClick);
    const auto shortcut = [this, &bind](const QKeySequence& keys, void (Tmain_frm::*method)()) {
        bind(new QShortcut(keys, this), &QShortcut::activated, method);
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_F), &Tmain_frm::jsbtnClick);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_D), &Tmain_frm::favbtnClick);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), &Tmain_frm::favlistbtnClick);
    bind(m_favourites, &FavouritesController::rowChosen, &Tmain_frm::favourites_frmRowChosen);

    MainWindowMenus& menus = *m_menus;
    menus.VyrPopupMenu1->OnPopup.bind(m_lifetime, handler(&Tmain_frm::VyrPopupMenu1Popup));
    bind(menus.copym, &QAction::triggered, &Tmain_frm::copymClick);
    bind(menus.selallm, &QAction::triggered, &Tmain_frm::selallmClick);
    bind(menus.hlpm, &QAction::triggered, &Tmain_frm::helpbtnClick);
    bind(menus.VyrMenuItem2, &QAction::triggered, &Tmain_frm::VyrMenuItem2Click);
    bind(menus.aboutm, &QAction::triggered, &Tmain_frm::aboutmClick);
    bind(menus.exitbtn, &QAction::triggered, &Tmain_frm::exitbtnClick);
    menus.TrayIcon1->OnClick.bind(m_lifetime, handler(&Tmain_frm::TrayIcon1Click));
    menus.TrayIcon1->OnAreaGone.bind(m_lifetime, handler(&Tmain_frm::leaveTray));
    connect(ui->RichEdit1, &QWidget::customContextMenuRequested, this,
            m_lifetime.guarded([this](const QPoint& pos) {
                const QPoint at = ui->RichEdit1->viewport()->mapToGlobal(pos);
                m_menus->VyrPopupMenu1->Popup(at.x(), at.y());
            }));
}

// Creation steps in their order; the first failure skips the rest (see handle()).
void Tmain_frm::FormCreate() {
    m_background = std::make_unique<BackgroundBitmap>();
    // Without stored values the entry is shown in the default font, not in none.
    m_entryFont = EntryFont::defaults();
    openStore();
    ui->RichEdit1->setParaFormat(kEntryParagraph);
    adaptToScreen();
    readSettings();
    ShowEntry();
}

void Tmain_frm::openStore() {
    skt_cy->setConnectionString(AdoConnection::buildConnectionString(AppPaths::executableFolder()));
    skt_cy->open();
    q_cy->open();
    q_cy->first();
}

void Tmain_frm::adaptToScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize size = screen->size();
    if (size == QSize(800, 600))
        return;
    m_restoredSize = QSize(m_restoredSize.width() * size.width() / 800,
                           m_restoredSize.height() * size.height() / 600);
    ScaleBy(this, size.width(), 800);
    resize(m_restoredSize);
}

void Tmain_frm::readSettings() {
    // The view's colour is kept as the colour value it was designed with.
    SettingsStore::ViewFont view{ui->RichEdit1->textFont().family(),
                                 ui->RichEdit1->textFont().pointSize(),
                                 ColourText::toColour(kViewDesignColour)};
    SettingsStore::readAtMainWindowCreation(
        [this](const QString& path) { m_background->load(path); }, view, m_entryFont);
    setViewFont(view.face, view.size, view.colour);
    update();
}

// Face, size and colour change; the style the view has (bold, italic ...) stays.
void Tmain_frm::setViewFont(const QString& face, int size, quint32 colour) {
    QFont font = ui->RichEdit1->textFont();
    font.setFamily(face);
    if (size > 0)
        font.setPointSize(size);
    ui->RichEdit1->setTextFont(font, toQColor(colour));
}

void Tmain_frm::ShowEntry() {
    ui->RichEdit1->setParaFormat(kEntryParagraph);
    // A store that failed to open shows an empty entry instead of an error per key.
    const IdiomEntry entry = q_cy->active() ? IdiomEntry::fromCurrentRow(*q_cy) : IdiomEntry{};
    ui->cymc->setText(entry.text(Column::Idiom));
    setViewFont(m_entryFont.fontname, m_entryFont.fontsize,
                ColourText::toColour(m_entryFont.fontcolor));
    ui->RichEdit1->setParagraphs(EntryText::screenParagraphs(entry));
    m_favourites->entryShown(entry);
}

void Tmain_frm::DBGrid1KeyDown() {
    ShowEntry();
}
void Tmain_frm::DBGrid1KeyPress() {
    ShowEntry();
}
void Tmain_frm::DBGrid1MouseDown() {
    ShowEntry();
}
void Tmain_frm::DBGrid1CellClick() {
    ShowEntry();
}
void Tmain_frm::DBLookupCombo1KeyPress() {
    ShowEntry();
}
void Tmain_frm::DBLookupCombo1KeyUp() {
    ShowEntry();
}
void Tmain_frm::DBLookupCombo1MouseDown() {
    ShowEntry();
}
void Tmain_frm::DBLookupCombo1CloseUp() {
    ShowEntry();
}

void Tmain_frm::FormResize() {
    SetEntryMargins();
}

// The strips are tiled by their own paint events; the window only keeps the margins.
void Tmain_frm::FormPaint() {
    SetEntryMargins();
}

void Tmain_frm::SetEntryMargins() {
    const QSize client = ui->RichEdit1->viewport()->size();
    const QRect wanted(10, 0, client.width() - 20, client.height());
    if (wanted != ui->RichEdit1->formattingRect())
        ui->RichEdit1->setFormattingRect(wanted);
}

void Tmain_frm::DBGrid1DrawColumnCell(GridCellDraw& cell) {
    const QString boxText = ui->DBLookupCombo1->text();
    // An empty box matches nothing: rows without a code are not marked at start.
    if (!boxText.isEmpty() && cell.fieldText(QStringLiteral("代码")) == boxText)
        cell.defaultDraw(QColor(0x00, 0x00, 0x80), Qt::white);
}

// The flag is read before the move: at an end the first press only sets it, the next one
// turns the button off. Either press turns the other button on.
void Tmain_frm::step(bool atEnd, void (AdoDataSet::*move)(), QToolButton* self,
                     QToolButton* other) {
    if (atEnd) {
        self->setEnabled(false);
    } else {
        (q_cy->*move)();
        self->setEnabled(true);
    }
    other->setEnabled(true);
    ShowEntry();
    ui->DBGrid1->setFocus();
}

void Tmain_frm::nextbtnClick() {
    step(q_cy->eof(), &AdoDataSet::next, ui->nextbtn, ui->priovbtn);
}

void Tmain_frm::priovbtnClick() {
    step(q_cy->bof(), &AdoDataSet::prior, ui->priovbtn, ui->nextbtn);
}

void Tmain_frm::dysqbtnClick() {
    ui->bkbtn2->setEnabled(true);
    m_savedBookmark = q_cy->bookmark();
}

void Tmain_frm::bkbtn2Click() {
    q_cy->gotoBookmark(m_savedBookmark);
    ShowEntry();
}

void Tmain_frm::allvbtnClick() {
    q_cy->close();
    q_cy->setSql(kLookupSql);
    q_cy->prepare();
    q_cy->open();
    ShowEntry();
}

void Tmain_frm::copybtnClick() {
    const QString idiom = q_cy->fieldText(QStringLiteral("成语"));
    QApplication::clipboard()->setText(idiom + QStringLiteral("\r\n"));
    m_favourites->entryUsed(IdiomEntry::fromCurrentRow(*q_cy));
}

void Tmain_frm::savebtnClick() {
    const IdiomEntry entry = IdiomEntry::fromCurrentRow(*q_cy);
    m_exportBuffer = EntryText::exportText(entry);
    const QString chosen = Dialogs::getSaveFileName(
        this,
        {QStringLiteral("文本文件(*.txt)|*.txt|所有文件[*.*]|*.*"),
         AppPaths::executableFolder() + entry.text(Column::Idiom) + QStringLiteral(".txt"), true});
    if (!chosen.isEmpty())
        SaveDialog1CanClose(chosen);
}

void Tmain_frm::SaveDialog1CanClose(const QString& fileName) {
    TextFile::write(fileName, TextCodec::toAnsi(m_exportBuffer));
    m_favourites->entryUsed(IdiomEntry::fromCurrentRow(*q_cy));
}

void Tmain_frm::openbtnClick() {
    const QString chosen = Dialogs::getOpenFileName(
        this, {QStringLiteral("文本文件(txt)|*.txt"),
               AppPaths::executableFolder() + QStringLiteral("*.txt"), false});
    if (!chosen.isEmpty())
        Shell::execute(this, QStringLiteral("open"), chosen);
}

// A new maintenance window for each opening; it destroys itself when it closes.
void Tmain_frm::cyglbtnClick() {
    (new Tappend_frm(tb_cy, ds_tbcy, this))->ShowModal();
}

void Tmain_frm::helpbtnClick() {
    const QString folder = AppPaths::executableFolder();
    const QString path = folder + QStringLiteral("cy.chm");
    if (QFileInfo(path).isFile()) {
        if (!Shell::open(this, QString(), path))
            Dialogs::messageBox(this,
                                QStringLiteral("没有找到能打开帮助文件的程序，请安装 CHM 阅读器"
                                               "（例如 xchm）后再试。\n帮助文件：") +
                                    path,
                                QStringLiteral("提示"), Dialogs::Icon::Stop);
    } else
        Dialogs::messageBox(this, folder + QStringLiteral("下没有找到帮助文件:cy.chm。"),
                            QStringLiteral("提示"), Dialogs::Icon::Stop);
}

void Tmain_frm::printbtnClick() {
    ui->ComboBox1->clear();
    ui->ComboBox1->addItems(Printer::current().printerNames());
    if (ui->ComboBox1->count() == 0) {
        Dialogs::messageBox(this, QStringLiteral("你需要安装打印机才能打印！"),
                            QStringLiteral("Error"), Dialogs::Icon::Stop);
        return;
    }
    // Released once its preview has closed: its engine gives the printer its paper back.
    auto window = std::make_unique<Tprint_frm>();
    window->fill(IdiomEntry::fromCurrentRow(*q_cy));
    m_favourites->entryUsed(IdiomEntry::fromCurrentRow(*q_cy));
    window->PrintAtOnce1->Preview();
}

void Tmain_frm::VyrMenuItem2Click() {
    Shell::execute(this, QString(), webPageAddress());
}

void Tmain_frm::VyrPopupMenu1Popup() {
    m_menus->copym->setEnabled(ui->RichEdit1->selectionLength() != 0);
}

void Tmain_frm::copymClick() {
    ui->RichEdit1->copy();
    m_menus->copym->setEnabled(false);
}

void Tmain_frm::selallmClick() {
    ui->RichEdit1->selectAll();
    m_menus->copym->setEnabled(true);
}

void Tmain_frm::exitbtnClick() {
    close();
}

void Tmain_frm::setimagebtnClick() {
    TImageform::showChooser(m_background.get(), this);
}

void Tmain_frm::fontbtnClick() {
    EntryFontButtons::chooseFont(*FontDialog1, *ui->RichEdit1, m_entryFont);
}

void Tmain_frm::defaultfontClick() {
    EntryFontButtons::restoreDefault(*ui->RichEdit1, m_entryFont);
}

void Tmain_frm::aboutmClick() {
    Tabout_frm::showAbout(this);
}

void Tmain_frm::TrayIcon1Click() {
    if (m_recordedState == wsMinimized) {
        setRecordedState(wsMaximized);
        m_menus->TrayIcon1->ShowMainWindow();
    } else {
        // Hidden first, then recorded: a window the desktop is still minimising when it
        // is hidden would come back minimised at the next show.
        m_menus->TrayIcon1->HideMainWindow();
        setRecordedState(wsMinimized);
    }
}

void Tmain_frm::leaveTray() {
    if (isVisible())
        return;
    if (m_recordedState == wsMinimized)
        setRecordedState(wsMaximized);
    m_menus->TrayIcon1->ShowMainWindow();
}

namespace {
constexpr Qt::WindowState kQtStates[] = {Qt::WindowNoState, Qt::WindowMinimized,
                                         Qt::WindowMaximized};
} // namespace

// A hidden window only keeps the state for its next show: changing the state of a window
// the desktop does not show would map it.
void Tmain_frm::setRecordedState(TWindowState state) {
    m_recordedState = state;
    if (isVisible())
        applyRecordedState();
}

void Tmain_frm::applyRecordedState() {
    m_applyingState = true;
    setWindowState(kQtStates[m_recordedState]);
    m_applyingState = false;
}

void Tmain_frm::setVisible(bool visible) {
    if (visible && !isVisible() && windowState() != kQtStates[m_recordedState]) {
        // A window the desktop minimised before it was hidden comes back as a new native
        // window: the old one may still be taken for minimised by the window manager.
        if (isMinimized() && m_recordedState != wsMinimized && testAttribute(Qt::WA_WState_Created))
            destroy(true, true);
        applyRecordedState();
    }
    QMainWindow::setVisible(visible);
}

void Tmain_frm::jsbtnClick() {
    if (!m_search) {
        m_search = new Tsearch_frm(q_cy, this);
        connect(m_search, &Tsearch_frm::rowChosen, this, handler(&Tmain_frm::search_frmRowChosen));
    }
    m_search->open();
}

// The search moved q_cy as a click in the list would; the entry follows the same way.
void Tmain_frm::search_frmRowChosen() {
    ShowEntry();
}

void Tmain_frm::favbtnClick() {
    m_favourites->toggleShown();
}

void Tmain_frm::favlistbtnClick() {
    m_favourites->openWindow();
}

// The side window moved q_cy as a click in the list would; the entry follows the same way.
void Tmain_frm::favourites_frmRowChosen() {
    ShowEntry();
}

void Tmain_frm::FormClose() {
    q_cy->close();
    skt_cy->close();
    m_background.reset();
    QCoreApplication::quit();
}

void Tmain_frm::closeEvent(QCloseEvent* event) {
    if (!m_closed) {
        m_closed = true;
        handle(&Tmain_frm::FormClose);
    }
    event->accept();
}

void Tmain_frm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    handle(&Tmain_frm::FormResize);
}

void Tmain_frm::paintEvent(QPaintEvent* event) {
    handle(&Tmain_frm::FormPaint);
    QMainWindow::paintEvent(event);
}

void Tmain_frm::changeEvent(QEvent* event) {
    // The record follows the window's own changes; a minimise is the program's.
    if (event->type() == QEvent::WindowStateChange && !m_applyingState && !isMinimized())
        m_recordedState = isMaximized() ? wsMaximized : wsNormal;
    QMainWindow::changeEvent(event);
}

bool Tmain_frm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->RichEdit1 && event->type() == QEvent::Resize) {
        SetEntryMargins();
    } else if (event->type() == QEvent::Paint && watched->property("tileArea").toBool() &&
               m_background) {
        auto* area = static_cast<QWidget*>(watched);
        QPainter painter(area);
        // Without a picture the strip keeps the window's colour.
        if (m_background->isEmpty())
            painter.fillRect(area->rect(), palette().window());
        m_background->tile(painter, area->rect());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace quorvane

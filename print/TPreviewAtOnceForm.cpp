#include "print/TPreviewAtOnceForm.h"
#include "ui_preview_frm.h"

#include "platform/Canvas.h"
#include "platform/HandlerGuard.h"
#include "platform/Printer.h"
#include "print/PreviewPage.h"
#include "print/TPrintAtOnce.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMetaEnum>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

#include <cmath>

namespace quorvane {

namespace {
constexpr double kZoomStep = 1.5;
constexpr double kZoomMax = 25;
constexpr double kZoomMin = 0.04;

// The tool buttons' glyphs, drawn rather than stored.
QIcon glyph(int kind, bool enabled) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = enabled ? QColor(0, 0, 0x80) : QColor(0x80, 0x80, 0x80);
    p.setPen(QPen(ink, 1.6));
    switch (kind) {
    case 0: // printer
        p.drawRect(QRectF(3, 8, 14, 7));
        p.drawRect(QRectF(6, 3, 8, 5));
        p.drawRect(QRectF(6, 13, 8, 5));
        break;
    case 1: // printer with a gear
        p.drawRect(QRectF(2, 8, 12, 6));
        p.drawRect(QRectF(5, 4, 6, 4));
        p.drawEllipse(QPointF(15, 15), 3.5, 3.5);
        break;
    case 2: // magnifier +
    case 3: // magnifier -
        p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
        p.drawLine(QPointF(12, 12), QPointF(18, 18));
        p.drawLine(QPointF(5, 8), QPointF(11, 8));
        if (kind == 2)
            p.drawLine(QPointF(8, 5), QPointF(8, 11));
        break;
    default: // close
        p.drawLine(QPointF(4, 4), QPointF(16, 16));
        p.drawLine(QPointF(16, 4), QPointF(4, 16));
    }
    p.end();
    return QIcon(pixmap);
}

QIcon glyphPair(int kind) {
    QIcon icon = glyph(kind, true);
    icon.addPixmap(glyph(kind, false).pixmap(20, 20), QIcon::Disabled);
    return icon;
}
} // namespace

TPreviewAtOnceForm::TPreviewAtOnceForm(QWidget* parent) : QDialog(parent) {
    ui = std::make_unique<Ui::TPreviewAtOnceForm>();
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose, false);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(15);
    setFont(font);
    ui->PrintBtn->setIcon(glyphPair(0));
    ui->PrinterSetupBtn->setIcon(glyphPair(1));
    ui->ZoomInBtn->setIcon(glyphPair(2));
    ui->ZoomOutBtn->setIcon(glyphPair(3));
    ui->CloseBtn->setIcon(glyph(4, true));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    wireEvents();
    FormCreate();
}

TPreviewAtOnceForm::~TPreviewAtOnceForm() {
    Timer1->stop();
}

void TPreviewAtOnceForm::guarded(void (TPreviewAtOnceForm::*handler)()) {
    runGuarded([this, handler] { (this->*handler)(); });
}

void TPreviewAtOnceForm::wireEvents() {
    const auto click = [this](QToolButton* button, void (TPreviewAtOnceForm::*handler)()) {
        connect(button, &QToolButton::clicked, this, [this, handler] { guarded(handler); });
    };
    click(ui->PrintBtn, &TPreviewAtOnceForm::PrintBtnClick);
    click(ui->PrinterSetupBtn, &TPreviewAtOnceForm::PrinterSetupBtnClick);
    click(ui->ZoomInBtn, &TPreviewAtOnceForm::ZoomInBtnClick);
    click(ui->ZoomOutBtn, &TPreviewAtOnceForm::ZoomOutBtnClick);
    click(ui->CloseBtn, &TPreviewAtOnceForm::CloseBtnClick);
    connect(ui->ComboBox1, &QComboBox::activated, this,
            [this] { guarded(&TPreviewAtOnceForm::ComboBox1Change); });
    connect(ui->SpinEdit1, &QSpinBox::valueChanged, this,
            [this] { guarded(&TPreviewAtOnceForm::SpinEdit1Change); });
    connect(ui->SpinEdit2, &QSpinBox::valueChanged, this,
            [this] { guarded(&TPreviewAtOnceForm::SpinEdit2Change); });
    connect(Timer1, &QTimer::timeout, this, [this] { guarded(&TPreviewAtOnceForm::Timer1Timer); });
}

void TPreviewAtOnceForm::FormCreate() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize(800, 600);
    setGeometry(0, 0, size.width(), size.height());
    move(0, 0);
    Ready = true;
    const QMetaEnum papers = QMetaEnum::fromType<PrintTypes::TPaperSize>();
    ui->ComboBox1->clear();
    for (int i = 0; i < papers.keyCount(); ++i)
        ui->ComboBox1->addItem(QString::fromLatin1(papers.key(i)));
    RefreshPrinter();
}

void TPreviewAtOnceForm::bind(TPrintAtOnce* engine) {
    m_engine = engine;
}

void TPreviewAtOnceForm::lock() {
    m_locked = true;
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
}

QRect TPreviewAtOnceForm::placeOnScreen() const {
    const QScreen* shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!shownOn)
        return geometry();
    // The frame the window manager adds goes inside the screen's free area too.
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    return shownOn->availableGeometry().marginsRemoved(margins);
}

// A locked window goes back to its place and size whatever the window manager did to it:
// no minimising, maximising, moving or sizing.
void TPreviewAtOnceForm::keepPlace() {
    m_placePending = false;
    if (!isVisible())
        return;
    if (m_locked &&
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        setWindowState(Qt::WindowNoState);
        showNormal();
        activateWindow();
    }
    const QRect place = placeOnScreen();
    if (place == geometry() || place.isEmpty())
        return;
    if (m_locked)
        setFixedSize(place.size());
    setGeometry(place);
}

void TPreviewAtOnceForm::askPlace() {
    if (m_placePending || !isVisible())
        return;
    m_placePending = true;
    QTimer::singleShot(0, this, &TPreviewAtOnceForm::keepPlace);
}

void TPreviewAtOnceForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    askPlace();
}

void TPreviewAtOnceForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && m_locked)
        askPlace();
}

void TPreviewAtOnceForm::selectPaper(int index) {
    ui->ComboBox1->setCurrentIndex(index);
    ComboBox1Change();
}

QList<PreviewPage*> TPreviewAtOnceForm::pages() const {
    QList<PreviewPage*> result;
    for (QObject* child : ui->ScrollBox1->widget()->children())
        if (auto* page = qobject_cast<PreviewPage*>(child))
            result << page;
    return result;
}

void TPreviewAtOnceForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ui->SpeedBar->setGeometry(0, 0, width(), 33);
    ui->ScrollBox1->setGeometry(0, 33, width(), height() - 33);
    if (m_locked && m_engine)
        askPlace();
}

void TPreviewAtOnceForm::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    // A locked window stays where it was put; only its buttons close it.
    if (m_locked && m_engine)
        askPlace();
}

void TPreviewAtOnceForm::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

void TPreviewAtOnceForm::FormClose() {
    Timer1->stop();
}

void TPreviewAtOnceForm::RefreshPrinter() {
    Printer& printer = Printer::current();
    const QSize page = printer.pageSizePx();
    const int ppiX = std::max(1, printer.pixelsPerInchX());
    const int ppiY = std::max(1, printer.pixelsPerInchY());
    PageWidthPx = double(page.width()) * logicalDpiX() / ppiX;
    PageHeightPx = double(page.height()) * logicalDpiY() / ppiY;
    for (QObject* child : ui->ScrollBox1->widget()->children())
        if (child->isWidgetType())
            delete child;
    Zoom = 1.0;
    ui->ScrollBox1->widget()->resize(10, 10);
    if (m_engine)
        m_engine->RenderPages();
    fitContents();
}

void TPreviewAtOnceForm::NewPage() {
    QWidget* area = ui->ScrollBox1->widget();
    int top = 10;
    for (PreviewPage* page : pages())
        if (top < page->geometry().bottom() + 1)
            top = page->geometry().bottom() + 1 + 20;
    const QSize pixels(TPrintAtOnce::round(PageWidthPx), TPrintAtOnce::round(PageHeightPx));
    auto* page = new PreviewPage(pixels, logicalDpiY(), area);
    page->setObjectName(QStringLiteral("Image%1").arg(m_engine ? m_engine->Page : 1));
    page->setGeometry(10, top, TPrintAtOnce::round(PageWidthPx * Zoom),
                      TPrintAtOnce::round(PageHeightPx * Zoom));
    page->show();
    auto canvas = std::make_unique<Canvas>(page->image());
    const int w = page->image().width();
    const int h = page->image().height();
    canvas->setPen({PenStyle::DashDot, 1, 0});
    const int ox = m_engine ? m_engine->OffsetX : 0;
    const int oy = m_engine ? m_engine->OffsetY : 0;
    const int orr = m_engine ? m_engine->OffsetRight : 0;
    const int ob = m_engine ? m_engine->OffsetBottom : 0;
    canvas->moveTo(ox, 0);
    canvas->lineTo(ox, h);
    canvas->moveTo(w - orr, 0);
    canvas->lineTo(w - orr, h);
    canvas->moveTo(0, oy);
    canvas->lineTo(w, oy);
    canvas->moveTo(0, h - ob);
    canvas->lineTo(w, h - ob);
    canvas->setPen({PenStyle::Solid, 1, 0});
    // The engine draws in the printer's pixels; the picture shows them smaller.
    const Printer& printer = Printer::current();
    canvas->setLogicalResolution(std::max(1, printer.pixelsPerInchX()),
                                 std::max(1, printer.pixelsPerInchY()));
    fitContents();
    if (m_engine)
        m_engine->setCanvas(std::move(canvas));
}

void TPreviewAtOnceForm::fitContents() {
    QRect all(0, 0, 1, 1);
    for (PreviewPage* page : pages())
        all |= page->geometry();
    ui->ScrollBox1->widget()->resize(all.right() + 11, all.bottom() + 11);
}

void TPreviewAtOnceForm::ComboBox1Change() {
    if (!m_engine)
        return;
    Timer1->stop();
    Ready = false;
    m_engine->setPaperSize(PrintTypes::TPaperSize(ui->ComboBox1->currentIndex()));
    ui->SpinEdit1->setValue(m_engine->paperWidth());
    ui->SpinEdit2->setValue(m_engine->paperHeight());
    const bool custom = m_engine->paperSize() == PrintTypes::Custom;
    ui->SpinEdit1->setReadOnly(!custom);
    ui->SpinEdit2->setReadOnly(!custom);
    Ready = true;
    RefreshPrinter();
}

void TPreviewAtOnceForm::SpinEdit1Change() {
    Timer1->stop();
    if (m_engine)
        m_engine->setPaperWidth(ui->SpinEdit1->value());
    if (Ready)
        Timer1->start();
}

void TPreviewAtOnceForm::SpinEdit2Change() {
    Timer1->stop();
    if (m_engine)
        m_engine->setPaperHeight(ui->SpinEdit2->value());
    if (Ready)
        Timer1->start();
}

void TPreviewAtOnceForm::Timer1Timer() {
    Timer1->stop();
    RefreshPrinter();
}

void TPreviewAtOnceForm::PrinterSetupBtnClick() {
    Printer& printer = Printer::current();
    const std::optional<QPageSize> before = printer.paperSize();
    if (!printer.setupDialog(this, {QStringLiteral("打印设置"), QStringLiteral("确定")}))
        return;
    // Confirming without touching the paper keeps the one chosen here; only a paper the
    // user picked in the dialog makes the pages follow the printer's.
    const std::optional<QPageSize> after = printer.paperSize();
    const bool samePaper =
        before.has_value() == after.has_value() && (!before || before->isEquivalentTo(*after));
    if (samePaper) {
        RefreshPrinter();
        return;
    }
    ui->ComboBox1->setCurrentIndex(0);
    ComboBox1Change();
}

void TPreviewAtOnceForm::RefreshFector() {
    for (PreviewPage* page : pages())
        page->resize(TPrintAtOnce::round(PageWidthPx * Zoom),
                     TPrintAtOnce::round(PageHeightPx * Zoom));
}

void TPreviewAtOnceForm::ZoomInBtnClick() {
    if (Zoom >= kZoomMax)
        return;
    Zoom *= kZoomStep;
    RefreshFector();
    ui->ZoomInBtn->setEnabled(!(Zoom > kZoomMax));
    ui->ZoomOutBtn->setEnabled(!(Zoom < kZoomMin));
    ArrangePaper();
}

void TPreviewAtOnceForm::ZoomOutBtnClick() {
    if (Zoom <= kZoomMin)
        return;
    Zoom /= kZoomStep;
    RefreshFector();
    ui->ZoomInBtn->setEnabled(!(Zoom > kZoomMax));
    ui->ZoomOutBtn->setEnabled(!(Zoom < kZoomMin));
    ArrangePaper();
}

void TPreviewAtOnceForm::ArrangePaper() {
    QWidget* area = ui->ScrollBox1->widget();
    QList<QWidget*> controls;
    for (QObject* child : area->children())
        if (child->isWidgetType())
            controls << static_cast<QWidget*>(child);
    if (controls.isEmpty())
        return;
    for (QWidget* control : controls)
        if (!qobject_cast<PreviewPage*>(control))
            return;
    ui->ScrollBox1->horizontalScrollBar()->setValue(0);
    ui->ScrollBox1->verticalScrollBar()->setValue(0);
    const int w = controls.first()->width();
    const int h = controls.first()->height();
    const int perRow = std::max(1, ui->ScrollBox1->width() / (w + 20));
    for (int i = 0; i < controls.size(); ++i) {
        const int r = i / perRow;
        const int c = i % perRow;
        controls[i]->move(c * (w + 10) + 10, r * (h + 10) + 10);
    }
    fitContents();
}

void TPreviewAtOnceForm::PrintBtnClick() {
    if (m_engine)
        m_engine->Print();
    close();
}

void TPreviewAtOnceForm::CloseBtnClick() {
    close();
}

} // namespace quorvane

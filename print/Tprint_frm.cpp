#include "print/Tprint_frm.h"

#include "data/EntryText.h"
#include "data/IdiomEntry.h"
#include "platform/Canvas.h"
#include "platform/TextCodec.h"
#include "print/ControlTree.h"
#include "print/TPrintAtOnce.h"

#include <algorithm>

namespace quorvane {

Tprint_frm* print_frm = nullptr;

namespace {
// The page the layout is meant for: A4 at the design resolution, less the margins.
constexpr int kDesignPpi = 96;

QFont pixelFont(const QString& face, int pixels, bool bold) {
    QFont font(face);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
} // namespace

Tprint_frm::Tprint_frm(QWidget* parent) : QWidget(parent) {
    setupUi(this);
    print_frm = this;
    setWindowFlags(Qt::Dialog);
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPixelSize(11);
    setFont(windowFont);
    cymc->setFont(pixelFont(QStringLiteral("楷体_GB2312"), 24, true));
    QPalette text = cymc->palette();
    text.setColor(QPalette::WindowText, Qt::black);
    cymc->setPalette(text);
    RichEdit1->setTextFont(pixelFont(QStringLiteral("宋体"), 16, false), Qt::black);
    QPalette white = RichEdit1->palette();
    white.setColor(QPalette::Base, Qt::white);
    RichEdit1->setPalette(white);

    PrintAtOnce1 = new TPrintAtOnce(this);
    PrintAtOnce1->setObjectName(QStringLiteral("PrintAtOnce1"));
    // Stored in this order: the named paper reaches the printer as the window loads.
    PrintAtOnce1->setControl(Panel1);
    PrintAtOnce1->WinControlPrintType = PrintTypes::ptNone;
    PrintAtOnce1->Options = PrintTypes::poAllWinControl | PrintTypes::poFontColor;
    PrintAtOnce1->LogyPreview = true;
    PrintAtOnce1->setPaperSize(PrintTypes::A4);
    PrintAtOnce1->setPaperWidth(2100);
    PrintAtOnce1->setPaperHeight(2970);
    QFont title(QStringLiteral("MS Sans Serif"));
    title.setPixelSize(16);
    title.setBold(true);
    title.setItalic(true);
    PrintAtOnce1->setTitleFont(title);
    FormCreate();
}

Tprint_frm::~Tprint_frm() {
    if (print_frm == this)
        print_frm = nullptr;
}

// The layout stays at its design size whatever the screen: scaled up with the screen, the
// text box ran past the printable width of the sheet and the ends of lines were lost.
void Tprint_frm::FormCreate() {
    resize(644, 465);
}

void Tprint_frm::fill(const IdiomEntry& entry) {
    cymc->setText(entry.text(Column::Idiom));
    cymc->adjustSize();
    RichEdit1->clear();
    RichEdit1->setPlainText(EntryText::screenParagraphs(entry).join(u'\n'));
    fitText();
}

// The printed entry keeps every word the page can hold: the buffer takes the whole text,
// and the box grows to the text's height, up to the page's content band.
void Tprint_frm::fitText() {
    const QString text = ControlTree::windowText(RichEdit1);
    const int units = int(TextCodec::toAnsi(text).size());
    PrintAtOnce1->MaxTextCount = std::max(1024, units + 1);

    QImage probe(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = int(kDesignPpi / 0.0254 + 0.5);
    probe.setDotsPerMeterX(dotsPerMeter);
    probe.setDotsPerMeterY(dotsPerMeter);
    Canvas canvas(probe);
    canvas.setFont(ControlTree::fontOf(RichEdit1, kDesignPpi, kDesignPpi));
    canvas.setLineSpacing(ControlTree::lineSpacing(RichEdit1));
    // The engine insets left-aligned text by two pixels; one more keeps rounding on paper
    // from wrapping a line later than here.
    QRect box(0, 0, RichEdit1->width() - 2 - canvas.textWidth(QStringLiteral("W")), 1);
    canvas.drawText(text, box, DT::NOPREFIX | DT::EXPANDTABS | DT::WORDBREAK | DT::CALCRECT);
    const int lineHeight = canvas.textHeight(QStringLiteral("Wg"));
    const int pageBand = TPrintAtOnce::round(2970 / 254.0 * kDesignPpi) - PrintAtOnce1->OffsetY -
                         PrintAtOnce1->OffsetBottom;
    const int wanted = std::clamp(box.height() + lineHeight, 410, pageBand - RichEdit1->y());
    RichEdit1->resize(RichEdit1->width(), wanted);
    Panel1->resize(Panel1->width(), RichEdit1->y() + wanted);
    resize(width(), Panel1->height());
}

} // namespace quorvane

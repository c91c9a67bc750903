#include "print/Tprint_frm.h"
#include "ui_print_frm.h"

#include "data/EntryText.h"
#include "data/IdiomEntry.h"
#include "platform/TextCodec.h"
#include "print/ControlTree.h"
#include "print/TPrintAtOnce.h"

#include <algorithm>

namespace quorvane {

Tprint_frm* print_frm = nullptr;

namespace {
QFont pixelFont(const QString& face, int pixels, bool bold) {
    QFont font(face);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
} // namespace

Tprint_frm::Tprint_frm(QWidget* parent) : QWidget(parent) {
    ui = std::make_unique<Ui::Tprint_frm>();
    ui->setupUi(this);
    print_frm = this;
    setWindowFlags(Qt::Dialog);
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPixelSize(11);
    setFont(windowFont);
    ui->cymc->setFont(pixelFont(QStringLiteral("楷体_GB2312"), 24, true));
    QPalette text = ui->cymc->palette();
    text.setColor(QPalette::WindowText, Qt::black);
    ui->cymc->setPalette(text);
    ui->RichEdit1->setTextFont(pixelFont(QStringLiteral("宋体"), 16, false), Qt::black);
    QPalette white = ui->RichEdit1->palette();
    white.setColor(QPalette::Base, Qt::white);
    ui->RichEdit1->setPalette(white);

    PrintAtOnce1 = new TPrintAtOnce(this);
    PrintAtOnce1->setObjectName(QStringLiteral("PrintAtOnce1"));
    // Stored in this order: the named paper reaches the printer as the window loads.
    PrintAtOnce1->setControl(ui->Panel1);
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
    PrintAtOnce1->GrowMemos = true;
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
    ui->cymc->setText(entry.text(Column::Idiom));
    ui->cymc->adjustSize();
    ui->RichEdit1->clear();
    ui->RichEdit1->setPlainText(EntryText::screenParagraphs(entry).join(u'\n'));
    fitText();
}

// The printed entry keeps every word: the buffer takes the whole text, and the engine lets
// the text run on past its box, onto the next page when the sheet is full.
void Tprint_frm::fitText() {
    const int units = int(TextCodec::toAnsi(ControlTree::windowText(ui->RichEdit1)).size());
    PrintAtOnce1->MaxTextCount = std::max(1024, units + 1);
}

} // namespace quorvane

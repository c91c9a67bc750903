#include "platform/FontDialog.h"

#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvane {
namespace {
constexpr FontDialog::NamedColour kColours[16] = {
    {0x000000, "clBlack"},  {0x000080, "clMaroon"},  {0x008000, "clGreen"}, {0x008080, "clOlive"},
    {0x800000, "clNavy"},   {0x800080, "clPurple"},  {0x808000, "clTeal"},  {0x808080, "clGray"},
    {0xC0C0C0, "clSilver"}, {0x0000FF, "clRed"},     {0x00FF00, "clLime"},  {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},   {0xFF00FF, "clFuchsia"}, {0xFFFF00, "clAqua"},  {0xFFFFFF, "clWhite"}};

// The Windows faces the program names; they stand for installed faces (see FontFaces).
const QStringList kWindowsFaces = {QStringLiteral("宋体"), QStringLiteral("新宋体"),
                                   QStringLiteral("仿宋_GB2312"), QStringLiteral("楷体_GB2312"),
                                   QStringLiteral("黑体")};
const QStringList kStyles = {QStringLiteral("常规"), QStringLiteral("倾斜"), QStringLiteral("粗体"),
                             QStringLiteral("粗偏斜体")};
const QList<int> kSizes = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

struct Charset {
    int value;
    const char* name;
    QFontDatabase::WritingSystem system;
};
const Charset kCharsets[] = {{0, "西方", QFontDatabase::Latin},
                             {134, "中文 GB2312", QFontDatabase::SimplifiedChinese},
                             {136, "中文 Big5", QFontDatabase::TraditionalChinese},
                             {128, "日文", QFontDatabase::Japanese},
                             {129, "韩文", QFontDatabase::Korean},
                             {161, "希腊语", QFontDatabase::Greek},
                             {204, "西里尔语", QFontDatabase::Cyrillic}};

QColor qtColour(quint32 value) {
    return QColor(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF));
}

QIcon swatch(quint32 value) {
    QPixmap pixmap(24, 12);
    pixmap.fill(qtColour(value));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 23, 11);
    return QIcon(pixmap);
}

struct ScriptState {
    QList<std::optional<FontDialog::Font>> answers;
    QList<FontDialog::Font> opened;
};
ScriptState& script() {
    static ScriptState state;
    return state;
}

QListWidget* makeList(QWidget* parent, const QString& name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    return list;
}
} // namespace

QList<FontDialog::NamedColour> FontDialog::colourList() {
    return QList<NamedColour>(std::begin(kColours), std::end(kColours));
}

FontDialog::FontDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("字体"));
}

// The controls are made on the first run: listing every installed face costs time that
// the program's start-up should not pay.
void FontDialog::buildControls() {
    m_faceEdit = new QLineEdit(this);
    m_faceList = makeList(this, QStringLiteral("faceList"));
    m_styleList = makeList(this, QStringLiteral("styleList"));
    m_sizeEdit = new QLineEdit(this);
    m_sizeList = makeList(this, QStringLiteral("sizeList"));
    m_strikeOut = new QCheckBox(this);
    m_underline = new QCheckBox(this);
    m_colour = new QComboBox(this);
    m_sample = new QLabel(this);
    m_charset = new QComboBox(this);
    m_faceEdit->setObjectName(QStringLiteral("faceEdit"));
    m_faceEdit->setMaxLength(kLongestFace);
    m_sizeEdit->setObjectName(QStringLiteral("sizeEdit"));
    m_strikeOut->setObjectName(QStringLiteral("strikeOutBox"));
    m_strikeOut->setText(QStringLiteral("删除线(&K)"));
    m_underline->setObjectName(QStringLiteral("underlineBox"));
    m_underline->setText(QStringLiteral("下划线(&U)"));
    m_colour->setObjectName(QStringLiteral("colourBox"));
    m_sample->setObjectName(QStringLiteral("sample"));
    m_sample->setText(QStringLiteral("AaBb成语词典"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumSize(180, 56);
    m_charset->setObjectName(QStringLiteral("charsetBox"));

    QStringList faces = kWindowsFaces;
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(family) && !faces.contains(family))
            faces << family;
    m_faceList->addItems(faces);
    m_styleList->addItems(kStyles);
    for (int size : kSizes)
        m_sizeList->addItem(QString::number(size));
    for (const NamedColour& colour : kColours)
        m_colour->addItem(swatch(colour.value), QString::fromLatin1(colour.name), colour.value);

    auto* grid = new QGridLayout;
    const auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    auto* styleShown = new QLineEdit(this);
    styleShown->setObjectName(QStringLiteral("styleEdit"));
    styleShown->setReadOnly(true);
    grid->addWidget(label(QStringLiteral("字体(&F)："), m_faceEdit), 0, 0);
    grid->addWidget(label(QStringLiteral("字形(&Y)："), m_styleList), 0, 1);
    grid->addWidget(label(QStringLiteral("大小(&S)："), m_sizeEdit), 0, 2);
    grid->addWidget(m_faceEdit, 1, 0);
    grid->addWidget(styleShown, 1, 1);
    grid->addWidget(m_sizeEdit, 1, 2);
    grid->addWidget(m_faceList, 2, 0);
    grid->addWidget(m_styleList, 2, 1);
    grid->addWidget(m_sizeList, 2, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);

    auto* effects = new QGroupBox(QStringLiteral("效果"), this);
    auto* effectsLayout = new QVBoxLayout(effects);
    effectsLayout->addWidget(m_strikeOut);
    effectsLayout->addWidget(m_underline);
    effectsLayout->addWidget(label(QStringLiteral("颜色(&C)："), m_colour));
    effectsLayout->addWidget(m_colour);
    auto* sample = new QGroupBox(QStringLiteral("示例"), this);
    auto* sampleLayout = new QVBoxLayout(sample);
    sampleLayout->addWidget(m_sample);
    sampleLayout->addWidget(label(QStringLiteral("字符集(&R)："), m_charset));
    sampleLayout->addWidget(m_charset);
    grid->addWidget(effects, 3, 0);
    grid->addWidget(sample, 3, 1, 1, 2);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("okButton"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancelButton"));
    auto* outer = new QHBoxLayout(this);
    outer->addLayout(grid, 1);
    outer->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &FontDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FontDialog::reject);

    connect(m_faceList, &QListWidget::currentTextChanged, this, [this](const QString& face) {
        if (face.isEmpty())
            return;
        m_faceEdit->setText(face);
        fillCharsets(m_charset->currentData().toInt());
    });
    connect(m_faceEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        const auto found = m_faceList->findItems(text, Qt::MatchStartsWith);
        if (!found.isEmpty())
            m_faceList->scrollToItem(found.first());
        updateSample();
    });
    connect(m_styleList, &QListWidget::currentTextChanged, styleShown, &QLineEdit::setText);
    connect(m_sizeList, &QListWidget::currentTextChanged, m_sizeEdit, &QLineEdit::setText);
    for (QListWidget* list : {m_styleList, m_sizeList})
        connect(list, &QListWidget::currentRowChanged, this, &FontDialog::updateSample);
    connect(m_sizeEdit, &QLineEdit::textChanged, this, &FontDialog::updateSample);
    connect(m_faceEdit, &QLineEdit::textChanged, this, &FontDialog::updateSample);
    for (QCheckBox* box : {m_strikeOut, m_underline})
        connect(box, &QCheckBox::toggled, this, &FontDialog::updateSample);
    connect(m_colour, &QComboBox::currentIndexChanged, this, &FontDialog::updateSample);
    resize(520, 400);
}

void FontDialog::fillCharsets(int wanted) {
    const QString face = m_faceEdit->text();
    // A Windows face stands for its substitute; its scripts are the substitute's.
    const QStringList substitutes = QFont::substitutes(face);
    const QString family = substitutes.isEmpty() ? face : substitutes.first();
    const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
    m_charset->clear();
    for (const Charset& charset : kCharsets)
        if (systems.contains(charset.system) || charset.value == wanted)
            m_charset->addItem(QString::fromUtf8(charset.name), charset.value);
    if (m_charset->findData(wanted) < 0)
        m_charset->addItem(QString::number(wanted), wanted);
    m_charset->setCurrentIndex(m_charset->findData(wanted));
}

void FontDialog::showFont(const Font& font) {
    m_faceEdit->setText(font.face);
    const auto faces = m_faceList->findItems(font.face, Qt::MatchFixedString);
    {
        const QSignalBlocker block(m_faceList);
        m_faceList->setCurrentItem(faces.isEmpty() ? nullptr : faces.first());
    }
    if (!faces.isEmpty())
        m_faceList->scrollToItem(faces.first(), QAbstractItemView::PositionAtCenter);
    m_styleList->setCurrentRow((font.bold ? 2 : 0) + (font.italic ? 1 : 0));
    m_sizeEdit->setText(QString::number(font.size));
    const auto sizes = m_sizeList->findItems(QString::number(font.size), Qt::MatchExactly);
    {
        const QSignalBlocker block(m_sizeList);
        m_sizeList->setCurrentItem(sizes.isEmpty() ? nullptr : sizes.first());
    }
    m_strikeOut->setChecked(font.strikeOut);
    m_underline->setChecked(font.underline);
    // A colour outside the list is kept as an entry of its own, named as the program writes it.
    int index = m_colour->findData(font.colour);
    if (index < 0) {
        m_colour->addItem(swatch(font.colour),
                          QStringLiteral("$%1").arg(font.colour, 8, 16, QLatin1Char('0')).toUpper(),
                          font.colour);
        index = m_colour->count() - 1;
    }
    m_colour->setCurrentIndex(index);
    fillCharsets(font.charset);
    updateSample();
}

FontDialog::Font FontDialog::chosenFont() const {
    Font font;
    font.face = m_faceEdit->text().trimmed();
    font.size = m_sizeEdit->text().trimmed().toInt();
    const int style = qMax(0, m_styleList->currentRow());
    font.bold = style >= 2;
    font.italic = style % 2 == 1;
    font.underline = m_underline->isChecked();
    font.strikeOut = m_strikeOut->isChecked();
    font.colour = m_colour->currentData().toUInt();
    font.charset = m_charset->currentData().toInt();
    return font;
}

void FontDialog::updateSample() {
    const Font font = chosenFont();
    QFont shown(font.face.isEmpty() ? m_sample->font().family() : font.face);
    if (font.size > 0 && font.size <= 72)
        shown.setPointSize(font.size);
    shown.setBold(font.bold);
    shown.setItalic(font.italic);
    shown.setUnderline(font.underline);
    shown.setStrikeOut(font.strikeOut);
    m_sample->setFont(shown);
    QPalette colours = m_sample->palette();
    colours.setColor(QPalette::WindowText, qtColour(font.colour));
    m_sample->setPalette(colours);
}

void FontDialog::accept() {
    const Font font = chosenFont();
    bool isNumber = false;
    const int size = m_sizeEdit->text().trimmed().toInt(&isNumber);
    if (font.face.isEmpty()) {
        Dialogs::messageBox(this, QStringLiteral("请输入字体名称。"), QStringLiteral("字体"),
                            Dialogs::Icon::Warning);
        m_faceEdit->setFocus();
        return;
    }
    if (!isNumber || size < 1 || size > kLargestSize) {
        Dialogs::messageBox(this,
                            QStringLiteral("大小必须是 1 到 %1 之间的整数。").arg(kLargestSize),
                            QStringLiteral("字体"), Dialogs::Icon::Warning);
        m_sizeEdit->setFocus();
        return;
    }
    m_font = font;
    QDialog::accept();
}

bool FontDialog::execute() {
    if (Dialogs::Script::active()) {
        script().opened.append(m_font);
        const std::optional<Font> answer =
            script().answers.isEmpty() ? std::nullopt : script().answers.takeFirst();
        if (answer)
            m_font = *answer;
        return answer.has_value();
    }
    if (!m_faceEdit)
        buildControls();
    showFont(m_font);
    return exec() == QDialog::Accepted;
}

void FontDialog::queueAnswer(const std::optional<Font>& answer) {
    script().answers.append(answer);
}

QList<FontDialog::Font> FontDialog::openedWith() {
    return script().opened;
}

void FontDialog::resetScript() {
    script() = ScriptState{};
}

} // namespace quorvane

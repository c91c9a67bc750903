#include "widgets/dbaware/TDBFilterDlg.h"

#include "data/PinyinCollation.h"
#include "platform/Dialogs.h"
#include "widgets/dbaware/TDBFilterSummaryDlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvane {
namespace {
constexpr int kValuePage = 0;
constexpr int kRangePage = 1;
constexpr int kAllTab = 0;
constexpr int kSearchedTab = 1;

quint8 storedMatchType(TDBFilterDialog::MatchTypeChoice choice) {
    switch (choice) {
    case TDBFilterDialog::fdMatchAny:
        return TFilterFieldInfo::mtAny;
    case TDBFilterDialog::fdMatchExact:
        return TFilterFieldInfo::mtExact;
    case TDBFilterDialog::fdMatchStart:
        break;
    }
    return TFilterFieldInfo::mtStart;
}
} // namespace

TDBFilterDlg::TDBFilterDlg(const Setup& setup, QWidget* parent)
    : QDialog(parent), m_setup(setup), m_texts(TDBIntl::currentFilterDialog()),
      m_criteria(setup.criteria) {
    setObjectName(QStringLiteral("TDBFilterDlg"));
    setWindowTitle(setup.caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("宋体")});
    font.setPixelSize(11);
    font.setBold(m_texts.DialogFontBold);
    setFont(font);
    buildControls();
    connectHandlers();

    // Opening state: all fields without criteria, else only the searched ones.
    m_refilling = true;
    FieldTabSet->setCurrentIndex(m_criteria.isEmpty() ? kAllTab : kSearchedTab);
    (setup.sortBy == TDBFilterDialog::fdSortByFieldName ? AlphabeticOrder : LogicalOrder)
        ->setChecked(true);
    m_refilling = false;
    refillList(QString());
    FilterValueEdit->setFocus();
}

void TDBFilterDlg::buildControls() {
    const QScreen* shown = screen();
    const qreal scale = shown ? shown->logicalDotsPerInchY() / 96.0 : 1.0;
    auto at = [scale](int x, int y, int w, int h) {
        return QRect(qRound(x * scale), qRound(y * scale), qRound(w * scale), qRound(h * scale));
    };
    setFixedSize(qRound(506 * scale), qRound(m_setup.height * scale));
    const bool bitmapped = m_texts.OKCancelBitmapped;

    // Field column.
    auto* fieldsLabel = new QLabel(m_texts.FieldsLabel, this);
    fieldsLabel->setGeometry(at(8, 4, 195, 16));
    FieldsListBox = new QListWidget(this);
    FieldsListBox->setObjectName(QStringLiteral("FieldsListBox"));
    FieldsListBox->setGeometry(at(8, 20, 195, 160));
    fieldsLabel->setBuddy(FieldsListBox);
    FieldTabSet = new QTabBar(this);
    FieldTabSet->setObjectName(QStringLiteral("FieldTabSet"));
    FieldTabSet->setShape(QTabBar::RoundedSouth);
    FieldTabSet->setDrawBase(false);
    FieldTabSet->addTab(m_texts.AllFieldsLabel);
    FieldTabSet->addTab(m_texts.SearchedFieldsLabel);
    FieldTabSet->setToolTip(m_texts.AllSearchedTabHint);
    FieldTabSet->setGeometry(at(8, 180, 195, 24));
    FieldOrder = new QGroupBox(m_texts.FieldOrderLabel, this);
    FieldOrder->setObjectName(QStringLiteral("FieldOrder"));
    FieldOrder->setToolTip(m_texts.FieldOrderHint);
    FieldOrder->setGeometry(at(8, 208, 195, 50));
    AlphabeticOrder = new QRadioButton(m_texts.AlphabeticLabel, FieldOrder);
    AlphabeticOrder->setObjectName(QStringLiteral("AlphabeticOrder"));
    LogicalOrder = new QRadioButton(m_texts.LogicalLabel, FieldOrder);
    LogicalOrder->setObjectName(QStringLiteral("LogicalOrder"));
    auto* orderLayout = new QHBoxLayout(FieldOrder);
    orderLayout->setContentsMargins(6, 2, 6, 4);
    orderLayout->addWidget(AlphabeticOrder);
    orderLayout->addWidget(LogicalOrder);
    FieldOrder->setVisible(m_setup.options.testFlag(TDBFilterDialog::fdShowFieldOrder));

    // Criteria column.
    FieldCriteria = new QLabel(this);
    FieldCriteria->setObjectName(QStringLiteral("FieldCriteria"));
    FieldCriteria->setGeometry(at(215, 4, 199, 16));
    SelectNotebook = new QTabWidget(this);
    SelectNotebook->setObjectName(QStringLiteral("SelectNotebook"));
    SelectNotebook->setTabPosition(QTabWidget::South);
    SelectNotebook->setGeometry(at(215, 20, 199, 206));
    SelectNotebook->tabBar()->setVisible(
        m_setup.options.testFlag(TDBFilterDialog::fdShowValueRangeTab));

    auto* valuePage = new QWidget;
    valuePage->setObjectName(QStringLiteral("ValuePage"));
    auto* valueLabel = new QLabel(m_texts.FieldValueLabel, valuePage);
    valueLabel->setGeometry(at(6, 6, 180, 16));
    FilterValueEdit = new QLineEdit(valuePage);
    FilterValueEdit->setObjectName(QStringLiteral("FilterValueEdit"));
    FilterValueEdit->setToolTip(m_texts.FieldValueHint);
    FilterValueEdit->setGeometry(at(6, 24, 128, 22));
    valueLabel->setBuddy(FilterValueEdit);
    BtnClearFilterValue = new QPushButton(m_texts.BtnClearFilterValue, valuePage);
    BtnClearFilterValue->setObjectName(QStringLiteral("BtnClearFilterValue"));
    BtnClearFilterValue->setToolTip(m_texts.BtnClearFilterValueHint);
    BtnClearFilterValue->setGeometry(at(138, 23, 50, 24));
    MatchTypeGroup = new QGroupBox(m_texts.SearchTypeLabel, valuePage);
    MatchTypeGroup->setObjectName(QStringLiteral("MatchTypeGroup"));
    MatchTypeGroup->setToolTip(m_texts.SearchTypeHint);
    MatchTypeGroup->setGeometry(at(6, 52, 182, 84));
    MatchExact = new QRadioButton(m_texts.MatchExactLabel, MatchTypeGroup);
    MatchExact->setObjectName(QStringLiteral("MatchExact"));
    MatchStart = new QRadioButton(m_texts.MatchStartLabel, MatchTypeGroup);
    MatchStart->setObjectName(QStringLiteral("MatchStart"));
    MatchAny = new QRadioButton(m_texts.MatchAnyLabel, MatchTypeGroup);
    MatchAny->setObjectName(QStringLiteral("MatchAny"));
    auto* matchLayout = new QVBoxLayout(MatchTypeGroup);
    matchLayout->setContentsMargins(8, 2, 6, 4);
    matchLayout->setSpacing(2);
    matchLayout->addWidget(MatchExact);
    matchLayout->addWidget(MatchStart);
    matchLayout->addWidget(MatchAny);
    CaseSensitive = new QCheckBox(m_texts.CaseSensitiveLabel, valuePage);
    CaseSensitive->setObjectName(QStringLiteral("CaseSensitive"));
    CaseSensitive->setToolTip(m_texts.CaseSensitiveHint);
    CaseSensitive->setGeometry(at(6, 140, 182, 18));
    CaseSensitive->setVisible(m_setup.options.testFlag(TDBFilterDialog::fdShowCaseSensitive));
    NonMatching = new QCheckBox(m_texts.NonMatchingLabel, valuePage);
    NonMatching->setObjectName(QStringLiteral("NonMatching"));
    NonMatching->setToolTip(m_texts.NonMatchingHint);
    NonMatching->setGeometry(at(6, 160, 182, 18));
    NonMatching->setVisible(m_setup.options.testFlag(TDBFilterDialog::fdShowNonMatching));
    SelectNotebook->addTab(valuePage, m_texts.ByValueLabel);

    auto* rangePage = new QWidget;
    rangePage->setObjectName(QStringLiteral("RangePage"));
    auto* minLabel = new QLabel(m_texts.StartingRangeLabel, rangePage);
    minLabel->setGeometry(at(6, 6, 180, 16));
    MinValueEdit = new QLineEdit(rangePage);
    MinValueEdit->setObjectName(QStringLiteral("MinValueEdit"));
    MinValueEdit->setToolTip(m_texts.StartingRangeHint);
    MinValueEdit->setGeometry(at(6, 24, 128, 22));
    minLabel->setBuddy(MinValueEdit);
    BtnClearMin = new QPushButton(m_texts.BtnClearMin, rangePage);
    BtnClearMin->setObjectName(QStringLiteral("BtnClearMin"));
    BtnClearMin->setToolTip(m_texts.BtnClearMinHint);
    BtnClearMin->setGeometry(at(138, 23, 50, 24));
    auto* maxLabel = new QLabel(m_texts.EndingRangeLabel, rangePage);
    maxLabel->setGeometry(at(6, 56, 180, 16));
    MaxValueEdit = new QLineEdit(rangePage);
    MaxValueEdit->setObjectName(QStringLiteral("MaxValueEdit"));
    MaxValueEdit->setToolTip(m_texts.EndingRangeHint);
    MaxValueEdit->setGeometry(at(6, 74, 128, 22));
    maxLabel->setBuddy(MaxValueEdit);
    BtnClearMax = new QPushButton(m_texts.BtnClearMax, rangePage);
    BtnClearMax->setObjectName(QStringLiteral("BtnClearMax"));
    BtnClearMax->setToolTip(m_texts.BtnClearMaxHint);
    BtnClearMax->setGeometry(at(138, 73, 50, 24));
    SelectNotebook->addTab(rangePage, m_texts.ByRangeLabel);

    BtnViewSummary = new QPushButton(m_texts.BtnViewSummary, this);
    BtnViewSummary->setObjectName(QStringLiteral("BtnViewSummary"));
    BtnViewSummary->setToolTip(m_texts.BtnViewSummaryHint);
    BtnViewSummary->setGeometry(at(215, 234, 97, 25));
    BtnViewSummary->setVisible(m_setup.options.testFlag(TDBFilterDialog::fdShowViewSummary));
    BtnNewSearch = new QPushButton(m_texts.BtnNewSearch, this);
    BtnNewSearch->setObjectName(QStringLiteral("BtnNewSearch"));
    BtnNewSearch->setToolTip(m_texts.BtnNewSearchHint);
    BtnNewSearch->setGeometry(at(317, 234, 97, 25));

    // Button column.
    BtnOK = new QPushButton(m_texts.BtnOKCaption, this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setGeometry(at(418 + 7, 22, 75, 25));
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(m_texts.BtnCancelCaption, this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setGeometry(at(418 + 7, 62, 75, 25));
    if (bitmapped) {
        BtnOK->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
        BtnCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    }
    const bool okCancel = m_setup.options.testFlag(TDBFilterDialog::fdShowOKCancel);
    BtnOK->setVisible(okCancel);
    BtnCancel->setVisible(okCancel);

    for (QPushButton* button : {BtnOK, BtnClearFilterValue, BtnClearMin, BtnClearMax, BtnNewSearch})
        button->setEnabled(false);
    for (QPushButton* button :
         {BtnClearFilterValue, BtnClearMin, BtnClearMax, BtnViewSummary, BtnNewSearch})
        button->setAutoDefault(false);
    BtnCancel->setAutoDefault(false);

    setTabOrder(FieldsListBox, FieldTabSet);
    setTabOrder(FieldTabSet, AlphabeticOrder);
    setTabOrder(AlphabeticOrder, LogicalOrder);
    setTabOrder(LogicalOrder, FilterValueEdit);
}

void TDBFilterDlg::connectHandlers() {
    connect(FieldsListBox, &QListWidget::currentRowChanged, this,
            &TDBFilterDlg::FieldsListBoxChange);
    connect(FieldTabSet, &QTabBar::currentChanged, this, &TDBFilterDlg::FieldTabSetChange);
    connect(AlphabeticOrder, &QRadioButton::toggled, this, &TDBFilterDlg::FieldOrderClick);
    for (QLineEdit* edit : {FilterValueEdit, MinValueEdit, MaxValueEdit}) {
        connect(edit, &QLineEdit::textChanged, this, &TDBFilterDlg::CriteriaTextChange);
        edit->installEventFilter(this);
    }
    FieldsListBox->installEventFilter(this);
    connect(BtnClearFilterValue, &QPushButton::clicked, this,
            &TDBFilterDlg::BtnClearFilterValueClick);
    connect(BtnClearMin, &QPushButton::clicked, this, &TDBFilterDlg::BtnClearMinClick);
    connect(BtnClearMax, &QPushButton::clicked, this, &TDBFilterDlg::BtnClearMaxClick);
    connect(BtnViewSummary, &QPushButton::clicked, this, &TDBFilterDlg::BtnViewSummaryClick);
    connect(BtnNewSearch, &QPushButton::clicked, this, &TDBFilterDlg::BtnNewSearchClick);
    connect(BtnOK, &QPushButton::clicked, this, &TDBFilterDlg::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TDBFilterDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == FieldsListBox) {
            if (key == Qt::Key_Delete && showingSearched()) {
                deleteSearchedField();
                return true;
            }
        } else if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                   key == Qt::Key_PageDown) {
            stepField(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TDBFilterDlg::showingSearched() const {
    return FieldTabSet->currentIndex() == kSearchedTab;
}

void TDBFilterDlg::noCriteriaMessage() {
    Dialogs::messageBox(this, TDBIntl::currentUserMessages().FilterDlgNoCriteria,
                        QStringLiteral("提示"), Dialogs::Icon::Information);
}

void TDBFilterDlg::refillList(const QString& select) {
    QStringList names;
    for (const QString& field : m_setup.fields)
        if (!showingSearched() || indexOfField(m_criteria, field) >= 0)
            names << field;
    if (AlphabeticOrder->isChecked())
        std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return PinyinCollation::compare(a, b) < 0;
        });
    m_refilling = true;
    FieldsListBox->clear();
    FieldsListBox->addItems(names);
    const qsizetype row = std::max<qsizetype>(0, names.indexOf(select));
    if (!names.isEmpty())
        FieldsListBox->setCurrentRow(int(row));
    m_refilling = false;
    m_currentField = names.isEmpty() ? QString() : names[row];
    loadField(m_currentField);
}

void TDBFilterDlg::loadField(const QString& field) {
    FieldCriteria->setText(field);
    const qsizetype index = indexOfField(m_criteria, field);
    if (index >= 0) {
        const TFilterFieldInfo& info = m_criteria[index];
        FilterValueEdit->setText(info.value);
        MinValueEdit->setText(info.minValue);
        MaxValueEdit->setText(info.maxValue);
        setMatchType(info.matchType == TFilterFieldInfo::mtRange
                         ? storedMatchType(m_setup.defaultMatchType)
                         : info.matchType);
        CaseSensitive->setChecked(info.caseSensitive);
        NonMatching->setChecked(info.nonMatching);
        SelectNotebook->setCurrentIndex(info.matchType == TFilterFieldInfo::mtRange ? kRangePage
                                                                                    : kValuePage);
        return;
    }
    FilterValueEdit->clear();
    MinValueEdit->clear();
    MaxValueEdit->clear();
    setMatchType(storedMatchType(m_setup.defaultMatchType));
    CaseSensitive->setChecked(false);
    NonMatching->setChecked(false);
    // Text and memo fields are searched by value unless ranges are asked for.
    const bool range = m_setup.defaultFilterBy == TDBFilterDialog::fdFilterByRange &&
                       m_setup.options.testFlag(TDBFilterDialog::fdShowValueRangeTab);
    SelectNotebook->setCurrentIndex(range ? kRangePage : kValuePage);
}

void TDBFilterDlg::storeCurrentField() {
    if (m_currentField.isEmpty())
        return;
    TFilterFieldInfo info;
    info.fieldName = m_currentField;
    info.displayLabel = m_currentField;
    info.caseSensitive = CaseSensitive->isChecked();
    info.nonMatching = NonMatching->isChecked();
    info.value = FilterValueEdit->text();
    info.minValue = MinValueEdit->text();
    info.maxValue = MaxValueEdit->text();
    bool empty;
    if (SelectNotebook->currentIndex() == kRangePage) {
        info.matchType = TFilterFieldInfo::mtRange;
        empty = info.minValue.isEmpty() && info.maxValue.isEmpty();
    } else {
        info.matchType = chosenMatchType();
        empty = info.value.isEmpty();
    }
    const qsizetype index = indexOfField(m_criteria, m_currentField);
    if (empty) {
        if (index >= 0)
            m_criteria.removeAt(index);
    } else if (index >= 0) {
        m_criteria[index] = info;
    } else {
        m_criteria.append(info);
    }
}

void TDBFilterDlg::setMatchType(quint8 type) {
    switch (type) {
    case TFilterFieldInfo::mtExact:
        MatchExact->setChecked(true);
        break;
    case TFilterFieldInfo::mtAny:
        MatchAny->setChecked(true);
        break;
    default:
        MatchStart->setChecked(true);
        break;
    }
}

quint8 TDBFilterDlg::chosenMatchType() const {
    if (MatchExact->isChecked())
        return TFilterFieldInfo::mtExact;
    if (MatchAny->isChecked())
        return TFilterFieldInfo::mtAny;
    return TFilterFieldInfo::mtStart;
}

void TDBFilterDlg::FieldsListBoxChange(int row) {
    if (m_refilling || row < 0)
        return;
    storeCurrentField();
    m_currentField = FieldsListBox->item(row)->text();
    loadField(m_currentField);
}

void TDBFilterDlg::stepField(int key) {
    const int count = FieldsListBox->count();
    if (count == 0)
        return;
    const int rowHeight = std::max(1, FieldsListBox->sizeHintForRow(0));
    const int page = std::max(1, FieldsListBox->viewport()->height() / rowHeight);
    int row = FieldsListBox->currentRow();
    switch (key) {
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_PageUp:
        row -= page;
        break;
    default:
        row += page;
        break;
    }
    FieldsListBox->setCurrentRow(std::clamp(row, 0, count - 1));
}

void TDBFilterDlg::FieldTabSetChange(int index) {
    if (m_refilling)
        return;
    storeCurrentField();
    if (index == kSearchedTab && m_criteria.isEmpty()) {
        noCriteriaMessage();
        m_refilling = true;
        FieldTabSet->setCurrentIndex(kAllTab);
        m_refilling = false;
        return;
    }
    refillList(m_currentField);
}

void TDBFilterDlg::deleteSearchedField() {
    const QListWidgetItem* item = FieldsListBox->currentItem();
    if (!item)
        return;
    const QString removed = item->text();
    const qsizetype index = indexOfField(m_criteria, removed);
    if (index >= 0)
        m_criteria.removeAt(index);
    // The neighbour takes the removed field's place; its controls are loaded, not stored.
    const int row = FieldsListBox->currentRow();
    const int next = row + 1 < FieldsListBox->count() ? row + 1 : row - 1;
    const QString select = next >= 0 ? FieldsListBox->item(next)->text() : QString();
    m_currentField.clear();
    if (m_criteria.isEmpty()) {
        m_refilling = true;
        FieldTabSet->setCurrentIndex(kAllTab);
        m_refilling = false;
        refillList(removed);
    } else {
        refillList(select);
    }
    CriteriaTextChange();
}

void TDBFilterDlg::FieldOrderClick() {
    if (m_refilling)
        return;
    storeCurrentField();
    refillList(m_currentField);
}

void TDBFilterDlg::CriteriaTextChange() {
    BtnOK->setEnabled(true);
    BtnClearFilterValue->setEnabled(!FilterValueEdit->text().isEmpty());
    BtnClearMin->setEnabled(!MinValueEdit->text().isEmpty());
    BtnClearMax->setEnabled(!MaxValueEdit->text().isEmpty());
    BtnNewSearch->setEnabled(!m_criteria.isEmpty() || !FilterValueEdit->text().isEmpty() ||
                             !MinValueEdit->text().isEmpty() || !MaxValueEdit->text().isEmpty());
}

void TDBFilterDlg::BtnClearFilterValueClick() {
    FilterValueEdit->clear();
    BtnClearFilterValue->setEnabled(false);
}

void TDBFilterDlg::BtnClearMinClick() {
    MinValueEdit->clear();
    BtnClearMin->setEnabled(false);
}

void TDBFilterDlg::BtnClearMaxClick() {
    MaxValueEdit->clear();
    BtnClearMax->setEnabled(false);
}

void TDBFilterDlg::BtnViewSummaryClick() {
    storeCurrentField();
    if (m_criteria.isEmpty()) {
        noCriteriaMessage();
        return;
    }
    TDBFilterSummaryDlg summary(m_criteria, m_texts, this);
    summary.exec();
}

void TDBFilterDlg::BtnNewSearchClick() {
    m_criteria.clear();
    FilterValueEdit->clear();
    MinValueEdit->clear();
    MaxValueEdit->clear();
    setMatchType(storedMatchType(m_setup.defaultMatchType));
    m_refilling = true;
    FieldTabSet->setCurrentIndex(kAllTab);
    m_refilling = false;
    refillList(m_currentField);
    BtnNewSearch->setEnabled(false);
}

void TDBFilterDlg::BtnOKClick() {
    storeCurrentField();
    accept();
}

} // namespace quorvane

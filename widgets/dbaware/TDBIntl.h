#pragma once

#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QString>

namespace quorvane {

// The record search dialog's texts. The program's own texts are the defaults.
class TDBIntlFilterDialog {
    Q_GADGET
    Q_PROPERTY(QString FieldsLabel MEMBER FieldsLabel)
    Q_PROPERTY(QString AllFieldsLabel MEMBER AllFieldsLabel)
    Q_PROPERTY(QString SearchedFieldsLabel MEMBER SearchedFieldsLabel)
    Q_PROPERTY(QString AllSearchedTabHint MEMBER AllSearchedTabHint)
    Q_PROPERTY(QString FieldOrderLabel MEMBER FieldOrderLabel)
    Q_PROPERTY(QString FieldOrderHint MEMBER FieldOrderHint)
    Q_PROPERTY(QString AlphabeticLabel MEMBER AlphabeticLabel)
    Q_PROPERTY(QString LogicalLabel MEMBER LogicalLabel)
    Q_PROPERTY(QString ByValueLabel MEMBER ByValueLabel)
    Q_PROPERTY(QString ByRangeLabel MEMBER ByRangeLabel)
    Q_PROPERTY(QString FieldValueLabel MEMBER FieldValueLabel)
    Q_PROPERTY(QString FieldValueHint MEMBER FieldValueHint)
    Q_PROPERTY(QString BtnClearFilterValue MEMBER BtnClearFilterValue)
    Q_PROPERTY(QString BtnClearFilterValueHint MEMBER BtnClearFilterValueHint)
    Q_PROPERTY(QString SearchTypeLabel MEMBER SearchTypeLabel)
    Q_PROPERTY(QString SearchTypeHint MEMBER SearchTypeHint)
    Q_PROPERTY(QString MatchExactLabel MEMBER MatchExactLabel)
    Q_PROPERTY(QString MatchStartLabel MEMBER MatchStartLabel)
    Q_PROPERTY(QString MatchAnyLabel MEMBER MatchAnyLabel)
    Q_PROPERTY(QString CaseSensitiveLabel MEMBER CaseSensitiveLabel)
    Q_PROPERTY(QString CaseSensitiveHint MEMBER CaseSensitiveHint)
    Q_PROPERTY(QString NonMatchingLabel MEMBER NonMatchingLabel)
    Q_PROPERTY(QString NonMatchingHint MEMBER NonMatchingHint)
    Q_PROPERTY(QString StartingRangeLabel MEMBER StartingRangeLabel)
    Q_PROPERTY(QString StartingRangeHint MEMBER StartingRangeHint)
    Q_PROPERTY(QString EndingRangeLabel MEMBER EndingRangeLabel)
    Q_PROPERTY(QString EndingRangeHint MEMBER EndingRangeHint)
    Q_PROPERTY(QString BtnClearMin MEMBER BtnClearMin)
    Q_PROPERTY(QString BtnClearMinHint MEMBER BtnClearMinHint)
    Q_PROPERTY(QString BtnClearMax MEMBER BtnClearMax)
    Q_PROPERTY(QString BtnClearMaxHint MEMBER BtnClearMaxHint)
    Q_PROPERTY(QString BtnViewSummary MEMBER BtnViewSummary)
    Q_PROPERTY(QString BtnViewSummaryHint MEMBER BtnViewSummaryHint)
    Q_PROPERTY(QString BtnNewSearch MEMBER BtnNewSearch)
    Q_PROPERTY(QString BtnNewSearchHint MEMBER BtnNewSearchHint)
    Q_PROPERTY(QString SummaryCaption MEMBER SummaryCaption)
    Q_PROPERTY(QString SummaryFieldLabel MEMBER SummaryFieldLabel)
    Q_PROPERTY(QString SummarySearchLabel MEMBER SummarySearchLabel)
    Q_PROPERTY(QString SummaryValueLabel MEMBER SummaryValueLabel)
    Q_PROPERTY(QString ViewSummaryNotText MEMBER ViewSummaryNotText)
    Q_PROPERTY(QString BtnOKCaption MEMBER BtnOKCaption)
    Q_PROPERTY(QString BtnCancelCaption MEMBER BtnCancelCaption)
    Q_PROPERTY(bool OKCancelBitmapped MEMBER OKCancelBitmapped)
    Q_PROPERTY(bool DialogFontBold MEMBER DialogFontBold)
    Q_PROPERTY(int FilterMemoSize MEMBER FilterMemoSize)

public:
    QString FieldsLabel = QStringLiteral("&F字段");
    QString AllFieldsLabel = QStringLiteral("&A全部");
    QString SearchedFieldsLabel = QStringLiteral("&S查找");
    QString AllSearchedTabHint = QStringLiteral("显示所有字段或只显示选择字段");
    QString FieldOrderLabel = QStringLiteral("字段顺序");
    QString FieldOrderHint = QStringLiteral("按物理顺序或逻辑顺序排序字段列表");
    QString AlphabeticLabel = QStringLiteral("物理顺序");
    QString LogicalLabel = QStringLiteral("&L逻辑顺序");
    QString ByValueLabel = QStringLiteral("&V按数值");
    QString ByRangeLabel = QStringLiteral("&R按范围");
    QString FieldValueLabel = QStringLiteral("&字段变量");
    QString FieldValueHint = QStringLiteral("输入字段查询变量");
    QString BtnClearFilterValue = QStringLiteral("&C清除");
    QString BtnClearFilterValueHint = QStringLiteral("清除当前字段");
    QString SearchTypeLabel = QStringLiteral("查找类型");
    QString SearchTypeHint = QStringLiteral("指定字段如何比较");
    QString MatchExactLabel = QStringLiteral("&E完全匹配");
    QString MatchStartLabel = QStringLiteral("&B开始部分匹配");
    QString MatchAnyLabel = QStringLiteral("&W在任何位置匹配");
    QString CaseSensitiveLabel = QStringLiteral("&S大写敏感");
    QString CaseSensitiveHint = QStringLiteral("大写敏感查找");
    // The non-matching box shows only when a search offers it.
    QString NonMatchingLabel = QStringLiteral("非匹配");
    QString NonMatchingHint = QStringLiteral("查找不匹配的记录");
    QString StartingRangeLabel = QStringLiteral("&S开始范围");
    QString StartingRangeHint = QStringLiteral("输入字段开始范围");
    QString EndingRangeLabel = QStringLiteral("&E结束范围");
    QString EndingRangeHint = QStringLiteral("输入字段结束范围");
    QString BtnClearMin = QStringLiteral("&C清除");
    QString BtnClearMinHint = QStringLiteral("清除字段的开始值");
    QString BtnClearMax = QStringLiteral("&C清除");
    QString BtnClearMaxHint = QStringLiteral("清除字段的结束值");
    QString BtnViewSummary = QStringLiteral("&V查看摘要");
    QString BtnViewSummaryHint = QStringLiteral("查看正确的查询标准");
    QString BtnNewSearch = QStringLiteral("&N新查询");
    QString BtnNewSearchHint = QStringLiteral("开始一个新查询");
    QString SummaryCaption = QStringLiteral("摘要列表");
    QString SummaryFieldLabel = QStringLiteral("字段");
    QString SummarySearchLabel = QStringLiteral("查找类型");
    QString SummaryValueLabel = QStringLiteral("变量");
    QString ViewSummaryNotText = QStringLiteral("非");
    QString BtnOKCaption = QStringLiteral("&O确定");
    QString BtnCancelCaption = QStringLiteral("&C取消");
    bool OKCancelBitmapped = true;
    // DialogFontStyle: the only style it ever carries is bold.
    bool DialogFontBold = false;
    // Bytes of a memo's text the record test looks at, less one.
    int FilterMemoSize = 65536;

    bool operator==(const TDBIntlFilterDialog&) const = default;
};

class TDBIntlUserMessages {
    Q_GADGET
    Q_PROPERTY(QString FilterDlgNoCriteria MEMBER FilterDlgNoCriteria)
public:
    QString FilterDlgNoCriteria = QStringLiteral("你没有选择任何查询标准！");
    bool operator==(const TDBIntlUserMessages&) const = default;
};

// The data-aware library's text settings. A connected instance lends its texts to every
// dialog of the library while it lives.
class TDBIntl : public QObject {
    Q_OBJECT
    Q_PROPERTY(TDBIntlFilterDialog FilterDialog READ filterDialog WRITE setFilterDialog)
    Q_PROPERTY(TDBIntlUserMessages UserMessages READ userMessages WRITE setUserMessages)
    Q_PROPERTY(bool Connected READ connected WRITE setConnected)

public:
    explicit TDBIntl(QObject* parent = nullptr);
    ~TDBIntl() override;

    const TDBIntlFilterDialog& filterDialog() const { return m_filterDialog; }
    void setFilterDialog(const TDBIntlFilterDialog& texts) { m_filterDialog = texts; }
    TDBIntlFilterDialog& filterDialog() { return m_filterDialog; }
    const TDBIntlUserMessages& userMessages() const { return m_userMessages; }
    void setUserMessages(const TDBIntlUserMessages& texts) { m_userMessages = texts; }
    bool connected() const;
    void setConnected(bool on);

    // The texts in force: those of the connected instance, else the defaults.
    static const TDBIntlFilterDialog& currentFilterDialog();
    static const TDBIntlUserMessages& currentUserMessages();

private:
    TDBIntlFilterDialog m_filterDialog;
    TDBIntlUserMessages m_userMessages;
};

} // namespace quorvane

Q_DECLARE_METATYPE(quorvane::TDBIntlFilterDialog)
Q_DECLARE_METATYPE(quorvane::TDBIntlUserMessages)

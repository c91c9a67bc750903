#pragma once

#include "data/AdoDataSet.h"
#include "data/DataSource.h"
#include "widgets/dbaware/FilterRecordTest.h"
#include "widgets/dbaware/TFilterFieldInfo.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class QDialog;

namespace quorvane {

// The record search component: keeps the criteria in force, lets the user change them in
// the dialog, and narrows its data source's cursor to the rows that meet all of them
// through the cursor's per-row filter event.
class TDBFilterDialog : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QStringList SelectedFields READ selectedFields WRITE setSelectedFields)
    Q_PROPERTY(SortByType SortBy READ sortBy WRITE setSortBy)
    Q_PROPERTY(FilterMethodType FilterMethod READ filterMethod WRITE setFilterMethod)
    Q_PROPERTY(MatchTypeChoice DefaultMatchType READ defaultMatchType WRITE setDefaultMatchType)
    Q_PROPERTY(FilterByType DefaultFilterBy READ defaultFilterBy WRITE setDefaultFilterBy)
    Q_PROPERTY(DialogOptions Options READ options WRITE setOptions)
    Q_PROPERTY(FilterPropertyOptions OnFilterPropertyOptions READ onFilterPropertyOptions WRITE
                   setOnFilterPropertyOptions)
    Q_PROPERTY(int DlgHeight READ dlgHeight WRITE setDlgHeight)
    Q_PROPERTY(FilterOptimizationType FilterOptimization READ filterOptimization WRITE
                   setFilterOptimization)
    Q_PROPERTY(QueryFormatDateModeType QueryFormatDateMode READ queryFormatDateMode WRITE
                   setQueryFormatDateMode)
    Q_PROPERTY(QStringList SQLTables READ sqlTables WRITE setSqlTables)

public:
    // fdSortByFieldNo: the configured order; fdSortByFieldName: sorted by name.
    enum SortByType { fdSortByFieldNo, fdSortByFieldName };
    Q_ENUM(SortByType)
    // Only fdByFilter works on a cursor; changing a query is refused.
    enum FilterMethodType { fdByFilter, fdByQueryModify };
    Q_ENUM(FilterMethodType)
    enum MatchTypeChoice { fdMatchStart, fdMatchAny, fdMatchExact };
    Q_ENUM(MatchTypeChoice)
    enum FilterByType { fdSmartFilter, fdFilterByValue, fdFilterByRange };
    Q_ENUM(FilterByType)
    enum DialogOption {
        fdShowCaseSensitive = 0x01,
        fdShowOKCancel = 0x02,
        fdShowViewSummary = 0x04,
        fdShowFieldOrder = 0x08,
        fdShowValueRangeTab = 0x10,
        fdShowNonMatching = 0x20
    };
    Q_DECLARE_FLAGS(DialogOptions, DialogOption)
    Q_FLAG(DialogOptions)
    enum FilterPropertyOption { fdClearWhenNoCriteria = 0x1, fdClearWhenCloseDataSet = 0x2 };
    Q_DECLARE_FLAGS(FilterPropertyOptions, FilterPropertyOption)
    Q_FLAG(FilterPropertyOptions)
    // Used only by other filter methods and cursor kinds.
    enum FilterOptimizationType { fdNoOptimization, fdUseActiveIndex, fdUseAllIndexes };
    Q_ENUM(FilterOptimizationType)
    enum QueryFormatDateModeType { qfdMonthDayYear, qfdDayMonthYear, qfdYearMonthDay };
    Q_ENUM(QueryFormatDateModeType)
    // fdUseOnFilter hooks the record test into the cursor; a filter text is not supported.
    enum DatasetFilterTypeChoice { fdUseOnFilter, fdUseFilter };
    Q_ENUM(DatasetFilterTypeChoice)

    struct FilterPropertyOptionsSettings {
        DatasetFilterTypeChoice DatasetFilterType = fdUseOnFilter;
        QString LikeWildcardChar = QStringLiteral("%");
    };

    static constexpr DialogOptions kDefaultOptions = {fdShowCaseSensitive | fdShowOKCancel |
                                                      fdShowViewSummary | fdShowFieldOrder |
                                                      fdShowValueRangeTab};

    explicit TDBFilterDialog(QObject* parent = nullptr);
    ~TDBFilterDialog() override;

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }
    // The fields offered, in this order; empty offers every field of the cursor.
    QStringList selectedFields() const { return m_selectedFields; }
    void setSelectedFields(const QStringList& fields) { m_selectedFields = fields; }
    SortByType sortBy() const { return m_sortBy; }
    void setSortBy(SortByType sortBy) { m_sortBy = sortBy; }
    FilterMethodType filterMethod() const { return m_filterMethod; }
    void setFilterMethod(FilterMethodType method) { m_filterMethod = method; }
    MatchTypeChoice defaultMatchType() const { return m_defaultMatchType; }
    void setDefaultMatchType(MatchTypeChoice type) { m_defaultMatchType = type; }
    FilterByType defaultFilterBy() const { return m_defaultFilterBy; }
    void setDefaultFilterBy(FilterByType by) { m_defaultFilterBy = by; }
    const TFieldOperators& fieldOperators() const { return m_fieldOperators; }
    void setFieldOperators(const TFieldOperators& operators) { m_fieldOperators = operators; }
    const FilterPropertyOptionsSettings& filterPropertyOptions() const {
        return m_filterPropertyOptions;
    }
    void setFilterPropertyOptions(const FilterPropertyOptionsSettings& options) {
        m_filterPropertyOptions = options;
    }
    DialogOptions options() const { return m_options; }
    void setOptions(DialogOptions options) { m_options = options; }
    FilterPropertyOptions onFilterPropertyOptions() const { return m_onFilterPropertyOptions; }
    void setOnFilterPropertyOptions(FilterPropertyOptions options) {
        m_onFilterPropertyOptions = options;
    }
    // Height of the dialog in pixels at 96 pixels per inch.
    int dlgHeight() const { return m_dlgHeight; }
    void setDlgHeight(int height) { m_dlgHeight = height; }
    FilterOptimizationType filterOptimization() const { return m_filterOptimization; }
    void setFilterOptimization(FilterOptimizationType o) { m_filterOptimization = o; }
    QueryFormatDateModeType queryFormatDateMode() const { return m_queryFormatDateMode; }
    void setQueryFormatDateMode(QueryFormatDateModeType mode) { m_queryFormatDateMode = mode; }
    QStringList sqlTables() const { return m_sqlTables; }
    void setSqlTables(const QStringList& tables) { m_sqlTables = tables; }

    // The criteria in force, in the order they were first entered.
    const TFilterFieldInfos& criteria() const { return m_criteria; }
    void setCriteria(const TFilterFieldInfos& criteria) { m_criteria = criteria; }
    // The fields the dialog offers, as last read from the cursor.
    QStringList fieldList() const { return m_fieldList; }

    // Shows the dialog modally; after OK applies the criteria. Returns whether the user
    // confirmed. Errors (a closed connection, a failing record test) are thrown.
    bool ShowSearchDialog();
    void ClearSearchCriteria();
    // Reads the cursor's fields afresh and applies the criteria in force.
    void ApplySearchCriteria();

Q_SIGNALS:
    // The dialog is built and about to run; lets a caller see or drive it.
    void dialogShowing(QDialog* dialog);

private:
    AdoDataSet* dataSet() const;
    void rebuildFieldList();
    void apply();
    void dataSetChanged();

    QPointer<DataSource> m_source;
    QMetaObject::Connection m_sourceChanged;

    QString m_caption;
    QStringList m_selectedFields;
    SortByType m_sortBy = fdSortByFieldNo;
    FilterMethodType m_filterMethod = fdByFilter;
    MatchTypeChoice m_defaultMatchType = fdMatchStart;
    FilterByType m_defaultFilterBy = fdSmartFilter;
    TFieldOperators m_fieldOperators;
    FilterPropertyOptionsSettings m_filterPropertyOptions;
    DialogOptions m_options = kDefaultOptions;
    FilterPropertyOptions m_onFilterPropertyOptions = {fdClearWhenNoCriteria |
                                                       fdClearWhenCloseDataSet};
    int m_dlgHeight = 267;
    FilterOptimizationType m_filterOptimization = fdUseAllIndexes;
    QueryFormatDateModeType m_queryFormatDateMode = qfdMonthDayYear;
    QStringList m_sqlTables;

    TFilterFieldInfos m_criteria;
    QStringList m_fieldList;
    bool m_hooked = false; // our record test is in the cursor's filter event
};

} // namespace quorvane

Q_DECLARE_OPERATORS_FOR_FLAGS(quorvane::TDBFilterDialog::DialogOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(quorvane::TDBFilterDialog::FilterPropertyOptions)

#include "widgets/dbaware/TDBFilterDialog.h"

#include "data/AdoDataSet.h"
#include "data/DataSource.h"
#include "platform/QuorvaneError.h"
#include "widgets/dbaware/TDBFilterDlg.h"
#include "widgets/dbaware/TDBIntl.h"

#include <QApplication>
#include <QScreen>

#include <memory>

namespace quorvane {
namespace {
// The hourglass for as long as the component works, even when it fails.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
} // namespace

TDBFilterDialog::TDBFilterDialog(QObject* parent) : QObject(parent) {}

TDBFilterDialog::~TDBFilterDialog() = default;

void TDBFilterDialog::setDataSource(DataSource* source) {
    disconnect(m_sourceChanged);
    m_source = source;
    if (source)
        m_sourceChanged =
            connect(source, &DataSource::dataSetChanged, this, &TDBFilterDialog::dataSetChanged);
}

AdoDataSet* TDBFilterDialog::dataSet() const {
    AdoDataSet* set = m_source ? m_source->dataSet() : nullptr;
    if (!set)
        throw QuorvaneError(QStringLiteral("查询没有可用的数据源"));
    return set;
}

void TDBFilterDialog::dataSetChanged() {
    AdoDataSet* set = m_source ? m_source->dataSet() : nullptr;
    if (!set || set->active() || !m_onFilterPropertyOptions.testFlag(fdClearWhenCloseDataSet))
        return;
    m_criteria.clear();
    // Forgotten criteria must not go on narrowing the cursor when it opens again.
    if (m_hooked) {
        set->setOnFilterRecord(nullptr);
        set->setFiltered(false);
        m_hooked = false;
    }
}

void TDBFilterDialog::rebuildFieldList() {
    const AdoDataSet* set = dataSet();
    const QStringList names = set->fieldNames();
    if (m_selectedFields.isEmpty()) {
        m_fieldList = names;
        return;
    }
    m_fieldList.clear();
    for (const QString& field : m_selectedFields)
        if (names.contains(field, Qt::CaseInsensitive))
            m_fieldList << field;
}

bool TDBFilterDialog::ShowSearchDialog() {
    AdoDataSet* set = dataSet();
    TDBFilterDlg::Setup setup;
    {
        WaitCursor wait;
        if (!set->active())
            set->open();
        rebuildFieldList();
        setup.caption = m_caption;
        setup.fields = m_fieldList;
        setup.criteria = m_criteria;
        setup.options = m_options;
        setup.sortBy = m_sortBy;
        setup.defaultMatchType = m_defaultMatchType;
        setup.defaultFilterBy = m_defaultFilterBy;
        setup.height = m_dlgHeight;
    }
    auto* owner = qobject_cast<QWidget*>(parent());
    TDBFilterDlg dialog(setup, owner ? owner : QApplication::activeWindow());
    if (const QScreen* screen = dialog.screen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    Q_EMIT dialogShowing(&dialog);
    // The user works in the dialog with the ordinary cursor.
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    if (confirmed && (dialog.criteria() != m_criteria || !set->filtered())) {
        WaitCursor wait;
        m_criteria = dialog.criteria();
        for (TFilterFieldInfo& info : m_criteria)
            info.fieldName = info.displayLabel;
        apply();
    }
    return confirmed;
}

void TDBFilterDialog::ClearSearchCriteria() {
    m_criteria.clear();
}

void TDBFilterDialog::ApplySearchCriteria() {
    AdoDataSet* set = dataSet();
    WaitCursor wait;
    if (!set->active())
        set->open();
    rebuildFieldList();
    apply();
}

void TDBFilterDialog::apply() {
    if (m_filterMethod != fdByFilter || m_filterPropertyOptions.DatasetFilterType != fdUseOnFilter)
        throw QuorvaneError(QStringLiteral("记录查找只能在打开的数据集上逐行过滤"));
    AdoDataSet* set = dataSet();
    if (!set->active())
        set->open();
    set->setOnFilterRecord(nullptr);
    m_hooked = false;
    if (m_criteria.isEmpty()) {
        // Switching off a filter that is off would move to the first row and post the row
        // being edited, for nothing.
        if (m_onFilterPropertyOptions.testFlag(fdClearWhenNoCriteria) && set->filtered())
            set->setFiltered(false);
        return;
    }
    // Tokenized and upper-cased once, not for every row.
    const auto compiled = std::make_shared<const std::vector<FilterRecordTest::Compiled>>(
        FilterRecordTest::compile(m_criteria, m_fieldOperators));
    const int memoSize = TDBIntl::currentFilterDialog().FilterMemoSize;
    set->setOnFilterRecord([compiled, memoSize](AdoDataSet& rows) {
        return FilterRecordTest::acceptsRow(
            *compiled, [&rows](const QString& field) { return rows.fieldText(field); }, memoSize);
    });
    m_hooked = true;
    // Off and on again: the cursor reads its rows afresh through the test.
    set->setFiltered(false);
    set->setFiltered(true);
}

} // namespace quorvane

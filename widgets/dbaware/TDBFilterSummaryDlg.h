#pragma once

#include "widgets/dbaware/TDBIntl.h"
#include "widgets/dbaware/TFilterFieldInfo.h"

#include <QDialog>
#include <QStringList>

class QPushButton;
class QTableWidget;

namespace quorvane {

// The summary of the criteria: field, search type and value, one row per criterion.
class TDBFilterSummaryDlg : public QDialog {
    Q_OBJECT
public:
    TDBFilterSummaryDlg(const TFilterFieldInfos& criteria, const TDBIntlFilterDialog& texts,
                        QWidget* parent = nullptr);

    // The three cells of every row, in list order.
    static QList<QStringList> summaryRows(const TFilterFieldInfos& criteria,
                                          const TDBIntlFilterDialog& texts);
    // A caption as shown without its access key: "&E完全匹配" gives "E完全匹配".
    static QString withoutAccessKey(const QString& caption);

    QTableWidget* SummaryGrid;
    QPushButton* BtnOK;
};

} // namespace quorvane

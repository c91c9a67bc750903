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

    QTableWidget* SummaryGrid;
    QPushButton* BtnOK;
};

} // namespace quorvane

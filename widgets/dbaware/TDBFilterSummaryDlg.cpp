#include "widgets/dbaware/TDBFilterSummaryDlg.h"

#include "platform/Mnemonic.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quorvane {

QList<QStringList> TDBFilterSummaryDlg::summaryRows(const TFilterFieldInfos& criteria,
                                                    const TDBIntlFilterDialog& texts) {
    QList<QStringList> rows;
    for (const TFilterFieldInfo& info : criteria) {
        QString search;
        QString value;
        switch (info.matchType) {
        case TFilterFieldInfo::mtRange: {
            search = texts.ByRangeLabel;
            QStringList parts;
            if (!info.minValue.isEmpty())
                parts << QStringLiteral(">=") + info.minValue;
            if (!info.maxValue.isEmpty())
                parts << QStringLiteral("<=") + info.maxValue;
            value = parts.join(QStringLiteral(", "));
            break;
        }
        case TFilterFieldInfo::mtExact:
            search = texts.MatchExactLabel;
            value = info.value;
            break;
        case TFilterFieldInfo::mtAny:
            search = texts.MatchAnyLabel;
            value = info.value;
            break;
        default:
            search = texts.MatchStartLabel;
            value = info.value;
            break;
        }
        search = Mnemonic::stripped(search);
        if (info.nonMatching)
            search = texts.ViewSummaryNotText + search;
        rows.append({info.displayLabel, search, value});
    }
    return rows;
}

TDBFilterSummaryDlg::TDBFilterSummaryDlg(const TFilterFieldInfos& criteria,
                                         const TDBIntlFilterDialog& texts, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TDBFilterSummaryDlg"));
    setWindowTitle(texts.SummaryCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    const QList<QStringList> rows = summaryRows(criteria, texts);
    SummaryGrid = new QTableWidget(int(rows.size()), 3, this);
    SummaryGrid->setObjectName(QStringLiteral("SummaryGrid"));
    SummaryGrid->setHorizontalHeaderLabels(
        {texts.SummaryFieldLabel, texts.SummarySearchLabel, texts.SummaryValueLabel});
    SummaryGrid->verticalHeader()->hide();
    SummaryGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SummaryGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    SummaryGrid->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < rows.size(); ++row)
        for (int column = 0; column < 3; ++column)
            SummaryGrid->setItem(row, column, new QTableWidgetItem(rows[row][column]));
    SummaryGrid->resizeColumnsToContents();
    SummaryGrid->resizeRowsToContents();
    SummaryGrid->setColumnWidth(0, std::max(SummaryGrid->columnWidth(0), 70));
    SummaryGrid->setColumnWidth(1, std::max(SummaryGrid->columnWidth(1), 120));
    BtnOK = new QPushButton(texts.BtnOKCaption, this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SummaryGrid);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addStretch();
    layout->addLayout(buttons);
    resize(400, 220);
}

} // namespace quorvane

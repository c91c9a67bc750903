#pragma once

#include "widgets/dbaware/TDBFilterDialog.h"
#include "widgets/dbaware/TDBIntl.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTabWidget;

namespace quorvane {

// The record search dialog window: edits a copy of the criteria, one field at a time.
class TDBFilterDlg : public QDialog {
    Q_OBJECT
public:
    struct Setup {
        QString caption;
        QStringList fields; // in the configured order
        TFilterFieldInfos criteria;
        TDBFilterDialog::DialogOptions options = TDBFilterDialog::kDefaultOptions;
        TDBFilterDialog::SortByType sortBy = TDBFilterDialog::fdSortByFieldNo;
        TDBFilterDialog::MatchTypeChoice defaultMatchType = TDBFilterDialog::fdMatchStart;
        TDBFilterDialog::FilterByType defaultFilterBy = TDBFilterDialog::fdSmartFilter;
        int height = 267; // at 96 pixels per inch
    };

    explicit TDBFilterDlg(const Setup& setup, QWidget* parent = nullptr);

    // The edited copy; what OK confirms.
    const TFilterFieldInfos& criteria() const { return m_criteria; }
    // The field whose criterion the controls show.
    QString currentField() const { return m_currentField; }

    QListWidget* FieldsListBox;
    QTabBar* FieldTabSet;
    QGroupBox* FieldOrder;
    QRadioButton* AlphabeticOrder;
    QRadioButton* LogicalOrder;
    QLabel* FieldCriteria;
    QTabWidget* SelectNotebook;
    QLineEdit* FilterValueEdit;
    QPushButton* BtnClearFilterValue;
    QGroupBox* MatchTypeGroup;
    QRadioButton* MatchExact;
    QRadioButton* MatchStart;
    QRadioButton* MatchAny;
    QCheckBox* CaseSensitive;
    QCheckBox* NonMatching;
    QLineEdit* MinValueEdit;
    QPushButton* BtnClearMin;
    QLineEdit* MaxValueEdit;
    QPushButton* BtnClearMax;
    QPushButton* BtnViewSummary;
    QPushButton* BtnNewSearch;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void connectHandlers();

    void FieldsListBoxChange(int row);
    void FieldTabSetChange(int index);
    void FieldOrderClick();
    void CriteriaTextChange();
    void BtnClearFilterValueClick();
    void BtnClearMinClick();
    void BtnClearMaxClick();
    void BtnViewSummaryClick();
    void BtnNewSearchClick();
    void BtnOKClick();

    void refillList(const QString& select);
    void loadField(const QString& field);
    void storeCurrentField();
    void setMatchType(quint8 type);
    quint8 chosenMatchType() const;
    void deleteSearchedField();
    void stepField(int key);
    bool showingSearched() const;
    void noCriteriaMessage();

    Setup m_setup;
    TDBIntlFilterDialog m_texts;
    TFilterFieldInfos m_criteria;
    QString m_currentField;
    bool m_refilling = false;
};

} // namespace quorvane

#include "data/AdoConnection.h"
#include "data/AdoTable.h"
#include "data/DataSource.h"
#include "platform/Dialogs.h"
#include "platform/QuorvaneError.h"
#include "support/TestDatabase.h"
#include "widgets/dbaware/TDBFilterDialog.h"
#include "widgets/dbaware/TDBFilterDlg.h"
#include "widgets/dbaware/TDBFilterSummaryDlg.h"
#include "widgets/dbaware/TDBIntl.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

#include <functional>
#include <memory>

using namespace quorvane;
using namespace Qt::StringLiterals;
using testing::entry;

namespace {
IdiomEntry row(const QString& idiom, const QString& pinyin, const QString& explanation,
               const QString& allusion = {}) {
    IdiomEntry e = entry(u"code"_s, idiom, pinyin, explanation);
    e.text(Column::Allusion) = allusion;
    return e;
}

std::vector<IdiomEntry> rows() {
    return {row(u"一丝不苟"_s, u"yī sī bù gǒu"_s, u"形容办事认真"_s, u"故事"_s),
            row(u"汗马功劳"_s, u"hàn mǎ gōng láo"_s, u"指战功"_s),
            row(u"对牛弹琴"_s, u"duì niú tán qín"_s, u"比喻对不懂道理的人讲道理"_s, u"公明仪"_s),
            row(u"风马牛不相及"_s, u"fēng mǎ niú bù xiāng jí"_s, u"比喻毫不相干"_s),
            row(u"一言一语"_s, u"yī yán yī yǔ"_s, u"指说话"_s, u"典"_s),
            row(u"安步当车"_s, u"an bù dàng chē"_s, u"以步行代替乘车"_s),
            row(u"按部就班"_s, u"An bù jiù bān"_s, u"按照一定的步骤"_s),
            row(u"暗箭伤人"_s, u"AN jiàn shāng rén"_s, u"比喻暗中害人"_s)};
}

const QStringList kFields = {u"代码"_s, u"成语"_s, u"拼音"_s, u"解释"_s, u"示例"_s,
                             u"近义"_s, u"反义"_s, u"出处"_s, u"典故"_s};

TFilterFieldInfo value(const QString& field, quint8 matchType, const QString& text,
                       bool caseSensitive = false) {
    TFilterFieldInfo info;
    info.fieldName = info.displayLabel = field;
    info.matchType = matchType;
    info.value = text;
    info.caseSensitive = caseSensitive;
    return info;
}

TFilterFieldInfo range(const QString& field, const QString& min, const QString& max) {
    TFilterFieldInfo info = value(field, TFilterFieldInfo::mtRange, {});
    info.minValue = min;
    info.maxValue = max;
    return info;
}

// Types as the keyboard does, Chinese characters included.
void type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.unicode() < 128 ? QChar(c).toUpper().unicode() : 0,
                        Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// Runs `step` once the next modal dialog is up, then closes it if the step did not.
void whenModal(const std::function<void(QWidget*)>& step) {
    QTimer::singleShot(0, [step]() {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        step(modal);
        if (QApplication::activeModalWidget() == modal)
            static_cast<QDialog*>(modal)->reject();
    });
}
} // namespace

Q_DECLARE_METATYPE(quorvane::TFilterFieldInfos)

class TestDBFilterDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ProgramFolder> m_folder;
    std::unique_ptr<AdoConnection> m_connection;
    std::unique_ptr<AdoTable> m_table;
    std::unique_ptr<DataSource> m_source;
    std::unique_ptr<TDBFilterDialog> m_filter;

    // The idioms the cursor steps through, from the first row on.
    QStringList visibleIdioms() {
        QStringList idioms;
        m_table->first();
        while (m_table->currentRow() >= 0 && !m_table->eof()) {
            idioms << m_table->fieldText(u"成语"_s);
            m_table->next();
        }
        return idioms;
    }

    std::unique_ptr<TDBFilterDlg> dialog(const TFilterFieldInfos& criteria = {}) {
        TDBFilterDlg::Setup setup;
        setup.caption = u"选择查询条件"_s;
        setup.fields = kFields;
        setup.criteria = criteria;
        auto dlg = std::make_unique<TDBFilterDlg>(setup);
        dlg->show();
        return dlg;
    }

private Q_SLOTS:
    void init();
    void cleanup();
    void searchNarrowsTheTable_data();
    void searchNarrowsTheTable();
    void opensOnTheCriteriaInForce_data();
    void opensOnTheCriteriaInForce();
    void onlyTextChangesEnableOk();
    void editingCriteriaFieldByField();
    void noCriteriaIsReported();
    void summaryRows_data();
    void summaryRows();
    void summaryWindowListsTheCriteria();
    void showSearchDialogAppliesOnlyWhenConfirmed();
    void closingTheCursorForgetsTheCriteria();
    void errorsInTheRecordTestReachTheCaller();
    void connectedTextsReachTheDialog();
};

void TestDBFilterDialog::init() {
    m_folder = std::make_unique<testing::ProgramFolder>(rows());
    m_connection = std::make_unique<AdoConnection>();
    m_connection->setConnectionString(AdoConnection::buildConnectionString(m_folder->path()));
    m_connection->open();
    m_table = std::make_unique<AdoTable>();
    m_table->setConnection(m_connection.get());
    m_table->setTableName(u"cy"_s);
    m_table->open();
    m_table->last();
    m_source = std::make_unique<DataSource>();
    m_source->setDataSet(m_table.get());
    m_filter = std::make_unique<TDBFilterDialog>();
    m_filter->setCaption(u"选择查询条件"_s);
    m_filter->setSelectedFields(kFields);
    m_filter->setDataSource(m_source.get());
    Dialogs::Script::begin();
}

void TestDBFilterDialog::cleanup() {
    Dialogs::Script::end();
    m_filter.reset();
    m_source.reset();
    m_table.reset();
    m_connection.reset();
    m_folder.reset();
}

void TestDBFilterDialog::searchNarrowsTheTable_data() {
    QTest::addColumn<TFilterFieldInfos>("criteria");
    QTest::addColumn<QStringList>("idioms");
    const quint8 start = TFilterFieldInfo::mtStart, any = TFilterFieldInfo::mtAny;
    QTest::newRow("一 at the beginning") << TFilterFieldInfos{value(u"成语"_s, start, u"一"_s)}
                                         << QStringList{u"一丝不苟"_s, u"一言一语"_s};
    QTest::newRow("马 or 牛") << TFilterFieldInfos{value(u"成语"_s, any, u"马 or 牛"_s)}
                              << QStringList{u"汗马功劳"_s, u"对牛弹琴"_s, u"风马牛不相及"_s};
    QTest::newRow("马 and 牛") << TFilterFieldInfos{value(u"成语"_s, any, u"马 and 牛"_s)}
                               << QStringList{u"风马牛不相及"_s};
    QTest::newRow("null on 典故") << TFilterFieldInfos{value(u"典故"_s, start, u"null"_s)}
                                  << QStringList{u"汗马功劳"_s, u"风马牛不相及"_s, u"安步当车"_s,
                                                 u"按部就班"_s, u"暗箭伤人"_s};
    QTest::newRow("an, any case") << TFilterFieldInfos{value(u"拼音"_s, start, u"an"_s)}
                                  << QStringList{u"安步当车"_s, u"按部就班"_s, u"暗箭伤人"_s};
    QTest::newRow("an, case-sensitive")
        << TFilterFieldInfos{value(u"拼音"_s, start, u"an"_s, true)} << QStringList{u"安步当车"_s};
    QTest::newRow("two fields") << TFilterFieldInfos{value(u"成语"_s, any, u"马 or 牛"_s),
                                                     value(u"解释"_s, start, u"比喻"_s)}
                                << QStringList{u"对牛弹琴"_s, u"风马牛不相及"_s};
    QStringList all;
    for (const IdiomEntry& e : rows())
        all << e.text(Column::Idiom);
    QTest::newRow("a range narrows nothing")
        << TFilterFieldInfos{range(u"成语"_s, u"一"_s, u"二"_s)} << all;
    QTest::newRow("no match") << TFilterFieldInfos{value(u"成语"_s, start, u"龙"_s)}
                              << QStringList{};
}

void TestDBFilterDialog::searchNarrowsTheTable() {
    QFETCH(TFilterFieldInfos, criteria);
    QFETCH(QStringList, idioms);
    m_filter->setCriteria(criteria);
    m_filter->ApplySearchCriteria();
    QVERIFY(m_table->filtered());
    // The first accepted row is current at once.
    QCOMPARE(m_table->fieldText(u"成语"_s), idioms.value(0));
    QCOMPARE(visibleIdioms(), idioms);
    m_filter->ClearSearchCriteria();
    m_filter->ApplySearchCriteria();
    QVERIFY(!m_table->filtered());
    QCOMPARE(visibleIdioms().size(), int(rows().size()));
}

void TestDBFilterDialog::opensOnTheCriteriaInForce_data() {
    QTest::addColumn<TFilterFieldInfos>("criteria");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("valueText");
    QTest::addColumn<QString>("minText");
    QTest::addColumn<QString>("checkedMatch");
    QTest::newRow("none") << TFilterFieldInfos{} << 0 << kFields << 0 << QString() << QString()
                          << u"MatchStart"_s;
    QTest::newRow("value") << TFilterFieldInfos{value(u"解释"_s, TFilterFieldInfo::mtAny,
                                                      u"比喻"_s),
                                                value(u"成语"_s, TFilterFieldInfo::mtExact, u"x"_s)}
                           << 1 << QStringList{u"成语"_s, u"解释"_s} << 0 << u"x"_s << QString()
                           << u"MatchExact"_s;
    QTest::newRow("range") << TFilterFieldInfos{range(u"拼音"_s, u"a"_s, {})} << 1
                           << QStringList{u"拼音"_s} << 1 << QString() << u"a"_s << u"MatchStart"_s;
}

void TestDBFilterDialog::opensOnTheCriteriaInForce() {
    QFETCH(TFilterFieldInfos, criteria);
    QFETCH(int, tab);
    QFETCH(QStringList, listed);
    QFETCH(int, page);
    QFETCH(QString, valueText);
    QFETCH(QString, minText);
    QFETCH(QString, checkedMatch);
    const auto dlg = dialog(criteria);
    QCOMPARE(dlg->windowTitle(), u"选择查询条件"_s);
    QCOMPARE(dlg->FieldTabSet->currentIndex(), tab);
    QStringList shown;
    for (int i = 0; i < dlg->FieldsListBox->count(); ++i)
        shown << dlg->FieldsListBox->item(i)->text();
    QCOMPARE(shown, listed);
    QCOMPARE(dlg->FieldsListBox->currentRow(), 0);
    QCOMPARE(dlg->FieldCriteria->text(), listed.first());
    QVERIFY(dlg->LogicalOrder->isChecked());
    QCOMPARE(dlg->SelectNotebook->currentIndex(), page);
    QCOMPARE(dlg->FilterValueEdit->text(), valueText);
    QCOMPARE(dlg->MinValueEdit->text(), minText);
    QVERIFY(dlg->findChild<QRadioButton*>(checkedMatch)->isChecked());
    QCOMPARE(dlg->BtnOK->isEnabled(), !criteria.isEmpty());
    QCOMPARE(dlg->BtnNewSearch->isEnabled(), !criteria.isEmpty());
    QCOMPARE(dlg->BtnClearFilterValue->isEnabled(), !valueText.isEmpty());
    QCOMPARE(dlg->BtnClearMin->isEnabled(), !minText.isEmpty());
    QCOMPARE(dlg->focusWidget(), dlg->FilterValueEdit);
}

void TestDBFilterDialog::onlyTextChangesEnableOk() {
    const auto dlg = dialog();
    dlg->MatchAny->click();
    dlg->CaseSensitive->click();
    QVERIFY(!dlg->BtnOK->isEnabled());
    type(dlg->FilterValueEdit, u"a"_s);
    QVERIFY(dlg->BtnOK->isEnabled());
    QVERIFY(dlg->BtnClearFilterValue->isEnabled());
    QVERIFY(dlg->BtnNewSearch->isEnabled());
    dlg->BtnClearFilterValue->click();
    QVERIFY(dlg->FilterValueEdit->text().isEmpty());
    QVERIFY(!dlg->BtnClearFilterValue->isEnabled());
    QVERIFY(!dlg->BtnNewSearch->isEnabled());
    QVERIFY(dlg->BtnOK->isEnabled());
}

void TestDBFilterDialog::editingCriteriaFieldByField() {
    const auto dlg = dialog();
    // Click 成语, type, choose anywhere; Down stores it and moves on to 拼音.
    QListWidget* list = dlg->FieldsListBox;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QCOMPARE(dlg->currentField(), u"成语"_s);
    type(dlg->FilterValueEdit, u"马 or 牛"_s);
    dlg->MatchAny->click();
    QTest::keyClick(dlg->FilterValueEdit, Qt::Key_Down);
    QCOMPARE(dlg->currentField(), u"拼音"_s);
    QVERIFY(dlg->FilterValueEdit->text().isEmpty());
    QVERIFY(dlg->MatchStart->isChecked());
    type(dlg->FilterValueEdit, u"an"_s);
    dlg->CaseSensitive->click();
    // A range on 代码, typed on the range page.
    QTest::keyClick(dlg->FilterValueEdit, Qt::Key_PageUp);
    QCOMPARE(dlg->currentField(), u"代码"_s);
    dlg->SelectNotebook->setCurrentIndex(1);
    type(dlg->MaxValueEdit, u"z"_s);
    // The searched tab stores and lists the three fields in the configured order.
    dlg->FieldTabSet->setCurrentIndex(1);
    QCOMPARE(dlg->FieldsListBox->count(), 3);
    QCOMPARE(dlg->criteria(),
             (TFilterFieldInfos{value(u"成语"_s, TFilterFieldInfo::mtAny, u"马 or 牛"_s),
                                value(u"拼音"_s, TFilterFieldInfo::mtStart, u"an"_s, true),
                                range(u"代码"_s, {}, u"z"_s)}));
    // Delete drops the selected criterion there.
    QCOMPARE(dlg->currentField(), u"代码"_s);
    QTest::keyClick(dlg->FieldsListBox, Qt::Key_Delete);
    QCOMPARE(dlg->criteria().size(), 2);
    QCOMPARE(dlg->currentField(), u"成语"_s);
    QCOMPARE(dlg->FilterValueEdit->text(), u"马 or 牛"_s);
    // The name order sorts by reading and keeps the selection.
    dlg->FieldTabSet->setCurrentIndex(0);
    dlg->AlphabeticOrder->click();
    QCOMPARE(dlg->FieldsListBox->item(0)->text(), u"成语"_s);
    QCOMPARE(dlg->FieldsListBox->item(8)->text(), u"示例"_s);
    QCOMPARE(dlg->FieldsListBox->currentItem()->text(), u"成语"_s);
    // A new search drops everything; OK then confirms the empty list.
    dlg->BtnNewSearch->click();
    QVERIFY(dlg->criteria().isEmpty());
    QVERIFY(dlg->FilterValueEdit->text().isEmpty());
    QVERIFY(!dlg->BtnNewSearch->isEnabled());
    type(dlg->FilterValueEdit, u"一"_s);
    dlg->BtnOK->click();
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QCOMPARE(dlg->criteria(),
             (TFilterFieldInfos{value(u"成语"_s, TFilterFieldInfo::mtStart, u"一"_s)}));
}

void TestDBFilterDialog::noCriteriaIsReported() {
    const auto dlg = dialog();
    dlg->FieldTabSet->setCurrentIndex(1);
    QCOMPARE(dlg->FieldTabSet->currentIndex(), 0);
    QCOMPARE(dlg->FieldsListBox->count(), 9);
    dlg->BtnViewSummary->click();
    const auto& shown = Dialogs::Script::shownMessages();
    QCOMPARE(shown.size(), 2);
    for (const auto& message : shown) {
        QCOMPARE(message.text, u"你没有选择任何查询标准！"_s);
        QCOMPARE(message.icon, Dialogs::Icon::Information);
    }
    QVERIFY(dlg->isVisible());
}

void TestDBFilterDialog::summaryRows_data() {
    QTest::addColumn<TFilterFieldInfo>("criterion");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("exact") << value(u"成语"_s, TFilterFieldInfo::mtExact, u"一言一语"_s)
                           << QStringList{u"成语"_s, u"E完全匹配"_s, u"一言一语"_s};
    QTest::newRow("start") << value(u"拼音"_s, TFilterFieldInfo::mtStart, u"an"_s)
                           << QStringList{u"拼音"_s, u"B开始部分匹配"_s, u"an"_s};
    QTest::newRow("anywhere") << value(u"成语"_s, TFilterFieldInfo::mtAny, u"马 or 牛"_s)
                              << QStringList{u"成语"_s, u"W在任何位置匹配"_s, u"马 or 牛"_s};
    QTest::newRow("range") << range(u"代码"_s, u"a"_s, u"c"_s)
                           << QStringList{u"代码"_s, u"R按范围"_s, u">=a, <=c"_s};
    QTest::newRow("start only") << range(u"代码"_s, u"a"_s, {})
                                << QStringList{u"代码"_s, u"R按范围"_s, u">=a"_s};
    QTest::newRow("end only") << range(u"代码"_s, {}, u"c"_s)
                              << QStringList{u"代码"_s, u"R按范围"_s, u"<=c"_s};
}

void TestDBFilterDialog::summaryRows() {
    QFETCH(TFilterFieldInfo, criterion);
    QFETCH(QStringList, cells);
    QCOMPARE(TDBFilterSummaryDlg::summaryRows({criterion}, {}), QList<QStringList>{cells});
}

void TestDBFilterDialog::summaryWindowListsTheCriteria() {
    const auto dlg = dialog({value(u"成语"_s, TFilterFieldInfo::mtAny, u"马"_s)});
    dlg->FieldTabSet->setCurrentIndex(0);
    QTest::keyClick(dlg->FilterValueEdit, Qt::Key_Down);
    type(dlg->FilterValueEdit, u"an"_s);
    QString caption;
    QList<QStringList> seen;
    whenModal([&](QWidget* modal) {
        caption = modal->windowTitle();
        auto* grid = modal->findChild<QTableWidget*>(u"SummaryGrid"_s);
        QVERIFY(grid);
        for (int r = 0; r < grid->rowCount(); ++r)
            seen.append(
                {grid->item(r, 0)->text(), grid->item(r, 1)->text(), grid->item(r, 2)->text()});
        modal->findChild<QPushButton*>(u"BtnOK"_s)->click();
    });
    dlg->BtnViewSummary->click();
    QCOMPARE(caption, u"摘要列表"_s);
    QCOMPARE(seen, (QList<QStringList>{{u"成语"_s, u"W在任何位置匹配"_s, u"马"_s},
                                       {u"拼音"_s, u"B开始部分匹配"_s, u"an"_s}}));
}

void TestDBFilterDialog::showSearchDialogAppliesOnlyWhenConfirmed() {
    // Type 一 into 成语 and press OK.
    connect(m_filter.get(), &TDBFilterDialog::dialogShowing, this, [](QDialog* shown) {
        auto* dlg = static_cast<TDBFilterDlg*>(shown);
        whenModal([dlg](QWidget*) {
            dlg->FieldsListBox->setCurrentRow(1);
            type(dlg->FilterValueEdit, u"一"_s);
            QTest::mouseClick(dlg->BtnOK, Qt::LeftButton);
        });
    });
    QVERIFY(m_filter->ShowSearchDialog());
    QCOMPARE(m_filter->criteria().size(), 1);
    QCOMPARE(visibleIdioms(), (QStringList{u"一丝不苟"_s, u"一言一语"_s}));
    // Cancel keeps the criteria and the cursor as they were, whatever was typed.
    m_filter->disconnect(this);
    connect(m_filter.get(), &TDBFilterDialog::dialogShowing, this, [](QDialog* shown) {
        auto* dlg = static_cast<TDBFilterDlg*>(shown);
        whenModal([dlg](QWidget*) {
            QCOMPARE(dlg->FilterValueEdit->text(), u"一"_s);
            dlg->BtnNewSearch->click();
            QTest::keyClick(dlg->FilterValueEdit, Qt::Key_Escape);
        });
    });
    m_table->last();
    QVERIFY(!m_filter->ShowSearchDialog());
    QCOMPARE(m_filter->criteria().size(), 1);
    QVERIFY(m_table->filtered());
    QCOMPARE(m_table->fieldText(u"成语"_s), u"一言一语"_s);
}

void TestDBFilterDialog::closingTheCursorForgetsTheCriteria() {
    m_filter->setCriteria({value(u"成语"_s, TFilterFieldInfo::mtStart, u"一"_s)});
    m_filter->ApplySearchCriteria();
    m_table->close();
    QVERIFY(m_filter->criteria().isEmpty());
    m_table->open();
    QVERIFY(!m_table->filtered());
    QCOMPARE(visibleIdioms().size(), int(rows().size()));
    m_table->close();
    // Applying opens the cursor again, unfiltered.
    m_filter->ApplySearchCriteria();
    QVERIFY(m_table->active());
    QVERIFY(!m_table->filtered());
    QCOMPARE(m_filter->fieldList(), kFields);
}

void TestDBFilterDialog::errorsInTheRecordTestReachTheCaller() {
    m_filter->setCriteria({value(u"缺失"_s, TFilterFieldInfo::mtStart, u"一"_s)});
    QVERIFY_THROWS_EXCEPTION(QuorvaneError, m_filter->ApplySearchCriteria());
    // The fields offered are only those the cursor has.
    m_filter->setSelectedFields({u"成语"_s, u"缺失"_s});
    m_filter->setCriteria({});
    m_filter->ApplySearchCriteria();
    QCOMPARE(m_filter->fieldList(), QStringList{u"成语"_s});
}

void TestDBFilterDialog::connectedTextsReachTheDialog() {
    QCOMPARE(dialog()->BtnOK->text(), u"&O确定"_s);
    {
        TDBIntl intl;
        intl.filterDialog().BtnOKCaption = u"&O好"_s;
        QCOMPARE(dialog()->BtnOK->text(), u"&O确定"_s);
        intl.setConnected(true);
        QCOMPARE(dialog()->BtnOK->text(), u"&O好"_s);
    }
    QCOMPARE(dialog()->BtnOK->text(), u"&O确定"_s);
}

QTEST_MAIN(TestDBFilterDialog)
#include "tst_dbfilterdialog.moc"

#pragma once

#include "data/AdoDataSet.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QFrame;
class QLineEdit;
class QTableView;
class QToolButton;
class QWindow;

namespace quorvane {

class DataSetModel;
class DataSource;

// A lookup box over a cursor: the user types a code, the cursor jumps to the first row whose
// display field starts with it, and a drop-down list shows the cursor's rows. The box moves
// the cursor itself, so everything bound to the same data source follows.
class TDBLookupCombo : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString LookupDisplay READ lookupDisplay WRITE setLookupDisplay)
    Q_PROPERTY(QStringList Selected READ selected WRITE setSelected)
    Q_PROPERTY(QString LookupField READ lookupField WRITE setLookupField)
    Q_PROPERTY(LookupOptions Options READ options WRITE setOptions)
    Q_PROPERTY(LookupStyle Style READ style WRITE setStyle)
    Q_PROPERTY(bool AutoDropDown READ autoDropDown WRITE setAutoDropDown)
    Q_PROPERTY(bool ShowButton READ showButton WRITE setShowButton)
    Q_PROPERTY(bool AllowClearKey READ allowClearKey WRITE setAllowClearKey)
    Q_PROPERTY(bool SeqSearchEnabled READ seqSearchEnabled WRITE setSeqSearchEnabled)
    Q_PROPERTY(
        bool SeqSearchCaseSensitive READ seqSearchCaseSensitive WRITE setSeqSearchCaseSensitive)
    Q_PROPERTY(int SearchDelay READ searchDelay WRITE setSearchDelay)
    Q_PROPERTY(bool ShowMatchText READ showMatchText WRITE setShowMatchText)
    Q_PROPERTY(int DropDownCount READ dropDownCount WRITE setDropDownCount)

public:
    enum LookupOption { loColLines = 0x1, loRowLines = 0x2, loTitles = 0x4 };
    Q_DECLARE_FLAGS(LookupOptions, LookupOption)
    Q_FLAG(LookupOptions)

    // csDropDown: free text; csDropDownList: the text only ever shows a chosen row.
    enum LookupStyle { csDropDown, csDropDownList };
    Q_ENUM(LookupStyle)

    // The search timer's interval when SearchDelay is 0.
    static constexpr int kDefaultSearchDelay = 200;

    explicit TDBLookupCombo(QWidget* parent = nullptr);
    ~TDBLookupCombo() override;

    void setLookupSource(DataSource* source);
    DataSource* lookupSource() const { return m_source; }

    QString lookupDisplay() const { return m_lookupDisplay; }
    void setLookupDisplay(const QString& field);
    // "field\twidth" pairs: the list's columns and their widths in characters.
    QStringList selected() const { return m_selected; }
    void setSelected(const QStringList& fields);
    QString lookupField() const { return m_lookupField; }
    void setLookupField(const QString& field) { m_lookupField = field; }
    LookupOptions options() const { return m_options; }
    void setOptions(LookupOptions options);
    LookupStyle style() const { return m_style; }
    void setStyle(LookupStyle style);
    bool autoDropDown() const { return m_autoDropDown; }
    void setAutoDropDown(bool on) { m_autoDropDown = on; }
    bool showButton() const { return m_showButton; }
    void setShowButton(bool on);
    bool allowClearKey() const { return m_allowClearKey; }
    void setAllowClearKey(bool on) { m_allowClearKey = on; }
    bool seqSearchEnabled() const { return m_seqSearchEnabled; }
    void setSeqSearchEnabled(bool on) { m_seqSearchEnabled = on; }
    bool seqSearchCaseSensitive() const { return m_seqSearchCaseSensitive; }
    void setSeqSearchCaseSensitive(bool on) { m_seqSearchCaseSensitive = on; }
    int searchDelay() const { return m_searchDelay; }
    void setSearchDelay(int milliseconds);
    bool showMatchText() const { return m_showMatchText; }
    void setShowMatchText(bool on) { m_showMatchText = on; }
    int dropDownCount() const { return m_dropDownCount; }
    void setDropDownCount(int rows);

    // The LookupField value of the chosen row, "" while no row is chosen.
    QString lookupValue() const;

    void openList();
    // Closes without accepting; text and current row stay as they are.
    void closeList();

    QLineEdit* editor() const { return m_edit; }
    QString text() const;
    void setText(const QString& text);
    bool listVisible() const;
    QTableView* listView() const { return m_list; }
    bool lastSearchFound() const { return m_lastFound; }

Q_SIGNALS:
    // Each is emitted after the box has handled the event itself.
    void keyDown(QKeyEvent* event);
    void keyPress(QKeyEvent* event);
    void keyUp(QKeyEvent* event);
    void mouseDown(QMouseEvent* event);
    void mouseUp(QMouseEvent* event);
    void closeUp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // What Escape returns to: the state before the list opened.
    struct RestorePoint {
        QString text;
        Bookmark row;
        QString lastSearchText;
        bool lastFound = false;
    };

    AdoDataSet* activeDataSet() const;
    int displayFieldSize() const;
    QString displayText(int row) const;

    bool editorEvent(QEvent* event);
    bool listEvent(QEvent* event);
    void deliverMouse(QObject* target, QMouseEvent* event);
    void handleKeyPress(QKeyEvent* event);
    void handleKeyRelease(QKeyEvent* event);
    void handleOpenListKey(QKeyEvent* event);
    void handleClosedListKey(QKeyEvent* event);

    void search();
    void runPendingSearch();
    void searchTimerFired();
    void accept();
    void acceptRow(int row);
    void cancel();
    void stepRow(int delta);
    void showList();
    void hideList();
    void takeRestorePoint();

    void dataSetChanged();
    void currentRowChanged(int row);
    void rebuildColumns();
    void placeList();

    QLineEdit* m_edit = nullptr;
    QToolButton* m_button = nullptr;
    QFrame* m_popup = nullptr;
    QTableView* m_list = nullptr;
    DataSetModel* m_model = nullptr;
    QTimer m_searchTimer;
    QPointer<DataSource> m_source;
    QMetaObject::Connection m_changedConnection;
    QMetaObject::Connection m_currentConnection;

    QString m_lookupDisplay;
    QStringList m_selected;
    QString m_lookupField;
    LookupOptions m_options = {loColLines, loRowLines};
    LookupStyle m_style = csDropDown;
    bool m_autoDropDown = true;
    bool m_showButton = true;
    bool m_allowClearKey = true;
    bool m_seqSearchEnabled = true;
    bool m_seqSearchCaseSensitive = false;
    int m_searchDelay = 0;
    bool m_showMatchText = false;
    int m_dropDownCount = 8;
    QList<int> m_columnChars;

    QString m_lastSearchText;
    bool m_lastFound = false;
    // Set when a key changed the text while the list was closed: its release searches.
    bool m_searchOnRelease = false;
    RestorePoint m_restore;
    bool m_pressedInList = false;
    bool m_syncingList = false;
    // Watched while the list is open: clicks elsewhere close it, moves carry it along.
    QPointer<QWindow> m_watchedWindow;
    QPointer<QWidget> m_watchedTopLevel;
};

} // namespace quorvane

Q_DECLARE_OPERATORS_FOR_FLAGS(quorvane::TDBLookupCombo::LookupOptions)

#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace quorvane {

// The platform's font dialog (ChooseFont with the effects section and no size limits): face,
// style, size, strike-out, underline, a colour from the list of sixteen, and the character
// set. It keeps its font between runs, as the component that owns it does.
class FontDialog : public QDialog {
    Q_OBJECT
public:
    // A LOGFONT-like font: size in points, colour with red in the low byte.
    struct Font {
        QString face;
        int size = 0;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strikeOut = false;
        quint32 colour = 0;
        int charset = kGb2312Charset;
        bool operator==(const Font&) const = default;
    };
    static constexpr int kAnsiCharset = 0;
    static constexpr int kGb2312Charset = 134;
    // A face name holds at most 31 characters (LF_FACESIZE less the terminator).
    static constexpr int kLongestFace = 31;
    static constexpr int kLargestSize = 1638;

    explicit FontDialog(QWidget* parent = nullptr);

    Font dialogFont() const { return m_font; }
    void setDialogFont(const Font& font) { m_font = font; }

    // Runs the dialog modally on dialogFont(); true when the user confirmed, and dialogFont()
    // then holds the choice.
    bool execute();

    // The colour list: value and the name the program gives it ("clBlack" ...).
    struct NamedColour {
        quint32 value;
        const char* name;
    };
    static QList<NamedColour> colourList();

    // Tests answer the dialog without showing it, while Dialogs::Script is active: nullopt
    // cancels, and every run records the font it was opened with.
    static void queueAnswer(const std::optional<Font>& answer);
    static QList<Font> openedWith();
    static void resetScript();

    void accept() override;

private:
    void buildControls();
    void showFont(const Font& font);
    void fillCharsets(int wanted);
    void updateSample();
    Font chosenFont() const;

    Font m_font;
    QLineEdit* m_faceEdit = nullptr;
    QListWidget* m_faceList = nullptr;
    QListWidget* m_styleList = nullptr;
    QLineEdit* m_sizeEdit = nullptr;
    QListWidget* m_sizeList = nullptr;
    QCheckBox* m_strikeOut = nullptr;
    QCheckBox* m_underline = nullptr;
    QComboBox* m_colour = nullptr;
    QLabel* m_sample = nullptr;
    QComboBox* m_charset = nullptr;
};

} // namespace quorvane

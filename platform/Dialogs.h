#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace quorvane::Dialogs {

enum class Icon { None, Information, Warning, Stop, Question };

enum class Button { Ok, Cancel };
enum class Buttons { Ok, OkCancel };

// A modal message box; returns the button pressed (Escape counts as Cancel, or Ok when
// Ok is the only button).
Button messageBox(QWidget* owner, const QString& text, const QString& caption, Icon icon,
                  Buttons buttons = Buttons::Ok, Button defaultButton = Button::Ok);

// The application's standard error box: caption the application title, stop icon, OK.
void showError(const QString& message);
// "." is appended when the last character sorts after ".", as the error box always did.
QString errorBoxText(const QString& message);

struct FileDialogSetup {
    QString filter;      // "desc|mask|desc|mask"
    QString initialName; // folder + name, or folder + mask
    bool confirmOverwrite = false;
};
// Both return "" when the user cancels.
QString getSaveFileName(QWidget* owner, const FileDialogSetup& setup);
QString getOpenFileName(QWidget* owner, const FileDialogSetup& setup);
// "desc|mask" pairs in the form QFileDialog takes.
QString qtFilter(const QString& filter);

// Lets tests answer the questions the windows ask, and read what they showed.
namespace Script {
struct Shown {
    QString text;
    QString caption;
    Icon icon;
    Buttons buttons;
};
struct FileRequest {
    bool save;
    FileDialogSetup setup;
};
// While active, no box or dialog is shown: answers come from the queues (Ok and "" when
// they run dry) and every request is recorded.
void begin();
void end();
bool active();
void queueAnswer(Button button);
void queueFileName(const QString& name);
const QList<Shown>& shownMessages();
const QList<FileRequest>& fileRequests();
} // namespace Script

} // namespace quorvane::Dialogs

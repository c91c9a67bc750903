#include "platform/Dialogs.h"

#include "platform/User.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace quorvane::Dialogs {
namespace {
struct ScriptState {
    bool active = false;
    QList<Button> answers;
    QStringList fileNames;
    QList<Script::Shown> shown;
    QList<Script::FileRequest> files;
};

ScriptState& script() {
    static ScriptState state;
    return state;
}

QMessageBox::Icon qtIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Stop:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString scriptedFileName(bool save, const FileDialogSetup& setup) {
    script().files.append({save, setup});
    return script().fileNames.isEmpty() ? QString() : script().fileNames.takeFirst();
}

QFileDialog* makeDialog(QWidget* owner, const FileDialogSetup& setup) {
    auto* dialog = new QFileDialog(owner);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    dialog->setNameFilter(qtFilter(setup.filter));
    const QFileInfo initial(setup.initialName);
    dialog->setDirectory(initial.absolutePath());
    if (!initial.fileName().contains(QLatin1Char('*')))
        dialog->selectFile(initial.fileName());
    return dialog;
}
} // namespace

Button messageBox(QWidget* owner, const QString& text, const QString& caption, Icon icon,
                  Buttons buttons, Button defaultButton) {
    if (script().active) {
        script().shown.append({text, caption, icon, buttons});
        const Button answer =
            script().answers.isEmpty() ? Button::Ok : script().answers.takeFirst();
        return buttons == Buttons::Ok ? Button::Ok : answer;
    }
    // Owned by the main window at least, the box leaves the tray icon answering.
    QMessageBox box(qtIcon(icon), caption, text, QMessageBox::NoButton,
                    owner ? owner : User::mainWindow());
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    QPushButton* cancel =
        buttons == Buttons::OkCancel ? box.addButton(QMessageBox::Cancel) : nullptr;
    box.setDefaultButton(defaultButton == Button::Cancel && cancel ? cancel : ok);
    box.setEscapeButton(cancel ? cancel : ok);
    box.exec();
    return box.clickedButton() == ok ? Button::Ok : Button::Cancel;
}

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void showError(const QString& message) {
    messageBox(QApplication::activeWindow(), errorBoxText(message), User::applicationTitle(),
               Icon::Stop);
}

QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString masks = parts[i + 1];
        masks.replace(QLatin1Char(';'), QLatin1Char(' '));
        masks.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        filters << parts[i] + QStringLiteral(" (") + masks + QStringLiteral(")");
    }
    return filters.join(QStringLiteral(";;"));
}

QString getSaveFileName(QWidget* owner, const FileDialogSetup& setup) {
    if (script().active)
        return scriptedFileName(true, setup);
    std::unique_ptr<QFileDialog> dialog(makeDialog(owner, setup));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !setup.confirmOverwrite);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().constFirst();
}

QString getOpenFileName(QWidget* owner, const FileDialogSetup& setup) {
    if (script().active)
        return scriptedFileName(false, setup);
    std::unique_ptr<QFileDialog> dialog(makeDialog(owner, setup));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().constFirst();
}

namespace Script {
void begin() {
    script() = ScriptState{true, {}, {}, {}, {}};
}
void end() {
    script() = ScriptState{};
}
bool active() {
    return script().active;
}
void queueAnswer(Button button) {
    script().answers.append(button);
}
void queueFileName(const QString& name) {
    script().fileNames.append(name);
}
const QList<Shown>& shownMessages() {
    return script().shown;
}
const QList<FileRequest>& fileRequests() {
    return script().files;
}
} // namespace Script

} // namespace quorvane::Dialogs

#pragma once

#include <QString>

#include <memory>

class QWidget;

namespace quorvane::Shell {

// Hands a file or address to the desktop, like ShellExecute with the normal show command.
// The result is deliberately not reported: the program shows nothing when it fails.
class Opener {
public:
    virtual ~Opener() = default;
    // verb "open" or "" for the default verb; target is a local path or an address.
    virtual void execute(QWidget* owner, const QString& verb, const QString& target) = 0;
    // The same, for callers that tell the user when nothing could open the target.
    virtual bool open(QWidget* owner, const QString& verb, const QString& target) {
        execute(owner, verb, target);
        return true;
    }
};

void execute(QWidget* owner, const QString& verb, const QString& target);

// false when the desktop has no program for the target or could not start one.
bool open(QWidget* owner, const QString& verb, const QString& target);

// Tests put a recording opener here; nullptr restores the desktop's.
void setOpener(std::unique_ptr<Opener> opener);

} // namespace quorvane::Shell

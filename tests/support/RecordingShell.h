#pragma once

#include "platform/Shell.h"

#include <QList>
#include <QString>

namespace quorvane::testing {

struct ShellCall {
    QString verb;
    QString target;
};

// Every shell request of the program lands here instead of on the desktop.
QList<ShellCall>& shellCalls();

class RecordingOpener : public Shell::Opener {
public:
    void execute(QWidget*, const QString& verb, const QString& target) override {
        shellCalls().append({verb, target});
    }
};

// A desktop with no program for the target: the request is recorded and refused.
class RefusingOpener : public RecordingOpener {
public:
    bool open(QWidget* owner, const QString& verb, const QString& target) override {
        execute(owner, verb, target);
        return false;
    }
};

} // namespace quorvane::testing

#include "support/RecordingShell.h"

namespace quorvane::testing {

QList<ShellCall>& shellCalls() {
    static QList<ShellCall> calls;
    return calls;
}

} // namespace quorvane::testing

#include "platform/HandlerGuard.h"

#include "platform/Dialogs.h"
#include "platform/QuorvaneError.h"

namespace quorvane {

bool runGuarded(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const QuorvaneError& error) {
        Dialogs::showError(error.message());
    } catch (const std::exception& error) {
        Dialogs::showError(QString::fromLocal8Bit(error.what()));
    }
    return false;
}

} // namespace quorvane

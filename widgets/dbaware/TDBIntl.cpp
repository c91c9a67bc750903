#include "widgets/dbaware/TDBIntl.h"

namespace quorvane {
namespace {
QPointer<TDBIntl>& connectedInstance() {
    static QPointer<TDBIntl> instance;
    return instance;
}
} // namespace

TDBIntl::TDBIntl(QObject* parent) : QObject(parent) {}

TDBIntl::~TDBIntl() {
    setConnected(false);
}

bool TDBIntl::connected() const {
    return connectedInstance() == this;
}

void TDBIntl::setConnected(bool on) {
    if (on)
        connectedInstance() = this;
    else if (connected())
        connectedInstance() = nullptr;
}

const TDBIntlFilterDialog& TDBIntl::currentFilterDialog() {
    static const TDBIntlFilterDialog defaults;
    const TDBIntl* intl = connectedInstance();
    return intl ? intl->m_filterDialog : defaults;
}

const TDBIntlUserMessages& TDBIntl::currentUserMessages() {
    static const TDBIntlUserMessages defaults;
    const TDBIntl* intl = connectedInstance();
    return intl ? intl->m_userMessages : defaults;
}

} // namespace quorvane

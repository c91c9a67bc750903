#pragma once

#include <QString>
#include <stdexcept>

namespace quorvane {

// The program's failures travel as exceptions carrying the text the user sees.
class QuorvaneError : public std::runtime_error {
public:
    explicit QuorvaneError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace quorvane

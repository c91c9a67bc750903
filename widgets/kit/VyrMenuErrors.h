#pragma once

#include <stdexcept>

namespace quorvane {

// Errors of the item tree and of native menu creation.
class EVyrMenuError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A main or form menu placed where it cannot work.
class EDuplicateMainMenu : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace quorvane

#pragma once

#include <stdexcept>

namespace sonvara {

// Raised inside a pass when a stop request arrives after a block; the caller ends the pass.
class CUserException : public std::runtime_error {
public:
    CUserException() : std::runtime_error("stopped at user request") {}
};

}  // namespace sonvara

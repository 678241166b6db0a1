// The failure of a Drawbot call that creates or releases a drawing object,
// carrying the Drawbot result code.
#pragma once

#include <cstdint>
#include <exception>

namespace Ombrix::Levels {

class DRAWBOT_Exception : public std::exception {
public:
    explicit DRAWBOT_Exception(int32_t errorCode) : code(errorCode) {}

    int32_t code;
};

}  // namespace Ombrix::Levels

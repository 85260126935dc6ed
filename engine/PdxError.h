// The engine's internal error: a status code of the C interface and a message naming the file and the cause.
// Everything inside the engine throws Pdx::Error; the C entries catch it and hand code and message out.
#pragma once

#include "engine/PdxEngine.h"

#include <stdexcept>
#include <string>

namespace Pdx {

class Error : public std::runtime_error {
public:
    Error(PdxStatus code, const std::string& message) : std::runtime_error(message), FCode(code) {}
    PdxStatus Code() const { return FCode; }

private:
    PdxStatus FCode;
};

} // namespace Pdx

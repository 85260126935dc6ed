// SysUtils: integer conversion.
#include "framework/core/SysUtils.h"

#include <charconv>

namespace SysUtils {

String IntToStr(int64_t value) { return std::to_string(value); }

} // namespace SysUtils

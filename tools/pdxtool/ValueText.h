// pdxtool's values as text: the dump form of a value read from a table, and a value for a field parsed from
// the command line (the same forms, so that a dumped value can be inserted again).
#pragma once

#include "engine/PdxEngine.h"

#include <string>

namespace ValueText {

// "S", "A40", "N", "#2" (BCD with 2 decimals), "M20" ...
std::string TypeName(int type, int size, int decimals);
std::string Format(const PdxValue& v);
// A value for a field of the type; text goes into storage (the value points into it). Throws
// std::runtime_error naming the field when the text is not a value of the type.
PdxValue Parse(int type, const std::string& text, const std::string& field, std::string& storage);
long long ParseInteger(const std::string& text, const std::string& what);

} // namespace ValueText

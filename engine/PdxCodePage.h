// The engine's text conversion between UTF-8 and a table's code page: the system's own tables (iconv on
// POSIX, the code-page functions on Windows). A character the code page cannot hold, or bytes that are not
// UTF-8, are an error (PDX_E_VALUE), never a '?'.
#pragma once

#include <string>

namespace Pdx {

// The code page text is read in when a table names none (version 3 tables): the DOS code page of the US.
constexpr int DefaultCodePage = 437;

std::string CodePageToUtf8(const std::string& bytes, int codePage);
std::string Utf8ToCodePage(const std::string& utf8, int codePage, const std::string& what);

} // namespace Pdx

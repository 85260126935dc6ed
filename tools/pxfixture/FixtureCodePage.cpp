// pxfixture: text to and from a table's code page with the system's iconv (pxlib's own conversion crashes on
// text longer than the field in UTF-8, so it is never asked to convert).
#include "tools/pxfixture/Fixture.h"

#include <iconv.h>

#include <cerrno>

namespace Fixture {

namespace {

std::string Convert(const std::string& in, const std::string& to, const std::string& from) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == iconv_t(-1)) throw std::runtime_error("no conversion from " + from + " to " + to);
    std::string out(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    int err = errno;
    iconv_close(cd);
    if (r == size_t(-1))
        throw std::runtime_error("text \"" + in + "\" cannot be converted from " + from + " to " + to +
                                 (err == EILSEQ ? ": a character the code page cannot hold" : ""));
    out.resize(out.size() - dstLeft);
    return out;
}

} // namespace

std::string ToCodePage(const std::string& utf8, int codePage) {
    return Convert(utf8, "CP" + std::to_string(codePage), "UTF-8");
}

std::string FromCodePage(const std::string& bytes, int codePage) {
    return Convert(bytes, "UTF-8", "CP" + std::to_string(codePage));
}

} // namespace Fixture

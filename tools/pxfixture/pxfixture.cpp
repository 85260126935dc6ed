// pxfixture: Paradox tables made and read by pxlib, the independent library, never by our engine. The tests
// and the demo make their template tables with it and check with it what our engine wrote.
//
//   pxfixture template OUT.db RECORDS [--codepage 1251|866|1252] [--omit FIELD] [--block-kib N]
//   pxfixture table OUT.db --fields "Name:A40,Count:S,..." [--records N] [--codepage CP] [--block-kib N]
//   pxfixture dump FILE
//
// Run without arguments for the full description.
#include "tools/pxfixture/Fixture.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage:\n"
    "  pxfixture template OUT.db RECORDS [--codepage 1251|866|1252] [--omit FIELD] [--block-kib N]\n"
    "      A template table of the 21 style fields (Level S, Name A40, FontName A40, FontSize S,\n"
    "      FontColor I, Bold L, Italic L, Underline L, Align S, Bullets L, FirstInd S, LeftInd S, RightInd "
    "S,\n"
    "      TabPos S, SpaceBefore S, SpaceAfter S, SpaceLine S, BackColor I, PageBreak L, LineSpacingRule S,\n"
    "      NoControlChar L) holding RECORDS styles. Record r (from 1) has Level r, Name \"Стиль r\"\n"
    "      (\"Style r\" in a code page without Cyrillic), FontName \"Arial\", FontSize 10 + r % 5,\n"
    "      FontColor r * 65536, Bold r odd, Italic r % 3 == 0, Underline false, Align r % 4, Bullets false,\n"
    "      FirstInd r, LeftInd 2r, RightInd 3r, TabPos r % 7, SpaceBefore/After/Line 0/1/2, BackColor\n"
    "      16777215, PageBreak false, LineSpacingRule 0, NoControlChar true. --omit leaves a field out.\n"
    "  pxfixture table OUT.db --fields \"Name:TYPE,...\" [--records N] [--codepage CP] [--block-kib N]\n"
    "      TYPE is An (alpha of n bytes), S, I, +, L, N, $, D, T or @. Record r (from 1) holds in its k-th\n"
    "      field (from 1): A \"Запись r.k\" (\"Record r.k\" without Cyrillic), cut to n bytes; S r * k - "
    "50;\n"
    "      I and + r * 1000 + k; L r odd; N r + k / 4; $ r * 1.5; D 738000 + r days (from 1 January of\n"
    "      year 1); T r * 1000 + k milliseconds; @ the D value's day at the T value's time. Every field of "
    "a\n"
    "      record whose r is a multiple of 10 is blank, except the first.\n"
    "  pxfixture dump FILE\n"
    "      pxlib's reading of the table: one line per record, Name=Value fields separated by a tab, blank\n"
    "      values as NULL, logicals true/false, numbers in their shortest exact form, dates and times in\n"
    "      ISO form, text in UTF-8 with \\t, \\n and \\\\ escaped. The block chain is checked first, so a\n"
    "      damaged file is refused instead of hanging pxlib.\n"
    "Tables are written as pxlib writes them: file version 7, block size of pxlib's choice unless given.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    try {
        const std::string& cmd = args[0];
        if (cmd == "dump" && args.size() == 2) {
            Fixture::Dump(args[1], stdout);
            return 0;
        }
        if ((cmd == "template" || cmd == "table") && args.size() >= 2) {
            Fixture::TableSpec spec;
            spec.path = args[1];
            size_t i = 2;
            if (cmd == "template") {
                if (args.size() < 3) return Usage();
                spec.records = std::stoi(args[2]);
                i = 3;
            }
            std::string omit, fields;
            for (; i < args.size(); ++i) {
                const std::string& a = args[i];
                auto value = [&]() -> const std::string& {
                    if (i + 1 >= args.size()) throw std::runtime_error(a + " needs a value");
                    return args[++i];
                };
                if (a == "--codepage")
                    spec.codePage = std::stoi(value());
                else if (a == "--omit")
                    omit = value();
                else if (a == "--block-kib")
                    spec.blockKiB = std::stoi(value());
                else if (a == "--records" && cmd == "table")
                    spec.records = std::stoi(value());
                else if (a == "--fields" && cmd == "table")
                    fields = value();
                else
                    return Usage();
            }
            if (cmd == "template")
                Fixture::MakeTemplate(spec, omit);
            else
                Fixture::MakeTable(spec, fields);
            return 0;
        }
        return Usage();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pxfixture: %s\n", e.what());
        return 1;
    }
}

// pxfixture: Paradox tables made and read by pxlib, the independent library, never by our engine. The tests
// and the demo make their template tables with it and check with it what our engine wrote.
//
//   pxfixture template OUT.db RECORDS [--codepage 1251|866|1252] [--omit FIELD] [--version 70|50|40]
//                                     [--block-kib N]
//   pxfixture table OUT.db --fields "Name:A40,Count:S,..." [--records N] [--key N] [--codepage CP]
//                          [--version 70|50|40] [--block-kib N]
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
    "  pxfixture template OUT.db RECORDS [--codepage 1251|866|1252] [--omit FIELD] [--version 70|50|40]\n"
    "                                    [--block-kib N]\n"
    "      A template table of the 21 style fields (Level S, Name A40, FontName A40, FontSize S,\n"
    "      FontColor I, Bold L, Italic L, Underline L, Align S, Bullets L, FirstInd S, LeftInd S,\n"
    "      RightInd S, TabPos S, SpaceBefore S, SpaceAfter S, SpaceLine S, BackColor I, PageBreak L,\n"
    "      LineSpacingRule S, NoControlChar L) holding RECORDS styles. Record r (from 1) has Level r,\n"
    "      Name \"Стиль r\" (\"Style r\" in a code page without Cyrillic), FontName \"Arial\",\n"
    "      FontSize 10 + r % 5, FontColor r * 65536, Bold r odd, Italic r % 3 == 0, Underline false,\n"
    "      Align r % 4, Bullets false, FirstInd r, LeftInd 2r, RightInd 3r, TabPos r % 7,\n"
    "      SpaceBefore/After/Line 0/1/2, BackColor 16777215, PageBreak false, LineSpacingRule 0,\n"
    "      NoControlChar true. --omit leaves a field out.\n"
    "  pxfixture table OUT.db --fields \"Name:TYPE,...\" [--records N] [--key N] [--codepage CP]\n"
    "                         [--version 70|50|40] [--block-kib N]\n"
    "      TYPE is An (alpha of n bytes), S, I, +, L, N, $, D, T, @, Yn (n bytes), Mn and Fn (memo and\n"
    "      formatted memo with an n-byte leader; longer memos go to OUT.mb): the types pxlib writes\n"
    "      correctly (it stores BCD values with the wrong number of decimals and leaves binary blobs\n"
    "      blank). Record r (from 1) holds in its k-th field (from 1):\n"
    "        A   \"Запись r.k\" (\"Record r.k\" without Cyrillic), cut to n bytes\n"
    "        S   r * k - 50            I, +  r * 1000 + k         L  r odd\n"
    "        N   r + k / 4             $     r * 1.5              D  738000 + r days (day 1 = 0001-01-01)\n"
    "        T   r * 1000 + k ms       @     the D value's day at the T value's time\n"
    "        Yn  n bytes, byte i (from 0) = (r + k + i) % 256\n"
    "        M F \"Заметка r.k \" (\"Memo r.k \") repeated and cut to L bytes of the code page\n"
    "      where L = 5 for r = 1 and 50 * r * r otherwise. Every field of a record whose r is a multiple\n"
    "      of 10 is blank, except the first field and the key fields. --key N makes the first N fields\n"
    "      the primary key: the records are stored in key order (numbers by value, text by its code-page\n"
    "      bytes) and pxlib writes OUT.px.\n"
    "  pxfixture dump FILE\n"
    "      pxlib's reading of the table: one line per record, Name=Value fields separated by a tab, blank\n"
    "      values as NULL, logicals true/false, numbers in their shortest exact form, dates and times in\n"
    "      ISO form, text and memos in UTF-8 with \\t, \\n and \\\\ escaped, BCD as a decimal, bytes and\n"
    "      blobs in hexadecimal. The block chain is checked first, so a damaged file is refused instead\n"
    "      of hanging pxlib.\n"
    "Tables are written by pxlib: file version 7 unless --version says otherwise, code page 1251 unless\n"
    "--codepage says otherwise, block size of pxlib's choice unless --block-kib gives it (1..32).\n";

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
                else if (a == "--version")
                    spec.version = std::stoi(value());
                else if (a == "--key" && cmd == "table")
                    spec.keyFields = std::stoi(value());
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

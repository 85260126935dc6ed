// Fuzz target: the binary component stream reader and its text conversion on arbitrary bytes.
//
// Each input is read (1) as a record sequence into text, (2) through the skip routines record by record,
// (3) value by value from its first byte with SkipValue and the typed reads, (4) as text by the text form's
// parser (whose bytes, when it succeeds, the printer must read back). Bad input must end in an
// exception of the framework's family (SysUtils::Exception); anything else - a crash, a sanitizer report, a
// hang, another exception - is a finding. Beyond not crashing, two properties are checked and trap when
// broken:
//   - the text printer and the skip routines accept exactly the same records and stop at the same byte;
//   - once our parser has read the printed text back, printing and reading again is a fixed point.
//
// The seeds in stream_reader/ were made with dfm from small text forms (a form with every value kind, an
// edition of two items, inherited and inline records) and by damaging their bytes (a cut, an unknown tag, a
// huge length, a wrong signature, deep nesting); the *.txt seeds are text forms for the parser.
#include "framework/core/ClassesText.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace Classes;

namespace {

void Load(TMemoryStream& m, const void* data, size_t size) {
    if (size) m.WriteBuffer(data, size);
    m.SetPosition(0);
}

// 1. The printer over the record sequence; returns whether it succeeded and where it stopped.
bool PrintSequence(const uint8_t* data, size_t size, std::string& text, int64_t& end) {
    TMemoryStream in, out;
    Load(in, data, size);
    bool ok = true;
    try {
        ObjectSequenceBinaryToText(in, out);
    } catch (const SysUtils::Exception&) {
        ok = false;
    }
    end = in.GetPosition();
    text.assign(out.Bytes().begin(), out.Bytes().end());
    return ok;
}

// 2. The same sequence through the skip routines.
bool SkipSequence(const uint8_t* data, size_t size, int64_t& end) {
    TMemoryStream in;
    Load(in, data, size);
    TBinaryObjectReader r(in);
    bool ok = true;
    try {
        while (in.GetPosition() < in.GetSize()) {
            if (r.EndOfList()) break;
            r.ReadSignature();
            r.SkipComponent(true);
        }
    } catch (const SysUtils::Exception&) {
        ok = false;
    }
    end = in.GetPosition();
    return ok;
}

// 3. Values one after the other from the first byte, also through the typed reads.
void ReadValues(const uint8_t* data, size_t size) {
    TMemoryStream in;
    Load(in, data, size);
    TBinaryObjectReader r(in);
    try {
        while (in.GetPosition() < in.GetSize()) {
            int64_t at = in.GetPosition();
            TValueType t = r.NextValue();
            switch (t) {
            case TValueType::vaString:
            case TValueType::vaLString:
            case TValueType::vaWString:
            case TValueType::vaUString:
            case TValueType::vaUTF8String:
                r.ReadString();
                break;
            case TValueType::vaInt8:
            case TValueType::vaInt16:
            case TValueType::vaInt32:
            case TValueType::vaInt64:
                r.ReadInteger();
                break;
            case TValueType::vaIdent:
            case TValueType::vaNil:
                r.ReadIdent();
                break;
            case TValueType::vaExtended:
                r.ReadValue();
                r.ReadExtendedPayload();
                break;
            case TValueType::vaSet:
                r.ReadValue();
                r.ReadSetPayload();
                break;
            case TValueType::vaBinary:
                r.ReadValue();
                r.ReadBinaryPayload();
                break;
            default:
                r.SkipValue();
                break;
            }
            if (in.GetPosition() <= at) __builtin_trap(); // no progress would be a hang
        }
    } catch (const SysUtils::Exception&) {
    }
}

// Text to binary to text; false when our parser refuses the text (names and identifiers that are not
// identifiers are printed as they are and cannot be read back).
bool Reprint(const std::string& text, std::string& again) {
    TMemoryStream in, bin, out;
    Load(in, text.data(), text.size());
    try {
        ObjectSequenceTextToBinary(in, bin);
        bin.SetPosition(0);
        ObjectSequenceBinaryToText(bin, out);
    } catch (const EParserError&) {
        return false;
    }
    again.assign(out.Bytes().begin(), out.Bytes().end());
    return true;
}

// 4. The bytes as text: the parser either refuses them with EParserError or makes a sequence that the
// printer reads in full.
void ParseText(const uint8_t* data, size_t size) {
    TMemoryStream in, bin, out;
    Load(in, data, size);
    try {
        ObjectSequenceTextToBinary(in, bin);
    } catch (const EParserError&) {
        return;
    }
    bin.SetPosition(0);
    ObjectSequenceBinaryToText(bin, out); // any exception here escapes: a finding
    if (bin.GetPosition() != bin.GetSize()) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text;
    int64_t printEnd = 0, skipEnd = 0;
    bool printed = PrintSequence(data, size, text, printEnd);
    bool skipped = SkipSequence(data, size, skipEnd);
    if (printed != skipped || (printed && printEnd != skipEnd)) __builtin_trap();
    ReadValues(data, size);
    if (printed) {
        std::string t2, t3;
        if (Reprint(text, t2)) {
            if (!Reprint(t2, t3) || t3 != t2) __builtin_trap();
        }
    }
    ParseText(data, size);
    return 0;
}

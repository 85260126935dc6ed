// Forms as text in tests: a component read from its text form (object ... end) and written back as text.
#pragma once

#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesStreams.h"
#include "framework/core/ClassesText.h"

#include <memory>

namespace TestSupport {

// The root the text describes, created by its registered class (EParserError / EReadError on bad input).
inline std::unique_ptr<Classes::TComponent> ReadFormText(const SysUtils::String& Text) {
    Classes::TMemoryStream in, binary;
    in.WriteBuffer(Text.data(), Text.size());
    in.SetPosition(0);
    Classes::ObjectTextToBinary(in, binary);
    binary.SetPosition(0);
    return Classes::ReadComponentFromStream(binary);
}

// The root written as the writer streams it ("TPF0" ...), then converted to text.
inline SysUtils::String WriteFormText(Classes::TComponent* Root) {
    Classes::TMemoryStream binary, out;
    {
        Classes::TWriter writer(binary);
        writer.WriteRootComponent(Root);
    }
    binary.SetPosition(0);
    Classes::ObjectBinaryToText(binary, out);
    return SysUtils::String(out.Bytes().begin(), out.Bytes().end());
}

} // namespace TestSupport

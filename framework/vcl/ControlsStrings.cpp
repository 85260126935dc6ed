// Controls: TPersistentStrings, the string list that is a property.
#include "framework/vcl/Controls.h"

#include "framework/core/ClassesReaderWriter.h"

#include <algorithm>

namespace Controls {

namespace {
// BeginUpdate until the end of the block: the list tells of one change.
struct TUpdate {
    explicit TUpdate(Classes::TStrings* S) : Strings(S) { Strings->BeginUpdate(); }
    ~TUpdate() { Strings->EndUpdate(); }
    Classes::TStrings* Strings;
};
} // namespace

void TPersistentStrings::Assign(Classes::TPersistent* Source) {
    if (auto* strings = dynamic_cast<TPersistentStrings*>(Source)) {
        Assign(static_cast<const Classes::TStrings&>(*strings));
        return;
    }
    inherited::Assign(Source);
}

void TPersistentStrings::Assign(const Classes::TStrings& Source) {
    if (&Source == this) return;
    TUpdate update{this};
    Clear();
    for (int i = 0; i < Source.GetCount(); ++i)
        AddObject(Source.Get(i), Source.Objects(i));
}

void TPersistentStrings::DefineProperties(Classes::TFiler& Filer) {
    Filer.DefineProperty(
        "Strings",
        [this](Classes::TReader& Reader) {
            TUpdate update{this};
            Clear();
            Reader.ReadListBegin();
            while (!Reader.EndOfList())
                Add(Reader.ReadString());
            Reader.ReadListEnd();
        },
        [this](Classes::TWriter& Writer) {
            Writer.WriteListBegin();
            for (int i = 0; i < GetCount(); ++i) {
                String s = Get(i);
                if (std::all_of(s.begin(), s.end(),
                                [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
                    Writer.WriteString(s);
                else
                    Writer.WriteWideString(s);
            }
            Writer.WriteListEnd();
        },
        GetCount() > 0);
}

PUBLISHED(TPersistentStrings, "Classes");

} // namespace Controls

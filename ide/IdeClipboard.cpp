// Ide: the component clipboard of the designer, on the system clipboard.
#include "ide/IdeDesigner.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesText.h"

#include <cstring>
#include <set>

namespace Ide {

namespace {

// The clipboard, opened for the application window and closed in every case.
class TOpenClipboard {
public:
    TOpenClipboard() {
        HWND owner = Forms::Application ? Forms::Application->GetHandle() : nullptr;
        // Another program may hold it for a moment.
        for (int attempt = 0; attempt < 50 && !FOpen; ++attempt) {
            FOpen = OpenClipboard(owner) != FALSE;
            if (!FOpen) Sleep(10);
        }
        if (!FOpen) throw SysUtils::Exception("Cannot open clipboard");
    }
    ~TOpenClipboard() { CloseClipboard(); }
    TOpenClipboard(const TOpenClipboard&) = delete;
    TOpenClipboard& operator=(const TOpenClipboard&) = delete;

private:
    bool FOpen = false;
};

void SetData(UINT Format, const void* Data, size_t Size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, Size);
    if (block == nullptr) throw SysUtils::EOutOfMemory("Out of memory");
    std::memcpy(GlobalLock(block), Data, Size);
    GlobalUnlock(block);
    if (SetClipboardData(Format, block) == nullptr) {
        GlobalFree(block);
        throw SysUtils::Exception("Cannot put the components on the clipboard");
    }
}

bool Contains(const TComponentList* List, TComponent* C) {
    return List->IndexOf(C) >= 0;
}

// Whether a component streamed inside C (its parent, its parent's parent...) is in the list too: then C
// travels inside it.
bool InsideListed(const TComponentList* List, TComponent* C) {
    for (TComponent* p = C->GetParentComponent(); p; p = p->GetParentComponent())
        if (Contains(List, p)) return true;
    return false;
}

String BaseName(const String& ClassName) {
    String base = ClassName;
    if (!base.empty() && (base[0] == 'T' || base[0] == 't')) base.erase(0, 1);
    return base;
}

} // namespace

unsigned ComponentClipboardFormat() {
    static UINT format = RegisterClipboardFormatW(L"Ide Components");
    return format;
}

void TDesigner::CopyComponents(TComponent* Root, const TComponentList* List) {
    Classes::TMemoryStream binary;
    {
        Classes::TWriter writer(binary);
        writer.SetRoot(Root);
        for (TComponent* c : *List) {
            if (c == nullptr || c == Root || InsideListed(List, c)) continue;
            writer.WriteSignature();
            writer.WriteComponent(c);
        }
    }
    uint8_t end = 0;
    binary.WriteBuffer(&end, 1);
    Classes::TMemoryStream text;
    binary.SetPosition(0);
    Classes::ObjectSequenceBinaryToText(binary, text);
    String lines(reinterpret_cast<const char*>(text.Memory()), size_t(text.GetSize()));
    std::u16string wide;
    for (char16_t ch : SysUtils::Utf8ToUtf16(lines)) {
        if (ch == u'\n') wide += u'\r';
        wide += ch;
    }
    wide += u'\0';

    TOpenClipboard clipboard;
    EmptyClipboard();
    SetData(ComponentClipboardFormat(), binary.Memory(), size_t(binary.GetSize()));
    SetData(CF_UNICODETEXT, wide.data(), wide.size() * sizeof(char16_t));
}

bool TDesigner::CanPaste() const {
    return IsClipboardFormatAvailable(ComponentClipboardFormat()) != FALSE;
}

void TDesigner::PasteComponents(TComponent* Owner, TComponent* Parent, TComponentList* List) {
    String text;
    {
        TOpenClipboard clipboard;
        HANDLE data = GetClipboardData(ComponentClipboardFormat());
        if (data == nullptr) return;
        auto* bytes = static_cast<const uint8_t*>(GlobalLock(data));
        if (bytes == nullptr) return;
        Classes::TMemoryStream binary;
        binary.WriteBuffer(bytes, GlobalSize(data));
        GlobalUnlock(data);
        binary.SetPosition(0);
        Classes::TMemoryStream out;
        Classes::ObjectSequenceBinaryToText(binary, out);
        text.assign(reinterpret_cast<const char*>(out.Memory()), size_t(out.GetSize()));
    }
    // Names taken in the owner (or earlier in this paste) become the class name and the lowest free number.
    std::set<String> taken;
    auto isFree = [&](const String& n) {
        return Owner->FindComponent(n) == nullptr && !SysUtils::SameText(n, Owner->GetName()) &&
               !taken.contains(SysUtils::UpperCase(n));
    };
    String renamed;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == String::npos) end = text.size() - 1;
        String line = text.substr(start, end - start + 1);
        start = end + 1;
        size_t at = line.find_first_not_of(' ');
        size_t colon = line.find(':');
        bool header = at != String::npos && colon != String::npos &&
                      (line.compare(at, 7, "object ") == 0 || line.compare(at, 7, "inline ") == 0);
        if (header) {
            size_t nameAt = line.find(' ', at) + 1;
            String name = SysUtils::Trim(line.substr(nameAt, colon - nameAt));
            size_t classEnd = line.find_first_of("[ \r\n", colon + 2);
            String cls =
                line.substr(colon + 2, classEnd == String::npos ? String::npos : classEnd - colon - 2);
            if (!name.empty() && !isFree(name)) {
                String base = BaseName(cls);
                for (int64_t i = 1;; ++i) {
                    if (i >= 2147483648LL)
                        throw Classes::EComponentError(
                            SysUtils::Format("Cannot create unique name for %s.", {cls}));
                    name = base + SysUtils::IntToStr(i);
                    if (isFree(name)) break;
                }
                line = line.substr(0, nameAt) + name + line.substr(colon);
            }
            if (!name.empty()) taken.insert(SysUtils::UpperCase(name));
        }
        renamed += line;
    }
    Classes::TMemoryStream input, binary;
    input.WriteBuffer(renamed.data(), renamed.size());
    input.SetPosition(0);
    Classes::ObjectSequenceTextToBinary(input, binary);
    binary.SetPosition(0);
    Classes::TReader reader(binary);
    reader.OnFindMethod = [](const String&, bool& Error) { Error = false; };
    int before = List->Count();
    try {
        reader.ReadComponents(Owner, Parent, [&](TComponent* c) { List->Add(c); });
    } catch (...) {
        // The records before a failing one stay (a class no package registered, say).
        if (List->Count() > before) Modified();
        throw;
    }
    Modified();
}

} // namespace Ide

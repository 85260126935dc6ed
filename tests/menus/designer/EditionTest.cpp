// Edition files on a real form: the bytes as written, a save and open giving the same items, and every
// damaged or foreign edition refused with menu, items and form exactly as they were.
#include "menus/design/VmDsgnEdition.h"
#include "tests/menus/MenusTestSupport.h"

#include "framework/core/ClassesFiler.h"
#include "framework/core/ClassesReaderWriter.h"

#include <gtest/gtest.h>

namespace {

using Classes::TMemoryStream;
using MenusTest::TMenuForm;
using SysUtils::String;

std::vector<uint8_t> Edition(VeskMenu::TVeskMenu& Menu) {
    TMemoryStream m;
    VmDsgn::WriteEdition(m, Menu);
    return m.Bytes();
}

// A form whose VeskMenu1 holds New and Open items, the first with a 16-colour picture and the designer's own
// look, the second with the defaults but a shadow and a separator text.
struct TEditionForm : TMenuForm {
    VeskMenu::TVeskMenuItem *A, *B;
    TEditionForm() {
        A = Link(New, "vmiNew");
        Graphics::TBitmap glyph;
        glyph.SetPixelFormat(Graphics::pf4bit);
        glyph.SetWidth(16);
        glyph.SetHeight(16);
        glyph.GetCanvas()->GetBrush()->SetColor(Graphics::clFuchsia);
        glyph.GetCanvas()->FillRect(Graphics::Rect(0, 0, 16, 16));
        A->GetPicture()->SetGraphic(&glyph);
        A->GetFont()->SetName("System");
        A->GetFont()->SetHeight(-13);
        A->GetFont()->SetColor(Graphics::clWindowText);
        A->GetFont()->SetStyle({});
        A->SetTrColor(Graphics::clFuchsia);
        A->SetOptions({VeskMenu::omAlwaysDefFont, VeskMenu::omFixedImgSize, VeskMenu::omTileWallpaper,
                       VeskMenu::omTileSelWallpaper});
        B = Link(Open, "vmiOpen");
        B->SetSeparatorText(String(300, 'x'));
        B->GetShadow()->SetActive(true);
    }
    std::vector<String> Names() const {
        std::vector<String> out;
        for (int i = 0; i < Vm->GetCount(); ++i)
            out.push_back(Vm->GetItem(i)->GetName());
        return out;
    }
};

TEST(Edition, TwoItemsAreTwoSignedRecordsAndOneClosingByte) {
    TEditionForm f;
    std::vector<uint8_t> bytes = Edition(*f.Vm);
    TMemoryStream m;
    m.WriteBuffer(bytes.data(), bytes.size());
    m.SetPosition(0);
    Classes::TBinaryObjectReader r(m);
    std::vector<std::vector<String>> props;
    for (const char* name : {"vmiNew", "vmiOpen"}) {
        r.ReadSignature(); // "TPF0" before each record
        Classes::TRecordHeader h = r.ReadRecordHeader();
        EXPECT_EQ(h.Flags, 0);
        EXPECT_EQ(h.ClassName, "TVeskMenuItem");
        EXPECT_EQ(h.Name, name);
        props.emplace_back();
        while (!r.EndOfList()) {
            props.back().push_back(r.ReadPropName());
            r.SkipValue();
        }
        EXPECT_TRUE(r.EndOfList()) << "an item has no children";
    }
    EXPECT_TRUE(r.EndOfList());
    EXPECT_EQ(r.Position(), int64_t(bytes.size()));
    // The designer's look in declaration order, defaults left out, references by name.
    EXPECT_EQ(props[0], (std::vector<String>{"Font.Charset", "Font.Color", "Font.Height", "Font.Name",
                                             "Font.Pitch", "Font.Style", "Picture.Data", "TrColor", "Options",
                                             "Menu", "MenuItem", "ImageIndex"}));
    EXPECT_EQ(props[1].back(), "Shadow.Active");
    // The values that have a fixed encoding: identifiers, an 8-bit integer, a long string.
    String text(bytes.begin(), bytes.end());
    for (const String& piece :
         {String("\x0A"
                 "Font.Color\x07\x0C"
                 "clWindowText",
                 25),
          String("\x0B"
                 "Font.Height\x02\xF3",
                 14),
          String("\x07TrColor\x07\x09"
                 "clFuchsia",
                 19),
          String("\x04Menu\x07\x09MainMenu1", 16), String("\x08MenuItem\x07\x04New1", 15),
          String("\x0DSeparatorText\x0C\x2C\x01\x00\x00", 19)})
        EXPECT_NE(text.find(piece), String::npos) << SysUtils::IntToStr(int(piece.size()));
    // No items: the closing byte alone.
    TMenuForm empty;
    EXPECT_EQ(Edition(*empty.Vm), std::vector<uint8_t>{0});
}

TEST(Edition, OpenedOnTheSameMenuGivesTheSameItemsNamesOrderAndValues) {
    TEditionForm f;
    f.Vm->ExchangeItems(0, 1);
    std::vector<uint8_t> saved = Edition(*f.Vm);
    TMemoryStream in;
    in.WriteBuffer(saved.data(), saved.size());
    in.SetPosition(0);
    int removed = 0;
    std::vector<VeskMenu::TVeskMenuItem*> loaded;
    VmDsgn::ReadEdition(
        in, *f.Vm,
        [&] {
            ++removed;
            while (f.Vm->GetCount() > 0)
                delete f.Vm->GetItem(0);
        },
        [&](VeskMenu::TVeskMenuItem* item) { loaded.push_back(item); });
    EXPECT_EQ(removed, 1);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(f.Names(), (std::vector<String>{"vmiOpen", "vmiNew"}));
    EXPECT_EQ(loaded[0], f.Vm->GetItem(0));
    EXPECT_EQ(loaded[1]->GetOwner(), f.Form.get());
    EXPECT_EQ(loaded[1]->GetMenuItem(), f.New);
    EXPECT_EQ(loaded[1]->GetMenu(), f.Main);
    EXPECT_EQ(loaded[1]->GetTrColor(), Graphics::clFuchsia);
    EXPECT_EQ(loaded[0]->GetSeparatorText(), String(300, 'x'));
    EXPECT_EQ(Edition(*f.Vm), saved);
}

// Damaged and foreign editions, each made from the sound one.
struct TBadEdition {
    const char* What;
    std::function<std::vector<uint8_t>(std::vector<uint8_t>)> Make;
    const char* Message; // a part of the message
};

std::vector<uint8_t> Replace(std::vector<uint8_t> b, const String& from, const String& to) {
    String s(b.begin(), b.end());
    size_t at = s.find(from);
    EXPECT_NE(at, String::npos) << from;
    s.replace(at, from.size(), to);
    return std::vector<uint8_t>(s.begin(), s.end());
}

TEST(Edition, ADamagedOrForeignEditionChangesNothing) {
    const std::vector<TBadEdition> cases = {
        {"empty file", [](auto) { return std::vector<uint8_t>{}; }, "Stream read error"},
        {"cut in the second record", [](auto b) { return std::vector<uint8_t>(b.begin(), b.end() - 9); },
         "Stream read error"},
        {"cut before the closing byte", [](auto b) { return std::vector<uint8_t>(b.begin(), b.end() - 1); },
         "Stream read error"},
        {"a plain menu entry",
         [](auto b) { return Replace(b, "\x0DTVeskMenuItem\x07vmiOpen", "\x09TMenuItem\x07vmiOpen"); },
         "holds a TMenuItem"},
        {"an unknown class",
         [](auto b) { return Replace(b, "\x0DTVeskMenuItem\x07vmiOpen", "\x04TFoo\x07vmiOpen"); },
         "Class TFoo not found"},
        {"a name of the form", [](auto b) { return Replace(b, "\x07vmiOpen", "\x05Open1"); },
         "A component named Open1 already exists"},
        {"a name twice", [](auto b) { return Replace(b, "\x07vmiOpen", "\x06vmiNew"); }, "vmiNew"},
        {"an unknown property", [](auto b) { return Replace(b, "\x07TrColor", "\x08TrColour"); }, "TrColour"},
        {"an inherited record",
         [](auto b) {
             return Replace(b, "TPF0\x0DTVeskMenuItem\x07vmiOpen", "TPF0\xF1\x0DTVeskMenuItem\x07vmiOpen");
         },
         "inherited"},
    };
    for (const TBadEdition& c : cases) {
        SCOPED_TRACE(c.What);
        TEditionForm f;
        std::vector<uint8_t> bytes = c.Make(Edition(*f.Vm));
        int components = f.Form->GetComponentCount();
        TMemoryStream in;
        if (!bytes.empty()) in.WriteBuffer(bytes.data(), bytes.size());
        in.SetPosition(0);
        bool removed = false, added = false;
        try {
            VmDsgn::ReadEdition(
                in, *f.Vm, [&] { removed = true; }, [&](auto*) { added = true; });
            ADD_FAILURE() << "read";
        } catch (const SysUtils::Exception& e) {
            EXPECT_NE(e.Message().find(c.Message), String::npos) << e.Message();
        }
        EXPECT_FALSE(removed);
        EXPECT_FALSE(added);
        ASSERT_EQ(f.Vm->GetCount(), 2);
        EXPECT_EQ(f.Vm->GetItem(0), f.A);
        EXPECT_EQ(f.Vm->GetItem(1), f.B);
        EXPECT_EQ(f.Names(), (std::vector<String>{"vmiNew", "vmiOpen"}));
        EXPECT_EQ(f.Form->GetComponentCount(), components);
        EXPECT_EQ(f.A->GetMenuItem(), f.New);
    }
}

TEST(Edition, NewNamesTakeTheLowestFreeNumberIgnoringCase) {
    TMenuForm f;
    f.Vm->NewItem()->SetName("VeskMenuItem1");
    f.Vm->NewItem()->SetName("veskmenuitem2");
    VeskMenu::TVeskMenuItem* item = f.Vm->NewItem();
    EXPECT_EQ(VmDsgn::UniqueComponentName(item), "VeskMenuItem3");
    EXPECT_EQ(VmDsgn::UniqueComponentName(f.Main), "MainMenu2");
    VeskMenu::TVeskMenuItem loose(nullptr);
    EXPECT_EQ(VmDsgn::UniqueComponentName(&loose), "VeskMenuItem1");
    try {
        VmDsgn::UniqueComponentName(item, 3);
        ADD_FAILURE() << "a name beyond the counter";
    } catch (const SysUtils::Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot create unique name for TVeskMenuItem.");
    }
}

} // namespace

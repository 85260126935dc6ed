// Ide: the palette text.
#include "ide/IdePalette.h"

namespace Ide {

namespace {

String FileNameOf(const String& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == String::npos ? path : path.substr(slash + 1);
}

String Hex8(uint32_t v) {
    static const char digits[] = "0123456789ABCDEF";
    String out(8, '0');
    for (int i = 7; i >= 0; --i, v >>= 4)
        out[size_t(i)] = digits[v & 15];
    return out;
}

template <class List, class Line> void Section(String& out, const char* title, const List& list, Line line) {
    out += title;
    if (list.empty()) {
        out += ": none\n";
        return;
    }
    out += ":\n";
    for (const auto& e : list)
        out += "  " + line(e) + "\n";
}

} // namespace

String PaletteText(const TPackageManager& Manager) {
    String out;
    for (const auto& p : Manager.GetPackages())
        out += FileNameOf(p->GetFileName()) + ": \"" + p->GetDescription() + "\", flags " +
               Hex8(p->GetInfo().Flags) + " (" + SysUtils::PackageFlagsText(p->GetInfo().Flags) + ")\n";
    const TRegistrations& r = Manager.GetRegistrations();
    Section(out, "palette", r.Pages(), [](const TPalettePage& page) {
        String line = page.Name + ":";
        for (TComponentClass c : page.Components)
            line += String(" ") + c->ClassName;
        return line;
    });
    Section(out, "components without icon", r.GetNoIcon(),
            [](const TClassEntry& e) { return String(e.Class->ClassName); });
    Section(out, "component editors", r.GetComponentEditors(), [](const TComponentEditorEntry& e) {
        return String(e.ComponentClass->ClassName) + ": " + e.Editor->ClassName;
    });
    Section(out, "property editors", r.GetPropertyEditors(), [](const TPropertyEditorEntry& e) {
        String type =
            e.PropertyType.Info ? String(e.PropertyType.Info->Name) : String(e.PropertyType.Class->ClassName);
        String cls = e.ComponentClass ? String(e.ComponentClass->ClassName) : String("any component");
        String prop = e.PropertyName.empty() ? String("any property") : "property " + e.PropertyName;
        return type + " in " + cls + ", " + prop + ": " + e.Editor->ClassName;
    });
    return out;
}

} // namespace Ide

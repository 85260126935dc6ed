// pkgframe: reading the declaration, the export list and the package resources' bytes.
#include "tools/pkgframe/PackageDecl.h"

#include "framework/core/SysUtilsPackages.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <stdexcept>

namespace PkgFrame {

namespace {

bool IsIdent(const std::string& s) {
    if (s.empty() || !(std::isalpha(uint8_t(s[0])) || s[0] == '_')) return false;
    return std::all_of(s.begin(), s.end(), [](char c) { return std::isalnum(uint8_t(c)) || c == '_'; });
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = char(std::toupper(uint8_t(c)));
    return s;
}

} // namespace

TPackageDecl ReadDeclaration(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    if (!in) throw std::runtime_error(Path + ": cannot be read");
    TPackageDecl decl;
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) {
        throw std::runtime_error(Path + ":" + std::to_string(number) + ": " + why);
    };
    auto unit = [&]() -> TUnitDecl& {
        if (decl.Units.empty()) fail("this line belongs to a unit, and no unit line came before it");
        return decl.Units.back();
    };
    auto ident = [&](const std::string& s, const char* what) {
        if (!IsIdent(s)) fail(std::string(what) + " '" + s + "' is not an identifier");
        return s;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        size_t space = line.find(' ');
        std::string key = line.substr(0, space),
                    value = space == std::string::npos ? "" : line.substr(space + 1);
        if (key == "package") {
            decl.Name = ident(value, "the package name");
        } else if (key == "description") {
            decl.Description = value;
        } else if (key == "flags") {
            size_t used = 0;
            try {
                unsigned long v = std::stoul(value, &used, 16);
                if (used != value.size() || v > 0xFFFFFFFFul) throw std::out_of_range("");
                decl.Flags = uint32_t(v);
            } catch (const std::exception&) {
                fail("the flags '" + value + "' are not a hexadecimal 32-bit number");
            }
        } else if (key == "requires") {
            decl.Requires.push_back(ident(value, "the required package"));
        } else if (key == "version") {
            std::vector<uint16_t> v;
            size_t at = 0;
            while (at <= value.size() && v.size() < 5) {
                size_t dot = value.find('.', at);
                std::string part = value.substr(at, dot == std::string::npos ? std::string::npos : dot - at);
                if (part.empty() || part.size() > 5 || !std::all_of(part.begin(), part.end(), ::isdigit) ||
                    std::stoul(part) > 65535)
                    fail("the version '" + value + "' is not four numbers from 0 to 65535");
                v.push_back(uint16_t(std::stoul(part)));
                if (dot == std::string::npos) break;
                at = dot + 1;
            }
            if (v.size() != 4) fail("the version '" + value + "' is not four numbers from 0 to 65535");
            decl.Version = v;
        } else if (key == "manifest") {
            decl.Manifest = value;
        } else if (key == "unit") {
            ident(value, "the unit name");
            for (const TUnitDecl& u : decl.Units)
                if (Upper(u.Name) == Upper(value)) fail("the unit " + value + " is declared twice");
            if (Upper(value) == Upper(decl.Name) || Upper(value) == "SYSINIT")
                fail("a unit cannot be called " + value + ": the package's contains list has that name");
            decl.Units.push_back({value, "", {}, {}, {}, {}, false});
        } else if (key == "header") {
            unit().Header = value;
        } else if (key == "class") {
            unit().Classes.push_back(ident(value, "the class"));
        } else if (key == "type") {
            unit().Types.push_back(ident(value, "the type"));
        } else if (key == "set") {
            size_t sp = value.find(' ');
            if (sp == std::string::npos) fail("a set line names the set and the enumeration of its members");
            unit().Sets.emplace_back(ident(value.substr(0, sp), "the set"),
                                     ident(value.substr(sp + 1), "the enumeration"));
        } else if (key == "method") {
            size_t dot = value.find('.');
            if (dot == std::string::npos) fail("a method is named CLASS.METHOD");
            std::string cls = ident(value.substr(0, dot), "the class"),
                        method = ident(value.substr(dot + 1), "the method");
            const auto& classes = unit().Classes;
            if (std::find(classes.begin(), classes.end(), cls) == classes.end())
                fail("the method's class " + cls + " is not a class of the unit " + unit().Name);
            unit().Methods.emplace_back(cls, method);
        } else if (key == "register") {
            unit().HasRegister = true;
        } else {
            fail("unknown keyword '" + key + "'");
        }
    }
    number = 0;
    if (decl.Name.empty()) fail("the declaration names no package");
    if (decl.Units.empty()) fail("the package " + decl.Name + " declares no unit");
    for (const TUnitDecl& u : decl.Units)
        if (u.Header.empty()) fail("the unit " + u.Name + " has no header");
    // Two entities under one export name would make the .def ambiguous.
    std::vector<std::string> names;
    for (const TExport& e : ExportsOf(decl))
        names.push_back(Upper(e.Name));
    std::sort(names.begin(), names.end());
    if (auto dup = std::adjacent_find(names.begin(), names.end()); dup != names.end())
        fail("two entities would be exported as " + *dup);
    return decl;
}

std::vector<TExport> ExportsOf(const TPackageDecl& Decl) {
    std::vector<TExport> out;
    for (const TUnitDecl& u : Decl.Units) {
        const std::string& n = u.Name;
        out.push_back({n + "." + n, TExportKind::Code, n + "::Initialization()"});
        out.push_back({n + ".Finalization", TExportKind::Code, n + "::Finalization()"});
        if (u.HasRegister) out.push_back({n + ".Register", TExportKind::Code, n + "::Register()"});
        for (const std::string& c : u.Classes) {
            // The class reference and the type information: in this framework one object, the class's
            // ClassInfo (a TClass is its address).
            out.push_back({n + "." + c, TExportKind::Data, n + "::" + c + "::ClassInfo"});
            out.push_back({n + "." + c + ".ClassInfo", TExportKind::Data, n + "::" + c + "::ClassInfo"});
        }
        for (const std::string& t : u.Types)
            out.push_back({n + "." + t, TExportKind::Data, n + "::" + t + "_TypeInfo"});
        for (const auto& [set, member] : u.Sets)
            out.push_back({n + "." + set, TExportKind::Data,
                           "TypInfo::Detail::SetTypeInfoOf<" + n + "::" + member + ">"});
        for (const auto& [cls, method] : u.Methods) {
            std::string scope = n + "::" + cls + "::";
            if (method == "Create")
                out.push_back({n + "." + cls + ".Create", TExportKind::Constructor, scope + cls});
            else if (method == "Destroy")
                out.push_back({n + "." + cls + ".Destroy", TExportKind::Destructor, scope + "~" + cls});
            else
                out.push_back({n + "." + cls + "." + method, TExportKind::Method, scope + method});
        }
    }
    return out;
}

std::vector<uint8_t> PackageInfoBytes(const TPackageDecl& Decl) {
    SysUtils::TPackageInfo info{Decl.Flags, Decl.Requires, {{Decl.Name, SysUtils::ufMainUnit}}};
    for (const TUnitDecl& u : Decl.Units)
        info.Contains.push_back({u.Name, SysUtils::ufPackageUnit});
    info.Contains.push_back({"SysInit", SysUtils::ufWeakUnit | SysUtils::ufImplicitUnit});
    return SysUtils::PackageInfoBytes(info);
}

std::vector<uint8_t> PackageOptionsBytes(const TPackageDecl& Decl) {
    return SysUtils::PackageOptionsBytes({{"UnitAliases", UnitAliases}, {"Description", Decl.Description}});
}

std::vector<uint8_t> DescriptionBytes(const TPackageDecl& Decl) {
    return SysUtils::DescriptionBytes(Decl.Description);
}

} // namespace PkgFrame

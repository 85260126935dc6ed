// DBEngine: the database engine (pdxengine.dll), loaded at run time and bound by the names of its C entries.
//
// Declares: TEngine (the bound entries of engine/PdxEngine.h), AcquireEngine/ReleaseEngine (a table holds
// the engine while it is open), SetEngineLibraryName/GetEngineLibraryName and EngineLoaded.
//
//   const DBEngine::TEngine& e = DBEngine::AcquireEngine();   // loads on first use; EDatabaseError if not
//   PdxTable* t = nullptr;
//   if (e.Open(path, PDX_OPEN_READ_WRITE, &t) != PDX_OK) ... e.LastError() ...
//   e.Close(t);
//   DBEngine::ReleaseEngine();
//
// The library is looked for in the executable's folder first, then by the system's normal search. It is
// loaded once, by the first table that opens, and stays loaded. pdx_api_version() must equal
// PDX_API_VERSION (checked first, so that an older engine is named as such) and every entry must be there;
// otherwise opening fails with
//   "Не удается запустить ядро базы данных (%s): %s"     (the library's name, the system's reason)
//   "Не удается запустить ядро базы данных (%s): в библиотеке нет функции %s"
//   "Не удается запустить ядро базы данных (%s): версия интерфейса %d, требуется %d"
// and the next Open tries again.
//
// Tests point the loader at another file with SetEngineLibraryName ("no-such-engine.dll" to see the
// failure); it unloads the engine loaded under the old name, which is allowed only while no table holds it
//   "Нельзя сменить ядро базы данных, пока открыты таблицы"
#pragma once

#include "engine/PdxEngine.h"
#include "framework/core/SysUtils.h"

namespace DBEngine {

using SysUtils::String;

inline constexpr const char* DefaultEngineLibrary = "pdxengine.dll";

// The engine's entries, with the C interface's signatures.
struct TEngine {
    decltype(&pdx_api_version) ApiVersion = nullptr;
    decltype(&pdx_last_error) LastError = nullptr;
    decltype(&pdx_open) Open = nullptr;
    decltype(&pdx_close) Close = nullptr;
    decltype(&pdx_table_info) TableInfo = nullptr;
    decltype(&pdx_field_info) FieldInfo = nullptr;
    decltype(&pdx_refresh) Refresh = nullptr;
    decltype(&pdx_get_value) GetValue = nullptr;
    decltype(&pdx_insert) Insert = nullptr;
    decltype(&pdx_lock) Lock = nullptr;
    decltype(&pdx_unlock) Unlock = nullptr;
};

// The engine, loaded if it is not yet; counts one more user. DB::EDatabaseError when it cannot be started.
const TEngine& AcquireEngine();
// One user fewer (the engine stays loaded).
void ReleaseEngine();
// Whether the engine is loaded.
bool EngineLoaded();

// The library's file name (a bare name, looked for as above) or path; DefaultEngineLibrary at start.
void SetEngineLibraryName(const String& Name);
String GetEngineLibraryName();

} // namespace DBEngine

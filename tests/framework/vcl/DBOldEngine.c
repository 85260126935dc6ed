/* An engine of interface version 0 for the loader's test: every entry is there, and each one fails. */
#include "engine/PdxEngine.h"

#define OLD_API __declspec(dllexport)

OLD_API int pdx_api_version(void) { return 0; }
OLD_API const char* pdx_last_error(void) { return "an engine of another interface version"; }
OLD_API PdxStatus pdx_open(const char* path, int mode, PdxTable** table) {
    (void)path, (void)mode, (void)table;
    return PDX_E_UNSUPPORTED;
}
OLD_API void pdx_close(PdxTable* table) { (void)table; }
OLD_API PdxStatus pdx_table_info(PdxTable* table, PdxTableInfo* info) {
    (void)table, (void)info;
    return PDX_E_UNSUPPORTED;
}
OLD_API PdxStatus pdx_field_info(PdxTable* table, int field, PdxFieldInfo* info) {
    (void)table, (void)field, (void)info;
    return PDX_E_UNSUPPORTED;
}
OLD_API PdxStatus pdx_refresh(PdxTable* table, uint32_t* records) {
    (void)table, (void)records;
    return PDX_E_UNSUPPORTED;
}
OLD_API PdxStatus pdx_get_value(PdxTable* table, uint32_t position, int field, PdxValue* value) {
    (void)table, (void)position, (void)field, (void)value;
    return PDX_E_UNSUPPORTED;
}
OLD_API PdxStatus pdx_insert(PdxTable* table, uint32_t position, const PdxValue* values, int count,
                             uint32_t* inserted_at) {
    (void)table, (void)position, (void)values, (void)count, (void)inserted_at;
    return PDX_E_UNSUPPORTED;
}

// The C interface: each entry catches the engine's errors and hands out a status and a message.
#include "engine/PdxEngine.h"
#include "engine/PdxError.h"
#include "engine/PdxTable.h"

#include <memory>
#include <new>

struct PdxTable {
    std::unique_ptr<Pdx::Table> table;
};

namespace {

thread_local std::string gLastError;

template <class F> PdxStatus Guard(F body) {
    try {
        body();
        gLastError.clear();
        return PDX_OK;
    } catch (const Pdx::Error& e) {
        gLastError = e.what();
        return e.Code();
    } catch (const std::bad_alloc&) {
        gLastError = "out of memory";
        return PDX_E_MEMORY;
    } catch (const std::exception& e) {
        gLastError = e.what();
        return PDX_E_IO;
    }
}

PdxStatus NullArgument(const char* what) {
    gLastError = std::string(what) + " is null";
    return PDX_E_ARGUMENT;
}

} // namespace

extern "C" {

PDX_API int pdx_api_version(void) {
    return PDX_API_VERSION;
}

PDX_API const char* pdx_last_error(void) {
    return gLastError.c_str();
}

PDX_API PdxStatus pdx_open(const char* path, int mode, PdxTable** table) {
    if (table == nullptr) return NullArgument("the table pointer");
    *table = nullptr;
    if (path == nullptr) return NullArgument("the path");
    return Guard([&] {
        auto t = std::make_unique<PdxTable>();
        t->table = std::make_unique<Pdx::Table>(path, mode == PDX_OPEN_READ_WRITE);
        *table = t.release();
    });
}

PDX_API void pdx_close(PdxTable* table) {
    delete table;
}

PDX_API PdxStatus pdx_table_info(PdxTable* table, PdxTableInfo* info) {
    if (table == nullptr || info == nullptr) return NullArgument("the table or the info");
    return Guard([&] {
        const Pdx::Header& h = table->table->GetHeader();
        info->file_version = h.FileVersion();
        info->keyed = h.Keyed() ? 1 : 0;
        info->key_fields = h.keyFields;
        info->code_page = h.codePage;
        info->record_size = h.recordSize;
        info->block_size = h.blockSize;
        info->field_count = int(h.fields.size());
        info->header_records = h.numRecords;
        info->blocks = h.fileBlocks;
    });
}

PDX_API PdxStatus pdx_field_info(PdxTable* table, int field, PdxFieldInfo* info) {
    if (table == nullptr || info == nullptr) return NullArgument("the table or the info");
    const auto& fields = table->table->GetHeader().fields;
    if (field < 0 || field >= int(fields.size())) {
        gLastError = "no field " + std::to_string(field);
        return PDX_E_ARGUMENT;
    }
    const Pdx::Field& f = fields[size_t(field)];
    info->name = f.name.c_str();
    info->type = f.type;
    info->size = f.size;
    info->decimals = f.decimals;
    return PDX_OK;
}

PDX_API PdxStatus pdx_refresh(PdxTable* table, uint32_t* records) {
    if (table == nullptr) return NullArgument("the table");
    return Guard([&] {
        uint32_t n = table->table->Refresh();
        if (records) *records = n;
    });
}

PDX_API PdxStatus pdx_get_value(PdxTable* table, uint32_t position, int field, PdxValue* value) {
    if (table == nullptr || value == nullptr) return NullArgument("the table or the value");
    return Guard([&] { table->table->ReadValue(position, field, *value); });
}

PDX_API PdxStatus pdx_insert(PdxTable* table, uint32_t position, const PdxValue* values, int count,
                             uint32_t* inserted_at) {
    if (table == nullptr || (values == nullptr && count > 0)) return NullArgument("the table or the values");
    return Guard([&] {
        std::vector<PdxValue> v(values, values + (count > 0 ? count : 0));
        uint32_t at = table->table->Insert(position, v);
        if (inserted_at) *inserted_at = at;
    });
}

PDX_API PdxStatus pdx_lock(PdxTable* table) {
    if (table == nullptr) return NullArgument("the table");
    return Guard([&] { table->table->Lock(); });
}

PDX_API PdxStatus pdx_unlock(PdxTable* table) {
    if (table == nullptr) return NullArgument("the table");
    return Guard([&] { table->table->Unlock(); });
}

} // extern "C"

// SQLDA records and string arrays handed to callers.
#include "db/sqlda.h"

#include <cstdlib>
#include <cstring>

namespace pelund {

bool allocateArrays(SQLDA* r)
{
    size_t bytes = r->numColumns < 0 ? 0 : size_t(r->numColumns) * 8;
    auto grant = [&]() -> void* { return r->numColumns < 0 ? nullptr : std::calloc(bytes ? bytes : 1, 1); };
    r->names = static_cast<void**>(grant());
    r->values = static_cast<void**>(grant());
    r->sqlTypes = static_cast<int16_t*>(grant());
    r->reserved = static_cast<uint16_t*>(grant());
    r->scales = static_cast<int16_t*>(grant());
    r->precisions = static_cast<uint16_t*>(grant());
    r->nullables = static_cast<int16_t*>(grant());
    return r->names && r->values && r->sqlTypes && r->reserved && r->scales && r->precisions &&
           r->nullables;
}

void keepForNextRow(SQLDA* r)
{
    bool arrays = r->names && r->values && r->sqlTypes && r->reserved && r->scales &&
                  r->precisions && r->nullables;
    if (!arrays)
        releaseRecord(r);
}

void releaseRecord(SQLDA* r)
{
    for (int i = 0; i < r->numColumns; ++i) {
        if (r->names)
            std::free(r->names[i]);
        if (r->values)
            std::free(r->values[i]);
    }
    std::free(r->names);
    std::free(r->values);
    std::free(r->sqlTypes);
    std::free(r->reserved);
    std::free(r->scales);
    std::free(r->precisions);
    std::free(r->nullables);
    std::memset(r, 0, sizeof *r);
}

}  // namespace pelund

using namespace pelund;

extern "C" {

PELUND_API void* vnDBWin_allocateSQLDA(SQLDA* record)
{
    if (!record)
        return nullptr;
    allocateArrays(record);
    return record->nullables;
}

PELUND_API void* vnDBWin_allocateSQLDW(SQLDA* record) __attribute__((alias("vnDBWin_allocateSQLDA")));

PELUND_API void vnDBWin_freeSQLDADescriptorA(SQLDA* record)
{
    if (record)
        releaseRecord(record);
}

PELUND_API void vnDBWin_freeSQLDADescriptorW(SQLDA* record)
    __attribute__((alias("vnDBWin_freeSQLDADescriptorA")));

PELUND_API void vnDBWin_freeStringsArrayA(void** array, int count)
{
    if (!array)
        return;
    for (int i = 0; i < count; ++i)
        std::free(array[i]);
    std::free(array);
}

PELUND_API void vnDBWin_freeStringsArrayW(void** array, int count)
    __attribute__((alias("vnDBWin_freeStringsArrayA")));

}  // extern "C"

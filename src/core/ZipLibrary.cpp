// The calls the program makes to libzip (backups and restores, the assistance archive, the parts
// of an .xlsx), with the library taken when the first of them runs. Linked to the program, libzip
// brought OpenSSL's libcrypto with it: loaded, relocated and in memory at every start, a tenth of
// the time to the first window, for work done on request. These definitions stand where the
// library's would: callers use libzip's own names and types, and each forwards to the library's
// function, resolved from the library loaded by its name (the package depends on it).
//
// Without the library every call fails as libzip's own do: no archive is opened or made, with
// ZIP_ER_OPEN as the reason, and the callers tell the user as they tell any archive that cannot
// be opened. Nothing else can be called without an archive opened first.

#include "core/ModuleLibrary.h"

#include <zip.h>

namespace {

template <typename Function> Function resolve(const char* name)
{
    return reinterpret_cast<Function>(vx::module::function(vx::module::Library::Zip, name));
}

#define VX_ZIP(name) static const auto f = resolve<decltype(&::name)>(#name)

} // namespace

extern "C" {

zip_t* zip_open(const char* path, int flags, int* errorp)
{
    VX_ZIP(zip_open);
    if (f)
        return f(path, flags, errorp);
    if (errorp)
        *errorp = ZIP_ER_OPEN;
    return nullptr;
}

int zip_close(zip_t* archive)
{
    VX_ZIP(zip_close);
    return f ? f(archive) : -1;
}

void zip_discard(zip_t* archive)
{
    VX_ZIP(zip_discard);
    if (f)
        f(archive);
}

zip_error_t* zip_get_error(zip_t* archive)
{
    VX_ZIP(zip_get_error);
    return f ? f(archive) : nullptr;
}

zip_error_t* zip_file_get_error(zip_file_t* file)
{
    VX_ZIP(zip_file_get_error);
    return f ? f(file) : nullptr;
}

// The error structure is libzip's public one: without the library it is filled by hand.
void zip_error_init(zip_error_t* error)
{
    VX_ZIP(zip_error_init);
    if (f) {
        f(error);
    } else {
        error->zip_err = ZIP_ER_OK;
        error->sys_err = 0;
        error->str = nullptr;
    }
}

void zip_error_fini(zip_error_t* error)
{
    VX_ZIP(zip_error_fini);
    if (f)
        f(error);
}

int zip_error_code_zip(const zip_error_t* error)
{
    VX_ZIP(zip_error_code_zip);
    return f ? f(error) : error->zip_err;
}

zip_int64_t zip_get_num_entries(zip_t* archive, zip_flags_t flags)
{
    VX_ZIP(zip_get_num_entries);
    return f ? f(archive, flags) : -1;
}

zip_int64_t zip_name_locate(zip_t* archive, const char* name, zip_flags_t flags)
{
    VX_ZIP(zip_name_locate);
    return f ? f(archive, name, flags) : -1;
}

int zip_stat_index(zip_t* archive, zip_uint64_t index, zip_flags_t flags, zip_stat_t* st)
{
    VX_ZIP(zip_stat_index);
    return f ? f(archive, index, flags, st) : -1;
}

zip_file_t* zip_fopen_index(zip_t* archive, zip_uint64_t index, zip_flags_t flags)
{
    VX_ZIP(zip_fopen_index);
    return f ? f(archive, index, flags) : nullptr;
}

zip_int64_t zip_fread(zip_file_t* file, void* buffer, zip_uint64_t length)
{
    VX_ZIP(zip_fread);
    return f ? f(file, buffer, length) : -1;
}

int zip_fclose(zip_file_t* file)
{
    VX_ZIP(zip_fclose);
    return f ? f(file) : -1;
}

zip_source_t* zip_source_file_create(const char* path, zip_uint64_t start, zip_int64_t length, zip_error_t* error)
{
    VX_ZIP(zip_source_file_create);
    if (f)
        return f(path, start, length, error);
    if (error)
        error->zip_err = ZIP_ER_OPEN;
    return nullptr;
}

void zip_source_free(zip_source_t* source)
{
    VX_ZIP(zip_source_free);
    if (f)
        f(source);
}

zip_int64_t zip_file_add(zip_t* archive, const char* name, zip_source_t* source, zip_flags_t flags)
{
    VX_ZIP(zip_file_add);
    return f ? f(archive, name, source, flags) : -1;
}

int zip_set_file_compression(zip_t* archive, zip_uint64_t index, zip_int32_t method, zip_uint32_t flags)
{
    VX_ZIP(zip_set_file_compression);
    return f ? f(archive, index, method, flags) : -1;
}

} // extern "C"

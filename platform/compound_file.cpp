#include "platform/compound_file.h"

#include <gsf/gsf.h>
#include <sys/stat.h>

#include <cstring>
#include <mutex>

namespace pelund {
namespace {

// libgsf reports damaged files through GLib's log, to standard error by
// default, partly under its own domains and partly under none. The library
// stays silent and reports through its results: messages of libgsf's
// domains are dropped, and undomained ones while this thread is inside a
// libgsf call; the rest go on to the default handler that was in place.
thread_local int insideLibgsf = 0;
GLogFunc previousDefault = nullptr;

void quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void filteredDefault(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer data)
{
    if (insideLibgsf)
        return;
    (previousDefault ? previousDefault : g_log_default_handler)(domain, level, message, data);
}

void initLibgsf()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        auto levels = GLogLevelFlags(G_LOG_LEVEL_MASK & ~G_LOG_LEVEL_ERROR);
        for (const char* domain : {"libgsf", "libgsf:msole", "libgsf:utils"})
            g_log_set_handler(domain, levels, quiet, nullptr);
        previousDefault = g_log_set_default_handler(filteredDefault, nullptr);
    });
}

// Marks the thread as inside libgsf for the life of the object.
struct LibgsfCall {
    LibgsfCall()
    {
        initLibgsf();
        ++insideLibgsf;
    }
    ~LibgsfCall() { --insideLibgsf; }
    LibgsfCall(const LibgsfCall&) = delete;
    LibgsfCall& operator=(const LibgsfCall&) = delete;
};

template <class T>
struct Unref {
    void operator()(T* object) const
    {
        if (object)
            g_object_unref(object);
    }
};

template <class T>
using Ref = std::unique_ptr<T, Unref<T>>;

unsigned long codeOfFileError(const GError* error)
{
    if (error && error->domain == G_FILE_ERROR &&
        (error->code == G_FILE_ERROR_ACCES || error->code == G_FILE_ERROR_PERM ||
         error->code == G_FILE_ERROR_ISDIR))
        return kStorageAccessDenied;
    return kStorageReadFault;
}

}  // namespace

struct CompoundFile::Handles {
    Ref<GsfInfile> root;
};

CompoundFile::CompoundFile(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}
CompoundFile::~CompoundFile()
{
    LibgsfCall inside;  // releasing the objects may report too
    handles_.reset();
}

namespace {

std::unique_ptr<CompoundFile::Handles> openInput(GsfInput* input, CompoundOpen* status, unsigned long* error)
{
    GError* failure = nullptr;
    GsfInfile* root = gsf_infile_msole_new(input, &failure);
    g_object_unref(input);
    if (!root) {
        bool unsigned_ = failure && failure->message && std::strstr(failure->message, "No OLE2 signature");
        *status = unsigned_ ? CompoundOpen::NotCompound : CompoundOpen::Failed;
        if (error)
            *error = kStorageCorrupt;
        if (failure)
            g_error_free(failure);
        return nullptr;
    }
    auto handles = std::make_unique<CompoundFile::Handles>();
    handles->root.reset(root);
    *status = CompoundOpen::Ok;
    return handles;
}

}  // namespace

std::unique_ptr<CompoundFile> CompoundFile::open(const std::string& path, CompoundOpen* status,
                                                 unsigned long* error)
{
    LibgsfCall inside;
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {  // a folder is no file to open
        *status = CompoundOpen::Failed;
        if (error)
            *error = kStorageAccessDenied;
        return nullptr;
    }
    GError* failure = nullptr;
    GsfInput* input = gsf_input_stdio_new(path.c_str(), &failure);
    if (!input) {
        bool missing = failure && failure->domain == G_FILE_ERROR && failure->code == G_FILE_ERROR_NOENT;
        *status = missing ? CompoundOpen::NotFound : CompoundOpen::Failed;
        if (error)
            *error = codeOfFileError(failure);
        if (failure)
            g_error_free(failure);
        return nullptr;
    }
    auto handles = openInput(input, status, error);
    return handles ? std::unique_ptr<CompoundFile>(new CompoundFile(std::move(handles))) : nullptr;
}

std::unique_ptr<CompoundFile> CompoundFile::openBytes(std::string_view bytes, CompoundOpen* status)
{
    LibgsfCall inside;
    GsfInput* input = gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                           gsf_off_t(bytes.size()), FALSE);
    if (!input) {
        *status = CompoundOpen::Failed;
        return nullptr;
    }
    auto handles = openInput(input, status, nullptr);
    return handles ? std::unique_ptr<CompoundFile>(new CompoundFile(std::move(handles))) : nullptr;
}

std::vector<CompoundFile::Element> CompoundFile::rootElements() const
{
    LibgsfCall inside;
    std::vector<Element> elements;
    GsfInfile* root = handles_->root.get();
    int n = gsf_infile_num_children(root);
    for (int k = 0; k < n; ++k) {
        const char* name = gsf_infile_name_by_index(root, k);
        Ref<GsfInput> child(gsf_infile_child_by_index(root, k));
        if (!name || !child)
            continue;
        bool storage = GSF_IS_INFILE(child.get()) && gsf_infile_num_children(GSF_INFILE(child.get())) >= 0;
        elements.push_back({name, storage});
    }
    return elements;
}

bool CompoundFile::readRootStream(std::string_view name, std::string* bytes, size_t limit) const
{
    LibgsfCall inside;
    GsfInfile* root = handles_->root.get();
    int n = gsf_infile_num_children(root);
    for (int k = 0; k < n; ++k) {
        const char* childName = gsf_infile_name_by_index(root, k);
        if (!childName || name != childName)
            continue;
        Ref<GsfInput> child(gsf_infile_child_by_index(root, k));
        if (!child || (GSF_IS_INFILE(child.get()) && gsf_infile_num_children(GSF_INFILE(child.get())) >= 0))
            continue;
        gsf_off_t size = gsf_input_size(child.get());
        if (size < 0 || size_t(size) > limit)
            return false;
        bytes->assign(size_t(size), '\0');
        if (size > 0 && !gsf_input_read(child.get(), size_t(size), reinterpret_cast<guint8*>(bytes->data())))
            return false;
        return true;
    }
    return false;
}

namespace {

bool writeEntries(GsfOutfile* parent, const std::vector<CompoundEntry>& entries)
{
    bool ok = true;
    for (const CompoundEntry& e : entries) {
        Ref<GsfOutput> child(gsf_outfile_new_child(parent, e.name.c_str(), e.storage));
        if (!child)
            return false;
        if (e.storage)
            ok = writeEntries(GSF_OUTFILE(child.get()), e.children) && ok;
        else if (!e.bytes.empty())
            ok = gsf_output_write(child.get(), e.bytes.size(), reinterpret_cast<const guint8*>(e.bytes.data())) && ok;
        ok = gsf_output_close(child.get()) && ok;
    }
    return ok;
}

bool writeTo(GsfOutput* sink, const std::vector<CompoundEntry>& entries)
{
    Ref<GsfOutfile> root(gsf_outfile_msole_new(sink));
    if (!root)
        return false;
    bool ok = writeEntries(root.get(), entries);
    return gsf_output_close(GSF_OUTPUT(root.get())) && ok;
}

}  // namespace

bool writeCompoundFile(const std::string& path, const std::vector<CompoundEntry>& entries)
{
    LibgsfCall inside;
    GError* failure = nullptr;
    Ref<GsfOutput> sink(gsf_output_stdio_new(path.c_str(), &failure));
    if (failure)
        g_error_free(failure);
    return sink && writeTo(sink.get(), entries);
}

bool compoundFileBytes(const std::vector<CompoundEntry>& entries, std::string* bytes)
{
    LibgsfCall inside;
    Ref<GsfOutput> sink(gsf_output_memory_new());
    if (!sink || !writeTo(sink.get(), entries))
        return false;
    const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
    gsf_off_t size = gsf_output_size(sink.get());
    bytes->assign(reinterpret_cast<const char*>(data), size_t(size));
    return true;
}

}  // namespace pelund

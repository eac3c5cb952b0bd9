// OLE compound files (structured storage), read and written through libgsf.
// Nothing of GLib shows here.
#ifndef PELUND_PLATFORM_COMPOUND_FILE_H
#define PELUND_PLATFORM_COMPOUND_FILE_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pelund {

enum class CompoundOpen {
    Ok,
    NotFound,     // no such file
    NotCompound,  // the file lacks the compound-file signature
    Failed,       // anything else; see the error code
};

// The codes the structured-storage service reports for the failures.
constexpr unsigned long kStorageAccessDenied = 0x80030005ul;
constexpr unsigned long kStorageReadFault = 0x8003001Eul;
constexpr unsigned long kStorageCorrupt = 0x80030109ul;

class CompoundFile {
public:
    // Opens PATH, or the compound file held in BYTES, for reading. On
    // failure *ERROR (may be null) gets one of the codes above.
    static std::unique_ptr<CompoundFile> open(const std::string& path, CompoundOpen* status,
                                              unsigned long* error = nullptr);
    static std::unique_ptr<CompoundFile> openBytes(std::string_view bytes, CompoundOpen* status);
    ~CompoundFile();
    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    struct Element {
        std::string name;
        bool storage;  // else a stream
    };
    // The root storage's elements, in the file's order.
    std::vector<Element> rootElements() const;

    // The bytes of the root-level stream NAME (exact); false when there is no
    // such stream, it cannot be read whole, or it is larger than LIMIT.
    bool readRootStream(std::string_view name, std::string* bytes, size_t limit) const;

    struct Handles;  // libgsf's objects, known to compound_file.cpp only

private:
    explicit CompoundFile(std::unique_ptr<Handles> handles);
    std::unique_ptr<Handles> handles_;
};

// One element of a compound file to write: a stream with its bytes, or a
// storage with its elements.
struct CompoundEntry {
    std::string name;
    bool storage = false;
    std::string bytes;
    std::vector<CompoundEntry> children;
};

// Writes a compound file whose root holds ENTRIES to PATH; false on failure.
bool writeCompoundFile(const std::string& path, const std::vector<CompoundEntry>& entries);

// The same into memory.
bool compoundFileBytes(const std::vector<CompoundEntry>& entries, std::string* bytes);

}  // namespace pelund

#endif

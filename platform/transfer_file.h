// The local files of the server client: files read for an upload, reply
// files written beside their target and renamed into place, and the debug
// log that is appended to only when it exists already.
#ifndef PELUND_PLATFORM_TRANSFER_FILE_H
#define PELUND_PLATFORM_TRANSFER_FILE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace pelund {

// The size of the file at PATH if it is below 2 GiB; false otherwise or
// when the file cannot be examined.
bool fileSize32(const char* path, int32_t* size);

// A file opened for reading in binary chunks; closed when it goes.
class SourceFile {
public:
    explicit SourceFile(const char* path);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;
    bool isOpen() const { return file_ != nullptr; }
    // Bytes read into BUFFER, at most SIZE; fewer at the end or on an error.
    size_t read(void* buffer, size_t size);

private:
    std::FILE* file_;
};

// The new content of the file at PATH, written to a temporary file in the
// same folder and put in PATH's place only by commit(): until then, and
// when anything fails, the old file stays as it was. Without a commit the
// temporary file is removed when the object goes.
class ReplacementFile {
public:
    explicit ReplacementFile(const char* path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    // False when the temporary file could not be made or a write failed.
    bool isGood() const { return fd_ >= 0; }
    void write(const void* data, size_t size);
    // Syncs the temporary file and renames it over PATH: true on success.
    bool commit();

private:
    void discard();
    int fd_ = -1;
    std::string path_, temporary_;
};

// PATH opened for appending if a file exists there and can be read,
// otherwise null (and no file is created).
std::FILE* openExistingForAppend(const char* path);

}  // namespace pelund

#endif

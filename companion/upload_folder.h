// The upload folder. Every file is opened relative to the folder's own
// descriptor, never through a symbolic link. An upload is written to a
// hidden temporary file and renamed to its name only when it is complete,
// so a name holds either the previous file or the whole new one.
//
// Name rule: 1 to 255 bytes of letters, digits, '.', '_', '-' and '+', not
// beginning with '.' (which also keeps clients off the temporary files).
#ifndef PELUND_COMPANION_UPLOAD_FOLDER_H
#define PELUND_COMPANION_UPLOAD_FOLDER_H

#include <cstdint>
#include <string>

namespace pelund::companion {

bool isValidUploadName(const std::string& name);

class UploadFolder {
public:
    // Opens PATH (a folder, not a link); false with ERROR set when it cannot.
    bool open(const std::string& path, std::string& error);
    ~UploadFolder();
    // Removes temporary files a stopped server left behind.
    void removeLeftovers();
    int descriptor() const { return fd_; }

private:
    int fd_ = -1;
};

// One upload in progress. Destroyed before commit, it leaves nothing.
class Upload {
public:
    Upload(const UploadFolder& folder, std::string name);
    ~Upload();
    bool ok() const { return fd_ >= 0; }
    int error() const { return error_; }
    // Appends the next piece; false (and nothing left behind) on a failure
    // such as a full disk.
    bool write(const char* bytes, size_t length);
    // Makes the file visible under its name; false on a failure.
    bool commit();

private:
    void discard();
    int dir_;
    std::string name_, temporary_;
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace pelund::companion

#endif

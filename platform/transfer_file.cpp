#include "platform/transfer_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>

namespace pelund {

bool fileSize32(const char* path, int32_t* size)
{
    struct stat st;
    if (!path || stat(path, &st) != 0 || st.st_size > INT32_MAX)
        return false;
    *size = int32_t(st.st_size);
    return true;
}

SourceFile::SourceFile(const char* path) : file_(path ? std::fopen(path, "rb") : nullptr) {}

SourceFile::~SourceFile()
{
    if (file_)
        std::fclose(file_);
}

size_t SourceFile::read(void* buffer, size_t size)
{
    return file_ ? std::fread(buffer, 1, size, file_) : 0;
}

ReplacementFile::ReplacementFile(const char* path) : path_(path ? path : "")
{
    if (path_.empty())
        return;
    // A name of our own beside the target: same folder, same file system,
    // so the rename is atomic. The mode follows the umask like a new file.
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = path_ + ".part-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
        fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
}

ReplacementFile::~ReplacementFile() { discard(); }

void ReplacementFile::discard()
{
    if (fd_ < 0)
        return;
    close(fd_);
    unlink(temporary_.c_str());
    fd_ = -1;
}

void ReplacementFile::write(const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (fd_ >= 0 && size > 0) {
        ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            discard();
            return;
        }
        p += n;
        size -= size_t(n);
    }
}

bool ReplacementFile::commit()
{
    if (fd_ < 0)
        return false;
    if (fdatasync(fd_) != 0 || rename(temporary_.c_str(), path_.c_str()) != 0) {
        discard();
        return false;
    }
    close(fd_);
    fd_ = -1;
    return true;
}

std::FILE* openExistingForAppend(const char* path)
{
    std::FILE* probe = std::fopen(path, "r");
    if (!probe)
        return nullptr;  // only a log that exists already is written
    std::fclose(probe);
    return std::fopen(path, "a");
}

}  // namespace pelund

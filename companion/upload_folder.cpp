#include "companion/upload_folder.h"

#include "text/char_class.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace pelund::companion {

namespace {
constexpr const char* temporaryPrefix = ".upload-";
}

bool isValidUploadName(const std::string& name)
{
    if (name.empty() || name.size() > 255 || name[0] == '.')
        return false;
    for (char c : name) {
        bool ok = isAsciiAlnum(c) || c == '.' || c == '_' || c == '-' || c == '+';
        if (!ok)
            return false;
    }
    return true;
}

bool UploadFolder::open(const std::string& path, std::string& error)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0)
        error = "cannot open upload folder " + path + ": " + std::strerror(errno);
    return fd_ >= 0;
}

UploadFolder::~UploadFolder()
{
    if (fd_ >= 0)
        close(fd_);
}

void UploadFolder::removeLeftovers()
{
    int copy = dup(fd_);
    DIR* d = copy >= 0 ? fdopendir(copy) : nullptr;
    if (!d) {
        if (copy >= 0)
            close(copy);
        return;
    }
    while (dirent* e = readdir(d))
        if (std::strncmp(e->d_name, temporaryPrefix, std::strlen(temporaryPrefix)) == 0)
            unlinkat(fd_, e->d_name, 0);
    closedir(d);
}

Upload::Upload(const UploadFolder& folder, std::string name) : dir_(folder.descriptor()), name_(std::move(name))
{
    static std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 8 && fd_ < 0; ++attempt) {
        char suffix[20];
        std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
        temporary_ = std::string(temporaryPrefix) + suffix;
        fd_ = openat(dir_, temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0640);
        error_ = fd_ < 0 ? errno : 0;
        if (fd_ < 0 && error_ != EEXIST)
            break;
    }
}

Upload::~Upload()
{
    discard();
}

void Upload::discard()
{
    if (fd_ < 0)
        return;
    close(fd_);
    fd_ = -1;
    unlinkat(dir_, temporary_.c_str(), 0);
}

bool Upload::write(const char* bytes, size_t length)
{
    while (fd_ >= 0 && length > 0) {
        ssize_t n = ::write(fd_, bytes, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = n < 0 ? errno : ENOSPC;
            discard();
            return false;
        }
        bytes += n;
        length -= size_t(n);
    }
    return fd_ >= 0;
}

bool Upload::commit()
{
    if (fd_ < 0)
        return false;
    // rename replaces whatever holds the name, a planted link included,
    // without following it.
    if (close(fd_) != 0 || renameat(dir_, temporary_.c_str(), dir_, name_.c_str()) != 0) {
        error_ = errno;
        fd_ = -1;
        unlinkat(dir_, temporary_.c_str(), 0);
        return false;
    }
    fd_ = -1;
    return true;
}

}  // namespace pelund::companion

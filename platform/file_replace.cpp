#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace pelund {
namespace {

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool readAll(int fd, std::string* content, size_t limit = SIZE_MAX)
{
    content->clear();
    char chunk[65536];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (size_t(n) > limit - content->size())
            return false;
        content->append(chunk, size_t(n));
    }
}

bool writeAll(int fd, const std::string& content)
{
    for (size_t done = 0; done < content.size();) {
        ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

int writeReplacement(const std::string& path, const std::string& content, mode_t mode)
{
    std::string folder = folderOf(path);
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = folder + "/." + name + ".XXXXXX";
    Descriptor out(mkostemp(temporary.data(), O_CLOEXEC));
    if (out.get() < 0)
        return errno;
    int rc = 0;
    if (!writeAll(out.get(), content) || fchmod(out.get(), mode & 07777) != 0 || fsync(out.get()) != 0 ||
        rename(temporary.c_str(), path.c_str()) != 0)
        rc = errno ? errno : EIO;
    if (rc) {
        unlink(temporary.c_str());
        return rc;
    }
    Descriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        fsync(dir.get());  // the rename itself survives a crash
    return 0;
}

}  // namespace

int replaceFileLocked(const std::string& path, const std::function<std::string(const std::string&)>& change)
{
    // A writer that finds the file replaced while it waited tries again on
    // the new one. Each such turn means another writer has finished, so the
    // writers as a whole always progress; a cap on the turns would fail a
    // write merely because the other writer was busy.
    for (;;) {
        Descriptor fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
        if (fd.get() < 0)
            return errno;
        while (flock(fd.get(), LOCK_EX) != 0)
            if (errno != EINTR)
                return errno;
        // Another writer may have put a new file in place while we waited:
        // then the lock we hold is on the old one.
        struct stat held, current;
        if (fstat(fd.get(), &held) != 0)
            return errno;
        if (stat(path.c_str(), &current) != 0 || current.st_ino != held.st_ino || current.st_dev != held.st_dev)
            continue;
        std::string content;
        if (!readAll(fd.get(), &content))
            return errno;
        return writeReplacement(path, change(content), held.st_mode);
    }
}

bool readWholeFile(const std::string& path, std::string* content, size_t limit)
{
    Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return fd.get() >= 0 && readAll(fd.get(), content, limit);
}

bool readFileStart(const std::string& path, size_t count, std::string* content)
{
    Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    content->assign(count, '\0');
    size_t done = 0;
    while (done < count) {
        ssize_t n = read(fd.get(), content->data() + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        done += size_t(n);
    }
    content->resize(done);
    return true;
}

}  // namespace pelund

#include "cli.h"

#include "pelund/checksums.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

int fail(const char* path, const char* what)
{
    return cli::fail(std::string("cannot read '") + path + "': " + what);
}

// Prints the CRC-32 of FILE as cksum -a crc32b / crc32(1) do, reading it in
// pieces and continuing the CRC from piece to piece.
int runCrc32(const std::string& file)
{
    const char* path = file.c_str();
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(path, std::strerror(errno));
    std::vector<unsigned char> buffer(1 << 20);
    uint32_t crc = 0;
    for (;;) {
        ssize_t n = read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            close(fd);
            return fail(path, std::strerror(errno));
        }
        if (n == 0)
            break;
        crc = psMath_calcCRC32(crc, buffer.data(), uint32_t(n));
    }
    close(fd);
    std::printf("%08x\n", crc);
    return cli::success;
}

// Prints the SHA-1 of FILE as sha1sum does. The digest takes one call over
// the whole file (chained calls would pad each piece), so the file is
// mapped into memory; from 512 MiB on the length no longer fits the
// function's bit count.
int runSha1(const std::string& file)
{
    const char* path = file.c_str();
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(path, std::strerror(errno));
    struct stat st;
    if (fstat(fd, &st) != 0) {
        close(fd);
        return fail(path, std::strerror(errno));
    }
    if (st.st_size >= (off_t(512) << 20)) {
        close(fd);
        return cli::fail(std::string("'") + path + "': files of 512 MiB or more cannot be hashed in one call");
    }
    static const unsigned char none = 0;
    const void* data = &none;
    void* map = nullptr;
    if (st.st_size > 0) {
        map = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (map == MAP_FAILED) {
            close(fd);
            return fail(path, std::strerror(errno));
        }
        data = map;
    }
    close(fd);
    uint32_t digest[5];
    psMath_calcSHA1(digest, data, uint32_t(st.st_size), 1);
    if (map)
        munmap(map, size_t(st.st_size));
    std::printf("%08x%08x%08x%08x%08x  %s\n", digest[0], digest[1], digest[2], digest[3],
                digest[4], path);
    return cli::success;
}

}  // namespace

void addChecksumCommands(CLI::App& app, int& status)
{
    auto file = std::make_shared<std::string>();
    CLI::App* c = cli::addCommand(app, status, "crc32", "Print the CRC-32 of FILE",
                                  [file] { return runCrc32(*file); });
    c->add_option("FILE", *file, "the file")->required();
    c = cli::addCommand(app, status, "sha1", "Print the SHA-1 of FILE as sha1sum does",
                        [file] { return runSha1(*file); });
    c->add_option("FILE", *file, "the file")->required();
}

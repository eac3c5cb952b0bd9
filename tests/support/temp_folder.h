// A fresh folder under /tmp for one test, removed with everything in it.
#ifndef PELUND_TESTS_TEMP_FOLDER_H
#define PELUND_TESTS_TEMP_FOLDER_H

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testing_support {

class TempFolder {
public:
    TempFolder()
    {
        char pattern[] = "/tmp/pelund-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        path_ = made ? made : "";
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!path_.empty()) {
            // Folders a test made read-only must become writable to go.
            for (auto& e : std::filesystem::recursive_directory_iterator(path_, ignored))
                if (e.is_directory(ignored))
                    std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                                 std::filesystem::perm_options::add, ignored);
            std::filesystem::remove_all(path_, ignored);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    std::string write(const std::string& name, const std::string& content) const
    {
        std::string p = file(name);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }

private:
    std::string path_;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace testing_support

#endif

#pragma once
// A fresh folder under /tmp for one test, removed with everything in it afterwards.

#include <cstdlib>
#include <filesystem>
#include <string>

class TempFolder {
public:
    TempFolder() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/velmorant-test-XXXXXX";
        path_ = mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Ends with "/".
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

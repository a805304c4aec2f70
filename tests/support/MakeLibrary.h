#pragma once
// The generator of synthetic music libraries that ships beside the repository.

#include <cstdlib>
#include <string>

// Runs make-library with the arguments; true when it succeeded.
inline bool makeLibrary(const std::string& arguments) {
    const std::string tool = std::string(VELMORANT_SOURCE_DIR) + "/../shared/tools/make-library";
    return std::system((tool + " --quiet " + arguments).c_str()) == 0;
}

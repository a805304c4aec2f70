#include "storage/FieldNames.h"

#include <algorithm>

namespace field_names {

size_t codeOf(std::string_view name) {
    return static_cast<size_t>(std::find(kNames.begin(), kNames.end(), name) - kNames.begin());
}

}  // namespace field_names

// Request splitting and parameter lookup on arbitrary request bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "server/Request.h"
#include "text/Decimal.h"
#include "server/RequestOrigin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Request request = parseRequest(text);
    for (int occurrence = 0; occurrence < 3; ++occurrence) {
        getParam("id", request.params, occurrence);
        getParam("token", request.rawParams, occurrence);
    }
    rowId(request.argument);
    crossSiteReason(text);
    foreignHostReason(text, [](std::string_view host) { return host.empty(); });
    decimalValue(request.argument);
    return 0;
}

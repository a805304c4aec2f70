#include "library/RadioSync.h"

#include <memory>

#include "library/RadioList.h"
#include "library/StatusBoard.h"
#include "net/HttpClient.h"
#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "storage/StoreHandle.h"

std::optional<ByteBuffer> fetchRadioList(std::string_view url, const FetchOptions& options) {
    ByteBuffer body;
    if (!fetchUrl(url, body, true, options)) return std::nullopt;
    return body;
}

bool mergeRadioList(RadioList& list, const std::optional<ByteBuffer>& fetched, StatusBoard& board) {
    const std::unique_ptr<StoreHandle> handle = fetched ? storeMemoryHandle(fetched->data(), fetched->size()) : nullptr;
    Node published;
    if (!handle || readNodeStream(published, *handle) == NodeRead::kPoolExhausted) {
        board.postError("Connection error!");
        return false;
    }
    list.merge(published);
    return true;
}

#include "library/RadioSync.h"

#include <memory>

#include "library/RadioList.h"
#include "library/StatusBoard.h"
#include "net/HttpClient.h"
#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "storage/StoreHandle.h"

bool syncRadioList(RadioList& list, std::string_view url, StatusBoard& board) {
    ByteBuffer body;
    if (!fetchUrl(url, body, true)) {
        board.postError("Connection error!");
        return false;
    }
    const std::unique_ptr<StoreHandle> handle = storeMemoryHandle(body.data(), body.size());
    Node published;
    if (!handle || readNodeStream(published, *handle) == NodeRead::kPoolExhausted) {
        board.postError("Connection error!");
        return false;
    }
    list.merge(published);
    return true;
}

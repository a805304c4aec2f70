#include <memory>

#include "net/FetchWorker.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/PendingAnswer.h"

void answerAfterFetch(CommandCall& call, FetchAnswer work, std::string busyAnswer) {
    const std::shared_ptr<PendingAnswer> answer = call.connection.deferAnswer();
    const bool posted = call.services.fetches.post(
        [answer, work = std::move(work)](const FetchOptions& options) { answer->fill(work(options)); });
    if (!posted) answer->fill(std::move(busyAnswer));
}

// One HTTP request with a time-out.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// Sends one request to Url (the transfer's default method, no body) and waits for the answer,
// at most Timeout seconds for the connection and for the whole request. True when the transfer
// succeeded; the response body is discarded. Calls share one DNS cache (safe from any thread).
TVCORE_API bool appHttpPost(const char* Url, int Timeout);

} // namespace Tolvane

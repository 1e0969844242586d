#pragma once

#include <string>

#include "platform/request_server.h"

class ServiceState;

// What the service answers on its pipe, whatever a client does: a request is answered from the
// client's own account; "refused" for a request that is too long, not understood or from an
// account that cannot be learnt; nothing to a client that says nothing. Any program of a session
// can cause those failures at will, so their debug lines are counted and written at most once a
// minute per kind (logging/counted_lines.h). Runs under the service's handler lock.

// The answer to the connection the server describes.
std::string AnswerClient(ServiceState& service, const ClientRequest& request);

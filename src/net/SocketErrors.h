#pragma once
// The log texts of socket and host look-up failures. POSIX codes are reported with the
// texts their Winsock twins have always had, so logs read the same on every platform.

#include "text/Str.h"

// The text for an errno value; "TCPSocket: Unknown Error" for codes without a twin.
Str socketErrorText(int errnoValue);
// Writes socketErrorText(errnoValue) and a line feed to standard output.
void reportSocketError(int errnoValue);

// The text for a failed getaddrinfo (its result and, for EAI_SYSTEM, errno); empty when
// the failure has no text.
Str hostLookupErrorText(int lookupResult, int errnoValue);
// Writes hostLookupErrorText as it stands, without a line feed.
void reportHostLookupError(int lookupResult, int errnoValue);

#pragma once
// Decoding of a chunked HTTP body.

#include "text/ByteBuffer.h"

// Turns a chunked body into its data, in place. A missing last chunk ends the body where
// the complete chunks end. False, with the body unspecified, when a chunk's data is cut
// short or a chunk size is absurd.
bool dechunk(ByteBuffer& body);

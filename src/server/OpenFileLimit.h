#pragma once

// Lifts this process's soft limit of open files to its hard limit, so bursts of connections
// do not run out of descriptors. Best effort: a failure leaves the limit as it was.
void raiseOpenFileLimit();

#pragma once
// The process's heap and the system.

// Hands free heap pages back to the system after a large temporary structure is gone.
void returnFreeMemoryToSystem();

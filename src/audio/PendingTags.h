#pragma once
// The background reading of tags for the entries a view rebuild found without them.

class AudioEngine;
class Repository;

// One step, under the application lock: reads the last pending entry's tags, saves its
// folder after the last of a run of entries from that folder, drops the entry from the
// list (raising REVISION when the list runs empty) and returns how many remain.
int readNextPendingTags(Repository& repository, AudioEngine& engine);

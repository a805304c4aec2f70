#pragma once
// The process-wide pool every Node comes from: created on first use, freed at exit.

class FixedPool;

FixedPool& nodePool();

#pragma once

// Included before everything else in the options fuzzer: RapidJSON's own checks (a member read
// with the wrong type, a missing member) trap instead of vanishing with NDEBUG.
#define RAPIDJSON_ASSERT(x) ((x) ? (void) 0 : __builtin_trap())

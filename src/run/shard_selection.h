// One share of a batch: the whole list is queued as by any run, then only
// the files at every N-th position from K-1 on are kept, each with its
// position in the whole list, so that the N shares together number and name
// their files exactly as one run over the list does.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "run/conversion_worker.h"

namespace orvex {

struct Shard {
    int32_t index = 1;  // K, 1-based
    int32_t count = 1;  // N
};

// "K/N" with whole numbers 1 <= K <= N (blanks around each number allowed);
// empty for anything else.
std::optional<Shard> ParseShard(std::string_view text);

// Every file gets its 0-based position in `queue` as its list position.
void NumberByPosition(FileQueue& queue);

// Keeps the files at positions p with p mod N = K-1, in order.
void KeepShard(FileQueue& queue, const Shard& shard);

}  // namespace orvex

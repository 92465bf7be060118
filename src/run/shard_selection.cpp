// The shard's share of a queue.
#include "run/shard_selection.h"

#include <charconv>

#include "text/trim.h"

namespace orvex {
namespace {

std::optional<int32_t> WholeNumber(std::string_view text) {
    text = Trim(text, kSpacesAndTabs);
    int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.front() == '-' || error != std::errc{} ||
        end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<Shard> ParseShard(std::string_view text) {
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::optional<int32_t> index = WholeNumber(text.substr(0, slash));
    const std::optional<int32_t> count = WholeNumber(text.substr(slash + 1));
    if (!index || !count || *index < 1 || *index > *count) return std::nullopt;
    Shard shard;
    shard.index = *index;
    shard.count = *count;
    return shard;
}

void NumberByPosition(FileQueue& queue) {
    for (size_t at = 0; at < queue.size(); ++at) queue[at].listPosition = static_cast<int32_t>(at);
}

void KeepShard(FileQueue& queue, const Shard& shard) {
    FileQueue kept;
    kept.reserve(queue.size() / static_cast<size_t>(shard.count) + 1);
    for (size_t at = static_cast<size_t>(shard.index - 1); at < queue.size();
         at += static_cast<size_t>(shard.count))
        kept.push_back(std::move(queue[at]));
    queue = std::move(kept);
}

}  // namespace orvex

// The pieces of a batch spread over several processes: shares of a list,
// names in JSON lines, and a frame sequence's shared figures.
#include <gtest/gtest.h>

#include "run/json_names.h"
#include "run/sequence_statistics.h"
#include "run/shard_selection.h"
#include "support/temp_folder.h"

namespace orvex {
namespace {

TEST(ShardSelection, ReadsOnlyKOfNWithKFromOneToN) {
    for (const char* good : {"1/1", "2/3", "3/3", " 1 / 2 "}) EXPECT_TRUE(ParseShard(good)) << good;
    for (const char* bad : {"0/3", "4/3", "1/0", "-1/3", "1", "1/", "/3", "a/3", "1/3x", "1.5/3",
                            "99999999999/1", ""})
        EXPECT_FALSE(ParseShard(bad)) << bad;
    const Shard shard = *ParseShard("2/7");
    EXPECT_EQ(shard.index, 2);
    EXPECT_EQ(shard.count, 7);
}

// A name that is not UTF-8 still gives valid JSON and comes back exactly; a
// line break and quotes are escaped by the library.
TEST(JsonNames, EveryFileNameComesBackExactly) {
    for (const std::string& name :
         {std::string("plain.hdr"), std::string("two\nlines \"q\".hdr"),
          std::string("caf\xC3\xA9.hdr"), std::string("bad\xFF\xC3.hdr")}) {
        nlohmann::ordered_json object;
        PutName(object, "input", name);
        const std::string line = JsonLine(object);
        EXPECT_EQ(line.find('\n'), std::string::npos);
        const auto parsed = nlohmann::ordered_json::parse(line, nullptr, false);
        ASSERT_FALSE(parsed.is_discarded()) << line;
        EXPECT_EQ(GetName(parsed, "input"), name);
        EXPECT_EQ(parsed.contains("input_hex"), name.find('\xFF') != std::string::npos);
    }
}

FrameStatistics Frame(const std::string& name, int32_t position, float largest, float mean) {
    FrameStatistics frame;
    frame.input = name;
    frame.position = position;
    frame.figures.largestLuminance = largest;
    frame.figures.logAverageLuminance = mean;
    return frame;
}

// Files measured by shares and joined in any order read back in sequence
// order, the figures exact; a broken line refuses the whole file.
TEST(SequenceStatistics, AFileJoinedFromSharesReadsBackInOrder) {
    test_support::ScopedTempFolder temp("sequence-statistics");
    const std::string lines = FrameStatisticsLine(Frame("c.hdr", 2, 3.3f, 0.3f)) + "\n" +
                              FrameStatisticsLine(Frame("a\xFF.hdr", 0, 1.1f, 0.1f)) + "\n" +
                              FrameStatisticsLine(Frame("b.hdr", 1, 2.2f, 0.2f)) + "\n";
    std::string reason;
    const auto frames = ReadSequenceStatistics(temp.WriteFile("s.jsonl", lines + lines), reason);
    ASSERT_TRUE(frames) << reason;
    ASSERT_EQ(frames->size(), 3u);
    EXPECT_EQ((*frames)[0].input, "a\xFF.hdr");
    EXPECT_EQ((*frames)[2].figures.largestLuminance, 3.3f);
    EXPECT_EQ((*frames)[1].figures.logAverageLuminance, 0.2f);

    EXPECT_FALSE(
        ReadSequenceStatistics(temp.WriteFile("bad.jsonl", lines + "{\"input\":1}\n"), reason));
    EXPECT_EQ(reason, "line 4 is not a frame's statistics");
    EXPECT_FALSE(ReadSequenceStatistics(temp.File("missing.jsonl"), reason));
}

TEST(SequenceStatistics, LockedAndSmoothedFigures) {
    const std::vector<FrameStatistics> frames{Frame("a", 0, 1, 1), Frame("b", 1, 8, 4),
                                              Frame("c", 2, 3, 0), Frame("d", 3, 4, 16)};
    for (const DragoStatistics& locked : SharedStatistics(frames, 0)) {
        EXPECT_FLOAT_EQ(locked.largestLuminance, 8);
        EXPECT_FLOAT_EQ(locked.logAverageLuminance, 4);  // (1 * 4 * 16)^(1/3); "c" has no light
    }
    const std::vector<DragoStatistics> own = SharedStatistics(frames, 1);
    for (size_t at = 0; at < frames.size(); ++at)
        EXPECT_FLOAT_EQ(own[at].largestLuminance, frames[at].figures.largestLuminance);
    const std::vector<DragoStatistics> three = SharedStatistics(frames, 3);
    EXPECT_FLOAT_EQ(three[0].largestLuminance, 4.5f);  // a, b
    EXPECT_FLOAT_EQ(three[1].largestLuminance, 4);     // a, b, c
    EXPECT_FLOAT_EQ(three[3].largestLuminance, 3.5f);  // c, d
    EXPECT_FLOAT_EQ(three[3].logAverageLuminance, 16);

    FileQueue queue{QueuedFile{"b", ""}, QueuedFile{"x", ""}};
    EXPECT_EQ(AssignSequenceStatistics(queue, frames, 0), "x");
    EXPECT_EQ(queue[0].sequenceLargestLuminance, 0);  // nothing given when one is missing
    queue.pop_back();
    EXPECT_EQ(AssignSequenceStatistics(queue, frames, 3), "");
    EXPECT_FLOAT_EQ(queue[0].sequenceLargestLuminance, 4);
}

}  // namespace
}  // namespace orvex

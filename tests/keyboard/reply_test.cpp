// Scan replies: the pair parse rule, and putting a reply together from several reads
// without ever writing past the reply buffer.

#include <gtest/gtest.h>

#include <random>

#include "tools/keyboard/reply_buffer.h"
#include "tools/keyboard/reply_parser.h"

namespace tarvex::keyboard {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Pairs = std::vector<PinPair>;

Pairs parse(const Bytes& bytes) {
  return parseReply(bytes);
}

TEST(ReplyParserTest, RecordsAndTheirPairs) {
  EXPECT_EQ(parse({'&'}), Pairs{});
  EXPECT_EQ(parse({}), Pairs{});
  EXPECT_EQ(parse({'>', 3, 7, '&'}), (Pairs{{3, 7}}));
  EXPECT_EQ(parse({'>', 1, 2, '>', 1, 2, '&'}), (Pairs{{1, 2}, {1, 2}}));
  // Further second pins of a record pair with the same first pin.
  EXPECT_EQ(parse({'>', 5, 6, 7, '&'}), (Pairs{{5, 6}, {5, 7}}));
  EXPECT_EQ(parse({'>', 5, 6, '>', 9, 10, 11, '&'}), (Pairs{{5, 6}, {9, 10}, {9, 11}}));
}

TEST(ReplyParserTest, OnlyBytesBeforeTheFirstEndCount) {
  EXPECT_EQ(parse({'>', 3, 7, '&', '>', 1, 2, '&'}), (Pairs{{3, 7}}));
  EXPECT_EQ(parse({'&', '>', 1, 2}), Pairs{});
  // No '&' at all: every byte counts.
  EXPECT_EQ(parse({'>', 3, 7}), (Pairs{{3, 7}}));
}

TEST(ReplyParserTest, FollowsTheRuleOnMalformedInput) {
  // Bytes before any '>' still start a record; a dangling first pin reports nothing.
  EXPECT_EQ(parse({4, 9, '&'}), (Pairs{{4, 9}}));
  EXPECT_EQ(parse({'>', 4, '>', 6, 8, '&'}), (Pairs{{6, 8}}));
  EXPECT_EQ(parse({'>', 4, '&'}), Pairs{});
  // A zero byte cannot be a first pin: the next byte takes its place.
  EXPECT_EQ(parse({'>', 0, 3, 7, '&'}), (Pairs{{3, 7}}));
  // Pins out of range come out unjudged; the caller decides.
  EXPECT_EQ(parse({'>', 200, 40, '&'}), (Pairs{{200, 40}}));
}

TEST(ReplyParserTest, ArbitraryBytesNeverYieldMorePairsThanBytes) {
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    Bytes bytes(random() % 64);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    const Pairs pairs = parse(bytes);
    EXPECT_LE(pairs.size(), bytes.size());
    for (const auto& p : pairs) EXPECT_NE(p.first, 0);
  }
}

TEST(ReplyBufferTest, OnlyAReadEndingInTheEndByteCompletesTheReply) {
  ReplyBuffer reply;
  EXPECT_FALSE(reply.complete());
  reply.append(Bytes{'>', 3});
  EXPECT_FALSE(reply.complete());
  reply.append(Bytes{});
  EXPECT_FALSE(reply.complete());
  // An '&' inside a read does not end the reply; the last byte decides.
  reply.append(Bytes{7, '&', '>'});
  EXPECT_FALSE(reply.complete());
  reply.append(Bytes{'&'});
  EXPECT_TRUE(reply.complete());
  EXPECT_EQ(Bytes(reply.bytes().begin(), reply.bytes().end()), (Bytes{'>', 3, 7, '&', '>', '&'}));
  reply.clear();
  EXPECT_FALSE(reply.complete());
  EXPECT_EQ(reply.received(), 0u);
}

TEST(ReplyBufferTest, ALongerReplyKeepsItsFirstPartAndStillEnds) {
  ReplyBuffer reply;
  Bytes head{'>', 1, 2};
  head.resize(1000, 9);
  reply.append(head);
  reply.append(Bytes(600, 9));
  EXPECT_FALSE(reply.complete());
  EXPECT_TRUE(reply.overflowed());
  reply.append(Bytes{'&'});
  EXPECT_TRUE(reply.complete());
  EXPECT_EQ(reply.bytes().size(), ReplyBuffer::kCapacity);
  EXPECT_EQ(reply.received(), 1601u);
  EXPECT_EQ(reply.bytes()[1], 1);
  EXPECT_EQ(reply.bytes().back(), 9);
}

TEST(ReplyBufferTest, AReplyOfExactlyTheCapacityIsNotCut) {
  ReplyBuffer reply;
  Bytes bytes(ReplyBuffer::kCapacity, 9);
  bytes.back() = '&';
  reply.append(bytes);
  EXPECT_TRUE(reply.complete());
  EXPECT_FALSE(reply.overflowed());
}

}  // namespace
}  // namespace tarvex::keyboard

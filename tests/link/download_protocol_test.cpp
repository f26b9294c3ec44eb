#include "link/download_protocol.h"

#include <gtest/gtest.h>

#include "dump/dump_line.h"

namespace kq {
namespace {

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> values) {
  std::vector<std::uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

// A block reply whose bytes count up from `seed`.
std::vector<std::uint8_t> blockReply(int seed, std::size_t size = 259) {
  std::vector<std::uint8_t> reply(size);
  for (std::size_t i = 0; i < size; ++i) reply[i] = static_cast<std::uint8_t>(seed + i);
  return reply;
}

std::string lineOf(const std::vector<std::uint8_t>& reply) {
  return makeDumpLine(std::span(reply).subspan(1));
}

class DownloadProtocolTest : public ::testing::Test {
 protected:
  // Feeds a chunk and keeps what the engine asked for.
  ProtocolSteps receive(const std::vector<std::uint8_t>& bytes) { return keep(engine.receiveChunk(bytes)); }
  ProtocolSteps keep(ProtocolSteps steps) {
    for (const auto& line : steps.lines) dump.push_back(line);
    if (steps.progress) progress.push_back(*steps.progress);
    if (!steps.send.empty()) writes.push_back(steps.send);
    return steps;
  }

  // Answers every request until the dump holds `blocks` lines.
  void answerBlocks(int blocks) {
    while (static_cast<int>(dump.size()) < blocks) receive(blockReply(static_cast<int>(dump.size())));
  }

  DownloadProtocol engine;
  std::vector<std::string> dump;
  std::vector<int> progress;
  std::vector<std::vector<std::uint8_t>> writes;
};

TEST_F(DownloadProtocolTest, HandshakeAnswersSyncOnceAndConfirms) {
  engine.beginLink();
  EXPECT_EQ(engine.linkState(), LinkState::waitSync);

  ProtocolSteps steps = receive(bytesOf({0x55}));
  EXPECT_EQ(engine.linkState(), LinkState::syncAnswered);
  EXPECT_EQ(steps.send, bytesOf({0x55, 0x33, 0xCC}));
  EXPECT_TRUE(steps.indicator);
  EXPECT_FALSE(steps.linked);

  steps = receive(bytesOf({0x55}));
  EXPECT_EQ(engine.linkState(), LinkState::syncAnswered);
  EXPECT_TRUE(steps.send.empty());
  EXPECT_FALSE(steps.indicator);

  steps = receive(bytesOf({0xAA, 0x01}));
  EXPECT_EQ(engine.linkState(), LinkState::linked);
  EXPECT_TRUE(steps.linked);
  EXPECT_TRUE(steps.indicator);
  EXPECT_TRUE(steps.send.empty());
}

TEST_F(DownloadProtocolTest, OnlyTheFirstByteOfAChunkCounts) {
  struct Case {
    std::vector<std::uint8_t> chunk;
    LinkState after;
    std::size_t sent;
  };
  const Case cases[] = {
      {bytesOf({0x12, 0x55}), LinkState::waitSync, 0},
      {bytesOf({0x55, 0xAA}), LinkState::syncAnswered, 3},
      {bytesOf({0xAA}), LinkState::waitSync, 0},
  };
  for (const auto& c : cases) {
    DownloadProtocol e;
    e.beginLink();
    EXPECT_EQ(e.receiveChunk(c.chunk).send.size(), c.sent);
    EXPECT_EQ(e.linkState(), c.after);
  }
}

TEST_F(DownloadProtocolTest, StartDownloadRequestsTheFirstBlock) {
  engine.beginLink();
  const ProtocolSteps steps = keep(engine.startDownload());
  EXPECT_EQ(engine.linkState(), LinkState::downloading);
  EXPECT_EQ(engine.blockNumber(), 0x0100);
  EXPECT_EQ(progress, std::vector<int>{0});
  EXPECT_EQ(steps.send, bytesOf({0x77, 0x01, 0x00}));
  EXPECT_TRUE(steps.indicator);
}

TEST_F(DownloadProtocolTest, CompleteBlockMakesLineAndRequestsNext) {
  keep(engine.startDownload());
  const auto reply = blockReply(0xA5);
  const ProtocolSteps steps = receive(reply);
  ASSERT_EQ(dump.size(), 1u);
  EXPECT_EQ(dump[0], lineOf(reply));
  EXPECT_EQ(dump[0].size(), 773u);
  EXPECT_EQ(progress.back(), 6);
  EXPECT_EQ(steps.send, bytesOf({0x77, 0x01, 0x01}));
  EXPECT_EQ(engine.blockFill(), 0);
}

TEST_F(DownloadProtocolTest, ReplySplitInChunksGivesOneLineAtTheLastChunk) {
  keep(engine.startDownload());
  const auto reply = blockReply(3);
  const std::size_t sizes[] = {100, 100, 59};
  std::size_t pos = 0;
  for (std::size_t size : sizes) {
    EXPECT_TRUE(dump.empty());
    keep(engine.receiveChunk(std::span(reply).subspan(pos, size)));
    pos += size;
  }
  ASSERT_EQ(dump.size(), 1u);
  EXPECT_EQ(dump[0], lineOf(reply));
}

TEST_F(DownloadProtocolTest, ChunkLongerThanTheBlockGoesIntoTheLine) {
  keep(engine.startDownload());
  const auto chunk = blockReply(0, 300);
  receive(chunk);
  ASSERT_EQ(dump.size(), 1u);
  EXPECT_EQ(dump[0], lineOf(chunk));
  EXPECT_EQ(dump[0].size(), 299u * 3 - 1);
  EXPECT_EQ(engine.blockFill(), 0);
}

TEST_F(DownloadProtocolTest, OversizeInputStaysInsideTheBuffer) {
  keep(engine.startDownload());
  // 258 bytes collected, then 800 more: only what fits in 1024 bytes is kept.
  receive(blockReply(0, 258));
  receive(blockReply(1, 800));
  ASSERT_EQ(dump.size(), 1u);
  EXPECT_EQ(dump[0].size(), 1023u * 3 - 1);

  // A chunk above the buffer size is taken in buffer-sized pieces.
  const ProtocolSteps steps = receive(blockReply(2, 3000));
  ASSERT_EQ(dump.size(), 4u);
  EXPECT_EQ(dump[1].size(), 1023u * 3 - 1);
  EXPECT_EQ(dump[2].size(), 1023u * 3 - 1);
  EXPECT_EQ(dump[3].size(), 951u * 3 - 1);
  EXPECT_EQ(steps.send, bytesOf({0x77, 0x01, 0x02, 0x77, 0x01, 0x03, 0x77, 0x01, 0x04}));
  EXPECT_EQ(engine.blockNumber(), 0x0104);
  EXPECT_LE(engine.blockFill(), static_cast<int>(DownloadProtocol::kBufferSize));
}

TEST_F(DownloadProtocolTest, FullDownloadEndsAfterBlock0FFF) {
  keep(engine.startDownload());
  answerBlocks(layout::kBlockCount);
  EXPECT_EQ(engine.linkState(), LinkState::downloadDone);
  EXPECT_EQ(dump.size(), 3840u);
  // Requests 0100..0FFF in order, none after the last.
  ASSERT_EQ(writes.size(), 3840u);
  for (int i = 0; i < 3840; ++i) {
    const int block = 0x0100 + i;
    ASSERT_EQ(writes[i], bytesOf({0x77, block >> 8, block & 0xFF})) << i;
  }
  // progress[0] is the 0 of the start; then one value per block.
  ASSERT_EQ(progress.size(), 3841u);
  struct Expected {
    int block;
    int percent;
  };
  const Expected table[] = {{1, 6}, {256, 12}, {257, 12}, {1280, 37}, {1281, 38}, {3840, 100}};
  for (const auto& e : table) EXPECT_EQ(progress[e.block], e.percent) << "after block " << e.block;

  // Further replies are no longer a download.
  const ProtocolSteps after = receive(blockReply(0));
  EXPECT_TRUE(after.send.empty());
  EXPECT_FALSE(after.done);
  EXPECT_EQ(dump.size(), 3840u);
}

TEST_F(DownloadProtocolTest, OnlyTheLastBlockSaysDone) {
  keep(engine.startDownload());
  answerBlocks(layout::kBlockCount - 1);
  EXPECT_FALSE(receive(blockReply(0, 258)).done);
  const ProtocolSteps last = receive(bytesOf({0x00}));
  EXPECT_TRUE(last.done);
  EXPECT_TRUE(last.send.empty());
  EXPECT_EQ(last.progress, 100);
}

TEST_F(DownloadProtocolTest, RetryDiscardsPartialBlockAndAsksAgain) {
  keep(engine.startDownload());
  answerBlocks(1);
  receive(blockReply(9, 150));
  EXPECT_EQ(engine.blockFill(), 150);

  const ProtocolSteps steps = engine.retryTick();
  EXPECT_EQ(engine.blockFill(), 0);
  EXPECT_EQ(steps.send, bytesOf({0x77, 0x01, 0x01}));
  EXPECT_EQ(engine.linkState(), LinkState::downloading);
}

TEST_F(DownloadProtocolTest, LateReplyAfterRetryStartsTheBlock) {
  keep(engine.startDownload());
  answerBlocks(1);
  const auto late = blockReply(40);
  keep(engine.receiveChunk(std::span(late).first(150)));
  keep(engine.retryTick());
  keep(engine.receiveChunk(std::span(late).subspan(150)));  // 109 bytes
  EXPECT_EQ(dump.size(), 1u);
  const auto repeated = blockReply(80);
  receive(repeated);
  ASSERT_EQ(dump.size(), 2u);
  // 109 late bytes and the first 150 of the repeated reply make the block.
  std::vector<std::uint8_t> mixed(late.begin() + 150, late.end());
  mixed.insert(mixed.end(), repeated.begin(), repeated.end());
  EXPECT_EQ(dump[1], lineOf(mixed));
  EXPECT_EQ(engine.blockFill(), 0);
}

TEST_F(DownloadProtocolTest, StartDownloadWhileRunningStartsOver) {
  keep(engine.startDownload());
  answerBlocks(5);
  receive(blockReply(0, 30));
  const ProtocolSteps steps = engine.startDownload();
  EXPECT_EQ(engine.blockFill(), 0);
  EXPECT_EQ(engine.blockNumber(), 0x0100);
  EXPECT_EQ(steps.send, bytesOf({0x77, 0x01, 0x00}));
}

TEST_F(DownloadProtocolTest, RewindGoesBackToACompletedBlock) {
  keep(engine.startDownload());
  answerBlocks(3);
  engine.rewindTo(0x0102);
  EXPECT_EQ(engine.retryTick().send, bytesOf({0x77, 0x01, 0x02}));
  const auto reply = blockReply(7);
  receive(reply);
  EXPECT_EQ(dump.back(), lineOf(reply));
  EXPECT_EQ(engine.blockNumber(), 0x0103);
}

TEST_F(DownloadProtocolTest, BeginLinkKeepsBlockCounters) {
  keep(engine.startDownload());
  answerBlocks(2);
  receive(blockReply(0, 10));
  engine.beginLink();
  EXPECT_EQ(engine.linkState(), LinkState::waitSync);
  EXPECT_EQ(engine.blockFill(), 10);
  EXPECT_EQ(engine.blockNumber(), 0x0102);
  // The retry tick looks at no state.
  EXPECT_EQ(engine.retryTick().send, bytesOf({0x77, 0x01, 0x02}));
}

}  // namespace
}  // namespace kq

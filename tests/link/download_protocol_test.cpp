#include "link/download_protocol.h"

#include <gtest/gtest.h>

#include "tests/link/recording_host.h"

namespace kq {
namespace {

using test::blockReply;
using test::bytesOf;
using test::lineOf;

class DownloadProtocolTest : public ::testing::Test {
 protected:
  void receive(const std::vector<std::uint8_t>& bytes) { engine.receiveChunk(bytes); }

  // Answers every request until the dump holds `blocks` lines.
  void answerBlocks(int blocks) {
    while (static_cast<int>(host.dump.size()) < blocks)
      receive(blockReply(static_cast<int>(host.dump.size())));
  }

  test::RecordingHost host;
  DownloadProtocol engine{host};
};

TEST_F(DownloadProtocolTest, HandshakeAnswersSyncOnceAndConfirms) {
  engine.beginLink();
  EXPECT_EQ(engine.linkState(), LinkState::waitSync);
  EXPECT_EQ(host.statuses, std::vector<std::string>{"Установка связи с БК"});
  EXPECT_TRUE(host.writes.empty());

  receive(bytesOf({0x55}));
  EXPECT_EQ(engine.linkState(), LinkState::syncAnswered);
  ASSERT_EQ(host.writes.size(), 1u);
  EXPECT_EQ(host.writes[0], bytesOf({0x55, 0x33, 0xCC}));
  EXPECT_EQ(host.indicatorLit, 1);
  EXPECT_EQ(host.frameLog, (std::vector<std::string>{" - >  55", " - от ПК - > 55 33 CC"}));
  EXPECT_EQ(host.replyLog, std::vector<std::string>{" - >  55"});

  receive(bytesOf({0x55}));
  EXPECT_EQ(engine.linkState(), LinkState::syncAnswered);
  EXPECT_EQ(host.writes.size(), 1u);

  receive(bytesOf({0xAA, 0x01}));
  EXPECT_EQ(engine.linkState(), LinkState::linked);
  EXPECT_EQ(host.statuses.back(), "Связь с БК установлена");
  EXPECT_EQ(host.indicatorLit, 2);
  EXPECT_EQ(host.writes.size(), 1u);
}

TEST_F(DownloadProtocolTest, OnlyTheFirstByteOfAChunkCounts) {
  struct Case {
    std::vector<std::uint8_t> chunk;
    LinkState after;
    std::size_t writes;
  };
  const Case cases[] = {
      {bytesOf({0x12, 0x55}), LinkState::waitSync, 0},
      {bytesOf({0x55, 0xAA}), LinkState::syncAnswered, 1},
      {bytesOf({0xAA}), LinkState::waitSync, 0},
  };
  for (const auto& c : cases) {
    test::RecordingHost h;
    DownloadProtocol e(h);
    e.beginLink();
    e.receiveChunk(c.chunk);
    EXPECT_EQ(e.linkState(), c.after);
    EXPECT_EQ(h.writes.size(), c.writes);
  }
}

TEST_F(DownloadProtocolTest, StartDownloadRequestsFirstBlockWithoutRetry) {
  engine.beginLink();
  engine.startDownload();
  EXPECT_EQ(host.dumpCleared, 1);
  EXPECT_EQ(engine.linkState(), LinkState::downloading);
  EXPECT_EQ(engine.blockNumber(), 0x0100);
  EXPECT_EQ(host.statuses.back(), "Скачивание данных из БК");
  EXPECT_EQ(host.progress, std::vector<int>{0});
  ASSERT_EQ(host.writes.size(), 1u);
  EXPECT_EQ(host.writes[0], bytesOf({0x77, 0x01, 0x00}));
  EXPECT_EQ(host.frameLog.back(), " - от ПК - > 77 01 00");
  // No reply at all to the first request: nothing more is ever sent.
  EXPECT_FALSE(host.timerArmed);
  EXPECT_EQ(host.timesArmed, 0);
}

TEST_F(DownloadProtocolTest, CompleteBlockMakesLineAndRequestsNext) {
  engine.startDownload();
  const auto reply = blockReply(0xA5);
  receive(reply);
  ASSERT_EQ(host.dump.size(), 1u);
  EXPECT_EQ(host.dump[0], lineOf(reply));
  EXPECT_EQ(host.dump[0].size(), 773u);
  EXPECT_EQ(host.progress.back(), 6);
  EXPECT_EQ(host.writes.back(), bytesOf({0x77, 0x01, 0x01}));
  EXPECT_TRUE(host.timerArmed);
  EXPECT_EQ(engine.blockFill(), 0);
  // The reply log gets the request just sent, not the chunk.
  EXPECT_EQ(host.replyLog, std::vector<std::string>{" - >  77 01 01"});
}

TEST_F(DownloadProtocolTest, ReplySplitInChunksGivesOneLineAtTheLastChunk) {
  engine.startDownload();
  const auto reply = blockReply(3);
  const std::size_t sizes[] = {100, 100, 59};
  std::size_t pos = 0;
  for (std::size_t size : sizes) {
    EXPECT_TRUE(host.dump.empty());
    engine.receiveChunk(std::span(reply).subspan(pos, size));
    pos += size;
  }
  ASSERT_EQ(host.dump.size(), 1u);
  EXPECT_EQ(host.dump[0], lineOf(reply));
  // Partial chunks leave only frame log lines.
  EXPECT_EQ(host.replyLog.size(), 1u);
}

TEST_F(DownloadProtocolTest, ChunkLongerThanTheBlockGoesIntoTheLine) {
  engine.startDownload();
  const auto chunk = blockReply(0, 300);
  receive(chunk);
  ASSERT_EQ(host.dump.size(), 1u);
  EXPECT_EQ(host.dump[0], lineOf(chunk));
  EXPECT_EQ(host.dump[0].size(), 299u * 3 - 1);
  EXPECT_EQ(engine.blockFill(), 0);
}

TEST_F(DownloadProtocolTest, OversizeInputStaysInsideTheBuffer) {
  engine.startDownload();
  // 258 bytes collected, then 800 more: only what fits in 1024 bytes is kept.
  receive(blockReply(0, 258));
  receive(blockReply(1, 800));
  ASSERT_EQ(host.dump.size(), 1u);
  EXPECT_EQ(host.dump[0].size(), 1023u * 3 - 1);

  // A chunk above the buffer size is taken in buffer-sized pieces.
  receive(blockReply(2, 3000));
  ASSERT_EQ(host.dump.size(), 4u);
  EXPECT_EQ(host.dump[1].size(), 1023u * 3 - 1);
  EXPECT_EQ(host.dump[2].size(), 1023u * 3 - 1);
  EXPECT_EQ(host.dump[3].size(), 951u * 3 - 1);
  EXPECT_EQ(engine.blockNumber(), 0x0104);
  EXPECT_LE(engine.blockFill(), static_cast<int>(DownloadProtocol::kBufferSize));
}

TEST_F(DownloadProtocolTest, FullDownloadEndsAfterBlock0FFF) {
  engine.startDownload();
  answerBlocks(DownloadProtocol::kBlockCount);
  EXPECT_EQ(engine.linkState(), LinkState::downloadDone);
  EXPECT_EQ(host.dump.size(), 3840u);
  EXPECT_EQ(host.switchReleased, 1);
  EXPECT_EQ(host.statuses.back(), "Завершено скачивание данных из БК");
  EXPECT_FALSE(host.timerArmed);
  // Requests 0100..0FFF in order, none after the last.
  ASSERT_EQ(host.writes.size(), 3840u);
  for (int i = 0; i < 3840; ++i) {
    const int block = 0x0100 + i;
    ASSERT_EQ(host.writes[i], bytesOf({0x77, block >> 8, block & 0xFF})) << i;
  }
  // progress[0] is the 0 of StartDownload; then one value per block.
  ASSERT_EQ(host.progress.size(), 3841u);
  struct Expected {
    int block;
    int percent;
  };
  const Expected table[] = {{1, 6}, {256, 12}, {257, 12}, {1280, 37}, {1281, 38}, {3840, 100}};
  for (const auto& e : table) EXPECT_EQ(host.progress[e.block], e.percent) << "after block " << e.block;

  // Further replies are no longer a download.
  const auto writes = host.writes.size();
  receive(blockReply(0));
  EXPECT_EQ(host.writes.size(), writes);
  EXPECT_EQ(host.dump.size(), 3840u);
}

TEST_F(DownloadProtocolTest, RetryDiscardsPartialBlockAndAsksAgainOnce) {
  engine.startDownload();
  answerBlocks(1);
  receive(blockReply(9, 150));
  EXPECT_EQ(engine.blockFill(), 150);

  engine.retryTick();
  EXPECT_EQ(engine.blockFill(), 0);
  EXPECT_EQ(host.writes.back(), bytesOf({0x77, 0x01, 0x01}));
  EXPECT_EQ(host.frameLog.back(), " - от ПК - > 77 01 01");
  // The tick does not re-arm: a second silence leaves the download waiting.
  EXPECT_FALSE(host.timerArmed);
  EXPECT_EQ(engine.linkState(), LinkState::downloading);
}

TEST_F(DownloadProtocolTest, LateReplyAfterRetryStartsTheBlock) {
  engine.startDownload();
  answerBlocks(1);
  const auto late = blockReply(40);
  engine.receiveChunk(std::span(late).first(150));
  engine.retryTick();
  engine.receiveChunk(std::span(late).subspan(150));  // 109 bytes
  EXPECT_EQ(host.dump.size(), 1u);
  const auto repeated = blockReply(80);
  receive(repeated);
  ASSERT_EQ(host.dump.size(), 2u);
  // 109 late bytes and the first 150 of the repeated reply make the block.
  std::vector<std::uint8_t> mixed(late.begin() + 150, late.end());
  mixed.insert(mixed.end(), repeated.begin(), repeated.end());
  EXPECT_EQ(host.dump[1], lineOf(mixed));
  EXPECT_EQ(engine.blockFill(), 0);
}

TEST_F(DownloadProtocolTest, StartDownloadWhileRunningStartsOver) {
  engine.startDownload();
  answerBlocks(5);
  receive(blockReply(0, 30));
  engine.startDownload();
  EXPECT_TRUE(host.dump.empty());
  EXPECT_EQ(engine.blockFill(), 0);
  EXPECT_EQ(engine.blockNumber(), 0x0100);
  EXPECT_EQ(host.writes.back(), bytesOf({0x77, 0x01, 0x00}));
}

TEST_F(DownloadProtocolTest, FailedWriteEndsTheCallAtThatWrite) {
  engine.startDownload();
  host.failWrites = true;
  EXPECT_THROW(receive(blockReply(0)), std::runtime_error);
  // Steps before the write stay, steps after it are not done.
  EXPECT_EQ(host.dump.size(), 1u);
  EXPECT_EQ(host.progress.back(), 6);
  EXPECT_EQ(engine.blockNumber(), 0x0101);
  EXPECT_FALSE(host.timerArmed);
  EXPECT_TRUE(host.replyLog.empty());

  test::RecordingHost h;
  DownloadProtocol e(h);
  h.failWrites = true;
  EXPECT_THROW(e.receiveChunk(bytesOf({0x55})), std::runtime_error);
  EXPECT_EQ(e.linkState(), LinkState::syncAnswered);
  EXPECT_EQ(h.indicatorLit, 1);
  EXPECT_EQ(h.frameLog.size(), 1u);
}

TEST_F(DownloadProtocolTest, SendCommandParsesHexPairs) {
  struct Case {
    const char* text;
    std::vector<std::uint8_t> bytes;
    const char* log;
  };
  const Case cases[] = {
      {"77 01 00", bytesOf({0x77, 0x01, 0x00}), " - от ПК - > 77 01 00"},
      {"7 70 1 0", bytesOf({0x77, 0x01}), " - от ПК - > 77 01"},
      {"ab Cd", bytesOf({0xAB, 0xCD}), " - от ПК - > AB CD"},
      {"", {}, " - от ПК - >"},
  };
  for (const auto& c : cases) {
    test::RecordingHost h;
    DownloadProtocol e(h);
    e.sendCommand(c.text);
    ASSERT_EQ(h.writes.size(), 1u) << c.text;
    EXPECT_EQ(h.writes[0], c.bytes) << c.text;
    EXPECT_EQ(h.frameLog, std::vector<std::string>{c.log});
    EXPECT_EQ(h.indicatorLit, 1);
  }
}

TEST_F(DownloadProtocolTest, BeginLinkKeepsBlockCounters) {
  engine.startDownload();
  answerBlocks(2);
  receive(blockReply(0, 10));
  engine.beginLink();
  EXPECT_EQ(engine.linkState(), LinkState::waitSync);
  EXPECT_EQ(engine.blockFill(), 10);
  EXPECT_EQ(engine.blockNumber(), 0x0102);
  // The retry tick looks at no state.
  engine.retryTick();
  EXPECT_EQ(host.writes.back(), bytesOf({0x77, 0x01, 0x02}));
}

}  // namespace
}  // namespace kq

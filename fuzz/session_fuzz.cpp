// The download session and its engine fed any sequence of received chunks,
// clock steps, device replies, restarts, lost lines and failing writes, on a
// clock the input moves. Whatever happens, the engine's promises hold:
// requests go out in block order, every line has 258 values, progress never
// falls within a download, and nothing is added after the download is done.
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "dump/block_layout.h"
#include "fuzz/require.h"
#include "link/download_session.h"
#include "tests/link/scripted_line.h"

namespace {

using namespace std::chrono_literals;
using kq::layout::kFirstBlock;

using kq::fuzz::require;

// Reads the input from the front; zeros once it runs out.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return pos_ >= size_; }
  std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::span<const std::uint8_t> bytes(std::size_t n) {
    n = std::min(n, size_ - std::min(pos_, size_));
    const std::span<const std::uint8_t> taken(data_ + pos_, n);
    pos_ += n;
    return taken;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Checks what the session reports against the engine's promises.
class Checker : public kq::DownloadObserver {
 public:
  void progressChanged(int percent) override {
    require(percent >= 0 && percent <= 100, "progress is a percentage");
    require(percent >= progress_, "progress never falls within a download");
    progress_ = percent;
  }
  void downloadStarted() override {
    progress_ = 0;
    lines_ = 0;
    done_ = false;
  }
  void lineAdded(const std::string& line) override {
    require(!done_, "nothing is added after the download is done");
    require(line.size() == kq::layout::kLineChars, "a line has 258 values");
    ++lines_;
  }
  void downloadDone() override {
    require(lines_ == kq::layout::kBlockCount, "a finished download has every block");
    done_ = true;
  }
  void lineFailed(const std::string&) override {}
  void stalled(int) override {}
  void blockUnreadable(int) override {}

  // A request the session wrote: for the block after the lines so far, or,
  // with a line still unconfirmed, for the one after that.
  void requested(int block) {
    require(!done_, "nothing is asked for after the download is done");
    const int next = kFirstBlock + lines_;
    require(block == next || block == next + 1, "blocks are asked for in order");
  }

 private:
  int progress_ = 0;
  int lines_ = 0;
  bool done_ = false;
};

// A line whose writes may fail and whose received bytes come from the input.
class FuzzLine : public kq::Line {
 public:
  bool failWrites = false;
  std::function<void(std::span<const std::uint8_t>)> onWrite;

  void open(const std::string&) override { open_ = true; }
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  void write(std::span<const std::uint8_t> bytes) override {
    if (failWrites) throw std::runtime_error("Output buffer is full. Please check comm status.");
    if (open_ && onWrite) onWrite(bytes);
  }
  void discardInput() override { waiting_ = 0; }
  std::size_t bytesWaiting() override { return waiting_; }

  void receive(std::span<const std::uint8_t> chunk, Clock::time_point at, std::size_t waiting) {
    if (!open_) return;
    waiting_ = waiting;
    received(chunk, at);
  }
  void lose() {
    if (open_) failed("Specified device was disconnected (COM1).");
  }

 private:
  bool open_ = false;
  std::size_t waiting_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input(data, size);
  kq::test::ManualTimers timers;
  FuzzLine line;
  Checker checker;
  kq::DownloadSession session(line, timers, checker);
  int lastRequest = -1;
  line.onWrite = [&](std::span<const std::uint8_t> bytes) {
    if (bytes.size() == 3 && bytes[0] == 0x77 && session.downloading()) {
      lastRequest = bytes[1] << 8 | bytes[2];
      checker.requested(lastRequest);
    }
  };

  while (!input.empty()) {
    switch (input.byte() % 8) {
      case 0:  // a chunk of any bytes, some time after the last event
      {
        timers.advanceTo(timers.now() + std::chrono::microseconds(input.byte() * 50));
        const std::size_t n = 1 + input.byte() % 64;
        line.receive(input.bytes(n), timers.now(), input.byte() % 4 == 0 ? 1 : 0);
        break;
      }
      case 1:  // a correct reply to the last request, in pieces of a given size
      {
        if (lastRequest < 0) break;
        std::vector<std::uint8_t> reply(kq::layout::kReplyBytes, static_cast<std::uint8_t>(lastRequest));
        const std::size_t piece = 1 + input.byte() % 64;
        const auto gap = std::chrono::microseconds(input.byte() * 20);
        for (std::size_t pos = 0; pos < reply.size(); pos += piece) {
          timers.advanceTo(timers.now() + gap);
          line.receive(std::span(reply).subspan(pos, std::min(piece, reply.size() - pos)), timers.now(), 0);
        }
        break;
      }
      case 2:
        timers.advanceTo(timers.now() + std::chrono::milliseconds(input.byte() * 4));
        break;
      case 3:
        try {
          session.startDownload();
        } catch (const std::exception&) {
        }
        break;
      case 4:
        session.link("COM1");
        break;
      case 5:
        session.unlink();
        break;
      case 6:
        line.lose();
        break;
      case 7:
        line.failWrites = !line.failWrites;
        break;
    }
  }
  return 0;
}

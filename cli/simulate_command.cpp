// kq-cli simulate: the on-board computer's boot loader on a pseudo-terminal,
// for trying the downloader without the car.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/interrupts.h"
#include "cli/whole_number.h"
#include "dump/dump_file.h"
#include "sim/simulated_device.h"

namespace kq::cli {
namespace {

constexpr const char* kSimulateHelp =
    "Usage: kq-cli simulate [OPTIONS]\n"
    "\n"
    "Runs a simulated on-board computer on a pseudo-terminal and prints the\n"
    "device path on the first line of standard output; runs until interrupted.\n"
    "It sends 55 every 100 ms until answered with 55 33 CC, confirms with AA, and\n"
    "answers every request 77 HH LL with 77 and the 258 bytes of block HHLL.\n"
    "\n"
    "  --dump FILE          log memory from a dump file (one line per block from 0100)\n"
    "  --type N             synthetic log memory of controller type N (default 2)\n"
    "  --records N          number of synthetic records, 0 to 7680 (default 6000)\n"
    "  --baud B             pace the replies as a line of B baud (default 38400; 0: at once)\n"
    "  --latency MS         pause before every reply\n"
    "  --drop-every N       give no reply to every N-th request\n"
    "  --garbage-every N    answer every N-th request with random bytes\n"
    "  --hangup-after N     close the line after N replies, then end\n"
    "  --restart-after N    after N replies start over: send 55 again, ignore requests\n"
    "                       until answered\n"
    "  --stray N            send N stray bytes some milliseconds after each reply\n"
    "  --stray-delay MS     the pause before the stray bytes (default 5)\n"
    "  --link PATH          also make a symbolic link PATH to the device\n";

int usageError(const std::string& message) {
  std::fprintf(stderr, "kq-cli simulate: %s\n\n%s", message.c_str(), kSimulateHelp);
  return 2;
}

// Removes the link again when it still points at this device.
class DeviceLink {
 public:
  DeviceLink(std::string path, const std::string& target) : path_(std::move(path)) {
    std::error_code error;
    if (std::filesystem::is_symlink(path_, error)) std::filesystem::remove(path_, error);
    std::filesystem::create_symlink(target, path_);
    target_ = target;
  }
  ~DeviceLink() {
    std::error_code error;
    if (std::filesystem::read_symlink(path_, error) == target_) std::filesystem::remove(path_, error);
  }

 private:
  std::string path_;
  std::filesystem::path target_;
};

}  // namespace

int runSimulate(const std::vector<std::string>& args) {
  sim::DeviceOptions options;
  std::string dumpPath, linkPath;
  int type = 2;
  int records = 6000;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kSimulateHelp, stdout);
      return 0;
    }
    if (!arg.starts_with("--")) return usageError("unexpected argument " + arg);
    if (i + 1 == args.size()) return usageError(arg + " needs a value");
    const std::string& value = args[++i];
    std::optional<int> n;
    if (arg == "--dump") {
      dumpPath = value;
      continue;
    }
    if (arg == "--link") {
      linkPath = value;
      continue;
    }
    if (arg == "--type") {
      if (!(n = wholeNumber(value, 0, 255))) return usageError("--type takes 0 to 255");
      type = *n;
    } else if (arg == "--records") {
      if (!(n = wholeNumber(value, 0, sim::kMaxRecords))) return usageError("--records takes 0 to 7680");
      records = *n;
    } else if (arg == "--baud") {
      if (!(n = wholeNumber(value, 0, 100'000'000))) return usageError("--baud takes a number from 0");
      options.baud = *n;
    } else if (arg == "--latency") {
      if (!(n = wholeNumber(value, 0, 60'000))) return usageError("--latency takes 0 to 60000 ms");
      options.latency = std::chrono::milliseconds(*n);
    } else if (arg == "--drop-every" || arg == "--garbage-every" || arg == "--hangup-after" ||
               arg == "--restart-after") {
      if (!(n = wholeNumber(value, 0, 1'000'000'000))) return usageError(arg + " takes a number from 0");
      (arg == "--drop-every"      ? options.dropEvery
       : arg == "--garbage-every" ? options.garbageEvery
       : arg == "--hangup-after"  ? options.hangupAfter
                                  : options.restartAfter) = *n;
    } else if (arg == "--stray") {
      if (!(n = wholeNumber(value, 0, 1024))) return usageError("--stray takes 0 to 1024 bytes");
      options.strayBytes = *n;
    } else if (arg == "--stray-delay") {
      if (!(n = wholeNumber(value, 0, 60'000))) return usageError("--stray-delay takes 0 to 60000 ms");
      options.strayDelay = std::chrono::milliseconds(*n);
    } else {
      return usageError("unknown option " + arg);
    }
  }

  Interrupts interrupts;  // before the device thread starts

  try {
    sim::Memory memory;
    if (dumpPath.empty()) {
      memory = sim::syntheticMemory(type, records);
    } else {
      Dump dump;
      loadDumpFile(dumpPath, dump);
      memory = sim::memoryFromDump(dump);
    }
    sim::SimulatedDevice device(std::move(memory), options);
    std::optional<DeviceLink> link;
    if (!linkPath.empty()) link.emplace(linkPath, device.devicePath());
    std::printf("%s\n", device.devicePath().c_str());
    std::fflush(stdout);

    device.start();
    while (!device.hungUp()) {
      if (interrupts.wait(std::chrono::milliseconds(100))) break;
    }
    device.stop();
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kq-cli simulate: %s\n", error.what());
    return 1;
  }
}

}  // namespace kq::cli

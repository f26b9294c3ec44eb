// kq-cli simulate: the on-board computer's boot loader on a pseudo-terminal,
// for trying the downloader without the car.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/failure_text.h"
#include "cli/interrupts.h"
#include "cli/option_checks.h"
#include "dump/dump_file.h"
#include "sim/simulated_device.h"

namespace kq::cli {
namespace {

struct Options {
  sim::DeviceOptions device;
  std::string dumpPath;
  std::string linkPath;
  int type = 2;
  int records = 6000;
  int latencyMs = 0;
  int usbLatencyMs = 16;
  int strayDelayMs = 5;
};

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

int run(const Options& options) {
  sim::DeviceOptions deviceOptions = options.device;
  deviceOptions.latency = std::chrono::milliseconds(options.latencyMs);
  deviceOptions.usbLatency = std::chrono::milliseconds(options.usbLatencyMs);
  deviceOptions.strayDelay = std::chrono::milliseconds(options.strayDelayMs);
  Interrupts interrupts;  // before the device thread starts

  try {
    sim::Memory memory;
    if (options.dumpPath.empty()) {
      memory = sim::syntheticMemory(options.type, options.records);
    } else {
      Dump dump;
      loadDumpFile(options.dumpPath, dump);
      memory = sim::memoryFromDump(dump);
    }
    sim::SimulatedDevice device(std::move(memory), deviceOptions);
    std::optional<DeviceLink> link;
    if (!options.linkPath.empty()) link.emplace(options.linkPath, device.devicePath());
    std::printf("%s\n", device.devicePath().c_str());
    std::fflush(stdout);

    device.start();
    while (!device.hungUp()) {
      if (interrupts.wait(std::chrono::milliseconds(100))) break;
    }
    device.stop();
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kq-cli simulate: %s\n", failureText(error).c_str());
    return 1;
  }
}

constexpr const char* kDetails =
    "Runs a simulated on-board computer on a pseudo-terminal and prints the\n"
    "device path on the first line of standard output; runs until interrupted.\n"
    "It sends 55 every 100 ms until answered with 55 33 CC, confirms with AA, and\n"
    "answers every request 77 HH LL with 77 and the 258 bytes of block HHLL.";

}  // namespace

Command addSimulateCommand(CLI::App& kqCli) {
  Command command(kqCli, "simulate", "run a simulated on-board computer on a pseudo-terminal", kDetails);
  auto options = std::make_shared<Options>();
  CLI::App& app = command.app();
  app.add_option("--dump", options->dumpPath, "log memory from a dump file (one line per block from 0100)")
      ->type_name("FILE");
  const auto number = [&](const char* name, int& value, int high, const char* unit, const char* help) {
    command.onMisuse(app.add_option(name, value, help)->type_name(unit)->check(wholeNumber(0, high)),
                     std::string(name) + " takes a whole number from 0 to " + std::to_string(high));
  };
  number("--type", options->type, 255, "N", "synthetic log memory of controller type N (default 2)");
  number("--records", options->records, sim::kMaxRecords, "N",
         "number of synthetic records, 0 to 7680 (default 6000)");
  number("--baud", options->device.baud, 100'000'000, "B",
         "pace the replies as a line of B baud (default 38400; 0: at once)");
  number("--latency", options->latencyMs, 60'000, "MS", "pause before every reply");
  number("--usb-packet", options->device.usbPacket, 4096, "N",
         "hand the bytes over as a USB adapter would: in packets of N bytes, once full or when the "
         "latency timer runs out, never before they crossed the line at --baud (default 0: no adapter)");
  number("--usb-latency", options->usbLatencyMs, 1000, "MS",
         "the adapter's latency timer (default 16, an FTDI chip's; 1 in low-latency mode)");
  number("--drop-every", options->device.dropEvery, 1'000'000'000, "N",
         "give no reply to every N-th request");
  number("--garbage-every", options->device.garbageEvery, 1'000'000'000, "N",
         "answer every N-th request with random bytes");
  number("--hangup-after", options->device.hangupAfter, 1'000'000'000, "N",
         "close the line after N replies, then end");
  number("--restart-after", options->device.restartAfter, 1'000'000'000, "N",
         "after N replies start over: send 55 again, ignore requests until answered");
  number("--stray", options->device.strayBytes, 1024, "N",
         "send N stray bytes some milliseconds after each reply");
  number("--stray-delay", options->strayDelayMs, 60'000, "MS",
         "the pause before the stray bytes (default 5)");
  app.add_option("--link", options->linkPath, "also make a symbolic link PATH to the device")
      ->type_name("PATH");
  command.setRun([options] { return run(*options); });
  return command;
}

}  // namespace kq::cli

#include "app/window_host.h"

#include "ui/big_button.h"
#include "ui/gauge.h"
#include "ui/lamp.h"

namespace kq {

void WindowHost::writeBytes(std::span<const std::uint8_t> bytes) { parts_.channel.writeBytes(bytes); }

void WindowHost::clearDump() { parts_.dump.clear(); }

void WindowHost::appendDumpLine(std::string line) { parts_.dump.append(std::move(line)); }

void WindowHost::showStatus(const std::string& text) { parts_.status.setText(QString::fromStdString(text)); }

void WindowHost::showProgress(int percent) { parts_.progress.setValue(percent); }

void WindowHost::lightIndicator() { parts_.indicator.setLit(true); }

void WindowHost::releaseDownloadSwitch() { parts_.downloadSwitch.release(); }

void WindowHost::armRetryTimer() { parts_.retryTimer.start(); }

void WindowHost::disarmRetryTimer() { parts_.retryTimer.stop(); }

void WindowHost::appendFrameLog(const std::string& line) { parts_.frameLog.push_back(line); }

void WindowHost::appendReplyLog(const std::string& line) { parts_.replyLog.push_back(line); }

}  // namespace kq

#pragma once

#include <QComboBox>
#include <filesystem>

namespace kq {

// The port selector: "COM1" to "COM8", then the serial adapters present,
// read again every time the list is opened, so that an adapter plugged in
// later appears. Editable, so that a device path can be typed. The text is
// the port name to open: a COM name, an adapter's label or a path.
class PortSelector : public QComboBox {
  Q_OBJECT

 public:
  // `devRoot` stands for /dev (tests pass a folder of their own).
  explicit PortSelector(QWidget* parent = nullptr, std::filesystem::path devRoot = "/dev");

  void showPopup() override;

 private:
  // Lists the ports present, keeping the text chosen or typed.
  void refresh();

  std::filesystem::path devRoot_;
};

}  // namespace kq

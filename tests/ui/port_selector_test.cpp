#include "ui/port_selector.h"

#include <gtest/gtest.h>

#include "tests/support/fake_dev.h"

namespace kq {
namespace {

QStringList items(const QComboBox& box) {
  QStringList texts;
  for (int i = 0; i < box.count(); ++i) texts << box.itemText(i);
  return texts;
}

TEST(PortSelector, ListIsReadAgainWhenOpenedAndKeepsTheChosenOrTypedText) {
  test::FakeDev dev;
  PortSelector selector(nullptr, dev.root());
  QStringList comPorts;
  for (int i = 1; i <= 8; ++i) comPorts << QStringLiteral("COM%1").arg(i);
  EXPECT_EQ(items(selector), comPorts);
  EXPECT_EQ(selector.currentText(), QStringLiteral("COM1"));
  EXPECT_TRUE(selector.isEditable());

  // Plugged in after the start: there the next time the list opens.
  dev.addDevice("ttyUSB0");
  dev.addStableName("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");
  selector.setCurrentIndex(2);
  selector.showPopup();
  selector.hidePopup();
  EXPECT_EQ(items(selector), comPorts + QStringList{QStringLiteral("USB: FTDI FT232R (ttyUSB0)")});
  EXPECT_EQ(selector.currentText(), QStringLiteral("COM3"));
  const QString byId = QString::fromStdString(dev.root().string()) +
                       QStringLiteral("/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
  EXPECT_EQ(selector.itemData(8, Qt::ToolTipRole).toString(), byId);

  // Unplugged again while a typed path stands in the box.
  selector.setEditText(QStringLiteral("/dev/pts/7"));
  dev.removeDevice("ttyUSB0");
  selector.showPopup();
  selector.hidePopup();
  EXPECT_EQ(items(selector), comPorts);
  EXPECT_EQ(selector.currentText(), QStringLiteral("/dev/pts/7"));
}

}  // namespace
}  // namespace kq

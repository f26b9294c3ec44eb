#include "serial/open_failure.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace kq {
namespace {

TEST(OpenFailureTest, FirstSentenceIsTheSystemErrorThenWhatToDo) {
  const std::string denied = "Can't open specified device /dev/ttyUSB0 (Error 13, Permission denied).\n";
  struct Case {
    int error;
    const char* group;
    bool joinedNotActive;
    std::string message;
  };
  const Case cases[] = {
      {EACCES, "dialout", false,
       denied +
           "Нет прав на доступ к порту: он открыт только группе «dialout». Добавьте себя в неё командой\n\n"
           "sudo usermod -aG dialout $USER\n\nзатем выйдите из системы и войдите снова."},
      {EACCES, "uucp", true,
       denied + "Нет прав на доступ к порту: вы уже в группе «uucp», но она действует только после нового "
                "входа. Выйдите из системы и войдите снова."},
      {EACCES, "", false,
       denied +
           "Нет прав на доступ к порту. Попросите администратора открыть вам доступ к этому устройству."},
      {EPERM, "", false,
       "Can't open specified device /dev/ttyUSB0 (Error 1, Operation not permitted).\nНет прав на доступ к "
       "порту. Попросите администратора открыть вам доступ к этому устройству."},
      {EBUSY, "dialout", false,
       "Can't open specified device /dev/ttyUSB0 (Error 16, Device or resource busy).\nПорт занят другой "
       "программой: закройте её и попробуйте снова."},
      {EIO, "dialout", false, "Can't open specified device /dev/ttyUSB0 (Error 5, Input/output error)"},
  };
  for (const auto& c : cases) {
    const DeviceAccess access{c.group, c.joinedNotActive};
    EXPECT_EQ(openFailureMessage("/dev/ttyUSB0", c.error, access), c.message);
  }
}

TEST(OpenFailureTest, PercentSignsInTheNameStayAsTyped) {
  EXPECT_EQ(openFailureMessage("/tmp/%d%s", EIO, {}),
            "Can't open specified device /tmp/%d%s (Error 5, Input/output error)");
}

}  // namespace
}  // namespace kq

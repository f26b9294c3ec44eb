#include "serial/open_failure.h"

#include <cerrno>

#include "serial/serial_error.h"

namespace kq {
namespace {

std::string accessAdvice(const DeviceAccess& access) {
  if (access.group.empty())
    return "Нет прав на доступ к порту. Попросите администратора открыть вам доступ к этому устройству.";
  const std::string group = "«" + access.group + "»";
  if (access.joinedNotActive)
    return "Нет прав на доступ к порту: вы уже в группе " + group +
           ", но она действует только после нового входа. Выйдите из системы и войдите снова.";
  // The command on a line of its own, so that it is never wrapped and copies whole.
  return "Нет прав на доступ к порту: он открыт только группе " + group +
         ". Добавьте себя в неё командой\n\nsudo usermod -aG " + access.group +
         " $USER\n\nзатем выйдите из системы и войдите снова.";
}

}  // namespace

std::string openFailureMessage(const std::string& name, int error, const DeviceAccess& access) {
  // The name goes in as it is: a '%' in a typed path is no format.
  std::string message =
      "Can't open specified device " + name + SerialError::withSystemError(" (Error %d, %s)", error).what();
  if (error == EACCES || error == EPERM) return message + ".\n" + accessAdvice(access);
  if (error == EBUSY) return message + ".\nПорт занят другой программой: закройте её и попробуйте снова.";
  return message;
}

}  // namespace kq

#include "decode/parameter_table.h"

namespace kq {

ParameterTable parameterTable(int controllerType) {
  switch (controllerType) {
    case 1:
      return parameterTableType1();
    case 2:
      return parameterTableType2();
    case 3:
      return parameterTableType3();
    case 4:
      return parameterTableType4();
    case 5:
      return parameterTableType5();
    case 6:
      return parameterTableType6();
    case 7:
      return parameterTableType7();
    default:
      return {};
  }
}

}  // namespace kq

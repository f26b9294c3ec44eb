#include <windows.h>

#include <QByteArray>
#include <QtGlobal>

#include "app/font_engine.h"

namespace kq {

// Under wine, text drawn through GDI stays invisible in edit fields (the port
// box looked empty); the toolkit's FreeType engine draws it. Windows itself
// keeps its default engine, and a platform chosen by the user stands.
void chooseFontEngine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const bool underWine = ntdll && GetProcAddress(ntdll, "wine_get_version");
  if (underWine && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("windows:fontengine=freetype"));
}

}  // namespace kq

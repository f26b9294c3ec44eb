// The narrow argv of Windows is in the ANSI code page, which cannot hold
// every file name; the wide command line can.
#include <windows.h>
// after windows.h
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "base/windows_text.h"
#include "cli/console.h"

namespace kq::cli {

std::vector<std::string> startConsole(int, char**) {
  // Files written to standard output keep their CR LF line ends as they are.
  _setmode(_fileno(stdout), _O_BINARY);
  ::SetConsoleOutputCP(CP_UTF8);
  // The download's progress bar redraws its line with escape sequences.
  const HANDLE errors = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (::GetConsoleMode(errors, &mode)) ::SetConsoleMode(errors, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);

  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!wide) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(utf8FromWide(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

bool errorsGoToTerminal() { return ::_isatty(_fileno(stderr)) != 0; }

}  // namespace kq::cli

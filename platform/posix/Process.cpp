// The process calls of kernel32 that the packer makes, over POSIX calls.
#include <unistd.h>

#include "win32/Kernel.h"

DWORD WINAPI GetCurrentProcessId(void) {
  return static_cast<DWORD>(getpid());
}

// The demo program. Its entry, WinMain, is in the demoapp library beside the scene so that tests
// can run it too; the C runtime (Windows) or platform_main's main() (elsewhere) calls it.
#include "demo/DemoMain.h"

// The program names its entry itself, so the linker takes WinMain from demoapp whatever order the
// libraries come in (the caller of WinMain may be scanned after demoapp).
extern int(WINAPI* const demoEntry)(HINSTANCE, HINSTANCE, LPSTR, int);
int(WINAPI* const demoEntry)(HINSTANCE, HINSTANCE, LPSTR, int) = WinMain;

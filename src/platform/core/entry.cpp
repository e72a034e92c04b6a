// The process entry of a program written against the Windows API: it reads no
// command line, and its instance handle names the embedded resources.
#include "internal.h"

int main() { return WinMain(ModuleInstance(), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL); }

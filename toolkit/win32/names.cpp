// The name a screen reader speaks for a gadget, on Win32: taken for a live
// gadget, not yet given to the platform's accessible object.
#include "toolkit/win32/internal.h"

int set_gadget_name(int number, const char* /*name*/) { return find_gadget(number) ? 1 : 0; }

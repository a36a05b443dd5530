/* The header that dist/ gives early-bound clients, compiled as C11 with warnings as
   errors (CMakeLists.txt): a C client must be able to include it as it is. */
#include "Ondrik.h"

int ondrik_header_vtable_size(void) {
    return (int)sizeof(_GlobalVtbl);
}

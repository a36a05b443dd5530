// Interface identifiers that mingw's uuid library lacks.
#include <initguid.h>

#include <dispex.h>

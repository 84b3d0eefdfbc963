// <windows.h> as the win32 backend includes it. Only files of this folder
// include it; shared headers never do.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <objidl.h>

// HACK: winnt.h makes RtlMoveMemory a macro for memmove; the program binds the
// kernel32 export of that name, so the macro has to go.
#undef RtlMoveMemory

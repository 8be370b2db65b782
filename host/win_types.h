// Windows base types used by the host records. The Windows build takes them from
// <windows.h>; the native build (Linux tools and tests) gets stand-ins with the
// same meaning, so the records and callbacks compile unchanged on both.
#pragma once

#include <stdint.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#define PULVAX_CDECL __cdecl
#else
typedef int BOOL;
typedef unsigned int UINT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef void* HWND;
typedef void* HINSTANCE;
typedef uint32_t DWORD;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#define PULVAX_CDECL
#endif

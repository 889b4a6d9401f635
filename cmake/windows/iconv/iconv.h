/* The part of iconv that freexl uses, for the Windows build, where MinGW-w64 has none: conversions
   from a Windows code page ("CP1252", "ASCII", "MacRoman", "UTF-16LE", ...) to "UTF-8" over
   MultiByteToWideChar and WideCharToMultiByte. Built by tools/windows-deps.sh (docs/windows.md). */
#ifndef QUILLAN_ICONV_SHIM_H
#define QUILLAN_ICONV_SHIM_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void* iconv_t;

/* (iconv_t)-1 with errno EINVAL when either name is not a code page Windows knows. */
iconv_t iconv_open(const char* to, const char* from);
/* Converts the whole input or nothing: (size_t)-1 with errno EILSEQ for a byte sequence that is
   not text in the source code page, E2BIG when the output does not fit; the pointers and counts
   then stay as they were. A null input resets the (stateless) converter. */
size_t iconv(iconv_t cd, char** in, size_t* inLeft, char** out, size_t* outLeft);
int iconv_close(iconv_t cd);

#ifdef __cplusplus
}
#endif

#endif

/* See iconv.h: freexl's conversions to UTF-8 over the Windows code-page functions. */
#include "iconv.h"
#include "localcharset.h"

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

enum { kUtf16Le = 1200 };

/* The code page a name stands for; 0 for a name Windows has no code page for. */
static unsigned codePage(const char* name) {
    if (_stricmp(name, "UTF-8") == 0)
        return CP_UTF8;
    if (_stricmp(name, "UTF-16LE") == 0)
        return kUtf16Le;
    if (_stricmp(name, "ASCII") == 0)
        return 20127;
    if (_stricmp(name, "MacRoman") == 0)
        return 10000;
    if (_strnicmp(name, "CP", 2) == 0 && name[2] != '\0') {
        char* end = NULL;
        unsigned long page = strtoul(name + 2, &end, 10);
        if (*end == '\0' && page > 0 && page < 65536 && (page == kUtf16Le || IsValidCodePage((UINT)page)))
            return (unsigned)page;
    }
    return 0;
}

iconv_t iconv_open(const char* to, const char* from) {
    /* Only conversions to UTF-8 are needed; the converter is its source code page. */
    unsigned source = codePage(from);
    if (codePage(to) != CP_UTF8 || source == 0) {
        errno = EINVAL;
        return (iconv_t)-1;
    }
    return (iconv_t)(size_t)source;
}

int iconv_close(iconv_t cd) {
    (void)cd;
    return 0;
}

size_t iconv(iconv_t cd, char** in, size_t* inLeft, char** out, size_t* outLeft) {
    if (in == NULL || *in == NULL)
        return 0;
    if (*inLeft == 0)
        return 0;
    unsigned source = (unsigned)(size_t)cd;
    if (*inLeft > (size_t)INT_MAX / 2 || *outLeft > (size_t)INT_MAX) {
        errno = E2BIG;
        return (size_t)-1;
    }
    int units = 0;
    wchar_t* wide = NULL;
    if (source == kUtf16Le) {
        if (*inLeft % 2 != 0) {
            errno = EINVAL; /* half a character at the end */
            return (size_t)-1;
        }
        units = (int)(*inLeft / 2);
        wide = malloc((size_t)units * sizeof(wchar_t));
        if (wide != NULL)
            memcpy(wide, *in, *inLeft);
    } else {
        DWORD strict = source == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        units = MultiByteToWideChar(source, strict, *in, (int)*inLeft, NULL, 0);
        if (units <= 0) {
            errno = EILSEQ;
            return (size_t)-1;
        }
        wide = malloc((size_t)units * sizeof(wchar_t));
        if (wide != NULL)
            MultiByteToWideChar(source, strict, *in, (int)*inLeft, wide, units);
    }
    if (wide == NULL) {
        errno = ENOMEM;
        return (size_t)-1;
    }
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, units, NULL, 0, NULL, NULL);
    if (bytes <= 0 || (size_t)bytes > *outLeft) {
        free(wide);
        errno = bytes <= 0 ? EILSEQ : E2BIG;
        return (size_t)-1;
    }
    WideCharToMultiByte(CP_UTF8, 0, wide, units, *out, bytes, NULL, NULL);
    free(wide);
    *in += *inLeft;
    *inLeft = 0;
    *out += bytes;
    *outLeft -= (size_t)bytes;
    return 0;
}

const char* locale_charset(void) {
    static char name[16];
    snprintf(name, sizeof name, "CP%u", GetACP());
    return name;
}

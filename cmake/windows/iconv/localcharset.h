/* locale_charset() for the Windows build (tools/windows-deps.sh): the ANSI code page's name. */
#ifndef QUILLAN_LOCALCHARSET_SHIM_H
#define QUILLAN_LOCALCHARSET_SHIM_H

#ifdef __cplusplus
extern "C" {
#endif

const char* locale_charset(void);

#ifdef __cplusplus
}
#endif

#endif

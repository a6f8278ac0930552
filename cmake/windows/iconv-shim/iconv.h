/* Minimal iconv for the Windows build: mingw-w64 has no iconv, and FreeXL only
 * needs to turn the code page of a legacy .xls into UTF-8. The conversion goes
 * through Windows' own MultiByteToWideChar/WideCharToMultiByte (see iconv.c). */
#ifndef VX_ICONV_SHIM_H
#define VX_ICONV_SHIM_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void *iconv_t;

iconv_t iconv_open(const char *tocode, const char *fromcode);
size_t iconv(iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft);
int iconv_close(iconv_t cd);

#ifdef __cplusplus
}
#endif

#endif

/* FreeXL includes <localcharset.h> on Windows; iconv.c provides locale_charset(). */
#ifndef VX_LOCALCHARSET_SHIM_H
#define VX_LOCALCHARSET_SHIM_H

#ifdef __cplusplus
extern "C" {
#endif

const char *locale_charset(void);

#ifdef __cplusplus
}
#endif

#endif

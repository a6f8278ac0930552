/* Minimal iconv over the Windows code page API, linked statically into FreeXL.
 *
 * What it does: converts between the encodings Windows knows by number
 * ("CP1252", "CP437", "CP932", ..., "MacRoman", "ASCII", "UTF-8", "UTF-16LE"),
 * going through UTF-16 with MultiByteToWideChar/WideCharToMultiByte.
 * What it does not: partial input. Each call converts the whole input buffer
 * (this is how FreeXL calls it: one string at a time); an invalid sequence
 * gives EILSEQ, an output buffer too small gives E2BIG, and in both cases
 * nothing is consumed. */
#include "iconv.h"
#include "localcharset.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#define CP_UTF16LE_ 1200u

struct vx_iconv {
    unsigned from;
    unsigned to;
};

static int same(const char *a, const char *b)
{
    return _stricmp(a, b) == 0;
}

/* Returns the Windows code page for an iconv name, or 0 when unknown. */
static unsigned code_page(const char *name)
{
    if (name == NULL)
        return 0;
    if (same(name, "UTF-8") || same(name, "UTF8"))
        return CP_UTF8;
    if (same(name, "UTF-16LE") || same(name, "UTF16LE"))
        return CP_UTF16LE_;
    if (same(name, "ASCII") || same(name, "US-ASCII"))
        return 20127;
    if (same(name, "MacRoman") || same(name, "MACINTOSH"))
        return 10000;
    if (same(name, "LATIN1") || same(name, "ISO-8859-1"))
        return 28591;
    if ((name[0] == 'C' || name[0] == 'c') && (name[1] == 'P' || name[1] == 'p')) {
        char *end = NULL;
        unsigned long n = strtoul(name + 2, &end, 10);
        if (end != name + 2 && *end == '\0' && n > 0 && n < 65536 && (n == CP_UTF16LE_ || IsValidCodePage((UINT)n)))
            return (unsigned)n;
    }
    return 0;
}

iconv_t iconv_open(const char *tocode, const char *fromcode)
{
    unsigned to = code_page(tocode);
    unsigned from = code_page(fromcode);
    struct vx_iconv *cd;
    if (to == 0 || from == 0) {
        errno = EINVAL;
        return (iconv_t)-1;
    }
    cd = (struct vx_iconv *)malloc(sizeof *cd);
    if (cd == NULL) {
        errno = ENOMEM;
        return (iconv_t)-1;
    }
    cd->from = from;
    cd->to = to;
    return cd;
}

int iconv_close(iconv_t cd)
{
    if (cd == (iconv_t)-1 || cd == NULL) {
        errno = EBADF;
        return -1;
    }
    free(cd);
    return 0;
}

size_t iconv(iconv_t handle, char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft)
{
    struct vx_iconv *cd = (struct vx_iconv *)handle;
    wchar_t *wide = NULL;
    int wlen;
    int olen;

    if (handle == (iconv_t)-1 || cd == NULL) {
        errno = EBADF;
        return (size_t)-1;
    }
    /* No shift state to reset: every supported encoding is stateless. */
    if (inbuf == NULL || *inbuf == NULL || inbytesleft == NULL || *inbytesleft == 0)
        return 0;
    if (outbuf == NULL || *outbuf == NULL || outbytesleft == NULL || *inbytesleft > 0x3fffffff) {
        errno = EINVAL;
        return (size_t)-1;
    }

    /* Step 1: input to UTF-16. */
    if (cd->from == CP_UTF16LE_) {
        if (*inbytesleft % 2 != 0) {
            errno = EINVAL;
            return (size_t)-1;
        }
        wlen = (int)(*inbytesleft / 2);
        wide = (wchar_t *)malloc((size_t)wlen * sizeof(wchar_t));
        if (wide == NULL) {
            errno = ENOMEM;
            return (size_t)-1;
        }
        memcpy(wide, *inbuf, *inbytesleft);
    } else {
        /* MB_ERR_INVALID_CHARS is refused for some code pages (e.g. 20127 is
         * fine, but 50220 and friends are not); FreeXL uses none of those. */
        DWORD flags = (cd->from == CP_UTF8 || cd->from < 50000) ? MB_ERR_INVALID_CHARS : 0;
        wlen = MultiByteToWideChar(cd->from, flags, *inbuf, (int)*inbytesleft, NULL, 0);
        if (wlen <= 0) {
            errno = EILSEQ;
            return (size_t)-1;
        }
        wide = (wchar_t *)malloc((size_t)wlen * sizeof(wchar_t));
        if (wide == NULL) {
            errno = ENOMEM;
            return (size_t)-1;
        }
        MultiByteToWideChar(cd->from, flags, *inbuf, (int)*inbytesleft, wide, wlen);
    }

    /* Step 2: UTF-16 to the output encoding. */
    if (cd->to == CP_UTF16LE_) {
        olen = wlen * 2;
        if ((size_t)olen > *outbytesleft) {
            free(wide);
            errno = E2BIG;
            return (size_t)-1;
        }
        memcpy(*outbuf, wide, (size_t)olen);
    } else {
        olen = WideCharToMultiByte(cd->to, 0, wide, wlen, NULL, 0, NULL, NULL);
        if (olen <= 0) {
            free(wide);
            errno = EILSEQ;
            return (size_t)-1;
        }
        if ((size_t)olen > *outbytesleft) {
            free(wide);
            errno = E2BIG;
            return (size_t)-1;
        }
        WideCharToMultiByte(cd->to, 0, wide, wlen, *outbuf, olen, NULL, NULL);
    }
    free(wide);

    *inbuf += *inbytesleft;
    *inbytesleft = 0;
    *outbuf += olen;
    *outbytesleft -= (size_t)olen;
    return 0;
}

const char *locale_charset(void)
{
    static char name[16];
    snprintf(name, sizeof name, "CP%u", (unsigned)GetACP());
    return name;
}

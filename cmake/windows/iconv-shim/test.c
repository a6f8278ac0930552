/* Checks the shim the way FreeXL uses it: a CP1252 string and a UTF-16LE one
 * to UTF-8, and an output buffer that is too small. Exit code 0 means passed. */
#include "iconv.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

static int check(const char *from, const char *in, size_t inlen, const char *expected)
{
    char out[64];
    char *pin = (char *)in;
    char *pout = out;
    size_t left = inlen;
    size_t room = sizeof out;
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == (iconv_t)-1 || iconv(cd, &pin, &left, &pout, &room) == (size_t)-1) {
        printf("%s: conversione fallita\n", from);
        return 1;
    }
    iconv_close(cd);
    if (left != 0 || (size_t)(pout - out) != strlen(expected) || memcmp(out, expected, strlen(expected)) != 0) {
        printf("%s: risultato errato\n", from);
        return 1;
    }
    return 0;
}

int main(void)
{
    int failed = 0;
    char small[2];
    char *pin = "caff\xe8";
    char *pout = small;
    size_t left = 5, room = sizeof small;
    iconv_t cd;

    failed += check("CP1252", "caff\xe8 \x80", 7, "caff\xc3\xa8 \xe2\x82\xac");
    failed += check("CP850", "\x82", 1, "\xc3\xa9");
    failed += check("UTF-16LE", "a\0\xe8\0", 4, "a\xc3\xa8");
    cd = iconv_open("UTF-8", "CP1252");
    if (iconv(cd, &pin, &left, &pout, &room) != (size_t)-1 || errno != E2BIG || left != 5) {
        printf("E2BIG atteso\n");
        failed++;
    }
    iconv_close(cd);
    if (iconv_open("UTF-8", "EBCDIC-XYZ") != (iconv_t)-1) {
        printf("codifica sconosciuta accettata\n");
        failed++;
    }
    printf("iconv-shim: %d passed, %d failed\n", 5 - failed, failed);
    return failed == 0 ? 0 : 1;
}

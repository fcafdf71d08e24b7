/* unpackbits: see unpackbits.h. */
#include "unpackbits.h"

void unpackbits(unsigned char TESSALINE_XDATA *dst, const unsigned char TESSALINE_CODE *src, unsigned int count)
{
    unsigned char n, k, value;
    while (count) {
        n = *src++;
        if (n == 128)
            continue;
        if (n < 128) { /* n + 1 bytes as they are */
            k = n + 1;
            if (k > count)
                k = (unsigned char)count;
            count -= k;
            while (k--)
                *dst++ = *src++;
        } else { /* one byte, 257 - n times */
            k = (unsigned char)(257 - n);
            if (k > count)
                k = (unsigned char)count;
            count -= k;
            value = *src++;
            while (k--)
                *dst++ = value;
        }
    }
}

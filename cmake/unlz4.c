/* unlz4: see unlz4.h. */
#include "unlz4.h"

/* A count continued by bytes of 255, and the byte that ends it. */
#define CONTINUED(length)                                                                                              \
    do {                                                                                                               \
        do {                                                                                                           \
            more = *src++;                                                                                             \
            length += more;                                                                                            \
        } while (more == 255 && length < 0xFE00u);                                                                     \
    } while (0)

void unlz4(unsigned char TESSALINE_XDATA *dst, const unsigned char TESSALINE_CODE *src, unsigned int count)
{
    unsigned char token, more;
    unsigned int length, offset, made = 0;
    const unsigned char TESSALINE_XDATA *from;
    while (count) {
        token = *src++;
        length = token >> 4; /* the literals */
        if (length == 15)
            CONTINUED(length);
        if (length > count)
            length = count;
        count -= length;
        made += length;
        while (length--)
            *dst++ = *src++;
        if (!count)
            return;
        offset = *src++;
        offset |= (unsigned int)*src++ << 8;
        if (!offset || offset > made) /* damaged: nothing before the frame is read */
            return;
        length = (token & 15) + 4u; /* the match */
        if ((token & 15) == 15)
            CONTINUED(length);
        if (length > count)
            length = count;
        count -= length;
        made += length;
        from = dst - offset;
        while (length--) /* byte by byte: a match may overlap what it makes */
            *dst++ = *from++;
    }
}

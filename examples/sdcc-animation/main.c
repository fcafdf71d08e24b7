/* Plays every frame of the animation into the frame buffer, as a driver does before it sends the buffer to the
   display (64 x 32 pixels, 8 to a byte, rows from the top), and keeps a copy of each frame in `shown`. walk.h
   says whether the frames are packed (WALK_SIZE, walk_offsets) or a table of WALK_FRAMES rows. */

#include "walk.h"
#ifdef WALK_SIZE
#include "unpackbits.h"
#endif

__xdata unsigned char frame[WALK_BYTES];
__xdata unsigned char shown[WALK_FRAMES][WALK_BYTES];

void main(void)
{
    unsigned char k;
    unsigned int i;
    for (k = 0; k < WALK_FRAMES; ++k) {
#ifdef WALK_SIZE
        unpackbits(frame, walk + walk_offsets[k], WALK_BYTES);
#else
        for (i = 0; i < WALK_BYTES; ++i)
            frame[i] = walk[k][i];
#endif
        /* (here a driver would send the frame to the display, and wait walk_delays[k] milliseconds) */
        for (i = 0; i < WALK_BYTES; ++i)
            shown[k][i] = frame[i];
    }
    for (;;)
        ;
}

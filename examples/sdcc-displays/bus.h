/* The bus the display is on (bus.c), and where the firmware keeps a journal of it for a test, a mark in it: 'I'
   after the start-up, 'M' before the rows drawn since the whole frame went. */
#ifndef BUS_H
#define BUS_H
void bus_mark(unsigned char what);
#endif

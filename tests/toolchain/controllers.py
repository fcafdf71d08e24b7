#!/usr/bin/env python3
"""Models of the display controllers' addressing, fed the bus the firmware drove in the simulator.

The firmware's tessaline_command() and tessaline_data() kept a journal in external RAM: 'C' chip byte (a command),
'd' chip count bytes... (a few data bytes, kept whole), 'D' chip address count (data bytes from the frame, read
back from the frame's dump at the end), 'W' low high (a wait), 'I' (the mark after the start-up) and 'M' (the mark
between the whole frame and the rows drawn after it). Each model parses the commands as its datasheet does, writes the data where its address
counters point, and the test compares what the screen shows with the frame; it also checks the start-up's
contrast and orientation, and which rows the second flush sent.

    controllers.py DISPLAY WIDTH HEIGHT FRAME_ADDRESS FRAME_HEX JOURNAL_HEX [CONTRAST TURNED FIRST LAST]
(what the firmware asked of tessaline_init, and the rows it drew after the whole frame went, FIRST to before
LAST) exits 1 naming the first difference.
"""
import sys

display, width, height, frame_at = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
frame = bytes.fromhex(sys.argv[5])
journal = bytes.fromhex(sys.argv[6])
CONTRAST, TURNED = 0x5A, 1  # what the firmware asks of tessaline_init
DIRTY = range(20, 29)  # the rows it draws after the whole frame went
if len(sys.argv) > 7:
    CONTRAST, TURNED, DIRTY = int(sys.argv[7], 0), int(sys.argv[8]), range(int(sys.argv[9]), int(sys.argv[10]))


def fail(message):
    print(f"{display}: {message}")
    sys.exit(1)


# The journal as (kind, chip, bytes), and where the mark lies.
entries, started, mark, i = [], None, None, 0
while i < len(journal):
    kind = chr(journal[i])
    if kind == 'C':
        entries.append(('C', journal[i + 1], bytes([journal[i + 2]])))
        i += 3
    elif kind == 'd':
        n = journal[i + 2]
        entries.append(('D', journal[i + 1], journal[i + 3:i + 3 + n]))
        i += 3 + n
    elif kind == 'D':
        at = journal[i + 2] | journal[i + 3] << 8
        n = journal[i + 4] | journal[i + 5] << 8
        if not frame_at <= at and at + n <= frame_at + len(frame):
            fail(f"data sent from {at:#x}, {n} bytes, outside the frame")
        entries.append(('D', journal[i + 1], frame[at - frame_at:at - frame_at + n]))
        i += 6
    elif kind == 'W':
        i += 3
    elif kind == 'M':
        mark = len(entries)
        i += 1
    elif kind == 'I':
        started = len(entries)
        i += 1
    else:
        fail(f"the journal holds {kind!r} at {i}")
if mark is None or started is None:
    fail("no mark in the journal")
commands = [e[2][0] for e in entries[:started] if e[0] == 'C']  # the start-up's


def expect(condition, message):
    if not condition:
        fail(message)


def followed(command, value):
    """Whether the start-up sends `command` with `value` after it (as a command or as data)."""
    flat = [(e[0], b) for e in entries[:started] for b in e[2]]
    return any(flat[k] == ('C', command) and flat[k + 1][1] == value for k in range(len(flat) - 1))


pages = (height + 7) // 8
shown = None  # what the screen shows, in the frame's layout
sent_rows = set()  # the rows the second flush sent


def page_controller(columns, visible_from, parameters_of):
    """SSD1306, SSD1309, SH1106, ST7565, UC1701: page and column set by commands, data across the page."""
    global shown
    ram = [[0] * columns for _ in range(9)]
    page = column = 0
    pending = 0
    for index, (kind, _, data) in enumerate(entries):
        if kind == 'C':
            c = data[0]
            if pending:
                pending -= 1
            elif c in parameters_of:
                pending = parameters_of[c]
            elif 0xB0 <= c <= 0xB8:
                page = c & 0x0F
            elif c <= 0x0F:
                column = column & 0xF0 | c
            elif 0x10 <= c <= 0x1F:
                column = column & 0x0F | (c & 0x0F) << 4
        else:
            if index > mark:
                sent_rows.update(range(page * 8, page * 8 + 8))
            for b in data:
                ram[page][column] = b
                column += 1
    shown = bytes(ram[p][visible_from + x] for p in range(pages) for x in range(width))


if display in ('ssd1306', 'ssd1309', 'sh1106'):
    expect(followed(0x81, CONTRAST), "the contrast is not sent")
    expect({0xA0, 0xC0} <= set(commands) if TURNED else {0xA1, 0xC8} <= set(commands), "the picture is not as asked")
    expect(commands[-1] == 0xAF, "the display is not turned on last")
    page_controller(132, 2 if display == 'sh1106' else 0,
                    {0x81: 1, 0xD5: 1, 0xA8: 1, 0xD3: 1, 0x8D: 1, 0x20: 1, 0xDA: 1, 0xD9: 1, 0xDB: 1, 0xAD: 1})
elif display in ('st7565', 'uc1701'):
    expect(followed(0x81, CONTRAST >> 2), "the electronic volume is not the contrast's")
    expect({0xA1, 0xC0} <= set(commands) if TURNED else {0xA0, 0xC8} <= set(commands), "the picture is not as asked")
    expect(commands[-1] == 0xAF, "the display is not turned on last")
    page_controller(132, 0, {0x81: 1})
elif display == 'ks0108':
    ram = [[[0] * 64 for _ in range(8)] for _ in range(2)]
    place = [[0, 0], [0, 0]]
    on = [False, False]
    for index, (kind, chip, data) in enumerate(entries):
        if kind == 'C':
            c = data[0]
            if c == 0x3F:
                on[chip] = True
            elif 0xB8 <= c <= 0xBF:
                place[chip][0] = c & 7
            elif 0x40 <= c <= 0x7F:
                place[chip][1] = c & 63
        else:
            if index > mark:
                sent_rows.update(range(place[chip][0] * 8, place[chip][0] * 8 + 8))
            for b in data:
                ram[chip][place[chip][0]][place[chip][1]] = b
                place[chip][1] = (place[chip][1] + 1) % 64
    expect(on == [True, True], "a controller is not turned on")
    shown = bytes(ram[x // 64][p][x % 64] for p in range(pages) for x in range(width))
elif display == 'pcd8544':
    ram = [[0] * 84 for _ in range(6)]
    extended = False
    bank = column = 0
    vop = None
    for index, (kind, _, data) in enumerate(entries):
        if kind == 'C':
            c = data[0]
            if c & 0xF8 == 0x20:
                extended = bool(c & 1)
            elif extended and c & 0x80:
                vop = c & 0x7F
            elif not extended and c & 0xF8 == 0x40:
                bank = c & 7
            elif not extended and c & 0x80:
                column = c & 0x7F
        else:
            if index > mark:
                sent_rows.update(range(bank * 8, bank * 8 + 8))
            for b in data:
                ram[bank][column] = b
                column += 1
                if column == 84:
                    column, bank = 0, (bank + 1) % 6
    expect(vop == CONTRAST >> 1, f"Vop is {vop}, not the contrast's")
    shown = bytes(ram[p][x] for p in range(pages) for x in range(width))
elif display == 'st7920':
    gdram = [[0] * 32 for _ in range(32)]
    extended = graphic = False
    address = []
    row = column = 0
    for index, (kind, _, data) in enumerate(entries):
        if kind == 'C':
            c = data[0]
            if c & 0xE0 == 0x20:
                extended, graphic = bool(c & 4), bool(c & 2)
                address = []
            elif extended and c & 0x80:
                address.append(c & 0x7F)
                if len(address) == 2:
                    row, column = address[0] & 31, (address[1] & 15) * 2
                    address = []
        else:
            expect(extended, "graphic data sent outside the extended instructions")
            if index > mark:
                sent_rows.add(row + (32 if column >= 16 else 0))
            for b in data:
                gdram[row][column % 32] = b
                column += 1
    expect(graphic, "graphics are not turned on")
    rowBytes = (width + 7) // 8
    shown = bytes(gdram[y % 32][(16 if y >= 32 else 0) + x] for y in range(height) for x in range(rowBytes))
elif display == 'ssd1322':
    ram = [[0] * 240 for _ in range(128)]
    window = [0, 119, 0, 127]
    column = row = 0
    command, args, writing = None, [], False
    need = {0x15: 2, 0x75: 2, 0xFD: 1, 0xB3: 1, 0xCA: 1, 0xA2: 1, 0xA1: 1, 0xA0: 2, 0xAB: 1, 0xC1: 1, 0xC7: 1}
    seen = {}
    for index, (kind, _, data) in enumerate(entries):
        if kind == 'C':
            command, args, writing = data[0], [], data[0] == 0x5C
            if writing:
                column, row = window[0] * 2, window[2]
            continue
        if writing:
            if index > mark:
                sent_rows.update(range(window[2], window[3] + 1))
            for b in data:
                ram[row][column] = b
                column += 1
                if column > window[1] * 2 + 1:
                    column, row = window[0] * 2, row + 1
            continue
        args += list(data)
        if command in need and len(args) == need[command]:
            seen[command] = args
            if command == 0x15:
                window[0:2] = args
            if command == 0x75:
                window[2:4] = args
    expect(seen.get(0xC1) == [CONTRAST], "the contrast current is not the contrast")
    expect(seen.get(0xA0, [0])[0] == (0x06 if TURNED else 0x14), "the picture is not as asked")
    rowBytes = (width + 1) // 2
    shown = bytes(ram[y][28 * 2 + x] for y in range(height) for x in range(rowBytes))
else:  # st7735, st7789, ili9341
    ram = {}
    window = [0, 0, 0, 0]
    command, args, writing = None, [], False
    x = y = 0
    madctl = None
    for index, (kind, _, data) in enumerate(entries):
        if kind == 'C':
            command, args, writing = data[0], [], data[0] == 0x2C
            if writing:
                x, y, half = window[0], window[2], 0
            continue
        if writing:
            if index > mark:
                sent_rows.update(range(window[2], window[3] + 1))
            for b in data:
                ram[(y, x, half)] = b
                half ^= 1
                if not half:
                    x += 1
                    if x > window[1]:
                        x, y = window[0], y + 1
            continue
        args += list(data)
        if command in (0x2A, 0x2B) and len(args) == 4:
            start, end = args[0] << 8 | args[1], args[2] << 8 | args[3]
            window[0 if command == 0x2A else 2:(2 if command == 0x2A else 4)] = [start, end]
        if command == 0x36 and len(args) == 1:
            madctl = args[0]
    turned = (0x88 if display == 'ili9341' else 0xC0) if TURNED else (0x48 if display == 'ili9341' else 0x00)
    expect(madctl == turned, f"MADCTL is {madctl}, not as asked")
    expect(commands[-1] == 0x29, "the display is not turned on last")
    shown = bytes(ram.get((yy, xx, h), 0) for yy in range(height) for xx in range(width) for h in (0, 1))

if shown != frame:
    differ = next(k for k in range(len(frame)) if shown[k] != frame[k])
    fail(f"the screen differs from the frame at its byte {differ}: {shown[differ]:#04x}, not {frame[differ]:#04x}")
unit = 8 if display in ('ssd1306', 'ssd1309', 'sh1106', 'st7565', 'uc1701', 'ks0108', 'pcd8544') else 1
expected = set(range(DIRTY.start // unit * unit, (DIRTY.stop - 1) // unit * unit + unit))
if sent_rows != expected:
    fail(f"the second flush sent rows {sorted(sent_rows)}, not those drawn, {sorted(expected)}")

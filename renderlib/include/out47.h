// SPDX-License-Identifier: GPL-3.0-or-later
/* out47: the KV-6830 render and capture library.
 *
 * Draws waveform tracks through a caller-supplied drawing surface, computes state
 * listings, searches sample data, reads and writes data files, and drives one capture on
 * a mixed-signal unit (logic channels and byte-valued channels) of the related family.
 *
 * Byte planes: plane 0 holds D7..D0, plane 1 D15..D8, plane 2 D23..D16; byte i of a
 * plane is sample i. A null pointer or a negative length where caller memory is needed
 * makes an entry point return without touching anything. Colours are COLORREF values
 * (0x00BBGGRR).
 */
#ifndef OUT47_H
#define OUT47_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(OUT47_BUILD)
#define OUT47_API __attribute__((visibility("default")))
#else
#define OUT47_API
#endif

/* The drawing surface, passed where a device context would be. The surface keeps the
 * pen, font and text colours; the library only calls these four. line_to draws up to
 * but not including its end point and moves the current position there. */
typedef struct Out47Surface {
    void *user;                                                     /* handed back */
    void (*set_pixel)(void *user, int x, int y, uint32_t colorref); /* SetPixel, SetPixelV */
    void (*move_to)(void *user, int x, int y);                      /* MoveToEx */
    void (*line_to)(void *user, int x, int y);                      /* LineTo */
    void (*text_out)(void *user, int x, int y, const char *text, int length); /* TextOutA */
} Out47Surface;

/* ---- Waveform rendering ---- */

/* Draws one track. Zoom index 0..5 draws 50, 20, 10, 5, 2 or 1 pixels per sample;
 * 6..12 compresses 2, 5, 10, 20, 50, 100 or 200 samples into a pixel.
 *
 * Single channel (*selector >= 30): bit `bit` of `plane`. Bus (*selector 0..29): the
 * group's channels from plane0..plane2 through the group tables:
 *   groupBase[30], groupTopBit[30], groupBitMap[30 * 32] (channel number of each bit),
 *   mnemonicPatterns[4 * 256 * 24] ('1', '0' or 0 per bit), mnemonicChars[4 * 256 * 8].
 * offsetRecord[3] is the fine scroll offset in pixels. h gives the level unit u = h + 6:
 * high at y0 + u, low at y0 + 3u, bus values written at y0 + 2u - 6.
 *
 * Samples read: from start - 1 up to start - 1 + (width + 150) * D + D of the planes,
 * where D is the zoom step (pixels per sample for 0..5 count as one sample per step),
 * never before start - 1. Any width up to 32767 pixels is drawn. */
OUT47_API void DrawLa(Out47Surface *dc, const uint8_t *plane, int32_t start, int32_t bit,
                      uint32_t zoomIndex, const int32_t *offsetRecord, int32_t h, uint32_t colour,
                      uint32_t width, uint32_t y0, intptr_t a11, intptr_t a12, intptr_t a13,
                      intptr_t a14, const uint8_t *mnemonicPatterns, intptr_t a16, intptr_t a17,
                      const int32_t *groupBase, const int32_t *groupTopBit,
                      const int32_t *groupBitMap, intptr_t a21, intptr_t a22,
                      const uint8_t *selector, const char *mnemonicChars, const uint8_t *plane0,
                      const uint8_t *plane1, const uint8_t *plane2);

/* Trace routines for byte-valued traces 851 pixels wide. A trace base holds four traces
 * of 2000 bytes and a maximum row at +8000; offset records hold four 32-bit fields. */
OUT47_API void Drawzoom(uint32_t selector, Out47Surface *dc, const uint8_t *source,
                        uint8_t *traceBase, uint32_t zoomIndex, const int32_t *offsetRecord,
                        int32_t start, uint32_t colour, int32_t lineFlag, uint32_t width);
OUT47_API void Grid(Out47Surface *dc, uint32_t colour, uint32_t width);
OUT47_API void linedraw(Out47Surface *dc, const uint8_t *trace, int32_t start);
OUT47_API void linedrawlogic(int32_t yOffset, Out47Surface *dc, const uint8_t *trace,
                             int32_t start);
OUT47_API void SetPixeltest(Out47Surface *dc, const uint8_t *trace, int32_t start, uint32_t colour);
/* Display rows of 1024 bytes: rows 0, 1 (and 2, 3 for modes 29, 35, 39, 43) copy bytes,
 * rows 8..15 (and 16..23) show each bit of a byte as 0 (set) or 12 (clear); 851 columns. */
OUT47_API void buffer2display(const uint8_t *source, int32_t mode, int32_t offsetA, int32_t offsetB,
                              int32_t offsetC, int32_t offsetD, int32_t offsetL, int32_t offsetM,
                              uint8_t *display, const int32_t *start);
OUT47_API void DrawXY(Out47Surface *dc, uint32_t selectorX, uint32_t selectorY,
                      const uint8_t *traceBase, const int32_t *offsetRecord, uint32_t colour);

/* ---- State listing, search and filter ---- */

/* Fills the state listing buffers for 20 rows x 30 groups (n = row * 30 + group): the
 * sample of row r on plane p is read at base + offsetP + r. binary: 32 characters per
 * entry, bit 0 first; values: bytes 0..2 of each group value (4 bytes per entry);
 * mnemonicIndex: for groups of base 4..7 the first matching entry or 1000. */
OUT47_API int32_t statedraw(intptr_t a1, intptr_t base, intptr_t a3, intptr_t a4,
                            const uint8_t *mnemonicPatterns, int32_t *mnemonicIndex, intptr_t a7,
                            const int32_t *groupBase, const int32_t *groupTopBit,
                            const int32_t *groupBitMap, uint8_t *values, char *binary,
                            intptr_t offset0, intptr_t offset1, intptr_t offset2);

/* Finds the next (direction 0) or previous sample after the run of matches under
 * positions[index] whose word, with the don't-care bits of pattern[1] set, equals
 * pattern[0] with them set; pattern's top bytes are set to 0xFF in place. The result goes
 * to positions[3]: the position found, or the start position when nothing matches.
 * Samples 0 .. count - 1 are read at plane + *origin + q. A start position outside
 * 0 .. count - 1 is reported back unchanged without reading. */
OUT47_API void SearchVdata(intptr_t plane0, intptr_t plane1, intptr_t plane2, uint32_t *pattern,
                           int32_t index, uint32_t direction, const int32_t *origin,
                           int32_t *positions, int32_t count);

/* Smooths traces in place; C and D too for modes 29, 35, 39 and 43. Reads and may write
 * length + 2 bytes of each trace. Returns length. */
OUT47_API int32_t Filter(uint8_t *traceA, uint8_t *traceB, uint8_t *traceC, uint8_t *traceD,
                         int32_t length, int32_t mode);

/* Levels of 27 tracks at one sample: codes 30..37 D0..D7, 38..45 D8..D15, 46..53
 * D16..D23; other codes give 0. */
OUT47_API void GetVbarData(const uint8_t *codes, const uint8_t *plane0, const uint8_t *plane1,
                           const uint8_t *plane2, int32_t position, uint8_t *out, intptr_t a7);

/* ---- Data file ---- */

/* Writes the ten records of `length` bytes at row0 + k * 263168 (k = 0..9). The file is
 * written under a short temporary name in the target's folder, flushed to disk and renamed
 * over the target, so an existing file is only replaced by a complete one; a symbolic link
 * is followed, and the old file's mode and owner are kept. A file with other hard links,
 * or one beside which no temporary file can be made, is rewritten in place instead.
 * Returns 0 when the file was written; otherwise errno holds the reason and the result is
 * -1 not written (the previous file, if any, is left as it was), -2 refused because the
 * target is read-only, a folder or not a regular file (left as it is), or -3 rewriting in
 * place failed part way (the file may be incomplete). */
OUT47_API int32_t vc_savedata(const uint8_t *row0, int32_t length, const char *path);

/* Reads record `record` (length bytes at record * length) into destination. Returns 0
 * when the file was read (a short read leaves the rest of the destination unchanged),
 * -1 when it could not be opened or the arguments are unusable (nothing is touched). */
OUT47_API int32_t vc_loaddata(uint8_t *destination, int32_t length, const char *path,
                              int32_t record);

/* ---- Second capture path: the mixed-signal units ----
 *
 * Port record: 32-bit entries, at least 151. Entries 28..35: the eight addresses of the
 * unit's register block (base + 0 .. base + 7; 0x3BC .. 0x3C3 on USB); 36: the earliest
 * poll time (millisecond tick); 91: the driver family word (2: still-image driver names);
 * FindHardware sets 110 to 0, 111 to 0x80400 and 127..145, 147..150 to 0xFB00.
 *
 * Unit state block: OUT47_UNIT_BLOCK_SIZE bytes. Byte 29: shadow of the parallel control
 * register (bit 2 supply); 32: parallel mode (1 bidirectional, 2 EPP); 106: 1 = register
 * writes on the parallel port leave out the data strobe; 115: shadow of the USB loop-back
 * latch; 119..122: shadows of latches 0..3; 157..164 and 165..172: channel order tables
 * (0..7); 173 and 1003: configuration bit 0x02 (2: byte-valued channels); 175: 0xFF;
 * 176: the model code; 1000: 1; 1005: configuration bit 0x04 (external clock input);
 * 1007: the link (4 USB, 3 port 0x3BC, 1 port 0x378, 2 port 0x278); 1008: the link kind
 * (4 USB 2.0, 3 USB 1.1, 2 bidirectional port, 1 EPP port); 1010: 1 when the unit has the
 * short memory only (configuration bit 0x01 clear); 1012: configuration bit 0x08. The six
 * sample buffers of the fast rates lie at 10240 + k * 1048576 (k = 0..5).
 *
 * FindHardware chooses the link; until it has, PowerOn, PowerOff, capture, GetTrigStat,
 * EndCapture, ForceTrigger and FindPort do nothing and return 0. A null port record or
 * unit state block has the same effect. TestAd needs no link.
 *
 * The unit's register protocol.
 * Registers are 8-bit addresses. USB (request codes as for the first unit): a register
 * write is request 0x83 with the pair (register, value); a read selects the register
 * with 0x83 and one byte, then reads one byte with 0x84; a read of address a of the
 * register block reads register a & 0xFF, a write to it writes (a & 0xFF, value), which
 * the unit ignores for 0xBC..0xC3. Request 0x88 with one byte sets the loop-back latch,
 * echoed in status bit 4. Buffer read-out selects 0xED and reads in bulk: request 0x82
 * with the 8-byte length record, then a read of that length, at most 61440 bytes a time.
 * Parallel port (always by the strobe sequences, in either mode): a register write sends
 * the address (address to base; 0x0C, 0x04 to base + 2: the address is latched as bit 3
 * falls), then the value (value to base; 0x06, 0x04 to base + 2: written as bit 1 falls,
 * the strobe left out when state byte 106 is 1); a read sends the address, then 0x24,
 * 0x26 to base + 2 (bit 1 rising with bit 5 set: the unit drives the data lines), reads
 * base, writes 0x24 and 0x04. Further reads of the same register repeat 0x26, read, 0x24.
 *
 *   0xA9 latch 0, run control: bit 7 armed (the unit waits for its trigger; cleared while
 *        waiting, the trigger is taken at once, or as soon as the pre-trigger part is
 *        full), bit 6 run (rising starts an acquisition, falling stops it and enters
 *        read-out), bit 0 memory depth (0: 2048, 1: 131072 samples per buffer)
 *   0xB9 latch 1, time base: bits 0..5 the rate code, bits 6..7 the clock source
 *        (0 internal, 1 external rising, 2 external falling). Sample period of rate code
 *        r: 2 ns for 0; 2.5, 4, 5 ns for 1..3; from 4 on the 1-2-5 steps 10 ns, 20 ns,
 *        50 ns, ... up to 1 s for 10 (1 us), 11 (2 us), 13 (5 us), 15 (10 us), 17 (20 us),
 *        19 (50 us), 21 (100 us), 22 (200 us), 23 (500 us), 24 (1 ms) ... 33 (1 s); the
 *        codes between (12, 14, 16, 18, 20) take the period of the code below
 *   0xC9 latch 2, trigger source: bit 7 free run (the trigger is taken as soon as the
 *        pre-trigger part is full), bit 3 slope (0: the channel rises through the level,
 *        1: falls through it, in volts), bits 0..1 the byte-valued channel
 *   0xD9 latch 3, trigger level (a byte-valued sample)
 *   0xE0..0xE2 trigger position p (24 bits, low byte first): samples kept before the
 *        trigger; the trigger sample lands at index p of every buffer
 *   0xE8 configuration byte (read): 0x01 deep memory, 0x02 byte-valued channels, 0x04
 *        external clock input, 0x08 recorded only
 *   0xE9 identification (read): bits 0..1 the class c
 *   0xEA progress (read): bit 0 trigger seen, bit 1 complete
 *   0xEC buffer select (write): 0..2 logic planes D7..D0, D15..D8, D23..D16; 3..5
 *        byte-valued channels 0..2; rewinds the buffer. 0xED (read): its next sample,
 *        oldest first. A run stopped before it completed delivers the samples taken,
 *        then zeros (logic) and 0x80 (byte-valued)
 *   status: parallel status lines (base + 1) bit 7, USB register 0xBD bit 6: armed and
 *        no trigger yet; USB bit 4: the loop-back latch's bit 4
 * Byte-valued samples are screen heights: 0 the top of the range, 255 the bottom.
 *
 * Search on the parallel port (after USB found nothing), per base: 0xC4 to base + 2,
 * FindPort, then the handshake: 0x0C to base + 2, read base + 1 (bits 5..3 must be 101),
 * 0x04 to base + 2, read base + 1 (bits 5..3 must be 010). The mode test: an EPP address
 * cycle of 0x5A (base + 3), then an EPP data read (base + 4) answers 0xA5 in EPP mode.
 * The initialisation writes reset the unit (0xB7 := 0xB7) and enable its interface
 * (0xBC := 0xBC).
 * Model code: without byte-valued channels 28 + c; with them 34, 38 or 42 for c = 0, 1,
 * 2 (3 reads as 2), plus 1 with deep memory. The unit has c + 1 byte-valued channels.
 */
#define OUT47_UNIT_BLOCK_SIZE (10240 + 6 * 1048576)
#define OUT47_PORT_RECORD_SIZE 151

/* Finds a unit: USB over the thirteen (vendor, product) pairs, then the parallel ports
 * 0x3BC, 0x378, 0x278 (with family 2 through a writer that does nothing). Returns the
 * model code (27..43), also written to *model, or 0 when no unit answers. */
OUT47_API uint8_t FindHardware(uint8_t *model, int32_t *portRecord, uint8_t *unitState,
                               uint32_t family);
/* 1 when the data register at `base` reads back 0x55 and then 0xAA (4 written to base + 2
 * first); 0 otherwise, without writing 0xAA when 0x55 did not come back. */
OUT47_API uint8_t FindPort(uint32_t base);
/* Supply on (byte 29 bit 2 set) or off, written to base + 2, then 50 ms of waiting. */
OUT47_API void PowerOn(int32_t *portRecord, uint8_t *unitState);
OUT47_API void PowerOff(int32_t *portRecord, uint8_t *unitState);

/* capture, GetTrigStat and EndCapture take the same 34 arguments:
 *   1..6  destinations: logic planes 0, 1, 2 and byte-valued channels 0, 1, 2 (2048 or
 *         131072 bytes each); at rate codes 0..7 the read-out goes to the unit state
 *         block's six buffers and EndCapture then copies each to its destination
 *   7     not used (the caller's last start position)
 *   8     memory depth index (0: 2048 samples, 1: 131072)
 *   9     not used (the model is the one FindHardware stored)
 *   10    port record          11   unit state block       12   not used
 *   13    rate code            14   trigger channel: 0..3 a byte-valued channel (one the
 *         unit lacks, and 4 or more, run free)
 *   15    trigger slope table (51 bytes; entry 0..3 for channel 0..3, 0 rising, else falling)
 *   16    trigger level (the active trigger word pair's first byte)   17 not used
 *   18..23 not used (the other trigger word pairs)   24..27 not used (thresholds)
 *   28, 29 not used        30   trigger position p     31   not used
 *   32    clock source (0 internal, 1 external rising, 2 external falling)
 *   33    input enable table (51 bytes: entries 36..38 logic planes 0..2, 0..2
 *         byte-valued channels 0..2; a buffer whose entry is 0 is not read); null reads all
 *   34    a row of 51 32-bit entries: EndCapture writes entry 1 := p, entry 2 := samples
 *         read per buffer
 * capture stops any run, writes latches 1..3 and the position, then latch 0 (armed, run,
 * depth), and sets the earliest poll time to now + the pre-trigger time (p sample
 * periods, rounded up to a millisecond; 0 with an external clock). Returns that tick.
 * GetTrigStat: 0 before the earliest poll time; 3 while the unit waits for its trigger;
 * otherwise it reads the progress register: 8 while the memory fills after the trigger,
 * 6 once complete (it has then stopped the run: the unit is ready for read-out).
 * EndCapture stops a run that is still going and reads the enabled buffers in the order
 * 0..5 (logic planes, then the unit's byte-valued channels). Returns 1, 0 without link. */
#define OUT47_CAPTURE_ARGS                                                                   \
    uint8_t *dest1, uint8_t *dest2, uint8_t *dest3, uint8_t *dest4, uint8_t *dest5,          \
        uint8_t *dest6, int32_t lastStart, uint32_t depthIndex, uint32_t unitCode,           \
        int32_t *portRecord, uint8_t *unitState, intptr_t block12, uint32_t rateCode,        \
        uint32_t triggerChannel, const uint8_t *slopes, uint32_t levelA, uint32_t levelB,    \
        uint32_t word2A, uint32_t word2B, uint32_t word3A, uint32_t word3B, uint32_t word4A, \
        uint32_t word4B, uint32_t threshold1, uint32_t threshold2, uint32_t threshold3,      \
        uint32_t threshold4, intptr_t block28, intptr_t block29, int32_t triggerPosition,    \
        intptr_t block31, uint32_t clockSource, const uint8_t *inputEnable, int32_t *setRow
OUT47_API uint32_t capture(OUT47_CAPTURE_ARGS);
OUT47_API uint8_t GetTrigStat(OUT47_CAPTURE_ARGS);
OUT47_API uint8_t EndCapture(OUT47_CAPTURE_ARGS);
/* Clears bit 7 of latch 0's shadow (byte 119) and writes latch 0: the trigger now. */
OUT47_API void ForceTrigger(int32_t *portRecord, uint8_t *unitState);

/* Measures `length` samples of a byte-valued trace from `start` (screen heights, 0 at
 * the top) into 13 16-bit fields: 0 = 255 - min, 1 = 255 - max, 2 = 255 - mean (integer),
 * 3 = max - min, 12 = (max + min) / 2, 4 = mean |sample - reference|. Only when
 * max - min > 10: one full cycle from the first crossing of the threshold (a change
 * between "at or below" and "above") up to the sample before the second crossing after
 * it: 8 = samples at or below, 9 = above, 10 = their sum (0 when either is 0),
 * 5 = mean |sample - reference| over it; no full cycle: 5 = -1 and 8..10 = 0. With
 * m = min + (max - min) / 10 and g = max - (max - min) / 10: 6 = samples from the last
 * sample at or above g to the first following one at or below m (rising signal), 7 = from
 * the last at or below m to the first following at or above g (falling), -1 when none.
 * Field 11 is left as it is. */
OUT47_API void TestAd(const uint8_t *trace, int32_t start, uint32_t reference, uint32_t threshold,
                      int16_t *record, int32_t length);

#ifdef __cplusplus
}
#endif

#endif /* OUT47_H */

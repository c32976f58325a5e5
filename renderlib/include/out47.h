/* out47: the KV-6830 render and capture library.
 *
 * Draws waveform tracks through a caller-supplied drawing surface, computes state
 * listings, searches sample data, and reads and writes data files.
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

#ifdef __cplusplus
}
#endif

#endif /* OUT47_H */

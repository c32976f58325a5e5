// SPDX-License-Identifier: GPL-3.0-or-later
/* kv68dll: the KV-6830 acquisition device library.
 *
 * Finds the unit on a parallel port (EPP or BPP) or on USB, drives one capture at a time
 * and reads the sample memory back as three byte planes (plane 0 D7..D0, plane 1 D15..D8,
 * plane 2 D23..D16; byte i of a plane is sample i).
 *
 * Argument conventions: byte and 16-bit arguments are taken from the low bits of their
 * slot; every buffer is owned by the caller. The library keeps one link, one set of
 * register shadows and one USB write queue per process; call it from one thread.
 *
 * Calls that talk to the unit before FindBoard1, SetupIO or FindDemoBoard1 has chosen a
 * link do nothing and return their "nothing" value (StartCapture 1, GetTrigStat 0,
 * EndCapture 0, FindBoard 0). A null pointer where caller memory is needed has the same
 * effect. Every USB request is bounded in time by the driver; a failed request gives the
 * documented fallback (a register read 0xFF, a bulk read ends early).
 */
#ifndef KV68DLL_H
#define KV68DLL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(KV68DLL_BUILD)
#define KV68_API __attribute__((visibility("default")))
#else
#define KV68_API
#endif

/* Device state block: at least 1009 bytes, kept by the caller between calls.
 * Byte 1007: 4 when the unit was found on USB. Byte 1008: link kind,
 * 0 none, 1 EPP, 2 BPP, 3 USB 1.1, 4 USB 2.0. */
#define KV68_STATE_BLOCK_SIZE 1009
/* Driver selection block: the 16-bit word at byte offset 2018 is the USB driver family
 * (2 = still-image class driver, anything else = the unit's own driver). */
#define KV68_SELECTION_BLOCK_SIZE 2020

/* ---- Device link ---- */

/* Finds the unit: USB first, then (unless the family word is 2) EPP at 0x278 and 0x378,
 * then BPP at 0x278, 0x378 and 0x3BC. Returns 0 none, 1 port 0x378, 2 port 0x278,
 * 3 port 0x3BC, 4 USB. `family` is stored into the selection block. */
KV68_API uint8_t FindBoard1(uint32_t port, uint8_t *selectionBlock, uint8_t *stateBlock,
                            intptr_t ignored1, intptr_t ignored2, intptr_t ignored3,
                            uint32_t family);
/* 17 when the unit answers at `port` on the current link, else 0. */
KV68_API uint8_t FindBoard(uint32_t port, intptr_t ignored, uint8_t *stateBlock);
/* Bit mask of parallel ports whose data register reads back: 1 = 0x3BC, 2 = 0x378,
 * 4 = 0x278. */
KV68_API uint8_t prt_dect(void);
/* Chooses a link without searching: type 4 EPP, 1 or 0x80 BPP, 9 USB (generic driver).
 * For the parallel types *outBase := table[index] when index < 3. */
KV68_API void SetupIO(uint32_t index, uint32_t type, int32_t *outType, uint16_t *outBase,
                      const uint16_t *table);
/* Supply line on (on == 1) or off, then waits 300 ms. Returns 1. */
KV68_API uint8_t LAPower(uint32_t port, uint32_t on);
/* Supply line off, no wait. */
KV68_API void PowerOff1(uint32_t port);
/* "KV6830" and "DLL ver 0.100000"; returns 0.1. Buffers of at least 7 and 17 bytes. */
KV68_API float GetDLLVersion(char *model, char *version);

/* ---- Capture control ---- */

/* Programs clock, threshold, trigger word and trigger position and arms the unit.
 * Used arguments: 8 port, 10 state block, 12 depth flag (0 = 2K), 18 trigger position,
 * 20 clock source code, 21 rate code, 25 trigger word (26 characters, D23 first),
 * 29 external clock edge code, 31 trigger condition (1 = when the word becomes true),
 * 32 threshold (0..80; a larger value is clamped and written back). Returns 1. */
KV68_API uint8_t StartCapture1(void *p1, void *p2, void *p3, void *p4, void *p5, void *p6,
                               int32_t a7, uint32_t port, uint8_t *selectionBlock,
                               uint8_t *stateBlock, int32_t a11, uint32_t depthFlag, intptr_t a13,
                               intptr_t a14, intptr_t a15, intptr_t a16, intptr_t a17,
                               int32_t triggerPosition, intptr_t a19, uint32_t clockSource,
                               uint32_t rateCode, intptr_t a22, intptr_t a23, intptr_t a24,
                               const char *triggerWord, intptr_t a26, intptr_t a27, intptr_t a28,
                               uint32_t edgeCode, intptr_t a30, uint32_t condition,
                               uint16_t *threshold, intptr_t a33);
/* StartCapture1's arguments 7 to 24, a record of its first six (not used), then its 25
 * to 33. */
KV68_API uint8_t StartCapture(int32_t a7, uint32_t port, uint8_t *selectionBlock,
                              uint8_t *stateBlock, int32_t a11, uint32_t depthFlag, intptr_t a13,
                              intptr_t a14, intptr_t a15, intptr_t a16, intptr_t a17,
                              int32_t triggerPosition, intptr_t a19, uint32_t clockSource,
                              uint32_t rateCode, intptr_t a22, intptr_t a23, intptr_t a24,
                              void *const *destinations, const char *triggerWord, intptr_t a26,
                              intptr_t a27, intptr_t a28, uint32_t edgeCode, intptr_t a30,
                              uint32_t condition, uint16_t *threshold, intptr_t a33);

/* 0 too early to ask, 4 waiting for the trigger, 1 trigger seen, 3 complete. */
KV68_API uint8_t GetTrigStat1(uint32_t port, uint8_t *selectionBlock, uint8_t *stateBlock);
KV68_API uint8_t GetTrigStat(uint32_t port, uint8_t *selectionBlock, uint8_t *stateBlock);

KV68_API void ForceTrigger1(uint32_t port, uint8_t *selectionBlock, uint8_t *stateBlock);
KV68_API void ForceTrigger(uint32_t port, uint8_t *selectionBlock, uint8_t *stateBlock);

/* Stops the unit, reads the planes whose flag byte is 1 (2047 bytes each when length
 * entry 0 is 2048 and plane 0 is read, else 131071) and writes the exact trigger offset
 * into the n entries of `offsets`. Used arguments: 1..3 plane destinations, 9 port,
 * 11 state block, 13 flags, 14 n, 15 and 18 plane-count factors a and b, 20 length
 * table, 22 trigger word, 23 nominal trigger index T, 26 condition, 27 offsets.
 * The trigger location reads samples T - 1 up to T + 34 of the three destinations, never
 * outside 0 .. count - 2; when that range leaves the planes, the offsets stay unchanged.
 * Returns 0. */
KV68_API uint8_t EndCapture1(uint8_t *plane0, uint8_t *plane1, uint8_t *plane2, void *p4, void *p5,
                             void *p6, intptr_t a7, intptr_t a8, uint32_t port,
                             uint8_t *selectionBlock, uint8_t *stateBlock, intptr_t a12,
                             const uint8_t *flags, int32_t n, int32_t a, intptr_t a16, intptr_t a17,
                             int32_t b, intptr_t a19, const int32_t *lengths, intptr_t a21,
                             const char *triggerWord, int32_t triggerIndex, intptr_t a24,
                             intptr_t a25, uint32_t condition, int32_t *offsets, intptr_t a28);
/* EndCapture1's arguments 7 to 20, a record of its first six pointers, then its 21
 * to 28. */
KV68_API uint8_t EndCapture(intptr_t a7, intptr_t a8, uint32_t port, uint8_t *selectionBlock,
                            uint8_t *stateBlock, intptr_t a12, const uint8_t *flags, int32_t n,
                            int32_t a, intptr_t a16, intptr_t a17, int32_t b, intptr_t a19,
                            const int32_t *lengths, void *const *destinations, intptr_t a21,
                            const char *triggerWord, int32_t triggerIndex, intptr_t a24,
                            intptr_t a25, uint32_t condition, int32_t *offsets, intptr_t a28);

/* Decodes rate, clock source and edge codes into the state block; sends nothing. */
KV68_API uint8_t SetClock(intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4, uint8_t *stateBlock,
                          uint32_t rateCode, intptr_t a7, uint32_t clockSource, uint32_t edgeCode);
/* Sample period in nanoseconds for a unit family and rate index. */
KV68_API double GetRateNS(uint32_t family, uint32_t index);
KV68_API int32_t GetBufLenDisp(uint32_t index, const int32_t *table, int32_t reserve);
KV68_API int32_t GetBufLenFull(const int32_t *table, uint32_t index);
KV68_API void SetBufLenFull(int32_t *table, uint32_t index, int32_t value);
KV68_API uint8_t SetupMemConfig(void);

/* ---- A unit that goes away ----
 *
 * The register protocol has no way for the unit to say that it is gone: a USB unit that
 * is unplugged makes every request fail (GetTrigStat then reports 1, "trigger seen,
 * filling", for ever), and a parallel port with no powered unit behind it reads 0xFF.
 * These two calls let a caller notice it; the other entry points behave as before.
 *
 * GetLinkStat1 (same arguments as GetTrigStat1) returns 0 while the unit answers and 1
 * when it no longer does:
 *  - on USB, when a request to the unit has failed since the previous GetLinkStat1 or
 *    StartCapture1 (the unit's device is gone, or a transfer failed or came back short),
 *    or when no unit is open. While a run is armed (control register B bit 1 in the
 *    state block's shadow) and nothing has failed, it asks once: clears A bit 6 and
 *    reads the status register, as GetTrigStat1 does.
 *  - on EPP and BPP, while a run is armed: the status register, read as GetTrigStat1
 *    reads it, is 0xFF, a value the unit never gives (its bit 7 and bits 0..3 are always
 *    clear). With no run armed (after EndCapture1): the presence loop-back test of
 *    FindBoard (B bit 7 low must read status bit 6 low, high must read it high), without
 *    switching the supply; it leaves read-out mode.
 *  - 0 when no link has been chosen, and in demonstration mode while the simulated unit
 *    answers.
 * It loads and stores the shadows of the state block like GetTrigStat1.
 *
 * UnitPlugged1 returns the number of units of the recognised vendor/product pairs that
 * have been plugged in on USB since its previous call, from the system's hot-plug
 * events; 0 where the system has none. It never touches the unit. */
KV68_API uint8_t GetLinkStat1(uint32_t port, uint8_t *selectionBlock, uint8_t *stateBlock);
KV68_API uint8_t UnitPlugged1(void);

/* ---- Demonstration ---- */

/* Attaches the simulated demonstration unit (on USB 2.0) as this library's link, as
 * FindBoard1 would have found a real one: writes bytes 1007 and 1008 of the state block
 * and returns 4. Later captures run against the simulated unit. */
KV68_API uint8_t FindDemoBoard1(uint32_t port, uint8_t *selectionBlock, uint8_t *stateBlock);

#ifdef __cplusplus
}
#endif

#endif /* KV68DLL_H */

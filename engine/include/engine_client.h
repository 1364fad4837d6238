/*
 * engine_client.h: extras of the stand-in client engine beyond the C interface of engine_api.h.
 *
 * For test and demo programs: who the later connections say they are, where the server
 * is, how many round trips and calls the library has made. The data-access layer uses one
 * of these, the layout number, when the library offers it, and does without it otherwise.
 *
 * Server address: "unix:/path" or "tcp:127.0.0.1:PORT" (loopback only). Unless set here,
 * it is the environment variable BREVANTIS_ENGINE_ADDRESS when set, else a socket in the
 * user's private runtime folder, "unix:$XDG_RUNTIME_DIR/brevantis-engine.sock", or
 * "unix:/tmp/brevantis-UID/engine.sock" without one.
 *
 * In-process server (unit tests): link the static library engine_inprocess and call
 * engine::testing::useInProcessServer (engine/testing/in_process.h) before connecting.
 */
#ifndef BREVANTIS_ENGINE_INCLUDE_ENGINE_CLIENT_H
#define BREVANTIS_ENGINE_INCLUDE_ENGINE_CLIENT_H

#include "engine/include/engine_api.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Identity sent by the connections opened after this call, as the lock-owner procedure
 * reports it. A null argument keeps the current value; by default the user name is the
 * host name, the OS login the user running the process and the application id the
 * program name. Values are 8-bit text of at most 200 bytes each (longer: 5002). */
ADSAPI EngineSetClientIdentity(const char* pucUserName, const char* pucOsLogin,
                               const char* pucApplicationId);

/* Server address for the connections opened after this call; null or "" restores the
 * default. An address of another form answers AE_INVALID_ARGUMENT. */
ADSAPI EngineSetServerAddress(const char* pucAddress);

/* Messages exchanged with servers by this process (one per request/answer pair), since
 * the start or the last reset. */
ADSAPI EngineGetRoundTrips(UNSIGNED32* pulRoundTrips);
ADSAPI EngineResetRoundTrips(void);

/* Calls into the library that took its lock (nearly every entry point: not these counters
 * nor the last-error calls), since the start or the last reset. What a caller pays per row
 * in calls shows here. */
ADSAPI EngineGetCalls(UNSIGNED32* pulCalls);
ADSAPI EngineResetCalls(void);

/* A number naming the record layout of an open table or SQL cursor: its record length,
 * blank record and every column's name, type, length, decimals, offset, nullability and
 * permissions. Two handles given the same number have the same layout, whenever each was
 * asked; different numbers say nothing (the same layout may come back under a new number).
 * Never 0. Lets a caller that reopens a result know that its columns are those it
 * described last time, in one call instead of several per column. */
ADSAPI EngineGetLayoutId(ADSHANDLE hTable, UNSIGNED32* pulLayout);

/* Where EngineReadRow leaves the cursor, as bits of *pusWhere; 0 on a row it shows. */
#define ENGINE_ROW_EOF 1    /* AdsAtEOF would answer 1 */
#define ENGINE_ROW_BOF 2    /* AdsAtBOF would answer 1 */
#define ENGINE_ROW_HIDDEN 4 /* on no row, or one AdsIsRecordVisible would not show */

/* Reads a row in one call: moves as AdsSkip(hObj, lRecs) when lRecs is not 0, then answers
 * where the cursor stands in *pusWhere. On a row it shows (0), the record image goes to
 * pucRecord as AdsGetRecord gives it and the bookmark to pucBookmark as AdsGetBookmark60
 * gives it (*pulRecordLen and *pulBookmarkLen: room in, bytes out; too little room: 5005);
 * elsewhere neither buffer is touched. A failed move fails the call, as AdsSkip fails. */
ADSAPI EngineReadRow(ADSHANDLE hObj, SIGNED32 lRecs, UNSIGNED16* pusWhere, UNSIGNED8* pucRecord,
                     UNSIGNED32* pulRecordLen, UNSIGNED8* pucBookmark,
                     UNSIGNED32* pulBookmarkLen);

#ifdef __cplusplus
}
#endif

#endif /* BREVANTIS_ENGINE_INCLUDE_ENGINE_CLIENT_H */

// pending_codes.h: engine codes these tests expect that the engine does not define yet.
#ifndef BREVANTIS_TESTS_ENGINE_SECURITY_PENDING_CODES_H
#define BREVANTIS_TESTS_ENGINE_SECURITY_PENDING_CODES_H
#include "engine/include/engine_api.h"
#ifndef AE_TABLE_OUTSIDE_SOURCE
#define AE_TABLE_OUTSIDE_SOURCE 5300
#define AE_READ_ONLY_STORAGE 5301
#define AE_TOO_MANY_CURSORS 5302
#define AE_RESULTS_TOO_LARGE 5303
#define AE_SERVER_NOT_TRUSTED 6061
#define AE_SERVER_BUSY 6062
#endif
#endif

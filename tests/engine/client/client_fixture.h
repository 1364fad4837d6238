// client_fixture.h: a dictionary in a temporary folder and C-interface helpers for the
// client library tests (the server runs in-process or as a real enginesrv).
#ifndef BREVANTIS_TESTS_ENGINE_CLIENT_CLIENT_FIXTURE_H
#define BREVANTIS_TESTS_ENGINE_CLIENT_CLIENT_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/include/engine_api.h"
#include "engine/include/engine_client.h"

namespace engine::testing {

// The dictionary "Gestion.add" (administrator adssys / kor5382, user lecteur / secret).
class DictionaryFolder {
  public:
    DictionaryFolder();
    ~DictionaryFolder();
    const std::string& dir() const { return dir_; }
    const std::string& dictionary() const { return dictionary_; }
    std::string connectString(const std::string& user = "adssys",
                              const std::string& password = "kor5382") const;

  private:
    std::string dir_;
    std::string dictionary_;
};

// The last error of this thread as "code text".
std::string lastErrorText();

// Connects or fails the test.
ADSHANDLE connectOrFail(const std::string& connectString);

// Runs SQL on a fresh statement; returns the cursor (0 when none) and records the code.
ADSHANDLE runSql(ADSHANDLE connection, const std::string& text, UNSIGNED32* code = nullptr);

// Every row of a cursor, each column read as 8-bit text with trailing blanks removed.
std::vector<std::vector<std::string>> readAll(ADSHANDLE cursor);

// Round trips made since the last call.
uint32_t roundTripsSinceLastCall();

}  // namespace engine::testing

#endif  // BREVANTIS_TESTS_ENGINE_CLIENT_CLIENT_FIXTURE_H

// client.h: a small client over the C interface of libengine.so for the reliability tests.
#ifndef BREVANTIS_TESTS_ENGINE_RELIABILITY_CLIENT_H
#define BREVANTIS_TESTS_ENGINE_RELIABILITY_CLIENT_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/include/engine_api.h"

namespace reliability {

using Row = std::map<std::string, std::string>;  // column name -> value, trailing blanks cut

// The calling thread's last engine error as "code text".
std::string lastError();

// One engine connection. Not shared between threads.
class Client {
  public:
    // Connects to dictionary `dict` at server `address` as `user`, reporting `workstation`,
    // `osLogin` and `application` to the lock-owner procedure. code() tells the outcome.
    Client(const std::string& address, const std::string& dict, const std::string& user,
           const std::string& password, const std::string& workstation = "TEST-PC",
           const std::string& osLogin = "tester", const std::string& application = "tests");
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    UNSIGNED32 code() const { return connectCode_; }
    ADSHANDLE handle() const { return connection_; }

    // Opens a table; 0 on failure (error via lastError()).
    ADSHANDLE open(const std::string& table);

    // Runs an SQL text and reads every row of its cursor into `rows` (columns named in
    // `columns`, or all of them when empty). Returns the engine code of the first failing
    // call, 0 on success.
    UNSIGNED32 query(const std::string& sql, std::vector<Row>* rows,
                     const std::vector<std::string>& columns = {});

    // Record numbers that sp_mgGetAllLocks reports for a table file; the code in *rc.
    std::vector<uint32_t> allLocks(const std::string& tablePath, UNSIGNED32* rc);
    // UserName of every owner sp_mgGetLockOwner reports for a record; the code in *rc.
    std::vector<std::string> lockOwners(const std::string& tablePath, uint32_t record,
                                        UNSIGNED32* rc);

  private:
    ADSHANDLE connection_ = 0;
    UNSIGNED32 connectCode_ = 0;
};

}  // namespace reliability

#endif  // BREVANTIS_TESTS_ENGINE_RELIABILITY_CLIENT_H

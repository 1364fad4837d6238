// Shared fixture of the engine core tests: a fresh folder with a dictionary, a server, and
// helpers to connect and run SQL.
#ifndef BREVANTIS_TESTS_ENGINE_CORE_CORE_FIXTURE_H
#define BREVANTIS_TESTS_ENGINE_CORE_CORE_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/core/session.h"

namespace engine::testing {

class CoreTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A dictionary connection as `user` (default: the administrator).
    std::unique_ptr<Session> connect(const std::string& user = "adssys",
                                     const std::string& password = "kor5382",
                                     const std::string& app = "test");
    // Runs SQL and expects success; returns the result.
    SqlResult sql(Session& s, const std::string& text, uint32_t prefetch = 0);
    // Opens a table and expects success.
    CursorInfo open(Session& s, const std::string& name, uint32_t options = 0);
    // The column `col` of a position's record as text without trailing blanks.
    static std::string text(const CursorInfo& info, const Position& p, const std::string& col);
    static int32_t integer(const CursorInfo& info, const Position& p, const std::string& col);

    std::string dir_;
    std::string dictionary_;
    std::unique_ptr<Server> server_;
};

}  // namespace engine::testing

#endif  // BREVANTIS_TESTS_ENGINE_CORE_CORE_FIXTURE_H

// lock_world_suite.h: the base of a test suite that stands on one lock world: a temporary
// folder and a real enginesrv, made once for the whole suite and removed after it.
#ifndef BREVANTIS_TESTS_APP_LOCK_WORLD_SUITE_H
#define BREVANTIS_TESTS_APP_LOCK_WORLD_SUITE_H

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "tests/app/lock_world.h"

namespace locktest {

class LockWorldSuite : public ::testing::Test {
  protected:
    // Call first in the suite's SetUpTestSuite, inside ASSERT_NO_FATAL_FAILURE: a server
    // that does not come up fails the suite.
    static void startWorld() {
        dir_ = new QTemporaryDir();
        server_ = new Server();
        ASSERT_TRUE(server_->started()) << server_->log().toStdString();
    }
    // Call last in the suite's TearDownTestSuite.
    static void stopWorld() {
        delete server_;
        delete dir_;
        server_ = nullptr;
        dir_ = nullptr;
    }

    static inline QTemporaryDir* dir_ = nullptr;
    static inline Server* server_ = nullptr;
};

}  // namespace locktest

#endif  // BREVANTIS_TESTS_APP_LOCK_WORLD_SUITE_H

// passwords_test.cpp: a dictionary keeps its users' passwords as memory-hard hashes in a file
// only its owner reads; hashes of the older form still let their users in, once, and are
// rewritten at that login. A server running as root rewrites a dictionary without taking it
// from its owner.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "tests/engine/reliability/client.h"
#include "tests/engine/reliability/harness.h"
#include "tests/engine/security/support.h"

namespace security {
namespace {

using reliability::Client;
using reliability::lastError;

// The user lines of a dictionary file, split at tabs.
std::vector<std::vector<std::string>> userLines(const std::string& dictionary) {
    std::vector<std::vector<std::string>> users;
    std::istringstream in(readFile(dictionary));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string f; std::getline(parts, f, '\t');) fields.push_back(f);
        if (!fields.empty() && fields[0] == "user") users.push_back(fields);
    }
    return users;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 0777;
}

bool memoryHard(const std::vector<std::string>& user) {
    return user.size() == 4 && user[3].rfind("$argon2id$", 0) == 0;
}

TEST(Passwords, AreKeptAsMemoryHardHashesInAFileOnlyItsOwnerReads) {
    reliability::TempDir dir("passwords");
    const std::string dict = reliability::makeDictionary(dir.path(), "Secrets", 1);
    EXPECT_EQ(modeOf(dict), 0600u);
    const auto users = userLines(dict);
    ASSERT_EQ(users.size(), 2u);
    for (const auto& u : users) EXPECT_TRUE(memoryHard(u)) << u[1] << ": " << u.back();
}

TEST(Passwords, AnOlderHashLetsItsUserInOnceAndIsRewritten) {
    reliability::TempDir dir("passwords");
    const std::string dict = dir.path() + "/Ancien.add";
    // Salted SHA-256, as older dictionaries hold them: adssys/kor5382 and plain/plain1.
    const std::string salt = "00112233445566778899aabbccddeeff";
    const std::string old =
        "BRVADD01\n"
        "user\tadssys\t1\t" +
        salt +
        "\td5418eda26070bb257bb1969a933c5be05f3aebabbe9bd08a3b872c94faf97d1\n"
        "user\tplain\t0\t" +
        salt + "\t9feeacedf8133ac2fda4348cccdbe074b766c58dd8c6f26ef19a930751c70f89\n";
    ASSERT_TRUE(writeFile(dict, old));
    reliability::ServerProcess server(dir.path() + "/srv.sock");
    ASSERT_TRUE(server.start());

    EXPECT_EQ(Client(server.address(), dict, "adssys", "wrong").code(),
              static_cast<UNSIGNED32>(AE_LOGIN_FAILED));
    EXPECT_EQ(readFile(dict), old) << "a refused login rewrote the file";
    EXPECT_EQ(Client(server.address(), dict, "adssys", "kor5382").code(), 0u) << lastError();
    auto users = userLines(dict);
    ASSERT_EQ(users.size(), 2u);
    EXPECT_TRUE(memoryHard(users[0])) << users[0].back();
    EXPECT_FALSE(memoryHard(users[1])) << "only the user who logged in is rewritten";
    EXPECT_EQ(modeOf(dict), 0600u);

    EXPECT_EQ(Client(server.address(), dict, "adssys", "kor5382").code(), 0u) << lastError();
    EXPECT_EQ(Client(server.address(), dict, "adssys", "kor5383").code(),
              static_cast<UNSIGNED32>(AE_LOGIN_FAILED));
    EXPECT_EQ(Client(server.address(), dict, "plain", "plain1").code(), 0u) << lastError();
    users = userLines(dict);
    EXPECT_TRUE(memoryHard(users[1]));
    EXPECT_EQ(Client(server.address(), dict, "plain", "plain1").code(), 0u) << lastError();
}

TEST(Passwords, ADictionaryRewrittenByARootServerStaysItsOwners) {
    if (!runningAsRoot()) GTEST_SKIP() << "needs a server that runs as root";
    reliability::TempDir dir("passwords");
    const std::string dict = reliability::makeDictionary(dir.path(), "Owned", 1);
    const uid_t owner = userOfThisTest();
    const gid_t group = owner + 1;
    ASSERT_EQ(::chown(dict.c_str(), owner, group), 0);
    ASSERT_EQ(::chmod(dict.c_str(), 0400), 0);
    reliability::ServerProcess server(dir.path() + "/srv.sock");
    ASSERT_TRUE(server.start());
    Client admin(server.address(), dict, "adssys", "kor5382");
    ASSERT_EQ(admin.code(), 0u) << lastError();
    std::vector<reliability::Row> rows;
    ASSERT_EQ(admin.query("CREATE TABLE Nouvelle (X Integer)", &rows), 0u) << lastError();
    ASSERT_NE(readFile(dict).find("Nouvelle"), std::string::npos) << "not rewritten";
    struct stat st {};
    ASSERT_EQ(::stat(dict.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, group);
    EXPECT_EQ(modeOf(dict), 0400u);
}

}  // namespace
}  // namespace security

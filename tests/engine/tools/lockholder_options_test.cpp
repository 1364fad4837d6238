// lockholder_options_test.cpp: the lock holder's command line and record selection.
#include <gtest/gtest.h>

#include <set>

#include "engine/tools/lockholder/options.h"

namespace lockholder {
namespace {

std::optional<Options> parse(std::vector<const char*> args, std::string* error) {
    args.insert(args.begin(), "lockholder");
    return parseOptions(static_cast<int>(args.size()), args.data(), error);
}

TEST(LockholderOptions, HoldLine) {
    std::string error;
    const auto o = parse({"--dict", "/d/Compta.add", "--table", "Clients", "--records", "3,8,20-22",
                          "--workstation", "PC-COMPTA-01", "--oslogin", "jdupont", "--app",
                          "GestCom.exe", "--seconds", "2.5", "--ready", "/tmp/r"},
                         &error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->mode, Options::Mode::Hold);
    EXPECT_EQ(o->records, (std::vector<uint32_t>{3, 8, 20, 21, 22}));
    EXPECT_EQ(o->who.workstation, "PC-COMPTA-01");
    EXPECT_EQ(o->who.osLogin, "jdupont");
    EXPECT_EQ(o->who.application, "GestCom.exe");
    EXPECT_EQ(o->user, "adssys");
    EXPECT_DOUBLE_EQ(o->seconds, 2.5);
}

TEST(LockholderOptions, WorkloadLine) {
    std::string error;
    const auto o =
        parse({"--workload", "--dict", "V.add", "--tables", "Produits,Commandes", "--users", "8",
               "--hold-ms", "100-900", "--user", "comptable", "--password", "x"},
              &error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->mode, Options::Mode::Workload);
    EXPECT_EQ(o->tables, (std::vector<std::string>{"Produits", "Commandes"}));
    EXPECT_EQ(o->users, 8);
    EXPECT_EQ(o->holdMinMs, 100u);
    EXPECT_EQ(o->holdMaxMs, 900u);
    EXPECT_EQ(o->user, "comptable");
}

TEST(LockholderOptions, RefusesWrongLines) {
    const std::vector<std::vector<const char*>> bad{
        {},
        {"--table", "T", "--records", "1"},     // no dictionary
        {"--dict", "D.add", "--records", "1"},  // no table
        {"--dict", "D.add", "--table", "T"},    // nothing to lock
        {"--dict", "D.add", "--table", "T", "--records", "1", "--share", "0.5"},
        {"--dict", "D.add", "--table", "T", "--records", "0"},  // records start at 1
        {"--dict", "D.add", "--table", "T", "--records", "5-3"},
        {"--dict", "D.add", "--table", "T", "--records", "1,,2"},
        {"--dict", "D.add", "--table", "T", "--records", "1-99999999"},  // runaway range
        {"--dict", "D.add", "--table", "T", "--records", "4294967296"},
        {"--dict", "D.add", "--table", "T", "--share", "0"},
        {"--dict", "D.add", "--table", "T", "--share", "1.5"},
        {"--dict", "D.add", "--table", "T", "--share", "nan"},
        {"--dict", "D.add", "--table", "T", "--records", "1", "--seconds", "-1"},
        {"--dict", "D.add", "--tables", "A,B", "--records", "1"},  // hold takes one table
        {"--workload", "--dict", "D.add", "--tables", "A,", "--users", "2"},
        {"--workload", "--dict", "D.add", "--tables", "A", "--users", "0"},
        {"--workload", "--dict", "D.add", "--tables", "A", "--hold-ms", "9-1"},
        {"--dict", "D.add", "--table", "T", "--records"},  // missing value
        {"--dict", "D.add", "--table", "T", "--records", "1", "--bogus", "x"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(parse(args, &error)) << (args.empty() ? "(empty)" : args.back());
        EXPECT_FALSE(error.empty());
    }
}

TEST(LockholderOptions, ShareIsDistinctSortedAndStable) {
    const auto a = pickShare(1000, 0.1, 42);
    EXPECT_EQ(a.size(), 100u);
    EXPECT_EQ(std::set<uint32_t>(a.begin(), a.end()).size(), a.size());
    EXPECT_TRUE(std::is_sorted(a.begin(), a.end()));
    EXPECT_GE(a.front(), 1u);
    EXPECT_LE(a.back(), 1000u);
    EXPECT_EQ(a, pickShare(1000, 0.1, 42));
    EXPECT_NE(a, pickShare(1000, 0.1, 43));
    EXPECT_EQ(pickShare(7, 0.01, 1).size(), 1u);  // at least one record
    EXPECT_EQ(pickShare(7, 1.0, 1), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(pickShare(0, 0.5, 1).empty());
}

}  // namespace
}  // namespace lockholder

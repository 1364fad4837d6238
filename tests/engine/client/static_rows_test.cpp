// static_rows_test.cpp: the rows of a static result, added as a cursor gets them (the first
// answer's, then batches from rows not held yet, in any order), are found by ordinal as a
// map of the rows held finds them, their images still in the answers kept, short or long.
#include "engine/client/static_rows.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace {

using engine::client::StaticRows;
using engine::protocol::RowView;

// A batch of `n` rows from ordinal `first` on, as an answer `rows` keeps brings them: each
// row's image is one byte of the answer, the batch's tag; then, when `end` is set, the EOF
// mark a fetch past the last row ends with.
std::vector<RowView> batch(StaticRows& rows, uint32_t first, uint32_t n, char tag, bool end) {
    std::string answer(n, tag);
    const std::string_view part = answer;
    const std::string_view kept = rows.keep(std::move(answer), part);
    std::vector<RowView> batch;
    for (uint32_t i = 0; i < n; ++i) {
        RowView& p = batch.emplace_back();
        p.recordNumber = first + i;
        p.record = kept.substr(i, 1);
    }
    if (end) batch.emplace_back().eof = true;
    return batch;
}

TEST(StaticRows, RandomBatchesAreFoundAsAMapOfTheRowsHeldFindsThem) {
    constexpr uint32_t kRows = 400;
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        StaticRows rows;
        std::map<uint32_t, char> model;
        const uint32_t answered = rng() % 100;  // the execution's answer: rows from the first on
        rows.add(1, batch(rows, 1, answered, '0', false));
        for (uint32_t i = 1; i <= answered; ++i) model.emplace(i, '0');
        for (int step = 0; step < 12; ++step) {
            // Reading on from the first row on, or a move anywhere.
            uint32_t first = 1;
            while (model.count(first)) ++first;
            if (rng() % 2) first = 1 + rng() % kRows;
            if (first > kRows || model.count(first)) continue;  // a cursor fetches only where it holds no row
            const uint32_t n = std::min<uint32_t>(rng() % 60, kRows + 1 - first);
            const char tag = static_cast<char>('a' + step);
            rows.add(first, batch(rows, first, n, tag, first + n > kRows));
            // Kept up to the next row held: the rest is held already or fetched later.
            for (uint32_t i = 0; i < n; ++i) {
                if (!model.emplace(first + i, tag).second) break;
            }
            for (uint32_t ordinal = 0; ordinal <= kRows + 1; ++ordinal) {
                const RowView* p = rows.find(ordinal);
                auto expected = model.find(ordinal);
                ASSERT_EQ(p != nullptr, expected != model.end()) << "round " << round << " ordinal " << ordinal;
                if (!p) continue;
                EXPECT_EQ(p->recordNumber, ordinal);
                EXPECT_EQ(p->record, std::string(1, expected->second)) << "ordinal " << ordinal;
            }
        }
    }
}

}  // namespace

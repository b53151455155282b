// SPDX-License-Identifier: GPL-3.0-or-later
// The list a section keeps its lines in follows a std::vector through inserts, erases and exact
// assignments at every place, across its growth.

#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "core/store/CompactVector.h"

namespace velmora::test {
namespace {

std::vector<uint64_t> Values(const CompactVector<uint64_t>& list) { return {list.begin(), list.end()}; }

TEST(CompactVectorTest, FollowsAVectorThroughRandomEdits) {
    std::mt19937 random(43);
    CompactVector<uint64_t> list;
    std::vector<uint64_t> model;
    for (int step = 0; step < 5000; ++step) {
        const auto pick = [&](size_t bound) { return static_cast<size_t>(random() % bound); };
        switch (pick(8)) {
        case 0:
            if (!model.empty()) {
                const size_t at = pick(model.size());
                list.erase(at);
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
            }
            break;
        case 1: {
            // An element of the list itself, put back while the list may grow.
            if (model.empty()) break;
            const size_t from = pick(model.size()), at = pick(model.size() + 1);
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), model[from]);
            list.insert(at, list[from]);
            break;
        }
        case 2:
            if (pick(50) == 0) {
                const std::vector<uint64_t> fresh(pick(40), step);
                list.assign(fresh.data(), fresh.data() + fresh.size());
                model = fresh;
            }
            break;
        default: {
            const size_t at = pick(model.size() + 1);
            list.insert(at, step);
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), step);
        }
        }
        ASSERT_EQ(list.size(), model.size()) << step;
    }
    EXPECT_EQ(Values(list), model);
}

TEST(CompactVectorTest, AssignKeepsExactlyWhatItIsGivenAndAppendsAfterIt) {
    CompactVector<uint64_t> list;
    const uint64_t values[] = {1, 2, 3};
    list.assign(values, values + 3);
    list.push_back(list[0]);
    EXPECT_EQ(Values(list), (std::vector<uint64_t>{1, 2, 3, 1}));
    list.assign(values, values);
    EXPECT_TRUE(list.empty());
    list.push_back(7);
    EXPECT_EQ(Values(list), std::vector<uint64_t>{7});
    static_assert(sizeof(void*) != 8 || sizeof(CompactVector<uint64_t>) == 16);
}

}  // namespace
}  // namespace velmora::test

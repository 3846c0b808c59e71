#include "macro/macro_directory.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vornmac {
namespace {

// Height of a subtree, checking on the way that every balance is right and within -1..1.
int checked_height(const DirectoryEntry *node) {
    if (node == nullptr) return 0;
    const int left = checked_height(node->left);
    const int right = checked_height(node->right);
    EXPECT_EQ(node->balance, right - left) << node->name;
    EXPECT_LE(std::abs(right - left), 1) << node->name;
    return 1 + std::max(left, right);
}

TEST(MacroDirectory, StaysBalancedAndFindsEveryNameInAnyInsertionOrder) {
    for (int order = 0; order < 3; ++order) {
        MacroDirectory directory;
        const int n = 2000;
        for (int i = 0; i < n; ++i) {
            const int key = order == 0 ? i : order == 1 ? n - 1 - i : (i * 7919) % n;
            directory.insert(("m" + std::to_string(key)).c_str(), key, 0);
        }
        EXPECT_EQ(directory.count(), n);
        EXPECT_LE(checked_height(directory.root()), 15); // 1.44 log2(2000)
        for (int key = 0; key < n; ++key) {
            const DirectoryEntry *e = directory.lookup(("M" + std::to_string(key)).c_str());
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(e->offsets[0], key);
        }
        EXPECT_EQ(directory.lookup("m2000"), nullptr);
    }
}

TEST(MacroDirectory, FirstOffsetPerSlotWinsAndForgettingClearsOnlyThatSlot) {
    MacroDirectory directory;
    directory.insert("sums", 100, 2);
    directory.insert("SUMS ", 16, 2); // an older record of the same name
    directory.insert("sums", 40, 4);
    const DirectoryEntry *e = directory.lookup("Sums");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->offsets[2], 100);
    EXPECT_EQ(e->offsets[4], 40);
    directory.forget_slot(2);
    EXPECT_EQ(e->offsets[2], -1);
    EXPECT_EQ(e->offsets[4], 40);
    EXPECT_EQ(directory.count(), 1);
}

} // namespace
} // namespace vornmac

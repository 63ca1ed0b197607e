#include "framework/owner_notify.h"

#include <gtest/gtest.h>

#include "tests/support/owner_window.h"

namespace {

TEST(OwnerNotifyTest, ReachesTheOwnersWindowOnlyOnceItExists) {
  test_support::OwnerWindow owner;
  EXPECT_FALSE(owner.HandleAllocated());
  EXPECT_FALSE(framework::SendToOwnerWindow(&owner, WM_APP + 1, 1, 2));
  EXPECT_FALSE(framework::SendToOwnerWindow(nullptr, WM_APP + 1, 1, 2));

  owner.Create();
  ASSERT_TRUE(owner.HandleAllocated());
  owner.answer = 42;
  LRESULT answer = 0;
  EXPECT_TRUE(framework::SendToOwnerWindow(&owner, WM_APP + 1, 3, 4, &answer));
  EXPECT_EQ(answer, 42);
  ASSERT_EQ(owner.Messages().size(), 1u);
  EXPECT_EQ(owner.Messages()[0].message, static_cast<UINT>(WM_APP + 1));
  EXPECT_EQ(owner.Messages()[0].wparam, 3u);
  EXPECT_EQ(owner.Messages()[0].lparam, 4);
}

}  // namespace

#include "base/Component.h"

#include <gtest/gtest.h>

#include <vector>

namespace zerka {
namespace {

std::vector<std::string> destroyed;

class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::string name) : TComponent(owner) { Name = std::move(name); }
  ~Probe() override { destroyed.push_back(Name); }
  TComponent* link = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == link) link = nullptr;
  }
};

}  // namespace

TEST(Component, OwnerDestroysItsComponentsLastCreatedFirst) {
  destroyed.clear();
  auto* owner = new Probe(nullptr, "owner");
  new Probe(owner, "a");
  new Probe(owner, "b");
  EXPECT_EQ(owner->ComponentCount(), 2);
  delete owner;
  EXPECT_EQ(destroyed, (std::vector<std::string>{"owner", "b", "a"}));
}

TEST(Component, SiblingsForgetAComponentThatGoes) {
  Probe owner(nullptr, "owner");
  auto* menu = new Probe(&owner, "menu");
  auto* icon = new Probe(&owner, "icon");
  icon->link = menu;
  delete menu;
  EXPECT_EQ(icon->link, nullptr);
  EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(Component, FreeNotificationReachesComponentsOfOtherOwners) {
  Probe left(nullptr, "left");
  Probe right(nullptr, "right");
  auto* list = new Probe(&left, "list");
  auto* user = new Probe(&right, "user");
  user->link = list;
  list->FreeNotification(user);
  delete list;
  EXPECT_EQ(user->link, nullptr);
  delete user;  // must not touch the freed list
}

}  // namespace zerka

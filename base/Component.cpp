#include "base/Component.h"

#include <algorithm>

namespace zerka {
namespace {

void Erase(std::vector<TComponent*>& list, TComponent* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  destroying_ = true;
  // Those that asked to hear of our end get told first, while we are still whole.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    Erase(other->freeNotifies_, this);
    other->Notification(this, TOperation::opRemove);
  }
  // Owned components go last-created first.
  while (!components_.empty()) {
    TComponent* child = components_.back();
    RemoveComponent(child);
    delete child;
  }
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end()) {
    freeNotifies_.push_back(AComponent);
    AComponent->freeNotifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  Erase(freeNotifies_, AComponent);
  Erase(AComponent->freeNotifies_, this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  // An owner passes a removal on to everything it owns, so siblings drop their links too.
  if (Operation == TOperation::opRemove && AComponent->owner_ == this) {
    for (TComponent* child : std::vector<TComponent*>(components_)) {
      if (child != AComponent) child->Notification(AComponent, Operation);
    }
  }
}

void TComponent::InsertComponent(TComponent* AComponent) {
  components_.push_back(AComponent);
  AComponent->owner_ = this;
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  Notification(AComponent, TOperation::opRemove);
  Erase(components_, AComponent);
  AComponent->owner_ = nullptr;
}

}  // namespace zerka

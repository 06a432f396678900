#pragma once
// Components: objects owned by another component and destroyed with it. An owner tells its
// components when one of them goes, so links between them (a tray icon's popup menu, say)
// never dangle.

#include <functional>
#include <string>
#include <vector>

#include "base/Object.h"

namespace zerka {

enum class TOperation { opInsert, opRemove };

class TComponent;
using TNotifyEvent = std::function<void(TComponent* Sender)>;

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* AOwner = nullptr);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::vector<TComponent*>& Components() const { return components_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }

  // Asks AComponent to tell this one when it is destroyed, even when it has another owner.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Called once the component's properties have been set from the window's resource.
  virtual void Loaded() { loading_ = false; }
  bool Loading() const { return loading_; }
  bool Destroying() const { return destroying_; }
  // Marks a component whose properties are about to be set from a resource.
  void BeginLoading() { loading_ = true; }

  std::string Name;

 protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);

 private:
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  bool loading_ = false;
  bool destroying_ = false;
};

}  // namespace zerka

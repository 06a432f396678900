#include "net/NetComponent.h"

#include "net/NetSocketLayer.h"

namespace zerka {

TNetComponent::TNetComponent(TComponent* AOwner) : TComponent(AOwner) { AcquireSocketLayer(); }

TNetComponent::~TNetComponent() { ReleaseSocketLayer(); }

}  // namespace zerka

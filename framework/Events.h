#pragma once
// Event types. Every event carries the component or object that raises it first, as Sender;
// an empty function is an unassigned event. TNotifyEvent (a component's plain event) comes
// with TComponent.

#include <functional>

#include "base/Component.h"
#include "base/Object.h"

namespace zerka {

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// A set of the Shift, Alt and Ctrl keys and the mouse buttons.
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 0x01;
inline constexpr TShiftState ssAlt = 0x02;
inline constexpr TShiftState ssCtrl = 0x04;
inline constexpr TShiftState ssLeft = 0x08;
inline constexpr TShiftState ssRight = 0x10;
inline constexpr TShiftState ssMiddle = 0x20;

// The plain event of an object that is not a component (a picture, a lightweight timer).
using TObjectEvent = std::function<void(TObject* Sender)>;
using TMouseEvent = std::function<void(TComponent* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TComponent* Sender, TShiftState Shift, int X, int Y)>;

}  // namespace zerka

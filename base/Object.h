#pragma once
// The root of every object that raises events: an event's Sender is a TObject, whether it is
// a component or a plain object such as a picture or a lightweight timer.

namespace zerka {

class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
};

}  // namespace zerka

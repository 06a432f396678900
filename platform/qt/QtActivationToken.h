#pragma once
// The activation token a desktop hands over with a user's action serves what that action
// brings up, and nothing after it:
//  [x] in the environment while the action is handled and a moment after, where Qt's xdg-shell
//      takes it (and drops it) when a window asks for the focus, and where a program launched
//      for the action inherits it
//  [x] gone once a launch took it along, after that moment, or when an action brings none;
//      the launcher's token at the program's start likewise

#include <QString>

namespace zerka::qt {

void OfferActivationToken(const QString& token);
// A program was launched: it has the token now, which serves no second launch.
void DropActivationToken();

}  // namespace zerka::qt

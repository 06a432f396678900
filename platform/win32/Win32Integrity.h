#pragma once
// Integrity levels: what a program of this user makes is open to this user's programs at
// medium integrity and above (an elevated one makes its objects reachable to a normal start,
// a sandboxed low one cannot make or change them), and the few messages a program of this user
// sends from a lower level are let through (UIPI would drop them).

#include <windows.h>

#include <string>

namespace zerka::win32 {

// The descriptor text of objects the user owns and alone may use, labelled medium integrity
// (no write from below).
std::wstring UserOnlyDescriptor(const std::string& sidText);

// The SID of the medium integrity level (S-1-16-8192), for boundaries.
const std::string& MediumLabelSid();

// Lets message reach window from processes of lower integrity. False where the system
// refuses; true where it has no such filter (before Vista).
bool LetThroughFromLowerIntegrity(HWND window, UINT message);

}  // namespace zerka::win32

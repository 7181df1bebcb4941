#pragma once
// How long a test waits for something that must happen. It only guards
// against a hang: a wait ends as soon as its condition holds, so a loaded
// machine waits longer instead of failing. Checks that something does NOT
// happen keep their own short windows.
inline constexpr int patienceMs = 60'000;

#pragma once
// Gives the C library's freed heap pages back to the system, so an app that
// has put away a window no longer holds what drawing it took.

namespace HeapRelease {
void returnFreedPages();
} // namespace HeapRelease

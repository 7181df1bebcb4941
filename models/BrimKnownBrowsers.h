#pragma once
// The browsers the links tool knows by name: the picker lists them first, in
// this order, and a stored choice names one by its identifier. Each comes
// with the desktop-file ids its native, Flatpak and Snap packages install,
// which the platform looks up. Header only, so the platform's workspace
// reads the same table without linking the models.

#include <QtGlobal>

#include <initializer_list>

struct BrimKnownBrowser {
    const char *identifier;
    // Marked for translation in the "BrimBrowser" context.
    const char *title;
    // Native package first, then Flatpak, then Snap.
    std::initializer_list<const char *> desktopIds;
};

// Debian's own browser comes first, where the platform's own browser would be.
inline const BrimKnownBrowser brimKnownBrowsers[] = {
    {"org.mozilla.firefox", QT_TRANSLATE_NOOP("BrimBrowser", "Firefox"),
     {"firefox", "firefox-esr", "org.mozilla.firefox", "firefox_firefox"}},
    {"com.google.Chrome", QT_TRANSLATE_NOOP("BrimBrowser", "Google Chrome"), {"google-chrome", "com.google.Chrome"}},
    {"org.chromium.Chromium", QT_TRANSLATE_NOOP("BrimBrowser", "Chromium"),
     {"chromium", "org.chromium.Chromium", "chromium_chromium"}},
    {"com.brave.Browser", QT_TRANSLATE_NOOP("BrimBrowser", "Brave"), {"brave-browser", "com.brave.Browser"}},
    {"com.microsoft.Edge", QT_TRANSLATE_NOOP("BrimBrowser", "Microsoft Edge"), {"microsoft-edge", "com.microsoft.Edge"}},
};

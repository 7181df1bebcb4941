#pragma once
// Chrome's profile list from its "Local State" file. Only profile.info_cache
// and each profile's "name" are read; anything else in the file is not
// relied on. Any doubt about the file gives no profiles at all.

#include "models/BrimWorkspace.h"

#include <QByteArray>
#include <QList>
#include <QString>

class ChromeLocalState {
public:
    ChromeLocalState() = delete;

    // Larger files are not read: the profile list is read on the UI thread.
    static constexpr qint64 maximumSize = 10'000'000;

    // "Default" and "Profile <digits>" directories in code-point order.
    static QList<BrimChromeProfile> profiles(const QByteArray &json);
    static QList<BrimChromeProfile> read(const QString &path);
};

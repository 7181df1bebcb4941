#pragma once
// The alarm list in one small JSON file. Every call goes to the file; nothing
// is cached. A file that cannot be read, is too large or was written by
// another format version is never overwritten. Every read and write takes the
// file's lock (BrimAlarmFileLock), shared with other processes.

#include "core/BrimAlarmFileLock.h"
#include "core/BrimAlarmStoring.h"

#include <QString>
#include <memory>

class FileBrimAlarmStore final : public BrimAlarmStoring {
public:
    // Larger files are refused unread.
    static constexpr qint64 maximumFileSize = 131072;

    // url is a local file path. Touches nothing on disk.
    explicit FileBrimAlarmStore(QString url) : m_url(std::move(url)) {}

    // $XDG_DATA_HOME/app.ostrel.brimkit/alarms.json, with XDG's default
    // ~/.local/share when the variable is unset, empty or relative.
    static QString defaultURL();

    const QString &url() const { return m_url; }

    Result<QList<BrimAlarm>, BrimAlarmStoreError> load() override;
    // Checks the existing file first, then replaces it atomically (temporary
    // file, fsync, rename, fsync of the folder), creating missing folders.
    Result<void, BrimAlarmStoreError> save(const QList<BrimAlarm> &alarms) override;
    // Under the exclusive lock from the load to the save; `inPlace` is called
    // right after the rename, before the folder's fsync.
    Result<QList<BrimAlarm>, BrimAlarmStoreError> update(const Change &change,
                                                         const std::function<void()> &inPlace = {}) override;

    // For a load, change and save that no other process may come between:
    // while the returned lock lives, this store's own calls go ahead under it.
    // Creates missing folders.
    using Hold = std::shared_ptr<BrimAlarmFileLock>;
    Result<Hold, BrimAlarmStoreError> holdExclusively();

protected:
    Result<void, BrimAlarmStoreError> save(const QList<BrimAlarm> &alarms, const std::function<void()> &inPlace) override;

private:
    Result<QList<BrimAlarm>, BrimAlarmStoreError> loadLocked() const;

    QString m_url;
    std::weak_ptr<BrimAlarmFileLock> m_held;
};

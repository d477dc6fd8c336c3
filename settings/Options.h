// The user's options, loaded once and kept by one object: the seven switches
// and the notification address of the options row, the whole-book watch's
// switch and interval. A change is stored the moment it is made; a change the
// store refuses does not happen, and the reason is given back. Every reader
// asks this object; the settings panel's boxes show it and write through it.
#pragma once
#include "store/Store.h"

#include <QObject>
#include <QString>
#include <array>
#include <optional>

// A stored switch counts as on when its text holds "是" anywhere.
bool storedIsOn(const QString& stored);
// What a toggle writes: exactly "是" or "否".
QString switchText(bool on);

// The watch's option names in the store and the intervals offered, in minutes.
inline const QString WatchOnOption = QStringLiteral("后台刷新");
inline const QString WatchIntervalOption = QStringLiteral("刷新间隔");
inline constexpr int WatchIntervals[] = {30, 60, 120, 240};
inline constexpr int DefaultWatchInterval = 60;
// The interval a stored option text names; the default for anything else.
int watchInterval(const QString& stored);
// 已签收 N 天后自动归档: the days, or "0" for off (the default).
inline const QString ArchiveOption = QStringLiteral("自动归档");
inline constexpr int ArchiveDaysOffered[] = {3, 7, 15, 30};

class Options : public QObject {
    Q_OBJECT
public:
    explicit Options(Store& store, QObject* parent = nullptr);

    // Reads every option; an option that cannot be read is off. A switch
    // found on is written again as "是" (its box, turned on, stores itself) by
    // storeLoaded(), which runs once the store's check has passed.
    void load();
    void storeLoaded();

    bool on(Switch s) const { return m_on[static_cast<int>(s)]; }
    bool watching() const { return m_watching; }
    int watchMinutes() const { return m_watchMinutes; }
    int archiveDays() const { return m_archiveDays; } // 0: signed parcels stay
    // Where the update mail goes: what the address box holds; known once the
    // options row was read or an address typed.
    QString address() const { return m_address; }
    bool addressKnown() const { return m_addressKnown; }

    // Each stores the change first; nothing when it was kept, else why not
    // (the value then stays as it was). changed() tells either way.
    std::optional<QString> set(Switch s, bool on);
    std::optional<QString> setWatching(bool on);
    std::optional<QString> setWatchMinutes(int minutes);
    std::optional<QString> setArchiveDays(int days);
    // The address as typed: the mail's recipient from now on, not stored.
    void setAddress(const QString& address);
    // Stores the notification address (empty: none).
    std::optional<QString> storeAddress(const QString& address);

signals:
    void changed();

private:
    std::optional<QString> refused();
    Store& m_store;
    std::array<bool, SwitchCount> m_on{};
    QList<Switch> m_loadedChanges; // stored texts to write again as "是"/"否"
    bool m_watching = false;
    int m_watchMinutes = DefaultWatchInterval;
    int m_archiveDays = 0;
    QString m_address;
    bool m_addressKnown = false;
};

#include "settings/Options.h"

#include <algorithm>
#include <utility>

bool storedIsOn(const QString& stored) {
    return stored.contains(QStringLiteral("是"));
}
QString switchText(bool on) {
    return on ? QStringLiteral("是") : QStringLiteral("否");
}

int watchInterval(const QString& stored) {
    bool ok = false;
    const int minutes = stored.trimmed().toInt(&ok);
    const bool offered = std::find(std::begin(WatchIntervals), std::end(WatchIntervals), minutes) !=
                         std::end(WatchIntervals);
    return ok && offered ? minutes : DefaultWatchInterval;
}

Options::Options(Store& store, QObject* parent) : QObject(parent), m_store(store) {}

void Options::load() {
    const auto read = m_store.settings();
    const std::optional<SettingsRow>& row = *read; // a failed read leaves every option off
    m_loadedChanges.clear();
    for (int i = 0; i < SwitchCount; ++i) {
        const Switch s = static_cast<Switch>(i);
        m_on[i] = row && storedIsOn((*row)[s]);
        // A box turned on by the loader stores its value, as a click would.
        if (m_on[i]) m_loadedChanges << s;
    }
    if (row) m_address = row->address;
    m_addressKnown = m_addressKnown || row.has_value();
    const auto on = m_store.watchOption(WatchOnOption);
    const auto interval = m_store.watchOption(WatchIntervalOption);
    m_watching = !on.failed() && *on && storedIsOn(**on);
    m_watchMinutes = watchInterval(!interval.failed() && *interval ? **interval : QString());
    const auto archive = m_store.watchOption(ArchiveOption);
    m_archiveDays = !archive.failed() && *archive ? qBound(0, (*archive)->toInt(), 3650) : 0;
    emit changed();
}

void Options::storeLoaded() {
    for (Switch s : std::exchange(m_loadedChanges, {}))
        m_store.setSwitch(s, switchText(on(s)));
}

std::optional<QString> Options::refused() {
    emit changed(); // whoever showed the change shows the value again
    return QStringLiteral("选项保存失败!快递数据库暂时无法写入,请稍后再试..");
}

std::optional<QString> Options::set(Switch s, bool on) {
    if (!m_store.setSwitch(s, switchText(on))) return refused();
    m_on[static_cast<int>(s)] = on;
    emit changed();
    return std::nullopt;
}

std::optional<QString> Options::setWatching(bool on) {
    if (!m_store.setWatchOption(WatchOnOption, switchText(on))) return refused();
    m_watching = on;
    emit changed();
    return std::nullopt;
}

std::optional<QString> Options::setWatchMinutes(int minutes) {
    minutes = watchInterval(QString::number(minutes));
    // The interval applies whether or not the store kept it.
    m_watchMinutes = minutes;
    if (!m_store.setWatchOption(WatchIntervalOption, QString::number(minutes))) return refused();
    emit changed();
    return std::nullopt;
}

std::optional<QString> Options::setArchiveDays(int days) {
    days = qBound(0, days, 3650);
    if (!m_store.setWatchOption(ArchiveOption, QString::number(days))) return refused();
    m_archiveDays = days;
    emit changed();
    return std::nullopt;
}

void Options::setAddress(const QString& address) {
    m_addressKnown = true;
    if (m_address == address) return;
    m_address = address;
    emit changed();
}

std::optional<QString> Options::storeAddress(const QString& address) {
    if (!m_store.setAddress(address))
        return QStringLiteral("邮箱保存失败!快递数据库暂时无法写入,请稍后再试..");
    return std::nullopt;
}

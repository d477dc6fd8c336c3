#include "settings/Options.h"

bool storedIsOn(const QString& stored) {
    return stored.contains(QStringLiteral("是"));
}
QString switchText(bool on) {
    return on ? QStringLiteral("是") : QStringLiteral("否");
}

void Options::set(Switch s, bool on) {
    bool& value = m_on[static_cast<int>(s)];
    if (value == on) return;
    value = on;
    emit changed();
}

void Options::setWatching(bool on) {
    if (m_watching == on) return;
    m_watching = on;
    emit changed();
}

void Options::setAddress(const QString& address) {
    if (m_address == address) return;
    m_address = address;
    emit changed();
}

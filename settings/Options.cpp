#include "settings/Options.h"

bool storedIsOn(const QString& stored) {
    return stored.contains(QStringLiteral("是"));
}
QString switchText(bool on) {
    return on ? QStringLiteral("是") : QStringLiteral("否");
}

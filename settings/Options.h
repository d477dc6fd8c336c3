#pragma once
#include <QString>

// A stored switch counts as on when its text holds "是" anywhere.
bool storedIsOn(const QString& stored);
// What a toggle writes: exactly "是" or "否".
QString switchText(bool on);

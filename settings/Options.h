// The user's options: the stored switches' texts, and the one value the
// program reads them from. The settings panel's boxes show the value; the
// toggles change it once the store kept the change.
#pragma once
#include "store/Store.h"

#include <QObject>
#include <QString>
#include <array>

// A stored switch counts as on when its text holds "是" anywhere.
bool storedIsOn(const QString& stored);
// What a toggle writes: exactly "是" or "否".
QString switchText(bool on);

class Options : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    bool on(Switch s) const { return m_on[static_cast<int>(s)]; }
    bool watching() const { return m_watching; }  // the whole-book watch
    QString address() const { return m_address; } // where the update mail goes
    // Each setter signals changed() when the value differs.
    void set(Switch s, bool on);
    void setWatching(bool on);
    void setAddress(const QString& address);

signals:
    void changed();

private:
    std::array<bool, SwitchCount> m_on{};
    bool m_watching = false;
    QString m_address;
};

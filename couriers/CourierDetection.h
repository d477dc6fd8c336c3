// Courier auto-detection: the auto-number service is asked which courier a
// number belongs to, and the answer's code is found in the directory. It
// touches no control; the add panel shows what it says.
#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <optional>

class Store;
class TrackingSource;

class CourierDetection {
public:
    explicit CourierDetection(Store& store) : m_store(store) {}
    void setSource(TrackingSource* source) { m_source = source; }
    // False without an account: nothing can be asked.
    bool ready() const;

    // What the company button says (and the status line, when it has
    // something to say) once the service answered about number; nothing when
    // a newer detection started meanwhile or stillAsked() says the number
    // changed: that one speaks instead. Without an account nothing is asked.
    // A number the service answered for this session is not asked again,
    // unless again says so.
    struct Said {
        std::optional<QString> caption; // nothing: the button keeps its caption
        QString status;
    };
    std::optional<Said> detect(const QString& number, const std::function<bool()>& stillAsked,
                               bool again = false);

    static const QString Detecting; // "正在检测快递", shown while the service is asked

private:
    Store& m_store;
    TrackingSource* m_source = nullptr;
    quint64 m_detection = 0;         // the newest detection; only it speaks
    QHash<QString, Said> m_answered; // by number: what the service's answer said
};

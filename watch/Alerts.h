// New progress told as the options say: the alert sound, and the update mail
// to the notification address, sent in the background. The window's query
// and the whole-book watch both tell news through it.
#pragma once

#include "watch/MailText.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

struct Announcement;
struct Endpoints;
struct Platform;
struct Reading;
class Options;

class Alerts : public QObject {
    Q_OBJECT
public:
    // soundFile: the alert sound (ts.mp3 in the program folder).
    Alerts(Platform& platform, const Endpoints& endpoints, const Options& options,
           const Announcement& notice, QString soundFile, QObject* parent = nullptr);

    // The sound when 语音提示 is on; mail() when 邮件通知 is on and an address set.
    void announce(const std::function<void()>& mail);
    // What the mail says of a parcel and its reading.
    MailFacts facts(const QString& label, const QString& number, const QString& company,
                    const Reading& read) const;
    // The update mail of these facts; done runs with nothing when it was sent,
    // else the reason. The announcement and the sending time are added here.
    void sendUpdateMail(MailFacts facts, std::function<void(std::optional<QString>)> done);

private:
    Platform& m_platform;
    const Endpoints& m_endpoints;
    const Options& m_options;
    const Announcement& m_notice;
    QString m_soundFile;
};

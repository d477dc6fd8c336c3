// Setting the computer's clock from a web server's HTTP Date header (时间校对):
// a probe that the network is there, then one reading set as the instant it
// names. It touches no control; its boxes go through the Dialogs seam.
#pragma once

#include <QString>

class Dialogs;
class Http;
class SystemClock;

class TimeCalibration {
public:
    TimeCalibration(Http& http, Dialogs& dialogs, SystemClock& clock, QString probePage,
                    QString timeSource);
    // Command3's click: the probe, then ctime(); every outcome said in a box.
    void run();
    void ctime();

private:
    Http& m_http;
    Dialogs& m_dialogs;
    SystemClock& m_clock;
    QString m_probe, m_source;
};

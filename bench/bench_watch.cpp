// The whole-book watch over a long day: a book of 1,000 parcels watched at the
// shortest interval (30 minutes) against the local gateway running as its own
// process, through 10 simulated hours of the window's clock (each simulated
// second one tick of the watch), against the same program with the watch
// off stepping through the same hours. Prints the CPU time the watch adds,
// as a share of one core over the simulated hours, and the resident memory
// hour by hour; asserts nothing.
#include "TestProgram.h"
#include "watch/BookWatch.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <cstdio>
#include <sys/resource.h>

namespace {
constexpr int Parcels = 1000;
const int Hours = qEnvironmentVariableIntValue("WATCH_HOURS") > 0
                      ? qEnvironmentVariableIntValue("WATCH_HOURS")
                      : 10;

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double rssMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toDouble() / 1024;
    return -1;
}

struct Day {
    double cpu = 0;
    int requests = 0;
    QList<double> rss; // after each simulated hour
};

Day simulate(const QString& gateway, bool watch) {
    TestProgram p;
    p.endpoints = Endpoints::atGateway(gateway);
    for (int i = 0; i < Parcels; ++i)
        p.addParcel(QStringLiteral("中通快递"), QString::number(433900000000LL + i * 13),
                    QStringLiteral("包裹%1").arg(i), QStringLiteral("0"));
    const QDateTime start(QDate(2026, 12, 8), QTime(8, 0));
    p.clock.fixed = start;
    if (!p.load()) qFatal("the program did not start");
    if (watch) {
        p.Combo5()->setCurrentText(QStringLiteral("30"));
        emit p.Combo5()->activated(0);
        p.Check9()->setChecked(true);
    }
    BookWatch* w = p.watch();
    int requests = 0;
    Day day;
    const double before = cpuSeconds();
    for (int hour = 1; hour <= Hours; ++hour) {
        for (int s = 0; s < 3600; ++s) {
            p.clock.fixed = start.addSecs((hour - 1) * 3600 + s);
            w->tick();
            if (w->asking()) ++requests;
            while (w->asking())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            QCoreApplication::processEvents();
        }
        day.rss << rssMb();
    }
    day.cpu = cpuSeconds() - before;
    day.requests = requests;
    return day;
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString gatewayExe =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../jianzongbao-gateway");
    QProcess gateway;
    gateway.start(gatewayExe, {QStringLiteral("--port"), QStringLiteral("17391")});
    if (!gateway.waitForStarted() || !gateway.waitForReadyRead(5000))
        qFatal("the local gateway did not start");
    const QString url = QStringLiteral("http://127.0.0.1:17391");

    std::printf("件踪宝 whole-book watch: %d parcels, 30-minute interval, %d simulated hours\n",
                Parcels, Hours);
    const Day off = simulate(url, false);
    const Day on = simulate(url, true);
    const double share = (on.cpu - off.cpu) / (Hours * 3600.0) * 100;
    std::printf("requests: %d (watch on), %d (off)\n", on.requests, off.requests);
    std::printf("CPU: %.2f s on, %.2f s off; the watch costs %.3f%% of one core over the day "
                "(goal < 1%%) %s\n",
                on.cpu, off.cpu, share, share < 1 ? "met" : "MISSED");
    std::printf("RSS MB by hour, on: ");
    for (double mb : on.rss)
        std::printf("%.1f ", mb);
    std::printf("\nRSS MB by hour, off:");
    for (double mb : off.rss)
        std::printf(" %.1f", mb);
    std::printf("\ngrowth from hour 1 to hour %d: %+.1f MB on, %+.1f MB off\n", Hours,
                on.rss.last() - on.rss.first(), off.rss.last() - off.rss.first());
    gateway.terminate();
    gateway.waitForFinished();
    return 0;
}

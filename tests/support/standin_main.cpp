// jianzongbao-standin --customer ID --key KEY: the enterprise API stand-in of
// the tests as a program, for trying the program against it by hand
// (JZB_POLL_URL, JZB_AUTO_URL). Every number is a parcel in transit, except
// numbers ending in 0000 (no result) and numbers starting with SF, which want
// the phone 5678.
#include "EnterpriseStandIn.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHttpServerRequest>
#include <cstdio>

namespace {
class Standin : public EnterpriseStandIn {
public:
    using EnterpriseStandIn::EnterpriseStandIn;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        const QString body = QString::fromUtf8(request.body());
        const qsizetype at = body.indexOf(QStringLiteral("%22num%22%3A%22"));
        if (at >= 0) {
            const qsizetype from = at + 15;
            const QString num = body.mid(from, body.indexOf(QStringLiteral("%22"), from) - from);
            Script s{Behaviour::Moving,
                     {{QStringLiteral("2026-12-08 09:12:00"),
                       QStringLiteral("【杭州转运中心】已发出,下一站【上海浦东】")},
                      {QStringLiteral("2026-12-07 18:40:00"), QStringLiteral("已揽收")}},
                     QStringLiteral("5678"),
                     0};
            if (num.endsWith(QStringLiteral("0000"))) s.behaviour = Behaviour::NoResult;
            if (num.startsWith(QStringLiteral("SF"))) s.behaviour = Behaviour::NeedsPhone;
            script(num, s);
        }
        return EnterpriseStandIn::handleRequest(request, socket);
    }
};
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser args;
    args.addOption(
        {QStringLiteral("customer"), QStringLiteral("Customer id."), QStringLiteral("id")});
    args.addOption({QStringLiteral("key"), QStringLiteral("Key."), QStringLiteral("key")});
    args.process(app);
    Standin standin(args.value(QStringLiteral("customer")), args.value(QStringLiteral("key")));
    if (!standin.listenLocal()) return 1;
    std::printf("JZB_POLL_URL=%s\nJZB_AUTO_URL=%s\n", qPrintable(standin.pollUrl()),
                qPrintable(standin.autoUrl()));
    std::fflush(stdout);
    return app.exec();
}

// jianzongbao-gateway [--port N] [--speed X]: the tests' and benchmarks'
// stand-in for the online services on 127.0.0.1 (tracking query, auto-number
// service, version and announcement files, time source). Its parcels are
// simulated; it carries no account and asks no real service.
#include "gateway/Gateway.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser args;
    args.addHelpOption();
    args.addOption({QStringLiteral("port"), QStringLiteral("Port on 127.0.0.1 (0: any)."),
                    QStringLiteral("port"), QStringLiteral("17100")});
    args.addOption({QStringLiteral("speed"),
                    QStringLiteral("How many times faster simulated parcels move than real time."),
                    QStringLiteral("speed"), QStringLiteral("1")});
    args.process(app);

    Gateway gateway;
    gateway.setSpeed(args.value(QStringLiteral("speed")).toDouble());
    if (!gateway.listenLocal(quint16(args.value(QStringLiteral("port")).toUInt()))) {
        std::fprintf(stderr, "jianzongbao-gateway: cannot listen on 127.0.0.1:%s\n",
                     qPrintable(args.value(QStringLiteral("port"))));
        return 1;
    }
    std::printf("jianzongbao-gateway (simulated parcels, for tests) listening at %s\n",
                qPrintable(gateway.baseUrl()));
    std::fflush(stdout);
    return app.exec();
}

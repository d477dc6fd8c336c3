// jianzongbao-gateway [--port N] [--speed X] [--customer ID --key KEY]
//                     [--config FILE]: serves the tracking query, the
// auto-number service, the version and announcement files and the time
// source on 127.0.0.1. With an enterprise account of the tracking service
// (the options, JZB_CUSTOMER and JZB_KEY, or gateway.conf) it tracks real
// parcels (live mode); without one it simulates them.
#include "gateway/Gateway.h"
#include "gateway/Live.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser args;
    args.addHelpOption();
    args.addOption({QStringLiteral("port"), QStringLiteral("Port on 127.0.0.1 (0: any)."),
                    QStringLiteral("port"), QStringLiteral("17100")});
    args.addOption({QStringLiteral("speed"),
                    QStringLiteral("How many times faster simulated parcels move than real time."),
                    QStringLiteral("speed"), QStringLiteral("1")});
    args.addOption({QStringLiteral("customer"),
                    QStringLiteral("Customer id of the tracking service's enterprise account."),
                    QStringLiteral("id")});
    args.addOption(
        {QStringLiteral("key"), QStringLiteral("Key of that account."), QStringLiteral("key")});
    args.addOption({QStringLiteral("config"),
                    QStringLiteral("The account and the phones per number (default: gateway.conf "
                                   "beside this program)."),
                    QStringLiteral("file")});
    args.addOption({QStringLiteral("poll-url"),
                    QStringLiteral("The real-time query's address (for a stand-in)."),
                    QStringLiteral("url")});
    args.addOption({QStringLiteral("auto-url"),
                    QStringLiteral("The auto-number service's address (for a stand-in)."),
                    QStringLiteral("url")});
    args.process(app);

    // The file first, then the environment, then the command line.
    const QString confPath =
        args.isSet(QStringLiteral("config"))
            ? args.value(QStringLiteral("config"))
            : QCoreApplication::applicationDirPath() + QStringLiteral("/gateway.conf");
    QFile conf(confPath);
    LiveAccount account = conf.open(QIODevice::ReadOnly)
                              ? parseGatewayConf(QString::fromUtf8(conf.readAll()))
                              : LiveAccount{};
    if (qEnvironmentVariableIsSet("JZB_CUSTOMER"))
        account.customer = qEnvironmentVariable("JZB_CUSTOMER");
    if (qEnvironmentVariableIsSet("JZB_KEY")) account.key = qEnvironmentVariable("JZB_KEY");
    if (args.isSet(QStringLiteral("customer")))
        account.customer = args.value(QStringLiteral("customer"));
    if (args.isSet(QStringLiteral("key"))) account.key = args.value(QStringLiteral("key"));
    if (account.customer.isEmpty() != account.key.isEmpty()) {
        std::fprintf(stderr, "jianzongbao-gateway: live mode needs both the customer id and the "
                             "key; simulating parcels instead\n");
    }

    Gateway gateway;
    gateway.setSpeed(args.value(QStringLiteral("speed")).toDouble());
    std::unique_ptr<LiveService> live;
    if (account.complete()) {
        LiveEndpoints endpoints;
        // A stand-in of the service may take its place (JZB_POLL_URL and
        // JZB_AUTO_URL, or the options).
        if (qEnvironmentVariableIsSet("JZB_POLL_URL"))
            endpoints.poll = qEnvironmentVariable("JZB_POLL_URL");
        if (qEnvironmentVariableIsSet("JZB_AUTO_URL"))
            endpoints.autoNumber = qEnvironmentVariable("JZB_AUTO_URL");
        if (args.isSet(QStringLiteral("poll-url")))
            endpoints.poll = args.value(QStringLiteral("poll-url"));
        if (args.isSet(QStringLiteral("auto-url")))
            endpoints.autoNumber = args.value(QStringLiteral("auto-url"));
        live = std::make_unique<LiveService>(account, endpoints);
        gateway.setLive(live.get());
    }
    if (!gateway.listenLocal(quint16(args.value(QStringLiteral("port")).toUInt()))) {
        std::fprintf(stderr, "jianzongbao-gateway: cannot listen on 127.0.0.1:%s\n",
                     qPrintable(args.value(QStringLiteral("port"))));
        return 1;
    }
    if (live)
        std::printf("jianzongbao-gateway live mode (customer %s, %d numbers with a phone) "
                    "listening at %s\n",
                    qPrintable(account.customer), int(account.phones.size()),
                    qPrintable(gateway.baseUrl()));
    else
        std::printf("jianzongbao-gateway listening at %s\n", qPrintable(gateway.baseUrl()));
    std::fflush(stdout);
    return app.exec();
}

// 件踪宝: builds the real platform and the window, and runs it.
#include "app/Form1.h"
#include "platform/Endpoints.h"
#include "platform/Messages.h"
#include "platform/Modules.h"
#include "platform/RealPlatform.h"
#include "services/Version.h"
#include "settings/Autostart.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QScreen>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTranslator>
#include <QUrl>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
// Ending the session (SIGTERM) or Ctrl-C in a terminal (SIGINT) quits the
// program as closing it does: the event loop ends, the book is closed and
// its lock removed. Before that loop runs, or while a box waits for an
// answer (a start-up message among them), the program ends at once, its lock
// given back. The handler only writes to a pipe the loops watch.
int quitPipe[2] = {-1, -1};
bool looping = false; // the event loop of app.exec() runs

void askToQuit(int) {
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(quitPipe[1], &byte, 1);
}

void quitOnSignals(QApplication& app, Form1& form) {
    if (::pipe(quitPipe) != 0) return;
    auto* notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&form] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(quitPipe[0], &byte, 1);
        if (looping && !QApplication::activeModalWidget())
            QApplication::quit();
        else
            form.endNow();
    });
    struct sigaction action {};
    action.sa_handler = askToQuit;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

QtMessageHandler toolkitHandler = nullptr;
bool noSoundSaid = false;

void printMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    switch (messageFate(context.category, text, noSoundSaid)) {
    case MessageFate::Print:
        toolkitHandler(type, context, text);
        break;
    case MessageFate::SayNoSound:
        noSoundSaid = true;
        std::fprintf(stderr, "%s\n", NoSoundLine);
        break;
    case MessageFate::Drop:
        break;
    }
}
} // namespace

int main(int argc, char** argv) {
    toolkitHandler = qInstallMessageHandler(printMessage);
    // The GStreamer media backend plays mp3 and falls back to silence on a
    // machine without a sound card.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "gstreamer");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jianzongbao"));
    QApplication::setApplicationVersion(ProgramVersion);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));

    // Message boxes and the save dialog speak Chinese whatever the locale.
    QTranslator qtChinese;
    if (qtChinese.load(QStringLiteral("qtbase_zh_CN"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtChinese);

    RealDialogs dialogs;
    ModuleHttp http(QApplication::applicationDirPath());
    ModuleMailer mailer(QApplication::applicationDirPath());
    ModuleSound sound(QApplication::applicationDirPath());
    RealShell shell;
    RealClock clock;
    Platform platform{dialogs, http, mailer, sound, shell, clock};
    // The user's own settings: the tracking account, and the mail relay
    // (mail.conf there, or beside the program as earlier versions kept it);
    // the user's own data: the book and its backups.
    const QString folder = QApplication::applicationDirPath();
    const QString configRoot =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString config = configRoot + QStringLiteral("/jianzongbao");
    const QString mailConf = QFileInfo::exists(config + QStringLiteral("/mail.conf"))
                                 ? config + QStringLiteral("/mail.conf")
                                 : folder + QStringLiteral("/mail.conf");
    Endpoints endpoints = Endpoints::fromEnvironment(
        [](const char* name) { return qEnvironmentVariable(name); }, mailConf);
    endpoints.configFolder = config;
    endpoints.autostartFolder = configRoot + QStringLiteral("/autostart");
    endpoints.dataFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/jianzongbao");
    endpoints.demo = endpoints.demo || QApplication::arguments().contains(QStringLiteral("--demo"));
    // The site links open the help page installed with the program.
    const QString help = QUrl::fromLocalFile(folder + QStringLiteral("/help.html")).toString();
    if (endpoints.site.isEmpty()) endpoints.site = help;
    if (endpoints.promotion.isEmpty()) endpoints.promotion = help + QStringLiteral("#mail");

    Form1 form(platform, endpoints, folder);
    quitOnSignals(app, form);
    if (!form.Form_Load()) return 1;
    if (QScreen* screen = QApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());
    form.showAtStart(QApplication::arguments().contains(AutostartArgument));
    looping = true;
    return app.exec();
}

// Start-up and memory of the program against two baselines: the floor (the
// same widget tree and skin with no logic, floor_window) and a bare Qt window
// of the same size and font, all started alternately under the current X
// display (run it under xvfb-run) with the local gateway running: the time
// from exec to the MapNotify of a window whose _NET_WM_PID is the child's,
// the CPU the process had used by then, and the resident memory 5 s after
// start, for books of 0, 1,000, 10,000 and 100,000 parcels, each on the day's
// first start (the backup made) and on a later one. Prints medians and
// ratios; asserts nothing.
//
//   [START_BOOKS="0 1000"] bench_start BUILD_DIR [RUNS]
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {
using Clock = std::chrono::steady_clock;

struct Run {
    double ms = -1;
    double cpuMs = -1; // user and system time at the map
    double rssMb = -1;
};

double cpuMs(pid_t pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray stat = f.readAll();
    // The fields after the command's closing parenthesis; utime and stime
    // are the 14th and 15th of the line.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) return -1;
    return (fields[11].toDouble() + fields[12].toDouble()) * 1000.0 / sysconf(_SC_CLK_TCK);
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : XCB_NONE;
    free(r);
    return a;
}

pid_t windowPid(xcb_connection_t* c, xcb_window_t w, xcb_atom_t pidAtom) {
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    pid_t pid = 0;
    if (r && xcb_get_property_value_length(r) == 4)
        pid = pid_t(*static_cast<uint32_t*>(xcb_get_property_value(r)));
    free(r);
    return pid;
}

double rssMb(pid_t pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toDouble() / 1024;
    return -1;
}

// Starts the program and waits for its window to be mapped, then for 5 s.
Run measure(xcb_connection_t* c, const QString& exe, const QStringList& env) {
    const xcb_atom_t pidAtom = atom(c, "_NET_WM_PID");
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        for (const QString& e : env)
            putenv(strdup(e.toLocal8Bit().constData()));
        const QByteArray path = exe.toLocal8Bit();
        execl(path.constData(), path.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    Run run;
    while (run.ms < 0 && Clock::now() - start < std::chrono::seconds(20)) {
        xcb_generic_event_t* e = xcb_poll_for_event(c);
        if (!e) {
            usleep(200);
            continue;
        }
        if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
            if (windowPid(c, map->window, pidAtom) == child) {
                run.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                run.cpuMs = cpuMs(child);
            }
        }
        free(e);
    }
    std::this_thread::sleep_until(start + std::chrono::seconds(5));
    run.rssMb = rssMb(child);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    return run;
}

struct Stats {
    double min, median, max;
};
Stats stats(QList<double> v) {
    std::sort(v.begin(), v.end());
    return {v.first(), v[v.size() / 2], v.last()};
}

// A program folder of its own with a book of this many parcels.
void makeFolder(const QString& build, const QString& dir, int parcels) {
    QDir().mkpath(dir + QStringLiteral("/db"));
    QFile::copy(build + QStringLiteral("/jianzongbao"), dir + QStringLiteral("/jianzongbao"));
    QFile::copy(build + QStringLiteral("/skinh.she"), dir + QStringLiteral("/skinh.she"));
    for (const char* module :
         {"/jianzongbao-sound.so", "/jianzongbao-mail.so", "/jianzongbao-http.so"})
        QFile::copy(build + QLatin1String(module), dir + QLatin1String(module));
    QFile::copy(build + QStringLiteral("/ts.mp3"), dir + QStringLiteral("/ts.mp3"));
    QFile::copy(build + QStringLiteral("/db/kd100.db"), dir + QStringLiteral("/db/kd100.db"));
    QFile::setPermissions(dir + QStringLiteral("/db/kd100.db"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QStringList goods = {"爸爸衣服",   "妈妈的鞋子", "手机壳",     "茶叶",
                               "书",         "儿童玩具",   "笔记本电脑", "耳机",
                               "零食大礼包", "床上四件套", "洗发水",     "口红"};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), dir);
        db.setDatabaseName(dir + QStringLiteral("/db/kd100.db"));
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("BEGIN"));
        q.prepare(
            QStringLiteral("INSERT INTO kd100 (company, number, goods, num) VALUES (?, ?, ?, 0)"));
        for (int i = 0; i < parcels; ++i) {
            q.addBindValue(QStringLiteral("顺丰快递"));
            q.addBindValue(QString::number(7730000000000LL + i * 7));
            q.addBindValue(goods[i % goods.size()] + (i % 3 ? QString::number(i / 12) : QString()));
            q.exec();
        }
        q.exec(QStringLiteral("COMMIT"));
        db.close();
    }
    QSqlDatabase::removeDatabase(dir);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_start BUILD_DIR [RUNS]\n");
        return 2;
    }
    const QString build = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? atoi(argv[2]) : 20;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X display (run under xvfb-run)\n");
        return 2;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    // The local gateway the program talks to.
    const pid_t gateway = fork();
    if (gateway == 0) {
        const QByteArray gw = (build + QStringLiteral("/jianzongbao-gateway")).toLocal8Bit();
        execl(gw.constData(), gw.constData(), "--port", "17390", static_cast<char*>(nullptr));
        _exit(127);
    }
    QThread::msleep(800);
    const QStringList env = {QStringLiteral("JZB_GATEWAY=http://127.0.0.1:17390"),
                             QStringLiteral("ASAN_OPTIONS=detect_leaks=0")};

    QTemporaryDir dir;
    // The floor's tree, written by the program's own layout.
    const QString tree = dir.filePath(QStringLiteral("tree.json"));
    if (QProcess::execute(build + QStringLiteral("/bench/tree_dump"), {tree}) != 0) {
        std::fprintf(stderr, "tree_dump failed\n");
        return 1;
    }
    QStringList floorEnv = env;
    floorEnv << QStringLiteral("JZB_FLOOR_TREE=") + tree
             << QStringLiteral("JZB_FLOOR_SKIN=") + build + QStringLiteral("/skinh.she");
    // START_BEFORE=BUILD_DIR measures that build's program too, on the same
    // books: the change's before and after in one run.
    const QString before = qEnvironmentVariable("START_BEFORE");
    std::printf("件踪宝 start-up under X, %d runs each, alternating with the floor (the same "
                "widgets and skin, no logic) and a bare Qt window; medians of the time to the "
                "window's map, the CPU used by then, and RSS at 5 s\n",
                runs);
    std::printf("%-7s %-6s %-8s | %7s %7s %7s | %-18s | %-18s\n", "book", "start", "", "ms",
                "cpu ms", "RSS MB", "÷floor ms/cpu/RSS", "÷bare ms/cpu/RSS");
    double emptyStart[2] = {0, 0};
    // START_BOOKS="0 100000" measures only those books.
    QList<int> books = {0, 1000, 10000, 100000};
    if (qEnvironmentVariableIsSet("START_BOOKS")) {
        books.clear();
        for (const QString& n : qEnvironmentVariable("START_BOOKS").split(' ', Qt::SkipEmptyParts))
            books << n.toInt();
    }
    for (int parcels : books) {
        const QString folder = dir.filePath(QString::number(parcels));
        makeFolder(build, folder, parcels);
        struct Contender {
            const char* name;
            QString exe, folder;
            QStringList env;
        };
        QList<Contender> all = {
            {"program", folder + QStringLiteral("/jianzongbao"), folder, env},
            {"floor", build + QStringLiteral("/bench/floor_window"), QString(), floorEnv},
            {"bare", build + QStringLiteral("/bench/bare_window"), QString(), env}};
        if (!before.isEmpty()) {
            const QString old = folder + QStringLiteral("-before");
            makeFolder(build, old, parcels);
            for (const char* f : {"/jianzongbao", "/jianzongbao-sound.so", "/jianzongbao-mail.so",
                                  "/jianzongbao-http.so"}) {
                QFile::remove(old + QLatin1String(f));
                QFile::copy(before + QLatin1String(f), old + QLatin1String(f));
            }
            all << Contender{"before", old + QStringLiteral("/jianzongbao"), old, env};
        }
        for (int later = 0; later < 2; ++later) {
            QList<QList<double>> v(all.size() * 3); // [contender * 3 + ms, cpu, rss]
            for (int i = 0; i < runs; ++i)
                for (qsizetype k = 0; k < all.size(); ++k) {
                    // The day's first start makes the backup; a later one finds it.
                    if (!later && !all[k].folder.isEmpty())
                        QDir(all[k].folder + QStringLiteral("/db/backup")).removeRecursively();
                    const Run r = measure(c, all[k].exe, all[k].env);
                    v[k * 3] << r.ms;
                    v[k * 3 + 1] << r.cpuMs;
                    v[k * 3 + 2] << r.rssMb;
                }
            QList<double> m;
            for (const QList<double>& values : v)
                m << stats(values).median;
            for (qsizetype k = 0; k < all.size(); ++k)
                std::printf("%-7d %-6s %-8s | %7.0f %7.0f %7.1f | %4.2f %4.2f %4.2fx    | %4.2f "
                            "%4.2f %4.2fx\n",
                            parcels, later ? "later" : "first", all[k].name, m[k * 3], m[k * 3 + 1],
                            m[k * 3 + 2], m[k * 3] / m[3], m[k * 3 + 1] / m[4], m[k * 3 + 2] / m[5],
                            m[k * 3] / m[6], m[k * 3 + 1] / m[7], m[k * 3 + 2] / m[8]);
            if (parcels == 0)
                emptyStart[later] = m[0];
            else
                std::printf("        the program against the empty book (%s start): %+.0f ms\n",
                            later ? "later" : "first", m[0] - emptyStart[later]);
            std::fflush(stdout);
        }
    }
    kill(gateway, SIGTERM);
    waitpid(gateway, nullptr, 0);
    xcb_disconnect(c);
    return 0;
}

// Start-up and memory of the program as a user meets it, against two
// baselines: the floor (the same widget tree and skin with no logic,
// floor_window) and a bare Qt window of the same size and font.
//
// The program is installed as `make run` installs it (scripts/install.sh into
// a folder of its own), its book in XDG_DATA_HOME and its settings in
// XDG_CONFIG_HOME (both temporary), and started alone: no account, no
// gateway, no service within reach. Under the current X display (run it under
// xvfb-run) the bench starts the contenders in turn, each round in another
// order, and takes for each start the time from exec to the MapNotify of a
// window whose _NET_WM_PID is the child's, the CPU the process had used when
// that MapNotify arrived (utime + stime of /proc/PID/stat, in 10 ms ticks,
// and the scheduler's nanoseconds of all its threads), and the resident
// memory some seconds after the start. Each book is started as on the day's
// first start (no backup of today: the program makes one) and as on a later
// one. Prints medians, their spread and the ratios; asserts nothing.
//
//   [START_BOOKS="0 100000"] [START_BEFORE=BUILD_DIR] [START_RSS_AFTER=5]
//       bench_start BUILD_DIR [RUNS]
//
// START_BEFORE measures that build's program too, installed the same way from
// its own source tree, in the same rounds: a change's before and after in one
// run.
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;

struct Run {
    double ms = -1;
    double cpuMs = -1;   // utime + stime at the map, in whole ticks
    double cpuNsMs = -1; // the threads' scheduled time at the map
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
    return (fields[11].toDouble() + fields[12].toDouble()) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// The first field of each thread's schedstat: nanoseconds on a CPU.
double cpuNsMs(pid_t pid) {
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    double ns = 0;
    bool any = false;
    for (const QString& t : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks + '/' + t + QStringLiteral("/schedstat"));
        if (!f.open(QIODevice::ReadOnly)) continue;
        ns += f.readAll().split(' ').value(0).toDouble();
        any = true;
    }
    return any ? ns / 1e6 : -1;
}

double rssMb(pid_t pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toDouble() / 1024;
    return -1;
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

// The environment a contender starts with: the bench's own without the
// program's variables (no gateway, no demo, no test hook) and without a
// platform other than X, plus its own.
std::vector<QByteArray> environmentWith(const QStringList& own) {
    std::vector<QByteArray> env;
    for (char** e = environ; *e; ++e) {
        const QByteArray v(*e);
        if (v.startsWith("JZB_") || v.startsWith("QT_QPA_PLATFORM=") ||
            v.startsWith("XDG_DATA_HOME=") || v.startsWith("XDG_CONFIG_HOME=") ||
            v.startsWith("XDG_RUNTIME_DIR="))
            continue;
        env.push_back(v);
    }
    for (const QString& v : own)
        env.push_back(v.toLocal8Bit());
    return env;
}

// Starts exe, waits for its window to be mapped (reading its CPU at once),
// then until rssAfter has passed since the start, and ends it.
Run measure(xcb_connection_t* c, xcb_atom_t pidAtom, const QString& exe,
            const std::vector<QByteArray>& env, std::chrono::seconds rssAfter) {
    const QByteArray path = exe.toLocal8Bit();
    std::vector<char*> envp;
    for (const QByteArray& v : env)
        envp.push_back(const_cast<char*>(v.constData()));
    envp.push_back(nullptr);
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execle(path.constData(), path.constData(), static_cast<char*>(nullptr), envp.data());
        _exit(127);
    }
    Run run;
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (run.ms < 0 && Clock::now() - start < std::chrono::seconds(20)) {
        xcb_generic_event_t* e = xcb_poll_for_event(c);
        if (!e) {
            ::poll(&fd, 1, 100); // asleep until the server says something
            continue;
        }
        if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            // Read before asking whose window it is: the child runs on
            // during that round trip.
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            const double cpu = cpuMs(child), ns = cpuNsMs(child);
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
            if (windowPid(c, map->window, pidAtom) == child) {
                run.ms = ms;
                run.cpuMs = cpu;
                run.cpuNsMs = ns;
            }
        }
        free(e);
    }
    std::this_thread::sleep_until(start + rssAfter);
    run.rssMb = rssMb(child);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    // MapNotify events of windows mapped after the one measured.
    while (xcb_generic_event_t* e = xcb_poll_for_event(c))
        free(e);
    return run;
}

struct Stats {
    double low, median, high; // the quartiles
    double mean;
};
Stats stats(QList<double> v) {
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    double sum = 0;
    for (double x : v)
        sum += x;
    return {v[n / 4], v[n / 2], v[(3 * n) / 4], sum / double(n)};
}

// The source tree a build was configured from.
QString sourceOf(const QString& build) {
    QFile cache(build + QStringLiteral("/CMakeCache.txt"));
    if (!cache.open(QIODevice::ReadOnly)) return QString();
    for (const QByteArray& line : cache.readAll().split('\n'))
        if (line.startsWith("CMAKE_HOME_DIRECTORY:INTERNAL="))
            return QString::fromLocal8Bit(line.mid(int(strlen("CMAKE_HOME_DIRECTORY:INTERNAL="))));
    return QString();
}

// Installs a build's program as `make run` does, into prefix; its menu entry
// goes to a data folder of its own.
bool install(const QString& build, const QString& prefix, const QString& menuData) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), menuData);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("bash"),
            {sourceOf(build) + QStringLiteral("/scripts/install.sh"), build, prefix});
    p.waitForFinished(60000);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The user's book in dataHome, made from the build's seed, with this many
// parcels.
bool makeBook(const QString& build, const QString& dataHome, int parcels) {
    const QString folder = dataHome + QStringLiteral("/jianzongbao/db");
    const QString path = folder + QStringLiteral("/kd100.db");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!QFile::copy(build + QStringLiteral("/db/kd100.db"), path)) return false;
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QStringList goods = {"爸爸衣服",   "妈妈的鞋子", "手机壳",     "茶叶",
                               "书",         "儿童玩具",   "笔记本电脑", "耳机",
                               "零食大礼包", "床上四件套", "洗发水",     "口红"};
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), path);
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        ok = ok && q.exec(QStringLiteral("BEGIN"));
        ok = ok && q.prepare(QStringLiteral(
                       "INSERT INTO kd100 (company, number, goods, num) VALUES (?, ?, ?, 0)"));
        for (int i = 0; ok && i < parcels; ++i) {
            q.addBindValue(QStringLiteral("顺丰快递"));
            q.addBindValue(QString::number(7730000000000LL + i * 7));
            q.addBindValue(goods[i % goods.size()] + (i % 3 ? QString::number(i / 12) : QString()));
            ok = q.exec();
        }
        ok = ok && q.exec(QStringLiteral("COMMIT"));
        db.close();
    }
    QSqlDatabase::removeDatabase(path);
    return ok;
}

struct Contender {
    QString name; // program, before, floor, bare
    int book = -1;
    QString exe;
    QString dataHome; // the program's XDG_DATA_HOME; empty for the baselines
    std::vector<QByteArray> env;
};

// The day's first start finds no backup of today; a later one finds it.
void setUpStart(const Contender& k, bool later) {
    if (k.dataHome.isEmpty() || later) return;
    QFile::remove(k.dataHome + QStringLiteral("/jianzongbao/db/backup/kd100-") +
                  QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                  QStringLiteral(".db"));
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_start BUILD_DIR [RUNS]\n");
        return 2;
    }
    const QString build = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const int runs = std::max(1, argc > 2 ? atoi(argv[2]) : 20);
    const std::chrono::seconds rssAfter(qEnvironmentVariableIsSet("START_RSS_AFTER")
                                            ? qEnvironmentVariableIntValue("START_RSS_AFTER")
                                            : 5);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X display (run under xvfb-run)\n");
        return 2;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    const xcb_atom_t pidAtom = atom(c, "_NET_WM_PID");

    QTemporaryDir dir;
    const QString runtime = dir.filePath(QStringLiteral("runtime"));
    const QString config = dir.filePath(QStringLiteral("config"));
    QDir().mkpath(runtime);
    QDir().mkpath(config);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QStringList common = {QStringLiteral("XDG_RUNTIME_DIR=") + runtime,
                                QStringLiteral("XDG_CONFIG_HOME=") + config};

    // The floor's tree, written by the program's own layout.
    const QString tree = dir.filePath(QStringLiteral("tree.json"));
    QProcess dump;
    QProcessEnvironment dumpEnv = QProcessEnvironment::systemEnvironment();
    dumpEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    dump.setProcessEnvironment(dumpEnv);
    dump.setProcessChannelMode(QProcess::ForwardedChannels);
    dump.start(build + QStringLiteral("/bench/tree_dump"), {tree});
    if (!dump.waitForFinished(60000) || dump.exitStatus() != QProcess::NormalExit ||
        dump.exitCode() != 0) {
        std::fprintf(stderr, "tree_dump failed\n");
        return 1;
    }
    QList<int> books = {0, 100000};
    if (qEnvironmentVariableIsSet("START_BOOKS")) {
        books.clear();
        for (const QString& n : qEnvironmentVariable("START_BOOKS").split(' ', Qt::SkipEmptyParts))
            books << n.toInt();
    }
    QList<std::pair<QString, QString>> programs = {{QStringLiteral("program"), build}};
    if (qEnvironmentVariableIsSet("START_BEFORE"))
        programs.append(
            {QStringLiteral("before"), QDir(qEnvironmentVariable("START_BEFORE")).absolutePath()});

    QList<Contender> all;
    for (const auto& [name, from] : programs) {
        const QString prefix = dir.filePath(name + QStringLiteral("/lib/jianzongbao"));
        if (!install(from, prefix, dir.filePath(name + QStringLiteral("/menu")))) {
            std::fprintf(stderr, "installing %s failed\n", qPrintable(from));
            return 1;
        }
        for (int parcels : books) {
            const QString data = dir.filePath(name + QStringLiteral("/share-%1").arg(parcels));
            if (!makeBook(from, data, parcels)) {
                std::fprintf(stderr, "the book of %d parcels could not be made\n", parcels);
                return 1;
            }
            QStringList own = common;
            own << QStringLiteral("XDG_DATA_HOME=") + data;
            all << Contender{name, parcels, prefix + QStringLiteral("/jianzongbao"), data,
                             environmentWith(own)};
        }
    }
    QStringList floorEnv = common;
    floorEnv << QStringLiteral("JZB_FLOOR_TREE=") + tree
             << QStringLiteral("JZB_FLOOR_SKIN=") + build + QStringLiteral("/skinh.she");
    const qsizetype floorAt = all.size();
    all << Contender{QStringLiteral("floor"), -1, build + QStringLiteral("/bench/floor_window"),
                     QString(), environmentWith(floorEnv)};
    const qsizetype bareAt = all.size();
    all << Contender{QStringLiteral("bare"), -1, build + QStringLiteral("/bench/bare_window"),
                     QString(), environmentWith(common)};

    std::printf("件踪宝 installed as make run installs it, started alone (no account, no service), "
                "under X; %d rounds, each starting every contender in a rotated order, the day's "
                "first start and a later one. The time from exec to the window's MapNotify, median "
                "[quartiles]; the CPU used when that MapNotify arrived: utime+stime of "
                "/proc/PID/stat (10 ms ticks, so their mean) and the scheduler's time of all "
                "threads (median [quartiles]); RSS at %lld s, median\n",
                runs, static_cast<long long>(rssAfter.count()));
    // A first round not counted: the books get what a first start of this
    // version adds, and the disk cache holds the programs.
    for (const Contender& k : all) {
        setUpStart(k, false);
        measure(c, pidAtom, k.exe, k.env, std::chrono::seconds(2));
    }
    // [later][contender] -> the runs
    QList<QList<Run>> done[2] = {QList<QList<Run>>(all.size()), QList<QList<Run>>(all.size())};
    for (int i = 0; i < runs; ++i)
        for (int later = 0; later < 2; ++later)
            for (qsizetype j = 0; j < all.size(); ++j) {
                const qsizetype k = (j + i) % all.size();
                setUpStart(all[k], later);
                done[later][k] << measure(c, pidAtom, all[k].exe, all[k].env, rssAfter);
            }

    const auto of = [&](int later, qsizetype k, double Run::*field) {
        QList<double> v;
        for (const Run& r : done[later][k])
            v << r.*field;
        return stats(v);
    };
    std::printf("%-6s %-7s %-8s | %-16s %-9s %-16s %-6s | %-22s | %s\n", "start", "book", "",
                "ms to map", "cpu stat", "cpu sched ms", "RSS MB", "÷floor ms/stat/sched/RSS",
                "÷bare ms/sched/RSS");
    for (int later = 0; later < 2; ++later) {
        const Stats floorMs = of(later, floorAt, &Run::ms),
                    floorCpu = of(later, floorAt, &Run::cpuMs),
                    floorNs = of(later, floorAt, &Run::cpuNsMs),
                    floorRss = of(later, floorAt, &Run::rssMb);
        const Stats bareMs = of(later, bareAt, &Run::ms), bareNs = of(later, bareAt, &Run::cpuNsMs),
                    bareRss = of(later, bareAt, &Run::rssMb);
        for (qsizetype k = 0; k < all.size(); ++k) {
            const Stats ms = of(later, k, &Run::ms), cpu = of(later, k, &Run::cpuMs),
                        ns = of(later, k, &Run::cpuNsMs), rss = of(later, k, &Run::rssMb);
            const QString book = all[k].book < 0 ? QString() : QString::number(all[k].book);
            std::printf("%-6s %-7s %-8s | %4.0f [%4.0f-%4.0f] | %6.1f    | %4.1f [%4.1f-%4.1f] | "
                        "%6.1f | %4.2f %4.2f %4.2f %4.2fx | %4.2f %4.2f %4.2fx\n",
                        later ? "later" : "first", qPrintable(book), qPrintable(all[k].name),
                        ms.median, ms.low, ms.high, cpu.mean, ns.median, ns.low, ns.high,
                        rss.median, ms.median / floorMs.median, cpu.mean / floorCpu.mean,
                        ns.median / floorNs.median, rss.median / floorRss.median,
                        ms.median / bareMs.median, ns.median / bareNs.median,
                        rss.median / bareRss.median);
        }
        // Each start's CPU at the map against the floor's of the same round,
        // which ran under the same load.
        for (qsizetype k = 0; k < floorAt; ++k) {
            QList<double> ratios;
            for (qsizetype i = 0; i < done[later][k].size(); ++i)
                ratios << done[later][k][i].cpuNsMs / done[later][floorAt][i].cpuNsMs;
            const Stats r = stats(ratios);
            std::printf("  %s, %d parcels, %s start: CPU at map ÷ the same round's floor %4.2f "
                        "[%4.2f-%4.2f]\n",
                        qPrintable(all[k].name), all[k].book, later ? "a later" : "the day's first",
                        r.median, r.low, r.high);
        }
        // What a book adds to the time to the window, against the empty book
        // of the same program.
        for (qsizetype k = 0; k < floorAt; ++k) {
            if (all[k].book <= 0) continue;
            for (qsizetype e = 0; e < floorAt; ++e)
                if (all[e].book == 0 && all[e].name == all[k].name)
                    std::printf(
                        "  %s, %s start: %d parcels add %+.0f ms to map (CPU %+.1f ms)\n",
                        qPrintable(all[k].name), later ? "a later" : "the day's first", all[k].book,
                        of(later, k, &Run::ms).median - of(later, e, &Run::ms).median,
                        of(later, k, &Run::cpuNsMs).median - of(later, e, &Run::cpuNsMs).median);
        }
        std::fflush(stdout);
    }
    xcb_disconnect(c);
    return 0;
}

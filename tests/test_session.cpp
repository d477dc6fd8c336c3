// The query session on its own: a stored parcel chosen, asked of the
// enterprise stand-in on loopback through the real HTTP client, its answer
// read and told by signals, its questions asked through the dialogs. No
// window: this executable is built without Qt's Widgets and Gui.
#include "EnterpriseStandIn.h"
#include "Fakes.h"
#include "platform/RealHttp.h"
#include "store/Store.h"
#include "tracking/QuerySession.h"
#include "tracking/Source.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString Customer = QStringLiteral("C0FFEE12");
const QString Key = QStringLiteral("sEcReTkEy-98765");
using Behaviour = EnterpriseStandIn::Behaviour;

EnterpriseStandIn::Script scripted(Behaviour b, int delayMs = 0) {
    EnterpriseStandIn::Script s{
        b,
        {{QStringLiteral("2026-12-08 10:00:00"), QStringLiteral("已签收,签收人：前台")},
         {QStringLiteral("2026-12-07 08:00:00"), QStringLiteral("已揽收")}},
        QStringLiteral("1234"),
        delayMs};
    s.state = QStringLiteral("301");
    return s;
}

// A book in a folder of its own, the stand-in, and a session asking it.
struct Rig {
    QTemporaryDir dir;
    EnterpriseStandIn api{Customer, Key};
    Store store{QStringLiteral("session")};
    RealHttp http{10000};
    FakeDialogs dialogs;
    FakeClock clock;
    std::unique_ptr<EnterpriseSource> source;
    std::unique_ptr<QuerySession> session;
    QStringList statuses;
    QList<Reading> parsed, answered;
    int failed = 0, deleted = 0;
    bool busy = false; // as last told

    Rig() {
        QDir(dir.path()).mkpath(QStringLiteral("db"));
        const QString path = dir.path() + QStringLiteral("/db/kd100.db");
        seedStore(path);
        if (!api.listenLocal() || store.open(path) != OpenResult::Ok) qFatal("no rig");
        source =
            std::make_unique<EnterpriseSource>(http, store, clock, api.pollUrl(), api.autoUrl());
        source->setAccount({Customer, Key, {}});
        session = std::make_unique<QuerySession>(store, dialogs, clock);
        session->setSource(source.get());
        QObject::connect(session.get(), &QuerySession::status,
                         [this](const QString& s) { statuses << s; });
        QObject::connect(session.get(), &QuerySession::parsed,
                         [this](const Reading& r) { parsed << r; });
        QObject::connect(session.get(), &QuerySession::answered,
                         [this](const Reading& r) { answered << r; });
        QObject::connect(session.get(), &QuerySession::failed, [this] { ++failed; });
        QObject::connect(session.get(), &QuerySession::deleted, [this] { ++deleted; });
        QObject::connect(session.get(), &QuerySession::busy, [this](bool on) { busy = on; });
    }
    qint64 add(const QString& number, Behaviour b, int delayMs = 0) {
        api.script(number, scripted(b, delayMs));
        store.addParcel(QStringLiteral("圆通速递"), number, QStringLiteral("书") + number);
        return store.parcels()->constLast().id;
    }
    // The parcel chosen and its query run to its end, the parse included.
    void choose(qint64 id) {
        QCOMPARE(session->choose(id), QuerySession::Choice::Queried);
        QTRY_VERIFY(!session->query().waiting() && !session->parsing());
    }
};
} // namespace

class TestSession : public QObject {
    Q_OBJECT
private slots:
    void aChosenParcelIsAskedReadAndToldWithoutAWindow() {
        Rig r;
        const qint64 id = r.add(QStringLiteral("YT1"), Behaviour::Moving);
        r.choose(id);
        QCOMPARE(r.session->current().id, id);
        QCOMPARE(r.api.asked(), QStringList{QStringLiteral("YT1")});
        QCOMPARE(r.api.params().constFirst().value(QStringLiteral("com")).toString(),
                 QStringLiteral("yuantong"));
        QCOMPARE(r.parsed.size(), 1);
        QCOMPARE(r.answered.size(), 1);
        const Reading& read = r.parsed.constFirst();
        QCOMPARE(read.outcome, Reading::Outcome::Progress);
        QCOMPARE(read.state, ParcelState::Signed);
        QCOMPARE(read.entries.constFirst().time, QStringLiteral("2026-12-08 10:00:00"));
        QCOMPARE(read.count(), 2);
        QCOMPARE(r.session->shown().count(), 2);
        QCOMPARE(r.statuses,
                 (QStringList{QStringLiteral("未查询"), QStringLiteral("圆通速递:书YT1查询中..."),
                              QStringLiteral("查询完毕...")}));
        QVERIFY(!r.busy);
        QCOMPARE(r.session->choose(id + 100), QuerySession::Choice::Gone);
    }

    // The questions it asks, and what each answer does to the book.
    void itsQuestionsDecideThroughTheDialogs() {
        Rig r;
        // The phone, asked once, goes with the parcel and the number is asked again.
        const qint64 phone = r.add(QStringLiteral("P1"), Behaviour::NeedsPhone);
        r.dialogs.inputs << QStringLiteral(" 1234 ");
        r.choose(phone);
        QCOMPARE(r.api.asked().count(QStringLiteral("P1")), 2);
        QCOMPARE(*r.store.parcelPhone(phone), QStringLiteral("1234"));
        QCOMPARE(r.parsed.size(), 1);
        // Not known to the service: deleted after two Yes.
        const qint64 unknown = r.add(QStringLiteral("N1"), Behaviour::NoResult);
        r.dialogs.answers = {Mb::No, Mb::Yes};
        r.choose(unknown);
        QCOMPARE(r.deleted, 1);
        QVERIFY(!*r.store.parcelById(unknown));
        QCOMPARE(r.statuses.constLast(), QStringLiteral("快递信息已删除.."));
        // A failure is said and nothing is parsed.
        const qint64 failing = r.add(QStringLiteral("F1"), Behaviour::OverQuota);
        r.choose(failing);
        QCOMPARE(r.failed, 1);
        QVERIFY(r.statuses.constLast().contains(QStringLiteral("查询次数已用完")));
        QCOMPARE(r.parsed.size(), 1);
        QVERIFY(!r.busy);
        // Without an account nothing is sent; the box offers to set one.
        r.source->setAccount({});
        const int asked = r.api.calls();
        QSignalSpy wanted(r.session.get(), &QuerySession::accountWanted);
        r.dialogs.answers = {Mb::Yes};
        r.choose(phone);
        QCOMPARE(r.api.calls(), asked);
        QCOMPARE(wanted.size(), 1);
    }

    // A choice made while the last one waits takes over: only its answer shows.
    void aNewerChoiceOutrunsTheOneStillWaiting() {
        Rig r;
        const qint64 slow = r.add(QStringLiteral("S1"), Behaviour::Moving, 400);
        const qint64 quick = r.add(QStringLiteral("Q1"), Behaviour::Moving);
        QTimer::singleShot(50, [&] { r.session->choose(quick); });
        r.choose(slow);
        QTRY_COMPARE(r.parsed.size(), 1);
        QTest::qWait(600);
        QCOMPARE(r.parsed.size(), 1);
        QCOMPARE(r.session->current().id, quick);
        QCOMPARE(r.session->shown().count(), 2);
        QVERIFY(!r.busy);
    }

    void noWidgetsWereLoaded() {
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray loaded = maps.readAll();
        QVERIFY(!loaded.contains("libQt6Widgets"));
        QVERIFY(!loaded.contains("libQt6Gui"));
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "test_session.moc"

// The store: typed operations round-trip any text, the book keeps insertion
// order, and an existing store is never rebuilt.
#include "TestProgram.h"

#include <QFile>
#include <QProcess>
#include <QTest>

class StoreTest : public QObject {
    Q_OBJECT
private slots:
    void textRoundTripsExactly() {
        TestProgram p;
        Store s(QStringLiteral("t1"));
        QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
        const QStringList tricky = {QStringLiteral("爸爸's \"衣服\""),
                                    QStringLiteral("50%_off; DROP TABLE kd100 --"),
                                    QStringLiteral("a_b"), QStringLiteral("100%")};
        for (const QString& t : tricky)
            QVERIFY(s.addParcel(QStringLiteral("顺丰快递"), t + QStringLiteral("#1"), t));
        const QList<ParcelRow> all = *s.parcels();
        QCOMPARE(all.size(), tricky.size());
        for (int i = 0; i < tricky.size(); ++i) {
            QCOMPARE(all[i].goods, tricky[i]); // insertion order
            QCOMPARE(s.parcelByGoods(tricky[i])->value().number, tricky[i] + QStringLiteral("#1"));
            QCOMPARE(s.parcelsWithNumber(tricky[i] + QStringLiteral("#1"))->size(), 1);
            QCOMPARE(all[i].num, QStringLiteral("0"));
        }
        // "%" and "_" typed by the user are literal in containment searches.
        QCOMPARE(s.parcelsGoodsLike(QStringLiteral("%"))->size(), 2);
        QCOMPARE(s.parcelsGoodsLike(QStringLiteral("a_b"))->size(), 1);
        QCOMPARE(s.parcelsGoodsLike(QStringLiteral("_"))->size(), 2);
        QCOMPARE(s.parcelsNumberLike(QStringLiteral("'s"))->size(), 1);

        const qint64 id = all[0].id;
        QVERIFY(s.updateParcel(id, QStringLiteral("中通快递"), QStringLiteral("新'货"),
                               QStringLiteral("9")));
        QVERIFY(s.setParcelNum(id, QStringLiteral("5")));
        const ParcelRow changed = s.parcelById(id)->value();
        QCOMPARE(changed.company, QStringLiteral("中通快递"));
        QCOMPARE(changed.goods, QStringLiteral("新'货"));
        QCOMPARE(changed.num, QStringLiteral("5"));
        QVERIFY(s.deleteParcel(id));
        QVERIFY(!s.deleteParcel(id)); // a second delete finds nothing
        QVERIFY(!s.setParcelNum(id, QStringLiteral("1")));
        QVERIFY(!*s.parcelById(id));
    }

    void watchRowsGoWithTheirParcels() {
        TestProgram p;
        const qint64 a = p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("1"),
                                     QStringLiteral("甲"), QStringLiteral("2"));
        const qint64 b = p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("2"),
                                     QStringLiteral("乙"), QString());
        Store s(QStringLiteral("tw"));
        QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
        const QString entries = QStringLiteral("[[\"t\",\"x\"],[\"t\",\"y\"],[\"t\",\"z\"]]");
        QVERIFY(s.saveWatch(
            {a, entries, QStringLiteral("2026-12-08 09:00:00"), QStringLiteral("运送中"), 3}));
        QVERIFY(s.saveWatch({b, entries, QString(), QStringLiteral("已签收"), 0}));
        QVERIFY(!s.saveWatch({9999, entries, QString(), QString(), 0})); // no such parcel
        const WatchRow row = s.watchRow(a)->value();
        QCOMPARE(row.entries, entries);
        QCOMPARE(row.answered, QStringLiteral("2026-12-08 09:00:00"));
        QCOMPARE(row.notified, 3);
        // The selector's view: goods, state, remembered count, and the count seen.
        const QList<BookEntry> book = *s.bookEntries();
        QCOMPARE(book.size(), 2);
        QCOMPARE(book[0].goods, QStringLiteral("甲"));
        QCOMPARE(book[0].watchCount, 3);
        QCOMPARE(book[0].seen, 2);
        QCOMPARE(book[1].state, QStringLiteral("已签收"));
        QCOMPARE(book[1].seen, -1);

        QVERIFY(s.deleteParcel(a));
        QVERIFY(!*s.watchRow(a));
        QVERIFY(!s.deleteParcel(a)); // nothing to delete: reported, nothing else changed
        QVERIFY(*s.watchRow(b));
        QVERIFY(s.clearParcels());
        QVERIFY(s.watchRows()->isEmpty());

        QVERIFY(!*s.watchOption(QStringLiteral("nothing")));
        QVERIFY(s.setWatchOption(QStringLiteral("刷新间隔"), QStringLiteral("120")));
        QCOMPARE(s.watchOption(QStringLiteral("刷新间隔"))->value(), QStringLiteral("120"));
    }

    void duplicateGoodsFindTheFirstRow() {
        TestProgram p;
        const qint64 first =
            p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("111"), QStringLiteral("鞋子"));
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("222"), QStringLiteral("鞋子"));
        Store s(QStringLiteral("t2"));
        QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
        QCOMPARE(s.parcelByGoods(QStringLiteral("鞋子"))->value().id, first);
        QCOMPARE(s.parcelsWithGoods(QStringLiteral("鞋子"))->size(), 2);
    }

    void couriersAndSettings() {
        TestProgram p;
        Store s(QStringLiteral("t3"));
        QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
        const QList<CourierRow> all = *s.couriers();
        QVERIFY(all.size() >= 40);
        for (const char* link : {"顺丰快递", "申通快递", "中通", "圆通", "韵达", "全峰", "天天",
                                 "宅急送", "汇通", "京东", "EMS"})
            QVERIFY2(!s.couriersNameLike(QString::fromUtf8(link))->isEmpty(), link);
        QCOMPARE(s.courierByName(QStringLiteral("顺丰快递"))->value().code,
                 QStringLiteral("shunfeng"));
        QCOMPARE(s.courierByShibie(QStringLiteral("zhongtong"))->value().name,
                 QStringLiteral("中通快递"));
        QCOMPARE(s.courierById(all[2].id)->value().name, all[2].name);
        QVERIFY(!*s.courierByName(QStringLiteral("不存在快递")));

        QVERIFY(s.setSwitch(Switch::Balloon, QStringLiteral("否")));
        QVERIFY(s.setAddress(QStringLiteral("a'b@qq.com")));
        QCOMPARE(s.settings()->value()[Switch::Balloon], QStringLiteral("否"));
        QCOMPARE(s.settings()->value().address, QStringLiteral("a'b@qq.com"));

        // Clearing the book leaves the directory and the options alone.
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("1"), QStringLiteral("x"));
        QVERIFY(s.clearParcels());
        QVERIFY(s.parcels()->isEmpty());
        QCOMPARE(s.couriers()->size(), all.size());
        QVERIFY(s.settings()->has_value());
    }

    // The options keep themselves: a change is stored before it counts, a
    // refused one does not count, and a reload reads what was stored.
    void optionsStoreEachChangeOrRefuseIt() {
        TestProgram p;
        Store s(QStringLiteral("options"));
        QCOMPARE(s.open(p.storePath(), 100), OpenResult::Ok); // a lock refuses within 0.1 s
        QVERIFY(s.setSwitch(Switch::Sound, QStringLiteral("是的")));
        QVERIFY(s.setWatchOption(WatchIntervalOption, QStringLiteral("45")));
        Options o(s);
        int told = 0;
        QObject::connect(&o, &Options::changed, [&] { ++told; });
        o.load();
        QVERIFY(o.on(Switch::Sound) && !o.watching());
        QCOMPARE(o.watchMinutes(), DefaultWatchInterval); // 45 is not offered
        o.storeLoaded();
        QCOMPARE(s.settings()->value()[Switch::Sound], QStringLiteral("是"));
        QVERIFY(!o.set(Switch::Mail, true) && !o.setWatching(true) && !o.setWatchMinutes(240));
        {
            StoreLock lock(p.storePath());
            told = 0;
            QVERIFY(o.set(Switch::Mail, false));
            QVERIFY(o.setWatching(false));
            QCOMPARE(told, 2); // the boxes show the kept value again
        }
        QVERIFY(o.on(Switch::Mail) && o.watching());
        Options again(s);
        again.load();
        QVERIFY(again.on(Switch::Mail) && again.watching());
        QCOMPARE(again.watchMinutes(), 240);
    }

    void openRefusesWhatIsNotTheStore() {
        QTemporaryDir dir;
        Store s(QStringLiteral("t4"));
        const QString missing = dir.path() + QStringLiteral("/none.db");
        QCOMPARE(s.open(missing), OpenResult::Missing);
        QVERIFY(!QFile::exists(missing)); // opening never creates a file

        QFile text(dir.path() + QStringLiteral("/text.db"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("this is not a parcel book, only some text that fills a page of bytes");
        text.close();
        QCOMPARE(s.open(text.fileName()), OpenResult::NotAStore);

        const QString partial = dir.path() + QStringLiteral("/partial.db");
        QVERIFY(Store::createFromSeed(partial,
                                      QStringLiteral("CREATE TABLE kd100 (id INTEGER);\n"
                                                     "CREATE TABLE list (id INTEGER);\n"),
                                      nullptr));
        QCOMPARE(s.open(partial), OpenResult::MissingTables);
    }

    // Opened to be checked later, a store is written only after its check
    // has passed: a damaged one refuses every write and copy, left as it was.
    void anUncheckedStoreIsWrittenOnlyAfterItsCheck() {
        TestProgram p;
        for (int i = 0; i < 300; ++i)
            p.addParcel(QStringLiteral("顺丰快递"), QString::number(i),
                        QStringLiteral("x").repeated(200));
        const auto opened = [&](Store& s) {
            return s.open(p.storePath(), 2000, Store::Check::Later) == OpenResult::Ok;
        };
        {
            Store sound(QStringLiteral("t5"));
            QVERIFY(opened(sound));
            QVERIFY(sound.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF1"),
                                    QStringLiteral("书"))); // checked on the way
            QCOMPARE(sound.verify(), OpenResult::Ok);
        }
        damageStore(p.storePath());
        const QByteArray damaged = fileBytes(p.storePath());
        Store s(QStringLiteral("t6"));
        QVERIFY(opened(s));
        QVERIFY(
            !s.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF2"), QStringLiteral("书")));
        QVERIFY(!s.clearParcels());
        QVERIFY(!s.copyPrivately(p.folder() + QStringLiteral("/copy.db")));
        QCOMPARE(s.verify(), OpenResult::Damaged);
        QCOMPARE(fileBytes(p.storePath()), damaged);
        QVERIFY(!QFile::exists(p.folder() + QStringLiteral("/copy.db")));
    }

    // Building the program folder again never replaces an existing book.
    void rebuildKeepsTheBook() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("123"),
                    QStringLiteral("保留的包裹"));
        QVERIFY(!Store::createFromSeed(p.storePath(), QStringLiteral("CREATE TABLE x (y);\n"),
                                       nullptr));
        const QString tool =
            QCoreApplication::applicationDirPath() + QStringLiteral("/../jianzongbao-makedb");
        QCOMPARE(QProcess::execute(tool, {QStringLiteral(JZB_SEED_SQL), p.storePath()}), 0);
        Store s(QStringLiteral("t5"));
        QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
        QCOMPARE(s.parcels()->size(), 1);
        QCOMPARE((*s.parcels())[0].goods, QStringLiteral("保留的包裹"));
    }
};

QTEST_GUILESS_MAIN(StoreTest)
#include "test_store.moc"

// The parcel selector: what it lists, which parcel a choice loads, and the
// two entries that restore the whole book.
#include "TestProgram.h"

namespace {
QString answerWith(int entries) {
    QString data;
    for (int i = entries; i >= 1; --i)
        data += QStringLiteral("%1{\"time\":\"2026-01-0%2 08:00:00\",\"context\":\"第%2站\"}")
                    .arg(data.isEmpty() ? "" : ",")
                    .arg(i);
    return QStringLiteral("{\"errCode\":\"0\",\"data\":[%1]}").arg(data);
}

QString lastNumber(const TestProgram& p, const char* key = "nu") {
    return p.gateway.trackingQueries().constLast().queryItemValue(QString::fromLatin1(key),
                                                                  QUrl::FullyDecoded);
}
} // namespace

class SelectorTest : public QObject {
    Q_OBJECT
private slots:
    void listsTheBookInOrder() {
        TestProgram p;
        for (const char* goods : {"鞋子", "爸爸衣服", "茶叶"})
            p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("1000"),
                        QString::fromUtf8(goods));
        p.start();
        QCOMPARE(p.Text1()->count(), 3);
        QCOMPARE(p.Text1()->itemText(0), QStringLiteral("鞋子"));
        QCOMPARE(p.Text1()->itemText(2), QStringLiteral("茶叶"));
        QCOMPARE(p.Text1()->currentIndex(), -1);
        QCOMPARE(p.status(), QStringLiteral("程序已加载完毕,当前共有3个快递单。"));
    }

    // Each entry is its own parcel, found by its row id: two parcels with the
    // same goods are told apart.
    void duplicateGoodsEachLoadTheirOwnParcel() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("11111111"), QStringLiteral("鞋子"));
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("22222222"), QStringLiteral("鞋子"));
        p.gateway.script(QStringLiteral("11111111"), {answerWith(2).toUtf8()});
        p.gateway.script(QStringLiteral("22222222"), {answerWith(2).toUtf8()});
        p.start();
        for (const auto& [index, number, com] :
             {std::tuple{1, "22222222", "zhongtong"}, std::tuple{0, "11111111", "shunfeng"}}) {
            p.choose(index);
            QVERIFY(p.waitForQueryEnd());
            QCOMPARE(lastNumber(p), QLatin1String(number));
            QCOMPARE(lastNumber(p, "com"), QLatin1String(com));
            QCOMPARE(p.Text1()->currentIndex(), index);
        }
    }

    void unknownCompanyKeepsTheEarlierCode() {
        TestProgram p;
        p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("33333333"), QStringLiteral("键盘"));
        p.addParcel(QStringLiteral("不存在的快递"), QStringLiteral("44444444"),
                    QStringLiteral("鼠标"));
        p.start();
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(lastNumber(p, "com"), QStringLiteral("yuantong"));
        p.choose(1);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(lastNumber(p), QStringLiteral("44444444"));
        QCOMPARE(lastNumber(p, "com"), QStringLiteral("yuantong"));
    }

    void everyChoiceResetsTheInfoCells() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("55555555"), QStringLiteral("书"));
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("66666666"), QStringLiteral("笔"));
        p.gateway.script(QStringLiteral("55555555"), {answerWith(3).toUtf8()});
        p.gateway.script(QStringLiteral("66666666"), {QByteArrayLiteral("{\"errCode\":\"8\"}")});
        p.start();
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.Label12(7)->text(), QStringLiteral("顺丰快递"));
        p.choose(1);
        QVERIFY(p.waitForQueryEnd());
        for (int i : {2, 3, 5, 7})
            QCOMPARE(p.Label12(i)->text(), QStringLiteral("未查询"));
    }

    // A choice the store cannot answer queries nothing, keeps the parcel
    // chosen before and leaves the window idle with a message.
    void aBusyStoreStopsTheChoice() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("11111111"), QStringLiteral("鞋子"));
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("22222222"), QStringLiteral("茶叶"));
        p.gateway.script(QStringLiteral("11111111"), {answerWith(2).toUtf8()});
        p.start();
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        const int requests = p.gateway.trackingQueries().size();
        StoreLock lock(p.storePath());
        p.choose(1);
        QCOMPARE(p.gateway.trackingQueries().size(), requests);
        QCOMPARE(p.dialogs.shown.size(), 1);
        QVERIFY(p.dialogs.shown[0].prompt.startsWith(QStringLiteral(
            "读取快递数据失败!快递数据库可能正被其他程序使用,请稍后再试..\n \n原因：")));
        QVERIFY(p.dialogs.shown[0].prompt.contains(QStringLiteral("database is locked")));
        QCOMPARE(p.dialogs.shown[0].buttons, Mb::OkOnly + Mb::Exclamation);
        QCOMPARE(p.status(), QStringLiteral("读取快递数据失败!请稍后再试.."));
        QCOMPARE(p.form->session().current().number, QStringLiteral("11111111"));
        QVERIFY(p.Text1()->isEnabled());
        QVERIFY(p.ListView1()->isEnabled());
        QVERIFY(p.Image2(7)->isEnabled());
        QVERIFY(!p.AniGIF1()->isVisible());

        // A refill that cannot read the book leaves the selector as it was.
        p.Text1()->addItem(QStringLiteral("刷新快递列表"));
        p.choose(2);
        QCOMPARE(p.Text1()->count(), 3);
        QCOMPARE(p.status(),
                 QStringLiteral("快递列表读取失败!快递数据库暂时无法读取,请稍后再试.."));
        QVERIFY(p.Text1()->isEnabled());

        lock.release();
        p.choose(1);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(lastNumber(p), QStringLiteral("22222222"));
    }

    // A parcel that left the book behind the selector's back is not replaced
    // by the one chosen before.
    void aVanishedParcelIsNotQueried() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("11111111"), QStringLiteral("鞋子"));
        const qint64 gone = p.addParcel(QStringLiteral("中通快递"), QStringLiteral("22222222"),
                                        QStringLiteral("茶叶"));
        p.gateway.script(QStringLiteral("11111111"), {answerWith(2).toUtf8()});
        p.start();
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        const int requests = p.gateway.trackingQueries().size();
        p.removeParcel(gone);
        p.choose(1);
        QCOMPARE(p.gateway.trackingQueries().size(), requests);
        QCOMPARE(p.status(), QStringLiteral("该快递已不在快递列表中,快递列表已刷新.."));
        QCOMPARE(p.Text1()->count(), 1);
        QCOMPARE(p.ListView1()->topLevelItemCount(), 0);
        QVERIFY(p.Text1()->isEnabled());
        QVERIFY(p.dialogs.shown.isEmpty());
    }

    void separatorAndRefreshRestoreTheBook_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("queryFirst");
        QTest::newRow("separator") << QStringLiteral("******************") << false;
        QTest::newRow("refresh") << QStringLiteral("刷新快递列表") << false;
        QTest::newRow("refresh, query first") << QStringLiteral("刷新快递列表") << true;
    }
    void separatorAndRefreshRestoreTheBook() {
        QFETCH(QString, entry);
        QFETCH(bool, queryFirst);
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("77777777"),
                    QStringLiteral("第一件"));
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("88888888"),
                    QStringLiteral("第二件"));
        p.gateway.script(QStringLiteral("77777777"), {answerWith(2).toUtf8()});
        p.start();
        p.Check7()->setChecked(queryFirst);
        p.choose(0); // the list shows a parcel's progress
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.ListView1()->topLevelItemCount(), 2);
        // What a search leaves in the selector.
        p.Text1()->clear();
        p.Text1()->addItems({QStringLiteral("第二件"), QStringLiteral("******************"),
                             QStringLiteral("刷新快递列表")});
        const int requests = p.gateway.trackingQueries().size();
        p.choose(p.Text1()->findText(entry));
        QCOMPARE(p.Text1()->count(), 2);
        QCOMPARE(p.Text1()->itemText(0), QStringLiteral("第一件"));
        if (queryFirst) {
            QVERIFY(p.waitForQueryEnd());
            QCOMPARE(lastNumber(p), QStringLiteral("77777777"));
            QCOMPARE(p.status(), QStringLiteral("查询完毕..."));
        } else {
            QCOMPARE(p.gateway.trackingQueries().size(), requests);
            QCOMPARE(p.status(), QStringLiteral("快递列表已刷新.."));
            QCOMPARE(p.ListView1()->topLevelItemCount(), 0);
            QVERIFY(p.Text1()->isEnabled());
            QVERIFY(p.Image2(3)->isEnabled());
        }
    }
};

QTEST_MAIN(SelectorTest)
#include "test_selector.moc"

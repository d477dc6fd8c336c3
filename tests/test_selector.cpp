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
        QCOMPARE(p.form->Text1->count(), 3);
        QCOMPARE(p.form->Text1->itemText(0), QStringLiteral("鞋子"));
        QCOMPARE(p.form->Text1->itemText(2), QStringLiteral("茶叶"));
        QCOMPARE(p.form->Text1->currentIndex(), -1);
        QCOMPARE(p.status(), QStringLiteral("程序已加载完毕,当前共有3个快递单。"));
    }

    void duplicateGoodsLoadTheFirstParcel() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("11111111"), QStringLiteral("鞋子"));
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("22222222"), QStringLiteral("鞋子"));
        p.gateway.script(QStringLiteral("11111111"), {answerWith(2).toUtf8()});
        p.start();
        p.choose(1);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(lastNumber(p), QStringLiteral("11111111"));
        QCOMPARE(lastNumber(p, "com"), QStringLiteral("shunfeng"));
        QCOMPARE(p.form->cur.company, QStringLiteral("顺丰快递"));
        QCOMPARE(p.form->cur.index, QStringLiteral("1"));
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
        QCOMPARE(p.form->Label12[7]->text(), QStringLiteral("顺丰快递"));
        p.choose(1);
        QVERIFY(p.waitForQueryEnd());
        for (int i : {2, 3, 5, 7})
            QCOMPARE(p.form->Label12[i]->text(), QStringLiteral("未查询"));
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
        p.form->Check7->setChecked(queryFirst);
        // What a search leaves in the selector.
        p.form->Text1->clear();
        p.form->Text1->addItems({QStringLiteral("第二件"), QStringLiteral("******************"),
                                 QStringLiteral("刷新快递列表")});
        const int requests = p.gateway.trackingQueries().size();
        p.choose(p.form->Text1->findText(entry));
        QCOMPARE(p.form->Text1->count(), 2);
        QCOMPARE(p.form->Text1->itemText(0), QStringLiteral("第一件"));
        if (queryFirst) {
            QVERIFY(p.waitForQueryEnd());
            QCOMPARE(lastNumber(p), QStringLiteral("77777777"));
            QCOMPARE(p.status(), QStringLiteral("查询完毕..."));
        } else {
            QCOMPARE(p.gateway.trackingQueries().size(), requests);
            QCOMPARE(p.status(), QStringLiteral("快递列表已刷新.."));
            QCOMPARE(p.form->ListView1->topLevelItemCount(), 0);
            QVERIFY(p.form->Text1->isEnabled());
            QVERIFY(p.form->Image2[3]->isEnabled());
        }
    }
};

QTEST_MAIN(SelectorTest)
#include "test_selector.moc"

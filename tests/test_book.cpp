// The parcel book through the window: adding, editing, deleting, copying,
// clearing, exporting and searching, by mouse and by keys.
#include "TestProgram.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QStringEncoder>

namespace {
QByteArray entries(int count) {
    return journey(count);
}

const QByteArray Unknown = "{\"errCode\":\"1\",\"data\":[]}";

// Fills the add panel as a user would and presses the query button.
void add(TestProgram& p, const QString& number, const QString& company, const QString& goods) {
    p.press(Qt::Key_F4);
    p.Text3()->setCurrentText(number);
    p.Command1(12)->setText(company);
    p.Text2()->setText(goods);
    QTest::mouseClick(p.Command1(13), Qt::LeftButton);
}

QStringList entriesOf(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class BookTest : public QObject {
    Q_OBJECT
private slots:
    void addChecks_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("goods");
        QTest::addColumn<QString>("status");
        QTest::newRow("no number") << ""
                                   << "请选择快递公司"
                                   << "" << QStringLiteral("请输入快递单号!");
        QTest::newRow("a bar") << "123|456"
                               << "顺丰快递"
                               << "衣服" << QStringLiteral("单号不正确,请您检查!");
        QTest::newRow("no courier") << "12345678"
                                    << "请选择快递公司"
                                    << "衣服" << QStringLiteral("请选择快递公司!");
        QTest::newRow("no goods") << "12345678"
                                  << "顺丰快递"
                                  << "" << QStringLiteral("请输入快递物品信息,例如：爸爸衣服");
    }
    void addChecks() {
        QFETCH(QString, number);
        QFETCH(QString, company);
        QFETCH(QString, goods);
        QFETCH(QString, status);
        TestProgram p;
        p.start();
        {
            // The bar cannot be typed past the filter; the check still guards it.
            const QSignalBlocker quiet(p.Text3());
            add(p, QString(), company, goods);
            p.Text3()->setCurrentText(number);
        }
        p.kdmenu(0)->setVisible(true);
        QTest::mouseClick(p.Command1(13), Qt::LeftButton);
        QCOMPARE(p.status(), status);
        QVERIFY(p.gateway.trackingQueries().isEmpty());
        QVERIFY(p.dialogs.shown.isEmpty());
        QVERIFY(p.kdmenu(0)->isVisible());
        if (number.isEmpty()) QCOMPARE(QApplication::focusWidget(), p.Text3());
    }

    // A number the service knows is stored and chosen at once, without a box.
    void addKnownNumbers_data() {
        QTest::addColumn<QString>("number");
        QTest::newRow("digits") << QStringLiteral("12345678");
        QTest::newRow("letters and digits") << QStringLiteral("SF1234567890123");
        QTest::newRow("a quote") << QStringLiteral("12'34\"5678");
    }
    void addKnownNumbers() {
        QFETCH(QString, number);
        TestProgram p;
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("99999999"), QStringLiteral("茶叶"));
        p.gateway.script(number, {entries(3)});
        p.start();
        {
            const QSignalBlocker quiet(p.Text3()); // a quote cannot be typed, only pasted
            add(p, number, QStringLiteral("顺丰快递"), QStringLiteral("爸爸's \"衣服\""));
        }
        QVERIFY(p.waitForQueryEnd());
        QVERIFY(p.dialogs.shown.isEmpty());
        const QUrlQuery asked = p.gateway.trackingQueries().constFirst();
        QCOMPARE(asked.queryItemValue(QStringLiteral("nu"), QUrl::FullyDecoded), number);
        QCOMPARE(asked.queryItemValue(QStringLiteral("com")), QStringLiteral("shunfeng"));
        QCOMPARE(p.gateway.trackingQueries().size(), 2); // the add, then the choice
        Store s(QStringLiteral("check"));
        QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
        const QList<ParcelRow> rows = *s.parcels();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1].number, number);
        QCOMPARE(rows[1].company, QStringLiteral("顺丰快递"));
        QCOMPARE(rows[1].goods, QStringLiteral("爸爸's \"衣服\""));
        QCOMPARE(rows[1].num, QStringLiteral("3")); // stored as 0, raised by the choice
        QCOMPARE(p.Text1()->currentIndex(), 1);
        QCOMPARE(p.status(), QStringLiteral("查询完毕..."));
        QVERIFY(!p.kdmenu(0)->isVisible());
    }

    void addDuplicate() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("12345678"), QStringLiteral("鞋子"));
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("9912345678"), QStringLiteral("书"));
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("555"), QStringLiteral("别的"));
        p.gateway.script(QStringLiteral("12345678"), {entries(2)});
        p.gateway.script(QStringLiteral("9912345678"), {entries(2)});
        p.start();
        add(p, QStringLiteral("12345678"), QStringLiteral("顺丰快递"), QStringLiteral("又一双鞋"));
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.dialogs.prompts(), QStringList{QStringLiteral("快递数据已存在!")});
        QCOMPARE(entriesOf(p.Text1()),
                 (QStringList{"鞋子", "书", "******************", "刷新快递列表"}));
        QCOMPARE(p.Text1()->currentIndex(), 0);
        QCOMPARE(p.form->session().current().number, QStringLiteral("12345678"));
        Store s(QStringLiteral("check"));
        QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
        QCOMPARE(s.parcels()->size(), 3);
    }

    void addUnknownNumber_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stored");
        QTest::newRow("store it") << int(Mb::Yes) << true;
        QTest::newRow("do not") << int(Mb::No) << false;
    }
    void addUnknownNumber() {
        QFETCH(int, answer);
        QFETCH(bool, stored);
        TestProgram p;
        p.gateway.script(QStringLiteral("12345678"), {Unknown});
        p.start();
        p.dialogs.answers = {answer};
        add(p, QStringLiteral("12345678"), QStringLiteral("顺丰快递"), QStringLiteral("衣服"));
        QStringList expected{QStringLiteral("您好,您当前输入的单号不存在有效信息,是否先进行保存?")};
        if (stored) expected << QStringLiteral("快递添加成功！");
        QCOMPARE(p.dialogs.prompts(), expected);
        QCOMPARE(p.dialogs.shown[0].buttons, Mb::YesNo + Mb::Information);
        QCOMPARE(p.Text1()->count(), stored ? 1 : 0);
        QCOMPARE(p.Text1()->currentIndex(), -1);
        QCOMPARE(p.gateway.trackingQueries().size(), 1);
        QVERIFY(!p.AniGIF1()->isVisible());
        QVERIFY(!p.Timer7()->isActive());
        QVERIFY(p.Text1()->isEnabled() && p.Image2(3)->isEnabled());
        QCOMPARE(p.parcel(1).num, stored ? QStringLiteral("0") : QString());
        QCOMPARE(p.status(), stored ? QStringLiteral("快递添加成功..")
                                    : QStringLiteral("该单号暂无物流信息,未添加.."));
    }

    void addUnknownDuplicate() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("12345678"), QStringLiteral("鞋子"));
        p.gateway.script(QStringLiteral("12345678"), {Unknown});
        p.start();
        p.dialogs.answers = {Mb::Yes, Mb::Ok, Mb::Yes}; // store?, exists, and keep at the offer
        add(p, QStringLiteral("12345678"), QStringLiteral("顺丰快递"), QStringLiteral("衣服"));
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.dialogs.prompts().mid(0, 2),
                 (QStringList{QStringLiteral("您好,您当前输入的单号不存在有效信息,是否先进行保存?"),
                              QStringLiteral("快递数据已存在!")}));
        QCOMPARE(entriesOf(p.Text1()), QStringList{QStringLiteral("鞋子")}); // no separators
    }

    void addServiceError() {
        TestProgram p;
        p.gateway.script(QStringLiteral("12345678"), {"{\"errCode\":\"7\"}"});
        p.start();
        add(p, QStringLiteral("12345678"), QStringLiteral("顺丰快递"), QStringLiteral("衣服"));
        QCOMPARE(p.status(), QStringLiteral("快递公司错误错误!请您检查.."));
        QCOMPARE(p.Text1()->count(), 0);
        QVERIFY(p.Image2(1)->isEnabled());
        QVERIFY(!p.Timer7()->isActive());
    }

    // A store that refuses the new row says so; nothing pretends it was added.
    void aRefusedAddIsReported() {
        TestProgram p;
        p.gateway.script(QStringLiteral("12345678"), {Unknown});
        p.start();
        p.dialogs.answers = {Mb::Yes};
        QVERIFY(Store::runScript(p.storePath(),
                                 QStringLiteral("CREATE TRIGGER no_adds BEFORE INSERT ON kd100 "
                                                "BEGIN SELECT RAISE(FAIL, 'disk full'); END;\n"),
                                 nullptr));
        add(p, QStringLiteral("12345678"), QStringLiteral("顺丰快递"), QStringLiteral("衣服"));
        QCOMPARE(p.dialogs.shown.size(), 2);
        QVERIFY(p.dialogs.shown[1].prompt.startsWith(QStringLiteral("快递添加失败!")));
        QCOMPARE(p.dialogs.shown[1].buttons, Mb::OkOnly + Mb::Exclamation);
        QCOMPARE(p.dialogs.shown[1].title, QStringLiteral("Quorvex系列软件"));
        QVERIFY(p.Text1()->isEnabled());
    }

    void editChangeAndCopy() {
        TestProgram p;
        const qint64 id =
            p.addParcel(QStringLiteral("中通快递"), QStringLiteral("1234"), QStringLiteral("鞋子"));
        p.gateway.script(QStringLiteral("1234"), {entries(2)});
        p.gateway.script(QStringLiteral("JD0012345678"), {entries(3)});
        p.start();
        Form1& f = *p.form;
        p.press(Qt::Key_F5); // nothing chosen yet
        QCOMPARE(p.status(), QStringLiteral("请先选择快递.."));
        QVERIFY(!p.kdmenu(2)->isVisible());
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());

        QTest::mouseClick(p.Command1(10), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("快递物品：鞋子\r\n快递公司：中通快递\r\n快递单号：1234"));
        QCOMPARE(p.status(), QStringLiteral("当前快递信息已复制.."));

        p.press(Qt::Key_F5);
        QVERIFY(p.kdmenu(2)->isVisible());
        QCOMPARE(p.Text4()->text(), QStringLiteral("1234"));
        QCOMPARE(p.Command1(8)->text(), QStringLiteral("中通快递"));
        QCOMPARE(p.Text6()->text(), QStringLiteral("鞋子"));
        // The filter: letters and digits stay, anything else empties the box.
        QTest::keyClicks(p.Text4(), QStringLiteral("5"));
        QCOMPARE(p.Text4()->text(), QStringLiteral("12345"));
        QTest::keyClicks(p.Text4(), QStringLiteral("."));
        QCOMPARE(p.Text4()->text(), QString());

        const auto tryChange = [&](const QString& number, const QString& company,
                                   const QString& goods) {
            p.Text4()->setText(number);
            p.Command1(8)->setText(company);
            p.Text6()->setText(goods);
            QTest::mouseClick(p.Command1(9), Qt::LeftButton);
        };
        tryChange(QString(), QStringLiteral("京东快递"), QStringLiteral("新鞋"));
        tryChange(QStringLiteral("JD0012345678"), QStringLiteral("请选择快递公司"),
                  QStringLiteral("新鞋"));
        tryChange(QStringLiteral("JD0012345678"), QStringLiteral("京东快递"), QString());
        p.dialogs.answers = {Mb::No};
        tryChange(QStringLiteral("JD0012345678"), QStringLiteral("京东快递"),
                  QStringLiteral("新鞋"));
        QCOMPARE(p.dialogs.prompts(),
                 (QStringList{"请输入单号!", "请选择快递公司!", "请输入物品信息!",
                              "确定要修改[鞋子]此单号码?"}));
        QCOMPARE(p.parcel(id).number, QStringLiteral("1234"));
        QVERIFY(p.kdmenu(2)->isVisible());

        p.dialogs.shown.clear();
        p.dialogs.answers = {Mb::Yes};
        QTest::mouseClick(p.Command1(9), Qt::LeftButton);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.dialogs.prompts(),
                 (QStringList{"确定要修改[鞋子]此单号码?", "快递信息修改成功!"}));
        const ParcelRow changed = p.parcel(id);
        QCOMPARE(changed.number, QStringLiteral("JD0012345678"));
        QCOMPARE(changed.company, QStringLiteral("京东快递"));
        QCOMPARE(changed.goods, QStringLiteral("新鞋"));
        QCOMPARE(p.Text1()->itemText(0), QStringLiteral("新鞋"));
        QCOMPARE(f.session().current().number, QStringLiteral("JD0012345678"));
        QCOMPARE(p.gateway.trackingQueries().constLast().queryItemValue(QStringLiteral("com")),
                 QStringLiteral("jd"));
        QVERIFY(!p.kdmenu(2)->isVisible());
    }

    // A change whose parcel is gone stores nothing and renames nothing.
    void changeOfAVanishedParcel() {
        TestProgram p;
        const qint64 id = p.startOnParcel(QStringLiteral("中通快递"), QStringLiteral("1234"),
                                          QStringLiteral("鞋子"), entries(2));
        QVERIFY(id);
        p.press(Qt::Key_F5);
        p.removeParcel(id);
        p.Text6()->setText(QStringLiteral("新鞋"));
        p.dialogs.answers = {Mb::Yes};
        QTest::mouseClick(p.Command1(9), Qt::LeftButton);
        QCOMPARE(p.dialogs.prompts().constLast(), QStringLiteral("信息数据不存在!"));
        QCOMPARE(p.Text1()->itemText(0), QStringLiteral("鞋子"));
    }

    void deleteParcel_data() {
        QTest::addColumn<bool>("queryFirst");
        QTest::newRow("plain") << false;
        QTest::newRow("query the first after") << true;
    }
    void deleteParcel() {
        QFETCH(bool, queryFirst);
        TestProgram p;
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("11111111"), QStringLiteral("茶叶"));
        const qint64 id =
            p.addParcel(QStringLiteral("中通快递"), QStringLiteral("1234"), QStringLiteral("鞋子"));
        p.gateway.script(QStringLiteral("1234"), {entries(2)});
        p.gateway.script(QStringLiteral("11111111"), {entries(1)});
        p.start();
        Form1& f = *p.form;
        p.Check7()->setChecked(queryFirst);
        p.choose(1);
        QVERIFY(p.waitForQueryEnd());
        p.press(Qt::Key_F5);
        QTest::mouseClick(p.Command1(11), Qt::LeftButton); // unscripted: No
        QVERIFY(p.parcel(id).id != 0);
        p.dialogs.answers = {Mb::Yes};
        QTest::mouseClick(p.Command1(11), Qt::LeftButton);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.dialogs.prompts(),
                 (QStringList{"确定要删除[鞋子]此单号码?", "确定要删除[鞋子]此单号码?",
                              "快递信息已删除!"}));
        QCOMPARE(p.parcel(id).id, 0);
        QCOMPARE(entriesOf(p.Text1()), QStringList{QStringLiteral("茶叶")});
        QCOMPARE(p.Text1()->currentIndex(), queryFirst ? 0 : -1);
        QVERIFY(!p.kdmenu(2)->isVisible());
        if (queryFirst) QCOMPARE(f.session().current().number, QStringLiteral("11111111"));
    }

    void aRefusedDeleteIsReported() {
        TestProgram p;
        const qint64 id = p.startOnParcel(QStringLiteral("中通快递"), QStringLiteral("1234"),
                                          QStringLiteral("鞋子"), entries(2));
        QVERIFY(id);
        p.press(Qt::Key_F5);
        StoreLock lock(p.storePath());
        p.dialogs.answers = {Mb::Yes};
        QTest::mouseClick(p.Command1(11), Qt::LeftButton);
        QVERIFY(p.dialogs.prompts().constLast().startsWith(QStringLiteral("快递信息删除失败!")));
        QCOMPARE(p.dialogs.shown.constLast().buttons, Mb::OkOnly + Mb::Exclamation);
        lock.release();
        QVERIFY(p.parcel(id).id != 0);
        QCOMPARE(p.Text1()->count(), 1);
        QVERIFY(p.kdmenu(2)->isVisible());
    }

    void clearing_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("no") << QList<int>{Mb::No} << 1 << false;
        QTest::newRow("yes, no") << QList<int>{Mb::Yes, Mb::No} << 2 << false;
        QTest::newRow("yes, yes") << QList<int>{Mb::Yes, Mb::Yes} << 2 << true;
    }
    void clearing() {
        QFETCH(QList<int>, answers);
        QFETCH(int, questions);
        QFETCH(bool, cleared);
        TestProgram p;
        QVERIFY(p.startOnParcel(QStringLiteral("中通快递"), QStringLiteral("1234"),
                                QStringLiteral("鞋子"), entries(2)));
        p.dialogs.answers = answers;
        p.press(Qt::Key_F6);
        QCOMPARE(
            p.dialogs.prompts(),
            (QStringList{"确定要清空快递列表吗?", "防误保护二次确认：确定要清空快递列表？"}.mid(
                0, questions)));
        QCOMPARE(p.status(),
                 cleared ? QStringLiteral("快递列表已清空...") : QStringLiteral("查询完毕..."));
        QCOMPARE(p.Text1()->count(), cleared ? 0 : 1);
        QCOMPARE(p.ListView1()->topLevelItemCount(), cleared ? 0 : 2);
        Store s(QStringLiteral("check"));
        QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
        QCOMPARE(s.parcels()->size(), cleared ? 0 : 1);
        QCOMPARE(s.couriers()->size(), 43);
        QVERIFY(s.settings()->has_value());
    }

    void clearingAnEmptyBookAndARefusingStore() {
        TestProgram p;
        p.start();
        p.dialogs.answers = {Mb::Yes, Mb::Yes};
        QTest::mouseClick(p.Image2(2), Qt::LeftButton);
        QCOMPARE(p.dialogs.shown.size(), 2);
        QCOMPARE(p.status(), QStringLiteral("快递列表已清空..."));

        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("1234"), QStringLiteral("鞋子"));
        p.press(Qt::Key_F8);
        StoreLock lock(p.storePath());
        p.dialogs.answers = {Mb::Yes, Mb::Yes};
        p.press(Qt::Key_F6);
        lock.release();
        QVERIFY(p.dialogs.prompts().constLast().startsWith(QStringLiteral("快递列表清空失败!")));
        QCOMPARE(p.status(), QStringLiteral("快递列表清空失败!"));
        QCOMPARE(p.Text1()->count(), 1);
        QCOMPARE(p.parcel(1).goods, QStringLiteral("鞋子"));
    }

    void export_() {
        TestProgram p;
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("1234"), QStringLiteral("鞋子"));
        p.gateway.script(QStringLiteral("1234"),
                         {answerOf({{"2026-01-03 10:30:00", "已签收,感谢使用"},
                                    {"2026-01-02 08:00:00", "广东\\/深圳 到达"},
                                    {"2026-01-01 08:00:00", "已揽收"}})});
        p.start();
        p.press(Qt::Key_F10); // nothing to export yet
        QCOMPARE(p.dialogs.prompts(), QStringList{QStringLiteral("没有可导出的数据!")});
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        // A first cell of nine characters and one of two: how the widths come out.
        p.ListView1()->topLevelItem(1)->setText(0, QStringLiteral("123456789"));
        p.ListView1()->topLevelItem(2)->setText(0, QStringLiteral(" 12 "));

        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("进度.txt"));
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'o'));
        old.close();
        p.dialogs.shown.clear();
        p.dialogs.saveAnswer = target;
        QTest::mouseClick(p.Image2(7), Qt::LeftButton);
        QStringEncoder gb("GB18030");
        const QByteArray expected =
            gb.encode(QStringLiteral("1          2026-01-03 10:30:00   已签收,感谢使用\r\n"
                                     "123456789   2026-01-02 08:00:00   广东 深圳 到达\r\n"
                                     "12         2026-01-01 08:00:00   已揽收\r\n"));
        QCOMPARE(readFile(target), expected);
        QCOMPARE(p.dialogs.prompts(), QStringList{QStringLiteral("成功导出全部数据!")});
        QCOMPARE(p.dialogs.saveFilters, QStringList{QStringLiteral("(TXT文本)|*.txt")});
        QCOMPARE(p.status(), QStringLiteral("成功导出全部数据.."));

        // A name without an extension gets ".txt".
        p.dialogs.saveAnswer = dir.filePath(QStringLiteral("plain"));
        p.press(Qt::Key_F10);
        QCOMPARE(readFile(dir.filePath(QStringLiteral("plain.txt"))), expected);

        // Cancelled: no file, no box.
        p.dialogs.shown.clear();
        p.dialogs.saveAnswer.reset();
        p.press(Qt::Key_F10);
        QVERIFY(p.dialogs.shown.isEmpty());
        QCOMPARE(p.status(), QStringLiteral("已取消保存"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);

        // A folder that cannot be written: its own message, the old file kept.
        const QString locked = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(locked));
        QFile kept(locked + QStringLiteral("/a.txt"));
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.write("old");
        kept.close();
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const bool canStillWrite = QFileInfo(locked).isWritable(); // root writes anyway
        p.dialogs.saveAnswer = locked + QStringLiteral("/a.txt");
        p.press(Qt::Key_F10);
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        if (!canStillWrite) {
            QVERIFY(p.dialogs.prompts().constLast().startsWith(QStringLiteral("导出失败!")));
            QCOMPARE(p.dialogs.shown.constLast().buttons, Mb::OkOnly + Mb::Exclamation);
            QCOMPARE(readFile(locked + QStringLiteral("/a.txt")), QByteArray("old"));
        }
        // A path whose folder does not exist fails for anyone, root included.
        p.dialogs.saveAnswer = dir.filePath(QStringLiteral("no/such/folder/a.txt"));
        p.press(Qt::Key_F10);
        QVERIFY(p.dialogs.prompts().constLast().startsWith(QStringLiteral("导出失败!")));
        QCOMPARE(p.status(), QStringLiteral("导出失败!"));
    }

    void search_data() {
        QTest::addColumn<int>("field"); // Option1 index
        QTest::addColumn<int>("match"); // Option2 index
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QString>("message");
        QTest::newRow("number, containing")
            << 0 << 1 << " 12345678 " << QStringList{"鞋子", "书"} << "已为您找到2个相关快递";
        QTest::newRow("number, exact")
            << 0 << 0 << "12345678" << QStringList{"鞋子"} << "已为您找到相关快递";
        QTest::newRow("number, exact, blanks count")
            << 0 << 0 << " 12345678" << QStringList{} << "";
        QTest::newRow("goods, containing")
            << 1 << 1 << "鞋" << QStringList{"鞋子", "鞋子", "50%鞋"} << "已为您找到3个相关快递";
        QTest::newRow("goods, exact")
            << 1 << 0 << "鞋子" << QStringList{"鞋子", "鞋子"} << "已为您找到相关快递";
        QTest::newRow("a wildcard is a character")
            << 1 << 1 << "%" << QStringList{"50%鞋"} << "已为您找到1个相关快递";
        QTest::newRow("a quote is a character") << 1 << 1 << "'" << QStringList{} << "";
    }
    void search() {
        QFETCH(int, field);
        QFETCH(int, match);
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        QFETCH(QString, message);
        TestProgram p;
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("12345678"), QStringLiteral("鞋子"));
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("9912345678"), QStringLiteral("书"));
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("55555555"), QStringLiteral("鞋子"));
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("66666666"),
                    QStringLiteral("50%鞋"));
        p.start();
        p.press(Qt::Key_F7);
        QVERIFY(p.Option1(1)->isChecked() && p.Option2(1)->isChecked());
        QCOMPARE(QApplication::focusWidget(), p.Text7());
        p.Option1(field)->setChecked(true);
        p.Option2(match)->setChecked(true);
        p.Text7()->setText(text);
        p.press(Qt::Key_Return); // the search button is the panel's default
        if (found.isEmpty()) {
            QCOMPARE(p.dialogs.prompts(), QStringList{QStringLiteral("没有找到相关快递")});
            QCOMPARE(p.status(), QStringLiteral("没有找到相关快递.."));
            QCOMPARE(p.Text1()->count(), 0);
            QVERIFY(p.kdmenu(3)->isVisible());
            p.press(Qt::Key_F8); // the whole book again
            QCOMPARE(p.Text1()->count(), 4);
            return;
        }
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.dialogs.prompts(), QStringList{message});
        QCOMPARE(entriesOf(p.Text1()), (found + QStringList{"******************", "刷新快递列表"}));
        QCOMPARE(p.Text1()->currentIndex(), 0);
        QVERIFY(!p.kdmenu(3)->isVisible());
        QVERIFY(!p.gateway.trackingQueries().isEmpty()); // the first hit is being queried
    }

    void searchMessagesAndNumberFilter() {
        TestProgram p;
        p.start();
        p.Option1(0)->setChecked(true);
        p.Option2(0)->setChecked(true);
        p.press(Qt::Key_F7); // every opening starts from goods, by containment
        QVERIFY(p.Option1(1)->isChecked() && p.Option2(1)->isChecked());
        QTest::mouseClick(p.Command1(14), Qt::LeftButton);
        p.Option1(0)->setChecked(true);
        QTest::mouseClick(p.Command1(14), Qt::LeftButton);
        QCOMPARE(p.dialogs.prompts(), (QStringList{"请输入快递物品..", "请输入快递单号.."}));
        QTest::keyClicks(p.Text7(), QStringLiteral("SF12"));
        QCOMPARE(p.Text7()->text(), QStringLiteral("SF12"));
        QTest::keyClicks(p.Text7(), QStringLiteral(" "));
        QCOMPARE(p.Text7()->text(), QStringLiteral("SF12 ")); // blanks around a number pass
        QTest::keyClicks(p.Text7(), QStringLiteral("3"));
        QCOMPARE(p.Text7()->text(), QString());
        p.Option1(1)->setChecked(true);
        QTest::keyClicks(p.Text7(), QStringLiteral("a b"));
        QCOMPARE(p.Text7()->text(), QStringLiteral("a b")); // goods mode: no filter
    }
};

QTEST_MAIN(BookTest)
#include "test_book.moc"

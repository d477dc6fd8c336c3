// Many parcels at once: the line reader, the preview's verdicts, one
// transaction, detection paced and cancellable, the book out as CSV and back
// in, parcels put away by hand and by the option, found again by a search,
// and the selector's light model of a big book.
#include "TestProgram.h"
#include "parcels/Archive.h"
#include "parcels/BatchLines.h"
#include "parcels/BatchPanel.h"
#include "watch/Marks.h"

#include <QPlainTextEdit>
#include <QStringEncoder>

namespace {
BatchPanel* batch(const TestProgram& p) {
    return p.control<BatchPanel>(QStringLiteral("kdbatch"));
}
QPushButton* button(const TestProgram& p, int i) {
    return p.control<QPushButton>(QStringLiteral("CommandBatch_%1").arg(i));
}
QStringList verdicts(const TestProgram& p) {
    QStringList out;
    for (const BatchLine& l : batch(p)->lines())
        out << verdictText(l.verdict);
    return out;
}
void paste(TestProgram& p, const QString& text) {
    p.press(Qt::Key_B, Qt::ControlModifier);
    QVERIFY(batch(p)->isVisible());
    p.control<QPlainTextEdit>(QStringLiteral("TextBatch"))->setPlainText(text);
    QTest::mouseClick(button(p, 1), Qt::LeftButton);
}
QString file(const TestProgram& p, const char* name, const QByteArray& bytes) {
    const QString path = p.folder() + u'/' + QLatin1String(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("cannot write");
    return path;
}
int bookSize(TestProgram& p) {
    Store s(QStringLiteral("size"));
    if (s.open(p.storePath()) != OpenResult::Ok) return -1;
    return int(s.parcels()->size());
}
} // namespace

class BatchTest : public QObject {
    Q_OBJECT
private slots:
    void theLineReader() {
        const struct {
            QString text;
            QList<TextRow> rows;
        } cases[] = {
            {"SF1234567890\t顺丰快递\t衣服\r\nYT12345678 圆通速递  书\n",
             {{1, {"SF1234567890", "顺丰快递", "衣服"}}, {2, {"YT12345678", "圆通速递", "书"}}}},
            {"YT1234567,圆通速递,\"书, 笔\"\rJD1234567,,\"他说\"\"好\"\"\"",
             {{1, {"YT1234567", "圆通速递", "书, 笔"}}, {2, {"JD1234567", "", "他说\"好\""}}}},
            {"\"两\n行\",YT7654321\n\n   \r\nEA123456789CN\ra\t\tb\n,,\n",
             {{1, {"两\n行", "YT7654321"}}, {5, {"EA123456789CN"}}, {6, {"a", "", "b"}}}},
        };
        for (const auto& c : cases)
            QCOMPARE(splitLines(c.text), c.rows);
        qsizetype total = 0;
        QCOMPARE(splitLines(QStringLiteral("a\nb\n\nc\n"), 2, &total),
                 (QList<TextRow>{{1, {"a"}}, {2, {"b"}}}));
        QCOMPARE(total, 3);
        // UTF-8 with or without a BOM, GB18030; a binary file is refused.
        const QString tea = QStringLiteral("YT1234567,茶叶");
        QCOMPARE(decodeText("\xEF\xBB\xBF" + tea.toUtf8()), tea);
        QCOMPARE(decodeText(tea.toUtf8()), tea);
        QStringEncoder gb("GB18030");
        QCOMPARE(decodeText(gb(tea)), tea);
        QString why;
        QVERIFY(!decodeText(QByteArray("PK\x03\x04\x00\x01", 6), &why));
        QCOMPARE(why, QStringLiteral("所选文件不是文本文件"));
        for (const auto& [text, ok] : {std::pair{"YT1234", true},
                                       {"12345", false},
                                       {"A234567890123456789012345678901234", false},
                                       {"YT-1234567", false},
                                       {"shunfeng", false},
                                       {"１２３４５６７", false}})
            QVERIFY2(isTrackingNumber(QString::fromUtf8(text)) == ok, text);
    }

    // Columns by the header (an order's number is not the parcel's), an empty
    // cell in its column, a courier's code before the number, a formula-like
    // cell guarded on the way out and back as it was, each its text's line.
    void theLinesOfAList() {
        const BatchLookup lookup{
            [](const QString& t) -> std::optional<std::pair<QString, QString>> {
                if (t != u"shunfeng" && t != u"顺丰快递") return std::nullopt;
                return std::pair{QStringLiteral("顺丰快递"), QStringLiteral("shunfeng")};
            },
            [](const QString&) { return false; }};
        const QByteArray guarded = csvLine({"888", "", "SF1000000001", "=SUM(A1)"});
        QCOMPARE(guarded, "888,,SF1000000001,'=SUM(A1)\r\n");
        QList<BatchLine> l = readBatch(
            splitLines(QString::fromUtf8(csvLine({"订单号", "快递公司", "快递单号", "物品"}) +
                                         guarded + "\r\n888,顺丰快递,SF1000000002,\r\n")),
            lookup);
        QCOMPARE(l.size(), 2);
        QCOMPARE((QStringList{QString::number(l[0].line), l[0].number, l[0].courier, l[0].goods}),
                 (QStringList{"2", "SF1000000001", "", "=SUM(A1)"}));
        QCOMPARE(l[0].verdict, BatchLine::ToDetect);
        QCOMPARE((QStringList{QString::number(l[1].line), l[1].courier, l[1].code, l[1].goods}),
                 (QStringList{"4", "顺丰快递", "shunfeng", "SF1000000002"}));
        l = readBatch(splitLines(QStringLiteral("shunfeng SF1000000003 书\nSF1000000004\t\t鞋")),
                      lookup);
        QCOMPARE((QStringList{l[0].number, l[0].courier, l[0].goods, l[1].number, l[1].goods}),
                 (QStringList{"SF1000000003", "顺丰快递", "书", "SF1000000004", "鞋"}));
    }

    // Every line's verdict before anything is stored, and only the new ones
    // stored, in one transaction: a locked store stores none.
    void thePreviewAndOneTransaction() {
        TestProgram p;
        p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT1000000001"),
                    QStringLiteral("旧的"));
        p.start();
        paste(p, QStringLiteral("YT2000000001\t圆通速递\t书\n"
                                "YT1000000001 圆通速递\n"
                                "中文单号 圆通速递\n"
                                "SF3000000001 台灯\n"
                                "YT4000000001 火星快递 笔\n"
                                "ZTO 75300000001\n"
                                "YT2000000001 圆通速递\n"));
        QCOMPARE(verdicts(p),
                 (QStringList{"新快递", "已在快递簿中", "不是快递单号", "待检测快递公司",
                              "未知快递公司", "新快递", "已在快递簿中"}));
        QCOMPARE(p.control<QLabel>(QStringLiteral("LabelBatch"))->text(),
                 QStringLiteral("新快递2个,已在快递簿中2个,不是单号1个,待检测1个,未知快递公司1个"));
        const BatchLine& sf = batch(p)->lines()[3];
        QCOMPARE(sf.goods, QStringLiteral("台灯"));
        QCOMPARE(batch(p)->lines()[5].courier, QStringLiteral("中通快递"));  // 快递鸟's code
        QCOMPARE(batch(p)->lines()[5].goods, QStringLiteral("75300000001")); // goods default

        StoreLock lock(p.storePath());
        QTest::mouseClick(button(p, 4), Qt::LeftButton);
        QVERIFY(
            p.dialogs.prompts().last().startsWith(QStringLiteral("批量添加失败!没有添加任何快递")));
        lock.release();
        QCOMPARE(bookSize(p), 1);
        QTest::mouseClick(button(p, 4), Qt::LeftButton);
        QCOMPARE(p.status(), QStringLiteral("已添加2个快递单.."));
        QCOMPARE(bookSize(p), 3);
        QCOMPARE(p.Text1()->count(), 3);
        QCOMPARE(p.gateway.trackingQueries().size(), 0); // asked later, never all at once
        // No count yet: the first answer is what the user has seen, kept.
        QCOMPARE(p.parcel(2).num, QString());
        p.gateway.script(QStringLiteral("YT2000000001"), {journey(3)});
        p.choose(1);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.Label12(3)->text(), QStringLiteral("无更新"));
        QCOMPARE(p.parcel(2).num, QStringLiteral("3"));
    }

    // One number at a time, paced; the second click cancels.
    void detectionIsPacedAndCancellable() {
        TestProgram p;
        p.start();
        batch(p)->detectPauseMs = 400;
        paste(p, QStringLiteral("YT5000000001\nYT5000000002\nYT5000000003\n"));
        QCOMPARE(verdicts(p), QStringList(3, QStringLiteral("待检测快递公司")));
        p.gateway.scriptAutoNumber(QStringLiteral("YT5000000001"),
                                   {"[{\"comCode\":\"yuantong\"}]"});
        p.gateway.scriptAutoNumber(QStringLiteral("YT5000000002"), {"[{\"comCode\":\"nosuch\"}]"});
        QTest::mouseClick(button(p, 2), Qt::LeftButton);
        QCOMPARE(button(p, 2)->text(), QStringLiteral("取消检测"));
        QTRY_COMPARE(p.gateway.autoNumberQueries().size(), 1);
        QTRY_COMPARE(verdicts(p)[0], QStringLiteral("新快递"));
        QCOMPARE(p.gateway.autoNumberQueries().size(), 1); // the pause before the next
        QTRY_COMPARE(verdicts(p)[1], QStringLiteral("未知快递公司"));
        QTest::mouseClick(button(p, 2), Qt::LeftButton); // cancelled before the third
        QCOMPARE(button(p, 2)->text(), QStringLiteral("检测快递公司"));
        QTest::qWait(600);
        QCOMPARE(p.gateway.autoNumberQueries().size(), 2);
        QCOMPARE(verdicts(p)[2], QStringLiteral("待检测快递公司"));
    }

    void theBookOutAndBackIn() {
        TestProgram out;
        out.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT6000000001"),
                      QStringLiteral("书, \"精装\""));
        out.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF6000000002"),
                      QStringLiteral("茶叶"));
        out.start();
        out.dialogs.saveAnswer = out.folder() + QStringLiteral("/book");
        out.press(Qt::Key_B, Qt::ControlModifier);
        QTest::mouseClick(button(out, 3), Qt::LeftButton);
        const QByteArray csv = fileBytes(out.folder() + QStringLiteral("/book.csv"));
        QVERIFY(csv.startsWith(
            "\xEF\xBB\xBF快递公司,快递单号,物品信息,条数,状态,最新动态,动态时间\r\n"));
        QVERIFY(csv.contains("圆通速递,YT6000000001,\"书, \"\"精装\"\"\",0,,,\r\n"));

        TestProgram in;
        in.start();
        in.dialogs.openAnswer = file(in, "book.csv", csv);
        in.press(Qt::Key_B, Qt::ControlModifier);
        QTest::mouseClick(button(in, 0), Qt::LeftButton);
        QCOMPARE(verdicts(in), QStringList(2, QStringLiteral("新快递")));
        QTest::mouseClick(button(in, 4), Qt::LeftButton);
        QCOMPARE(in.parcel(1).goods, QStringLiteral("书, \"精装\""));
        QCOMPARE(in.parcel(2).company, QStringLiteral("顺丰快递"));
        QCOMPARE(in.parcel(2).number, QStringLiteral("SF6000000002"));

        // No text, or too many lines: said, and nothing read.
        in.dialogs.openAnswer = file(in, "photo.png", QByteArray("\x89PNG\r\n\x1a\n\0\0", 10));
        QTest::mouseClick(button(in, 0), Qt::LeftButton);
        QCOMPARE(in.dialogs.prompts().last(),
                 QStringLiteral("所选文件不是文本文件,没有添加任何快递.."));
        QByteArray many;
        for (int i = 0; i < 100000; ++i)
            many += "YT" + QByteArray::number(7000000000 + i) + "\r\n";
        in.dialogs.openAnswer = file(in, "many.txt", many);
        QTest::mouseClick(button(in, 0), Qt::LeftButton);
        QVERIFY(batch(in)->lines().isEmpty());
        QCOMPARE(in.control<QLabel>(QStringLiteral("LabelBatch"))->text(),
                 QStringLiteral("共100000行,一次最多添加20000行,请分批添加.."));
        QCOMPARE(bookSize(in), 2);
    }

    // Put away by hand and by the option: out of the selector and the count
    // at start; a search finds it, marked, and choosing it brings it back.
    void parcelsPutAwayAndBroughtBack() {
        TestProgram p;
        for (const char* n : {"YT8000000001", "YT8000000002", "YT8000000003"})
            p.book(QStringLiteral("圆通速递"), QString::fromLatin1(n), QString::fromLatin1(n),
                   journey(2));
        QVERIFY(p.startAndChoose(0));
        p.press(Qt::Key_F5);
        QTest::mouseClick(p.control<QPushButton>(QStringLiteral("Command8")), Qt::LeftButton);
        QCOMPARE(p.status(), QStringLiteral("[YT8000000001]已归档,按F7搜索可找回.."));
        QCOMPARE(p.Text1()->count(), 2);

        // The option: signed for ten days ago, put away at the next refill
        // once it is on.
        const auto daysAgo = [&](int days) {
            return p.clock.now().addDays(-days).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        };
        {
            Store s(QStringLiteral("signed"));
            QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
            QVERIFY(s.noteSigned(3, daysAgo(10)));
            QVERIFY(s.noteSigned(2, daysAgo(1)));
            QCOMPARE(s.watchedParcels({})->size(), 2); // the watch passes the archived one by
        }
        p.press(Qt::Key_F8);
        QCOMPARE(p.Text1()->count(), 2);
        p.Check11()->setChecked(true);
        QCOMPARE(p.options().archiveDays(), 7);
        p.press(Qt::Key_F8);
        QCOMPARE(p.Text1()->count(), 1);
        QCOMPARE(p.Text1()->itemText(0), QStringLiteral("YT8000000002"));
        // A book from before signings were noted: what the watch last saw
        // counts, from when it saw it.
        p.form.reset();
        {
            Store s(QStringLiteral("watched"));
            QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
            QVERIFY(s.unarchiveParcel(3, daysAgo(0)));
            for (const auto& [id, days] : {std::pair{3, 10}, {2, 1}})
                QVERIFY(s.saveWatch({id, QString(), daysAgo(days), QStringLiteral("已签收"), 0}));
        }
        QVERIFY(Store::runScript(p.storePath(), QStringLiteral("DROP TABLE signed;\n"), nullptr));
        p.start();
        QCOMPARE(p.status(), QStringLiteral("程序已加载完毕,当前共有1个快递单。"));

        p.press(Qt::Key_F7);
        p.Option1(0)->setChecked(true); // by number, containing
        p.Option2(1)->setChecked(true);
        p.Text7()->setText(QStringLiteral("YT8"));
        p.press(Qt::Key_Return);
        QVERIFY(p.waitForQueryEnd()); // the first found is chosen, so it is back
        QCOMPARE(p.Text1()->itemText(0), QStringLiteral("YT8000000001"));
        QCOMPARE(p.Text1()->itemText(2), QStringLiteral("YT8000000003（已归档）"));
        p.choose(2);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.Text1()->itemText(2), QStringLiteral("YT8000000003"));
        p.press(Qt::Key_F8);
        QCOMPARE(p.Text1()->count(), 3); // both back in the book, the option on
        QCOMPARE(p.options().archiveDays(), 7);
        // Read as signed for long ago when chosen: put away at the next refill.
        p.gateway.script(QStringLiteral("YT8000000001"),
                         {journey(2, QStringLiteral("已签收,感谢使用"))});
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        p.press(Qt::Key_F8);
        QCOMPARE(p.Text1()->count(), 2);
    }

    // The selector holds ids; each entry's goods are read when shown.
    void theSelectorsModelReadsGoodsWhenShown() {
        MarkedBook book;
        int reads = 0;
        book.goodsOf = [&reads](qint64 id) {
            ++reads;
            return QStringLiteral("物品%1").arg(id);
        };
        QList<qint64> ids;
        for (qint64 i = 1; i <= 100000; ++i)
            ids << i;
        book.setBook(ids);
        QCOMPARE(book.rowCount(), 100000);
        QCOMPARE(reads, 0);
        QCOMPARE(book.data(book.index(99999), Qt::DisplayRole).toString(),
                 QStringLiteral("物品100000"));
        QCOMPARE(book.data(book.index(99999), Qt::DisplayRole).toString(),
                 QStringLiteral("物品100000"));
        QCOMPARE(reads, 1);
        QCOMPARE(book.parcelAt(4), 5);
        QCOMPARE(book.rowOf(100000), 99999);
        book.setData(book.index(4), QStringLiteral("改过的"));
        QCOMPARE(book.data(book.index(4), Qt::EditRole).toString(), QStringLiteral("改过的"));
        book.append(QStringLiteral("刷新快递列表"));
        QCOMPARE(book.rowCount(), 100001);
        QCOMPARE(book.parcelAt(100000), 0);
        QCOMPARE(book.data(book.index(100000), Qt::DisplayRole).toString(),
                 QStringLiteral("刷新快递列表"));
        // Given texts follow their rows out and in.
        book.setBook({"a", "b", "c", "d", "e"}, {1, 2, 3, 4, 5});
        QVERIFY(book.removeRows(1, 2));
        QVERIFY(book.insertRows(0, 1));
        QStringList texts;
        for (int row : {1, 2, 3})
            texts << book.data(book.index(row), Qt::DisplayRole).toString();
        QCOMPARE(texts, (QStringList{"a", "d", "e"}));
    }
};

QTEST_MAIN(BatchTest)
#include "test_batch.moc"

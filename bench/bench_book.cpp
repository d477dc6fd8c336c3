// The parcel book at 100,000 parcels: start-up to the filled selector, the
// selector refill, a containment search, the duplicate check of adding, the
// export of 10,000 progress rows and clearing the book, each beside the plain SQLite statement
// (or plain file write) that does the same work, in the same run. Prints
// medians and ratios; asserts nothing.
#include "TestProgram.h"
#include "parcels/BookText.h"
#include "watch/Marks.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QStringListModel>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <unistd.h>

namespace {
constexpr int Parcels = 100000;
constexpr int Runs = 9;

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timed(const std::function<void()>& work) {
    QList<double> ms;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        ms << double(t.nsecsElapsed()) / 1e6;
    }
    return median(ms);
}

void row(const char* what, double ours, double plain, double target) {
    std::printf("%-34s %9.2f ms %9.2f ms %6.2fx   target %6.0f ms %s\n", what, ours, plain,
                ours / plain, target, ours <= target ? "met" : "MISSED");
}

// Realistic goods texts, many of them repeated.
void fillBook(const QString& path) {
    const QStringList goods = {"爸爸衣服",   "妈妈的鞋子", "手机壳",     "茶叶",
                               "书",         "儿童玩具",   "笔记本电脑", "耳机",
                               "零食大礼包", "床上四件套", "洗发水",     "口红"};
    const QStringList couriers = {"顺丰快递", "中通快递", "圆通速递", "韵达快递", "京东快递"};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fill");
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("BEGIN"));
        q.prepare(
            QStringLiteral("INSERT INTO kd100 (company, number, goods, num) VALUES (?, ?, ?, 0)"));
        for (int i = 0; i < Parcels; ++i) {
            q.addBindValue(couriers[i % couriers.size()]);
            q.addBindValue(QString::number(7730000000000LL + i * 7));
            q.addBindValue(goods[i % goods.size()] + (i % 3 ? QString::number(i / 12) : QString()));
            q.exec();
        }
        q.exec(QStringLiteral("COMMIT"));
        db.close();
    }
    QSqlDatabase::removeDatabase("fill");
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestProgram p;
    fillBook(p.storePath());

    QSqlDatabase plain = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "plain");
    plain.setDatabaseName(p.storePath());
    plain.open();
    const auto plainList = [&](const QString& sql, const QVariant& value = {}) {
        QSqlQuery q(plain);
        q.setForwardOnly(true);
        q.prepare(sql);
        if (value.isValid()) q.addBindValue(value);
        q.exec();
        QStringList out;
        while (q.next())
            out << q.value(0).toString();
        return out;
    };

    std::printf("件踪宝 book operations, %d parcels, median of %d\n", Parcels, Runs);
    std::printf("%-34s %12s %12s %7s\n", "", "program", "plain SQLite", "ratio");

    // Start-up: the window built and loaded, up to the filled selector (the
    // first start makes the day's backup; it is taken out of the runs).
    p.load();
    p.form.reset();
    const double start = timed([&] {
        p.load();
        p.form.reset();
    });
    const double startPlain =
        timed([&] { plainList(QStringLiteral("SELECT goods FROM kd100 ORDER BY id")); });
    row("start-up to the filled selector", start, startPlain, 300);

    p.load();
    const double refill = timed([&] { p.press(Qt::Key_F8); }); // sX, the list emptied
    row("selector refill (sX)", refill, startPlain, 300);

    Store store(QStringLiteral("bench"));
    store.open(p.storePath());

    // What the selector holds of the book: every parcel's goods as texts (as
    // it did) against the ids it holds now, its goods read when shown.
    const auto heapMb = [] { return double(mallinfo2().uordblks) / (1 << 20); };
    double asTexts = 0, asIds = 0;
    {
        const double before = heapMb();
        const BookList list = *store.parcelList();
        QStringListModel texts(list.goods);
        asTexts = heapMb() - before;
    }
    {
        const double before = heapMb();
        MarkedBook ids;
        ids.setBook(*store.bookIds());
        asIds = heapMb() - before;
    }
    std::printf("%-34s %9.2f MB %9.2f MB (the goods as texts, as before)\n",
                "selector's book in memory", asIds, asTexts);
    const double search = timed([&] { (void)store.parcelsGoodsLike(QStringLiteral("鞋子1")); });
    const double searchPlain = timed([&] {
        plainList(
            QStringLiteral("SELECT goods FROM kd100 WHERE goods LIKE ? ESCAPE '\\' ORDER BY id"),
            QStringLiteral("%鞋子1%"));
    });
    row("containment search by goods", search, searchPlain, 100);

    const QString number = QString::number(7730000000000LL + 77777 * 7);
    const double duplicate = timed([&] { (void)store.parcelsWithNumber(number); });
    const double duplicatePlain =
        timed([&] { plainList(QStringLiteral("SELECT id FROM kd100 WHERE number = ?"), number); });
    row("duplicate check of adding", duplicate, duplicatePlain, 5);

    // Export of 10,000 progress rows through the list, against encoding the
    // same text at once and writing it with a plain file, synced like the
    // program's.
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < 10000; ++i)
        items << new QTreeWidgetItem({QString::number(i + 1), QStringLiteral("2026-01-01 08:00:00"),
                                      QStringLiteral("快件已到达【深圳转运中心】,正在发往下一站")});
    p.ListView1()->addTopLevelItems(items);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("export.txt"));
    p.dialogs.saveAnswer = file;
    const double exported = timed([&] { p.press(Qt::Key_F10); });
    const double exportedPlain = timed([&] {
        QString text;
        for (int i = 0; i < 10000; ++i)
            text += QString::number(i + 1).leftJustified(8) +
                    QStringLiteral(
                        "   2026-01-01 08:00:00   快件已到达【深圳转运中心】,正在发往下一站\r\n");
        QStringEncoder gb("GB18030");
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(gb.encode(text));
        // The program's export is on disk before it says so; so is this one.
        f.flush();
        fdatasync(f.handle());
    });
    row("export of 10,000 rows", exported, exportedPlain, 100);

    // Clearing the book, each run on a fresh copy of the full store.
    const QString full = dir.filePath(QStringLiteral("full.db"));
    QFile::copy(p.storePath(), full);
    QList<double> cleared, clearedPlain;
    for (int i = 0; i < Runs; ++i) {
        const QString ours = dir.filePath(QStringLiteral("ours%1.db").arg(i));
        const QString theirs = dir.filePath(QStringLiteral("plain%1.db").arg(i));
        QFile::copy(full, ours);
        QFile::copy(full, theirs);
        Store copy(QStringLiteral("clear%1").arg(i));
        copy.open(ours);
        QElapsedTimer t;
        t.start();
        copy.clearParcels();
        cleared << double(t.nsecsElapsed()) / 1e6;
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plainclear"));
            db.setDatabaseName(theirs);
            db.open();
            t.restart();
            QSqlQuery(db).exec(QStringLiteral("DELETE FROM kd100"));
            clearedPlain << double(t.nsecsElapsed()) / 1e6;
        }
        QSqlDatabase::removeDatabase(QStringLiteral("plainclear"));
    }
    row("clearing the book", median(cleared), median(clearedPlain), 1000);
    return 0;
}

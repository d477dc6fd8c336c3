// Parsing answers of 20, 1,000 and 10,000 entries: the program's parser
// against one plain pass over the text (the floor) and against the method
// that splits the whole answer again for every entry (the old way).
// Prints times and ratios; asserts nothing.
#include "tracking/Answer.h"

#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
QString answerOf(int entries) {
    QString data;
    for (int i = entries; i >= 1; --i)
        data += QStringLiteral(
                    "%1{\"time\":\"2026-01-01 08:%2:00\",\"ftime\":\"2026-01-01 08:%2:00\","
                    "\"context\":\"快件已到达【深圳市\\/转运中心】第%3站\",\"location\":null}")
                    .arg(i == entries ? "" : ",")
                    .arg(i % 60, 2, 10, QChar('0'))
                    .arg(i);
    return QStringLiteral("{\"message\":\"ok\",\"errCode\":\"0\",\"data\":[%1]}").arg(data);
}

// The old way: split the whole answer at the key for every entry.
QList<Entry> splitPerEntry(const QString& answer, int tally) {
    static const QString timeKey = QStringLiteral("\"time\":\"");
    static const QString contextKey = QStringLiteral("\"context\":\"");
    QList<Entry> out;
    for (int i = 1; i <= tally; ++i) {
        Entry e;
        const QStringList t = answer.split(timeKey);
        if (i < t.size()) e.time = t[i].left(std::max<qsizetype>(0, t[i].indexOf('"')));
        const QStringList c = answer.split(contextKey);
        if (i < c.size()) e.context = c[i].left(std::max<qsizetype>(0, c[i].indexOf('"')));
        e.context.replace(QStringLiteral("\\/"), QStringLiteral(" "));
        out << e;
    }
    return out;
}

// The floor: one plain pass that cuts the text at the keys once.
qsizetype splitOnce(const QString& answer) {
    return answer.split(QStringLiteral("\"time\":\"")).size() +
           answer.split(QStringLiteral("\"context\":\"")).size();
}

// A lower floor still: one pass that only looks at every character.
qsizetype quoteCount(const QString& answer) {
    return answer.count(u'"');
}

double secondsFor(const std::function<void()>& work, int minRuns) {
    QElapsedTimer t;
    int runs = 0;
    t.start();
    do {
        work();
        ++runs;
    } while (runs < minRuns || t.nsecsElapsed() < 200'000'000);
    return double(t.nsecsElapsed()) / 1e9 / runs;
}
} // namespace

int main() {
    std::printf("%-8s %11s %11s %11s %13s %9s %9s %13s\n", "entries", "parser", "split once",
                "count \"", "split/entry", "vs once", "vs count", "split/parser");
    for (int n : {20, 1000, 10000}) {
        if (qEnvironmentVariableIsSet("QUICK") && n == 10000) break;
        const QString answer = answerOf(n);
        qsizetype sink = 0;
        const double parser =
            secondsFor([&] { sink += parseEntries(answer, countEntries(answer)).size(); }, 3);
        const double pass = secondsFor([&] { sink += quoteCount(answer); }, 3);
        const double once = secondsFor([&] { sink += splitOnce(answer); }, 3);
        if (splitPerEntry(answer, n).size() != parseEntries(answer, n).size() ||
            splitPerEntry(answer, n).constLast().context !=
                parseEntries(answer, n).constLast().context) {
            std::printf("results differ at %d entries\n", n);
            return 1;
        }
        const double split = secondsFor([&] { sink += splitPerEntry(answer, n).size(); }, 1);
        std::printf("%-8d %9.3fms %9.3fms %9.3fms %11.1fms %8.2fx %8.1fx %12.0fx\n", n,
                    parser * 1e3, once * 1e3, pass * 1e3, split * 1e3, parser / once, parser / pass,
                    split / parser);
        if (sink == 42) std::puts("");
    }
    std::printf(
        "vs once: the parser's time over one plain pass that cuts the answer at the keys once;\n"
        "vs count: over a pass that only counts quotes; split/parser: how many times faster\n"
        "the parser is than splitting the whole answer again for every entry.\n");
    return 0;
}

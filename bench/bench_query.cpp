// A full query on loopback, from the choice of a parcel to "查询完毕...",
// against the same HTTP GET made with libcurl. The program waits 100 ms on
// purpose before it parses (the parser's timer); the overhead is what the
// query costs beyond that wait and beyond the bare GET. Prints; asserts nothing.
#include "TestProgram.h"
#include "tracking/Answer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <curl/curl.h>
#include <thread>

namespace {
size_t keep(char* data, size_t size, size_t n, void* out) {
    static_cast<std::string*>(out)->append(data, size * n);
    return size * n;
}

// One GET with libcurl on a worker thread while the window's loop keeps
// serving the in-process gateway.
double curlGet(const QString& url) {
    double ms = 0;
    bool done = false;
    std::thread worker([&] {
        CURL* curl = curl_easy_init();
        std::string body;
        curl_easy_setopt(curl, CURLOPT_URL, url.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keep);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
        QElapsedTimer t;
        t.start();
        curl_easy_perform(curl);
        ms = double(t.nsecsElapsed()) / 1e6;
        curl_easy_cleanup(curl);
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
    return ms;
}

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    TestProgram p;
    const QString number = QStringLiteral("433987651231"); // simulated, out for delivery
    p.addParcel(QStringLiteral("中通快递"), number, QStringLiteral("茶叶"));
    p.start();

    const int runs = 30;
    QList<double> query, request, get;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        p.select(0); // returns once the answer is in and the parser armed
        request << double(t.nsecsElapsed()) / 1e6;
        while (p.status() != QStringLiteral("查询完毕..."))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        query << double(t.nsecsElapsed()) / 1e6;
        get << curlGet(trackingUrl(p.endpoints.tracking, QStringLiteral("zhongtong"), number));
    }
    const double q = median(query), g = median(get);
    std::printf("full query, choice to 查询完毕...: %8.2f ms (median of %d)\n", q, runs);
    std::printf("  choice to answer in, parser armed:%8.2f ms\n", median(request));
    std::printf("  of which the parser's wait:       %8.2f ms\n", 100.0);
    std::printf("same GET with libcurl:              %8.2f ms\n", g);
    std::printf("overhead beyond wait and GET:       %8.2f ms\n", q - 100.0 - g);
    curl_global_cleanup();
    return 0;
}

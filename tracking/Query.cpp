// One query of the current parcel: the request (kdgs, over the tracking
// source; GetBody serves the other services), the
// failure check (cx), the parser (hx2, the Timer1 tick, ql), the watchdog
// (Timer7) and the reset to idle (csh).
#include "app/Form1.h"
#include "platform/Platform.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/Answer.h"
#include "tracking/ForegroundQuery.h"
#include "tracking/Reading.h"
#include "tracking/Source.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

QString Form1::GetBody(const QString& url) {
    return bodyText(m_platform.http.get(url));
}

// The busy animation over the selector while a query runs.
void Form1::setBusy(bool busy) {
    AniGIF1->setVisible(busy);
    if (busy)
        m_busy->start();
    else
        m_busy->stop();
}

bool Form1::kdgs(const QString& number, qint64 parcel) {
    const quint64 query = m_query->start();
    if (!m_source->ready()) {
        noAccount(); // nothing is sent, nothing is shown
        return false;
    }
    setStatus(cur.company + ':' + cur.goods + QStringLiteral("查询中..."));
    const auto ask = [this](const TrackRequest& request) {
        return waitFor<TrackReply>([this, &request](std::function<void(TrackReply)> done) {
            return m_source->track(request, std::move(done));
        });
    };
    TrackRequest request{cur.code, number, QString()};
    if (parcel) {
        const auto phone = m_store->parcelPhone(parcel);
        if (!phone.failed()) request.phone = *phone;
    } else if (m_typedPhone.number == number) {
        request.phone = m_typedPhone.phone;
    }
    // The whole-book watch keeps still until this query has its answer,
    // the question for a phone included.
    std::optional<ForegroundQuery::Wait> waiting(std::in_place, *m_query);
    TrackReply reply = ask(request);
    if (m_query->isCurrent(query) && reply.phoneWanted) {
        // The courier answers only with the receiver's phone: asked once,
        // kept with the parcel, and the service asked again with it.
        m_query->holdWatchdog();
        const std::optional<QString> phone = askPhone(number, !request.phone.isEmpty());
        if (m_query->isCurrent(query) && phone) {
            if (parcel)
                m_store->setParcelPhone(parcel, *phone);
            else
                m_typedPhone = {number, *phone};
            request.phone = *phone;
            m_query->restartWatchdog();
            reply = ask(request);
        }
    }
    waiting.reset();
    if (!m_query->isCurrent(query)) return false; // a newer query owns the window now
    if (reply.phoneWanted) {
        m_query->end(ForegroundQuery::Unlock::Window);
        setStatus(QStringLiteral("需要正确的收件人手机号码才能查询该快递.."));
        return false;
    }
    answer = reply.body;
    *reading = Reading::of(reply);
    if (!answer.isEmpty()) showAnswerTime(reply);
    return true;
}

void Form1::cx() {
    setStatus(QStringLiteral("未查询"));
    ListView1->clear();
    Label27->clear();
    if (!kdgs(cur.number, cur.id)) return;
    const quint64 query = m_query->current();
    switch (reading->outcome) {
    case Reading::Outcome::Nothing:
        return; // the watchdog reports it
    case Reading::Outcome::Progress:
        hx2();
        // The answer is in; the parser, or hx2 itself, gives the window back.
        return m_query->end(ForegroundQuery::Unlock::None);
    case Reading::Outcome::NoResult:
        offerToDelete(query);
        // The offer may have started the next query (the first parcel);
        // its animation, watchdog and controls are that query's own.
        if (!m_query->isCurrent(query)) return;
        break;
    case Reading::Outcome::Failed:
        // What the watch remembers of the parcel is shown instead, when it
        // has it; a refused account is said whatever is shown.
        setStatus(reading->failure);
        showRemembered();
        if (reading->accountRefused) accountRefused(reading->failure);
        break;
    }
    m_query->end(ForegroundQuery::Unlock::Window);
}

// The service does not know the number: keep the parcel, or delete it after
// a second question. A query started while a question was open ends the
// offer: the current parcel may no longer be the one asked about.
void Form1::offerToDelete(quint64 query) {
    m_query->holdWatchdog();
    const auto ask = [this, query](const QString& question) {
        return m_platform.dialogs.MsgBox(question, Mb::YesNo + Mb::Information, BoxTitle) ==
                   Mb::Yes &&
               m_query->isCurrent(query);
    };
    const int keep = m_platform.dialogs.MsgBox(
        QStringLiteral("您好,您当前查询的快递单号不存在,是否保留?\n\n"
                       "如果此快递单号是您刚添加不久,建议几小时后再来查询"),
        Mb::YesNo + Mb::Information, BoxTitle);
    if (!m_query->isCurrent(query)) return;
    if (keep == Mb::Yes || !ask(QStringLiteral("二次防误操作：确认要删除此快递单号?"))) {
        if (m_query->isCurrent(query)) setStatus(QStringLiteral("该快递单号暂无物流信息,已保留.."));
        return;
    }
    const qint64 id = cur.id;
    if (id && m_store->deleteParcel(id)) {
        m_platform.dialogs.MsgBox(QStringLiteral("快递信息已删除!"), Mb::OkOnly + Mb::Information,
                                  BoxTitle);
        setStatus(QStringLiteral("快递信息已删除.."));
    } else {
        const QString failed = QStringLiteral("快递信息删除失败!该快递可能已不在快递列表中");
        m_platform.dialogs.MsgBox(failed, Mb::OkOnly + Mb::Exclamation, BoxTitle);
        setStatus(failed);
    }
    if (sX() && options->on(Switch::QueryFirst) && Text1->count() > 0) selectListIndex(0);
}

void Form1::hx2() {
    entryTally = reading->count();
    m_query->parseAnswer();
    if (entryTally > 0) {
        Timer1->start();
        return;
    }
    // A waybill without progress yet (code 0, no entries): the query is done.
    ql();
    setStatus(QStringLiteral("查询完毕..."));
    ListView1->setEnabled(true);
    m_query->end(ForegroundQuery::Unlock::AfterQuery);
}

// The selector and toolbar after a finished query; while loop or timed
// querying runs, only the courier-list button.
void Form1::unlockAfterQuery() {
    if (pollMode == PollMode::Off) {
        Text1->setEnabled(true);
        setToolbarEnabled(true);
    } else {
        Image2[6]->setEnabled(true);
    }
}

void Form1::Timer1_Timer() {
    if (!m_query->parsedIsCurrent()) {
        // A newer query started after this answer arrived: its own answer
        // (and its own parse) decide what the list shows.
        Timer1->stop();
        ql();
        return;
    }
    ListView1->setEnabled(true);
    const Reading read = *reading; // ql() below lets the answer go
    QList<QTreeWidgetItem*> rows;
    rows.reserve(read.count());
    for (int i = 0; i < read.count(); ++i)
        rows << new QTreeWidgetItem(
            {QString::number(i + 1), read.entries[i].time, read.entries[i].context});
    ListView1->addTopLevelItems(rows);
    Timer1->stop();
    if (QTreeWidgetItem* newest = ListView1->topLevelItem(0)) {
        QFont bold = newest->font(0);
        bold.setBold(true);
        for (int c = 0; c < 3; ++c) {
            newest->setForeground(c, QColor(255, 0, 0));
            newest->setFont(c, bold);
        }
    }
    ql();
    newCount = read.count();

    setStatus(QStringLiteral("查询完毕..."));
    Label12[7]->setText(cur.company);
    m_query->end(ForegroundQuery::Unlock::AfterQuery);
    if (newCount > 0) {
        // The oldest row is selected, but the list keeps showing its top,
        // where the newest row stands in red.
        ListView1->setAutoScroll(false);
        ListView1->setCurrentItem(ListView1->topLevelItem(newCount - 1));
        ListView1->setAutoScroll(true);
        ListView1->scrollToTop();
    }

    *shown = read;
    Label12[2]->setText(stateText(read.state));
    Label12[5]->setText(transitText(read.transitSecs(m_platform.clock.now())));
    Timer1->stop();
    gxtj();
    rememberAnswer(read); // after gxtj, so the marks see the count just stored
}

void Form1::ql() {
    entryTally = 0;
    answer.clear();
    *reading = Reading();
}

void Form1::Timer7_Timer() {
    if (!m_query->watchdogTick()) return;
    csh();
    showRemembered();
    m_platform.dialogs.MsgBox(
        QStringLiteral("程序自动检测快递异常!\n \n可能存在以下问题：\n1.网络异常\n"
                       "2.快递公司异常\n4.当前快递单号已失效\n"
                       "5.单号或对应快递公司错误\n \n请您稍后重试"),
        Mb::OkOnly + Mb::Information, BoxTitle);
}

void Form1::csh() {
    hideAllPanels();
    Timer1->stop();
    unlockWindow();
    setBusy(false);
    ListView1->setFocus();
    setStatus(QStringLiteral("程序初始化完毕.."));
}

#include "tracking/QuerySession.h"

#include "platform/Platform.h"
#include "store/Store.h"
#include "tracking/Enterprise.h"
#include "tracking/Source.h"

#include <QTimer>
#include <utility>

QuerySession::QuerySession(Store& store, Dialogs& dialogs, SystemClock& clock, QObject* parent)
    : QObject(parent), m_store(store), m_dialogs(dialogs), m_clock(clock),
      m_reading(std::make_unique<Reading>()), m_shown(std::make_unique<Reading>()) {
    setObjectName(QStringLiteral("querySession"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer1->setTimerType(Qt::PreciseTimer); // the parse follows its answer after 100 ms, not 95
    Timer7 = new QTimer(this);
    Timer7->setObjectName(QStringLiteral("Timer7"));
    Timer7->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &QuerySession::Timer1_Timer);
    connect(Timer7, &QTimer::timeout, this, &QuerySession::Timer7_Timer);
    m_query = new ForegroundQuery(Timer7, this);
    m_query->showBusy = [this](bool on) { emit busy(on); };
    m_query->unlock = [this](ForegroundQuery::Unlock what) { emit unlock(what); };
}

QuerySession::~QuerySession() {
    Timer1->stop();
    Timer7->stop();
}

bool QuerySession::parsing() const {
    return Timer1->isActive();
}

QuerySession::Choice QuerySession::choose(qint64 parcel, QString* error) {
    const auto row = m_store.parcelById(parcel);
    if (row.failed() || !*row) {
        if (error) *error = row.error();
        return row.failed() ? Choice::Unreadable : Choice::Gone;
    }
    const auto courier = m_store.courierByName((*row)->company);
    if (courier.failed()) {
        if (error) *error = courier.error();
        return Choice::Unreadable;
    }
    cur.company = (*row)->company;
    cur.number = (*row)->number;
    cur.goods = (*row)->goods;
    cur.num = (*row)->num;
    cur.id = (*row)->id;
    // A company missing from the directory keeps the code of before.
    if (*courier) cur.code = (*courier)->code;
    *m_shown = Reading();
    emit cellsReset();
    cx();
    return Choice::Queried;
}

void QuerySession::prepareAdd(const QString& number, const QString& company, const QString& code,
                              const QString& goods) {
    cur.number = number;
    cur.company = company;
    cur.goods = goods;
    if (!code.isNull()) cur.code = code;
    emit cleared(false);
}

bool QuerySession::kdgs(const QString& number, qint64 parcel) {
    const quint64 query = m_query->start();
    if (!m_source || !m_source->ready()) {
        noAccount(); // nothing is sent, nothing is shown
        return false;
    }
    emit status(cur.company + ':' + cur.goods + QStringLiteral("查询中..."));
    const auto ask = [this](const TrackRequest& request) {
        return waitFor<TrackReply>([this, &request](std::function<void(TrackReply)> done) {
            return m_source->track(request, std::move(done));
        });
    };
    TrackRequest request{cur.code, number, QString()};
    if (parcel) {
        const auto phone = m_store.parcelPhone(parcel);
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
                m_store.setParcelPhone(parcel, *phone);
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
        emit status(QStringLiteral("需要正确的收件人手机号码才能查询该快递.."));
        return false;
    }
    answer = reply.body;
    *m_reading = Reading::of(reply);
    if (!answer.isEmpty()) showAnswerTime(reply);
    return true;
}

void QuerySession::cx() {
    emit status(QStringLiteral("未查询"));
    emit cleared(true);
    if (!kdgs(cur.number, cur.id)) return;
    const quint64 query = m_query->current();
    switch (m_reading->outcome) {
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
        emit status(m_reading->failure);
        emit failed();
        if (m_reading->accountRefused) accountRefused(m_reading->failure);
        break;
    }
    m_query->end(ForegroundQuery::Unlock::Window);
}

// The service does not know the number: keep the parcel, or delete it after
// a second question. A query started while a question was open ends the
// offer: the current parcel may no longer be the one asked about.
void QuerySession::offerToDelete(quint64 query) {
    m_query->holdWatchdog();
    const auto ask = [this, query](const QString& question) {
        return m_dialogs.MsgBox(question, Mb::YesNo + Mb::Information, BoxTitle) == Mb::Yes &&
               m_query->isCurrent(query);
    };
    const int keep =
        m_dialogs.MsgBox(QStringLiteral("您好,您当前查询的快递单号不存在,是否保留?\n\n"
                                        "如果此快递单号是您刚添加不久,建议几小时后再来查询"),
                         Mb::YesNo + Mb::Information, BoxTitle);
    if (!m_query->isCurrent(query)) return;
    if (keep == Mb::Yes || !ask(QStringLiteral("二次防误操作：确认要删除此快递单号?"))) {
        if (m_query->isCurrent(query))
            emit status(QStringLiteral("该快递单号暂无物流信息,已保留.."));
        return;
    }
    const qint64 id = cur.id;
    if (id && m_store.deleteParcel(id)) {
        m_dialogs.MsgBox(QStringLiteral("快递信息已删除!"), Mb::OkOnly + Mb::Information, BoxTitle);
        emit status(QStringLiteral("快递信息已删除.."));
    } else {
        const QString failed = QStringLiteral("快递信息删除失败!该快递可能已不在快递列表中");
        m_dialogs.MsgBox(failed, Mb::OkOnly + Mb::Exclamation, BoxTitle);
        emit status(failed);
    }
    emit deleted();
}

void QuerySession::hx2() {
    entryTally = m_reading->count();
    m_query->parseAnswer();
    if (entryTally > 0) {
        Timer1->start();
        return;
    }
    // A waybill without progress yet (code 0, no entries): the query is done.
    const QString notice = m_reading->notice;
    ql();
    emit status(QStringLiteral("查询完毕...") + notice);
    m_query->end(ForegroundQuery::Unlock::AfterQuery);
}

void QuerySession::Timer1_Timer() {
    Timer1->stop();
    if (!m_query->parsedIsCurrent()) {
        // A newer query started after this answer arrived: its own answer
        // (and its own parse) decide what the list shows.
        ql();
        return;
    }
    const Reading read = *m_reading; // ql() lets the answer go
    ql();
    m_newCount = read.count();
    *m_shown = read;
    emit parsed(read);
    emit status(QStringLiteral("查询完毕...") + read.notice);
    m_query->end(ForegroundQuery::Unlock::AfterQuery);
    emit answered(read);
}

void QuerySession::ql() {
    entryTally = 0;
    answer.clear();
    *m_reading = Reading();
}

void QuerySession::Timer7_Timer() {
    if (!m_query->watchdogTick()) return;
    csh();
    emit failed();
    m_dialogs.MsgBox(QStringLiteral("程序自动检测快递异常!\n \n可能存在以下问题：\n1.网络异常\n"
                                    "2.快递公司异常\n4.当前快递单号已失效\n"
                                    "5.单号或对应快递公司错误\n \n请您稍后重试"),
                     Mb::OkOnly + Mb::Information, BoxTitle);
}

void QuerySession::csh() {
    Timer1->stop();
    emit busy(false);
    emit reset();
    emit status(QStringLiteral("程序初始化完毕.."));
}

// A query without an account ends before anything is sent: the window is
// idle again, and the user learns what is missing and where to set it.
void QuerySession::noAccount() {
    m_query->end(ForegroundQuery::Unlock::Window);
    emit status(QStringLiteral("未设置查询账户!请按F9在查询账户中填写.."));
    if (std::exchange(m_toldNoAccount, true)) return;
    if (m_dialogs.MsgBox(
            QStringLiteral(
                "尚未设置查询账户!\n \n件踪宝通过您自己的查询账户查询物流信息,"
                "没有账户时不发出任何查询。可选两种查询服务：\n"
                "· 快递鸟(www.kdniao.com)：免费注册并实名认证后,即时查询每日500次,"
                "填写用户ID和API key;\n"
                "· 快递100企业版(api.kuaidi100.com)：注册企业账户并充值,"
                "填写授权码(customer)和key。\n"
                "请在\"相关设置\"(F9)中点击\"查询账户\"选择服务并填写。\n \n是否现在设置?"),
            Mb::YesNo + Mb::Information, BoxTitle) == Mb::Yes)
        emit accountWanted();
}

void QuerySession::accountRefused(const QString& failure) {
    emit status(failure);
    if (std::exchange(m_toldAccountRefused, true)) return;
    m_query->holdWatchdog(); // the box waits for the user, not the watchdog
    if (m_source && m_dialogs.MsgBox(m_source->accountRefused(), Mb::YesNo + Mb::Information,
                                     BoxTitle) == Mb::Yes)
        emit accountWanted();
}

std::optional<QString> QuerySession::askPhone(const QString& number, bool sentOne) {
    const std::optional<QString> typed = m_dialogs.InputBox(
        (sentOne ? QStringLiteral("快递100提示收件人手机号码不匹配。\n")
                 : QStringLiteral("该快递公司需要收件人手机号码才能查询。\n")) +
            QStringLiteral("请输入单号 %1 收件人的手机号码或其后四位(也可以是带区号的座机号)：")
                .arg(number),
        BoxTitle);
    if (!typed || !isPhoneText(typed->trimmed())) return std::nullopt;
    return typed->trimmed();
}

void QuerySession::keepTypedPhone(const QString& number) {
    if (m_typedPhone.number != number || m_typedPhone.phone.isEmpty()) return;
    const auto parcels = m_store.parcelsWithNumber(number);
    if (!parcels.failed() && !parcels->isEmpty())
        m_store.setParcelPhone(parcels->constLast().id, m_typedPhone.phone);
    m_typedPhone = {};
}

void QuerySession::showAnswerTime(const TrackReply& reply) {
    if (reply.heldUntil.isValid())
        return emit answerTime(QStringLiteral("查询失败,该单号 %1 前不再查询")
                                   .arg(reply.heldUntil.toString(QStringLiteral("HH:mm:ss"))));
    const QString at = reply.answered.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    emit answerTime(reply.kept ? QStringLiteral("查询时间：%1（同一单号半小时内只查询一次,"
                                                "显示保存的结果）")
                                     .arg(at)
                               : QStringLiteral("查询时间：%1").arg(at));
}

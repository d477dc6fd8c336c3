#include "watch/ChangeDetection.h"

#include "store/Store.h"
#include "tracking/QuerySession.h"
#include "tracking/Reading.h"
#include "watch/Alerts.h"

ChangeDetection::ChangeDetection(QuerySession& session, Store& store, Alerts& alerts,
                                 QObject* parent)
    : QObject(parent), m_session(session), m_store(store), m_alerts(alerts) {}

void ChangeDetection::gxtj(const Reading& read) {
    QString baseline = m_session.current().num;
    const bool firstLook = baseline.isEmpty();
    const ChangeOutcome outcome = judgeChange(baseline, read.count(), read.state);
    m_session.setBaseline(baseline);
    // A parcel without a count (one added from a list) keeps this first one,
    // so what comes after it is news at the next start too.
    if (firstLook && m_session.current().id) m_store.setParcelNum(m_session.current().id, baseline);
    switch (outcome) {
    case ChangeOutcome::Updated: {
        emit judged(QStringLiteral("有更新"), true);
        const qint64 id = m_session.current().id;
        if (id && !m_store.setParcelNum(id, QString::number(read.count()))) {
            // The store refused the write (or could not even say whether the
            // parcel is still there): no sound, no mail. A parcel deleted
            // meanwhile still gets its alert.
            const auto still = m_store.parcelById(id);
            if (still.failed() || *still) return;
        }
        m_alerts.announce([this, &read] { emailgx(read); });
        break;
    }
    case ChangeOutcome::NoUpdate:
        emit judged(QStringLiteral("无更新"), false);
        break;
    case ChangeOutcome::Finished:
        emit judged(stateText(read.state), false); // 已签收, 已退签 or 已销单
        break;
    }
}

void ChangeDetection::emailgx(const Reading& read) {
    emit status(QStringLiteral(" 正发送最新动态邮件,请稍等.."));
    const QuerySession::Parcel& p = m_session.current();
    m_alerts.sendUpdateMail(
        m_alerts.facts(p.goods, p.number, p.company, read), [this](std::optional<QString> failure) {
            emit status(failure ? QStringLiteral("最新信息发送失败!错误原因") + *failure
                                : QStringLiteral("快递有最新进展，已发送至邮箱!"));
        });
}

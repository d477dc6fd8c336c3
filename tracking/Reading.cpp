#include "tracking/Reading.h"

Reading Reading::of(const TrackReply& reply) {
    Reading r;
    r.notice = reply.notice;
    const QString& answer = reply.body;
    if (answer.isEmpty()) return r;
    const std::optional<int> code = errorCode(answer);
    if (code == 0) {
        r.outcome = Outcome::Progress;
        r.entries = parseEntries(answer, countEntries(answer));
        const std::optional<int> service = stateCode(answer),
                                 kdniao = stateCode(answer, StateOf::Kdniao);
        const std::optional<ParcelState> named = service  ? serviceState(*service)
                                                 : kdniao ? kdniaoState(*kdniao)
                                                          : std::nullopt;
        if (named)
            r.state = *named;
        else if (!r.entries.isEmpty())
            r.state = deriveState(r.entries[0].context,
                                  r.entries.size() > 1 ? r.entries[1].context : QString());
    } else if (code == 1) {
        r.outcome = Outcome::NoResult;
    } else {
        // An answer that is not the service's (an error page, a portal) is
        // a query that could not reach it.
        r.outcome = Outcome::Failed;
        r.failure = !reply.failure.isEmpty() ? reply.failure : errorMessage(code.value_or(3));
        r.accountRefused = reply.accountRefused;
    }
    return r;
}

qint64 Reading::transitSecs(const QDateTime& now) const {
    if (entries.isEmpty()) return 0;
    const QString& oldest = entries.constLast().time;
    return finished(state) ? secondsBetween(oldest, entries.constFirst().time)
                           : secondsBetween(oldest, now);
}

// After every processed answer: has the parcel gained entries since its
// stored count? Then mark it, store the new count and sound the alert.
#include "app/Form1.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/Answer.h"
#include "tracking/Reading.h"
#include "watch/Change.h"

#include <QLabel>

void Form1::gxtj() {
    const ChangeOutcome outcome = judgeChange(cur.num, newCount, shown->state);
    switch (outcome) {
    case ChangeOutcome::Updated: {
        Label12[3]->setText(QStringLiteral("有更新"));
        Label12[3]->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
        const qint64 id = cur.id;
        if (id && !m_store->setParcelNum(id, QString::number(newCount))) {
            // The store refused the write (or could not even say whether the
            // parcel is still there): no sound, no mail. A parcel deleted
            // meanwhile still gets its alert.
            const auto still = m_store->parcelById(id);
            if (still.failed() || *still) return;
        }
        announce([this] { emailgx(); });
        break;
    }
    case ChangeOutcome::NoUpdate:
        Label12[3]->setText(QStringLiteral("无更新"));
        Label12[3]->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
        break;
    case ChangeOutcome::Finished:
        Label12[3]->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
        Label12[3]->setText(stateText(shown->state)); // 已签收, 已退签 or 已销单
        break;
    }
}

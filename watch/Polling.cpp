// Loop querying (every N minutes) and timed querying (once at a set time of
// day) of the chosen parcel, with the window locked meanwhile.
#include "app/Form1.h"
#include "platform/Platform.h"
#include "tracking/Answer.h"
#include "tracking/Reading.h"
#include "watch/Change.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <utility>

namespace {
const QString LoopOff = QStringLiteral("开始循环"), LoopOn = QStringLiteral("停止循环");
const QString TimedOff = QStringLiteral("开始定时"), TimedOn = QStringLiteral("关闭定时");
} // namespace

// The checks both functions make before they start; the first that fails is
// the one the user sees.
bool Form1::readyToPoll(const QString& notQueried, bool timeSet, const QString& noTime) {
    const auto notice = [this](const QString& text) {
        m_platform.dialogs.MsgBox(text, Mb::OkOnly + Mb::Information, BoxTitle);
        return false;
    };
    if (Text1->currentText().isEmpty() || shown->entries.isEmpty()) return notice(notQueried);
    if (!timeSet) return notice(noTime);
    // Signed for, returned or cancelled: nothing more will come.
    if (shown->done())
        return notice(QStringLiteral("当前快递") + stateText(shown->state) +
                      QStringLiteral(",您不需要使用此功能"));
    return true;
}

// Locked: the selector, the function's own lists and the toolbar but the
// courier-list image.
void Form1::lockFor(std::initializer_list<QComboBox*> lists, bool locked) {
    Text1->setEnabled(!locked);
    for (QComboBox* c : lists)
        c->setEnabled(!locked);
    setToolbarEnabled(!locked);
    if (locked) Image2[6]->setEnabled(true);
}

void Form1::setPollMode(PollMode mode) {
    pollMode = mode;
    Command1[16]->setText(mode == PollMode::Loop ? LoopOn : LoopOff);
    Command1[18]->setText(mode == PollMode::Timed ? TimedOn : TimedOff);
}

void Form1::loopButton() {
    if (pollMode != PollMode::Loop) {
        if (!readyToPoll(QStringLiteral("请先查询单号后在使用本功能!"),
                         !Combo4->currentText().isEmpty(), QStringLiteral("请先设定时间!")))
            return;
        lockFor({Combo4}, true);
        setPollMode(PollMode::Loop);
        Timer6->start();
        loopTicks = 0;
        return;
    }
    setPollMode(PollMode::Off);
    Timer6->stop();
    lockFor({Combo4}, false);
    loopTicks = 0;
}

void Form1::Timer6_Timer() {
    const int interval = Combo4->currentText().toInt();
    ++loopTicks;
    if (interval > 0 && loopTicks >= interval) {
        Text1_Click();
        loopTicks = 0;
    } else if (loopTicks >= 32767) {
        loopTicks = 0; // an interval that can never match must not overflow the count
    }
}

void Form1::timedButton() {
    if (pollMode != PollMode::Timed) {
        if (!readyToPoll(QStringLiteral("请先查询单号后在使用定时功能!"),
                         !Combo2->currentText().isEmpty() && !Combo3->currentText().isEmpty(),
                         QStringLiteral("请设定查询时间!")))
            return;
        lockFor({Combo2, Combo3}, true);
        setPollMode(PollMode::Timed);
        m_timedLast = m_platform.clock.now();
        Timer4->start();
        return;
    }
    setPollMode(PollMode::Off);
    Timer4->stop();
    lockFor({Combo2, Combo3}, false);
}

void Form1::Timer4_Timer() {
    const QDateTime now = m_platform.clock.now();
    const QDateTime last = std::exchange(m_timedLast, now);
    if (!timedQueryDue(last, now, Combo2->currentText().toInt(), Combo3->currentText().toInt()))
        return;
    Timer4->stop(); // once: stopped before the query, whose wait lets ticks through
    Text1_Click();
}

void Form1::showTimedFrame() {
    if (pollMode == PollMode::Loop &&
        m_platform.dialogs.MsgBox(QStringLiteral("当前正在循环查询,是否终止?"),
                                  Mb::YesNo + Mb::Information, BoxTitle) != Mb::Yes)
        return;
    Frame4->setVisible(true);
    Frame4->move(Frame6->pos());
    Frame6->setVisible(false);
    if (pollMode == PollMode::Loop) setPollMode(PollMode::Off);
    Timer6->stop();
    lockFor({Combo4}, false);
    loopTicks = 0;
}

void Form1::showLoopFrame() {
    if (pollMode == PollMode::Timed &&
        m_platform.dialogs.MsgBox(QStringLiteral("当前正在定时查询,是否终止?"),
                                  Mb::YesNo + Mb::Information, BoxTitle) != Mb::Yes)
        return;
    Frame6->setVisible(true);
    Frame6->move(Frame4->pos());
    Frame4->setVisible(false);
    if (pollMode == PollMode::Timed) setPollMode(PollMode::Off);
    Timer4->stop();
    lockFor({Combo2, Combo3}, false);
}

// The whole-book watch in the window: what happens when a parcel moved
// (desktop notification, tray, alert sound, update mail), the selector's
// marks, the tray icon, and the remembered progress shown when a query gets no
// answer. With the option off none of this runs and the window behaves as it
// always has.
#include "app/Form1.h"
#include "parcels/Archive.h"
#include "platform/Notifications.h"
#include "platform/Platform.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/QuerySession.h"
#include "watch/Alerts.h"
#include "watch/BookWatch.h"
#include "watch/Marks.h"

#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QTreeWidget>

// Starts or stops the watch, with its notifications, tray icon and marks.
void Form1::setWatching(bool on) {
    bookWatch->setOn(on);
    if (on && !m_notifications) {
        m_notifications = new DesktopNotifications(this);
        connect(m_notifications, &DesktopNotifications::activated, this, &Form1::showParcel);
    }
    if (on && !m_tray && QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray = new QSystemTrayIcon(QIcon(QStringLiteral(":/images/jianzongbao.png")), this);
        m_tray->setToolTip(QStringLiteral("件踪宝"));
        auto* menu = new QMenu(this);
        menu->addAction(QStringLiteral("显示主窗口"), this, [this] { showParcel(0); });
        menu->addAction(QStringLiteral("立即刷新全部"), bookWatch, &BookWatch::refreshAllNow);
        menu->addAction(QStringLiteral("退出"), this, [this] { quitProgram(0); });
        m_tray->setContextMenu(menu);
        connect(m_tray, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason why) {
                    if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick)
                        showParcel(0);
                });
    }
    if (m_tray) m_tray->setVisible(on);
    refreshMarks();
}

// A parcel gained entries in the background: one notification, the alert
// sound and the update mail, as the options say.
void Form1::watchMoved(qint64 parcel, const Reading& read) {
    const auto row = m_store->parcelById(parcel);
    if (row.failed() || !*row || read.entries.isEmpty()) return;
    const ParcelRow& p = **row;
    noteSigning(*m_store, parcel, read, m_platform.clock.now());
    const QString body = notificationBody(read.state, read.entries.constFirst());
    if (m_notifications) m_notifications->show(notificationTitle(p.goods), body, parcel);
    if (m_tray)
        m_tray->setToolTip(QStringLiteral("件踪宝\n") + notificationTitle(p.goods) + u'\n' + body);
    m_alerts->announce([&] {
        m_alerts->sendUpdateMail(m_alerts->facts(p.goods, p.number, p.company, read),
                                 [this](std::optional<QString> failure) {
                                     if (failure) backgroundMailFailed(*failure);
                                 });
    });
}

// A mail the watch could not send is told once per kind of failure: a
// notification (and the tray's tooltip), and the status line when the window
// is idle; the query controls are left alone.
void Form1::backgroundMailFailed(const QString& reason) {
    qWarning("the update mail was not sent: %s", qPrintable(reason));
    static const QRegularExpression numbers(QStringLiteral("\\d+"));
    if (!m_mailFailuresTold.insert(QString(reason).remove(numbers)).second) return;
    const QString text = QStringLiteral("最新信息发送失败!错误原因") + reason;
    if (m_notifications)
        m_notifications->show(QStringLiteral("件踪宝：邮件通知发送失败"), reason, 0);
    if (m_tray) m_tray->setToolTip(QStringLiteral("件踪宝\n") + text);
    if (!m_session->query().waiting() && Text1->isEnabled() && !m_session->parsing())
        setStatus(text);
}

// The selector's marks from what the watch remembers, when the selector
// still lists the whole book in order.
void Form1::refreshMarks() {
    auto* book = static_cast<MarkedBook*>(Text1->model());
    if (!m_options->watching()) return book->setMarks({});
    const auto entries = m_store->bookEntries();
    if (entries.failed() || entries->size() != book->rowCount()) return;
    QList<BookMark> marks;
    QStringList says;
    marks.reserve(entries->size());
    says.reserve(entries->size());
    for (qsizetype i = 0; i < entries->size(); ++i) {
        const BookEntry& e = entries->at(i);
        if (book->parcelAt(int(i)) != e.id) return;
        marks << bookMark(e.state, e.watchCount, e.seen);
        says << (marks.last() == BookMark::Moved ? QStringLiteral("有更新：") + e.state : e.state);
    }
    book->setMarks(marks, says);
}

// The current parcel's answer is remembered for the times the service cannot
// be reached. What was announced stays as it is.
void Form1::rememberAnswer(const Reading& read) {
    const qint64 id = m_session->current().id;
    if (!m_options->watching() || id == 0) return;
    if (remember(*m_store, id, read, m_platform.clock.now())) refreshMarks();
}

bool Form1::showRemembered() {
    const qint64 id = m_session->current().id;
    if (!m_options->watching() || id == 0) return false;
    const auto row = m_store->watchRow(id);
    if (row.failed() || !*row) return false;
    const QList<Entry> entries = decodeEntries((*row)->entries);
    if (entries.isEmpty()) return false;
    ListView1->clear();
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < entries.size(); ++i) {
        auto* item =
            new QTreeWidgetItem({QString::number(i + 1), entries[i].time, entries[i].context});
        for (int c = 0; c < 3; ++c)
            item->setForeground(c, QColor(128, 128, 128));
        rows << item;
    }
    ListView1->addTopLevelItems(rows);
    ListView1->setEnabled(true);
    setStatus(offlineStatus((*row)->answered));
    return true;
}

// The window comes to the front; a parcel other than 0 is chosen and queried
// as if the user had picked it.
void Form1::showParcel(qint64 parcel) {
    showNormal();
    raise();
    activateWindow();
    if (parcel == 0 || !Text1->isEnabled()) return;
    if (!refill()) return;
    const int index = static_cast<MarkedBook*>(Text1->model())->rowOf(parcel);
    if (index >= 0) choose(index);
}

void Form1::showAtStart(bool atLogin) {
    if (!atLogin || !bookWatch->isOn()) {
        show();
        return;
    }
    if (m_tray && m_tray->isVisible()) return; // the tray icon brings the window
    showMinimized();
}

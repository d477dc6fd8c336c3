// The whole-book watch in the window: its option and interval in the settings
// panel, what happens when a parcel moved (desktop notification, alert sound,
// update mail), the selector's marks, the tray icon, and the remembered
// progress shown when a query gets no answer. With the option off none of
// this runs and the window behaves as it always has.
#include "app/Form1.h"
#include "platform/Notifications.h"
#include "platform/Platform.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/Answer.h"
#include "tracking/ForegroundQuery.h"
#include "tracking/Reading.h"
#include "watch/BookWatch.h"
#include "watch/MailText.h"
#include "watch/Marks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidget>

void Form1::startWatch() {
    bookWatch = new BookWatch(*m_store, *m_source, m_platform.clock, this);
    bookWatch->foregroundBusy = [this] { return m_query->waiting(); };
    connect(bookWatch, &BookWatch::moved, this, &Form1::watchMoved);
    connect(bookWatch, &BookWatch::remembered, this, &Form1::refreshMarks);

    const auto on = m_store->watchOption(WatchOnOption);
    const auto interval = m_store->watchOption(WatchIntervalOption);
    const int minutes = watchInterval(!interval.failed() && *interval ? **interval : QString());
    {
        const QSignalBlocker quiet(Combo5);
        Combo5->setCurrentText(QString::number(minutes));
    }
    bookWatch->setIntervalMinutes(minutes);
    if (!on.failed() && *on && storedIsOn(**on)) setWatching(true);
}

void Form1::Check9_Click() {
    bool on = Check9->isChecked();
    if (!m_store->setWatchOption(WatchOnOption, switchText(on))) {
        on = !on; // the store kept the old value: so does the box
        setStatus(QStringLiteral("选项保存失败!快递数据库暂时无法写入,请稍后再试.."));
    }
    setWatching(on);
}

// Starts or stops the watch, with its notifications, tray icon and marks.
void Form1::setWatching(bool on) {
    options->setWatching(on);
    {
        const QSignalBlocker quiet(Check9); // shown even when the value was already on
        Check9->setChecked(on);
    }
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

void Form1::Combo5_Click() {
    const int minutes = watchInterval(Combo5->currentText());
    if (!m_store->setWatchOption(WatchIntervalOption, QString::number(minutes)))
        setStatus(QStringLiteral("选项保存失败!快递数据库暂时无法写入,请稍后再试.."));
    bookWatch->setIntervalMinutes(minutes);
}

// A parcel gained entries in the background: one notification, the alert
// sound and the update mail, as the options say.
void Form1::watchMoved(qint64 parcel, const Reading& read) {
    const auto row = m_store->parcelById(parcel);
    if (row.failed() || !*row || read.entries.isEmpty()) return;
    const ParcelRow& p = **row;
    const QString body = notificationBody(read.state, read.entries.constFirst());
    if (m_notifications) m_notifications->show(notificationTitle(p.goods), body, parcel);
    if (m_tray)
        m_tray->setToolTip(QStringLiteral("件踪宝\n") + notificationTitle(p.goods) + u'\n' + body);
    announce([&] {
        sendUpdateMail(mailFacts(p.goods, p.number, p.company, read),
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
    if (!m_query->waiting() && Text1->isEnabled() && !Timer1->isActive()) setStatus(text);
}

// The selector's marks from what the watch remembers, when the selector
// still lists the whole book in order.
void Form1::refreshMarks() {
    auto* book = static_cast<MarkedBook*>(Text1->model());
    if (!options->watching()) return book->setMarks({});
    const auto entries = m_store->bookEntries();
    if (entries.failed() || entries->size() != book->rowCount()) return;
    QList<BookMark> marks;
    QStringList says;
    marks.reserve(entries->size());
    says.reserve(entries->size());
    for (qsizetype i = 0; i < entries->size(); ++i) {
        const BookEntry& e = entries->at(i);
        if (book->index(int(i)).data().toString() != e.goods) return;
        marks << bookMark(e.state, e.watchCount, e.seen);
        says << (marks.last() == BookMark::Moved ? QStringLiteral("有更新：") + e.state : e.state);
    }
    book->setMarks(marks, says);
}

// The current parcel's answer is remembered for the times the service cannot
// be reached. What was announced stays as it is.
void Form1::rememberAnswer(const Reading& read) {
    const qint64 id = cur.id;
    if (!options->watching() || id == 0) return;
    const auto old = m_store->watchRow(id);
    if (old.failed()) return;
    if (m_store->saveWatch(
            rememberedRow(id, read, m_platform.clock.now(), *old ? (*old)->notified : 0)))
        refreshMarks();
}

bool Form1::showRemembered() {
    const qint64 id = cur.id;
    if (!options->watching() || id == 0) return false;
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
    const auto row = m_store->parcelById(parcel);
    if (row.failed() || !*row) return;
    if (!sX()) return;
    const int index = Text1->findText((*row)->goods, Qt::MatchExactly);
    if (index >= 0) selectListIndex(index);
}

void Form1::showAtStart(bool atLogin) {
    if (!atLogin || !bookWatch->isOn()) {
        show();
        return;
    }
    if (m_tray && m_tray->isVisible()) return; // the tray icon brings the window
    showMinimized();
}

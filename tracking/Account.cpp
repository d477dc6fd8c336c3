// Where tracking answers come from, and the user's own account of the
// tracking service: the account panel, the message when there is no account
// (nothing is then sent anywhere), and the receiver's phone that some
// couriers answer only with.
#include "app/Form1.h"
#include "platform/Endpoints.h"
#include "platform/Platform.h"
#include "platform/SecretFile.h"
#include "store/Store.h"
#include "tracking/ForegroundQuery.h"
#include "tracking/Source.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <utility>

namespace {
std::optional<AccountFile> readAccountFile(const QString& path) {
    const std::optional<QByteArray> bytes = readConfigFile(path);
    if (!bytes) return std::nullopt;
    return parseAccountFile(QString::fromUtf8(*bytes));
}

// What the environment names wins over what the file holds.
TrackingAccount overridden(TrackingAccount account, const TrackingAccount& environment) {
    if (!environment.customer.isEmpty()) account.customer = environment.customer;
    if (!environment.key.isEmpty()) account.key = environment.key;
    if (!environment.phone.isEmpty()) account.phone = environment.phone;
    return account;
}

const QString KeySaved = QStringLiteral("已保存(不显示),输入新的key可替换");
} // namespace

void Form1::startSource() {
    if (m_endpoints->demo) {
        m_source = new DemoSource(m_endpoints->demoSpeed, this);
        setWindowTitle(windowTitle() + QStringLiteral("（演示）"));
        Label28->show();
    } else if (m_endpoints->viaGateway()) {
        m_source = new GatewaySource(m_platform.http, m_endpoints->tracking,
                                     m_endpoints->autoNumber, this);
    } else {
        m_enterprise = new EnterpriseSource(m_platform.http, *m_store, m_platform.clock,
                                            m_endpoints->poll, m_endpoints->autoEnterprise, this);
        m_enterprise->setAccount(loadAccount());
        m_source = m_enterprise;
        // Answers older than a day pace nothing any more.
        m_store->forgetAnswers(
            m_platform.clock.now().addDays(-1).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    }
    Command6->setEnabled(m_enterprise != nullptr);
    if (!m_enterprise)
        Command6->setToolTip(m_endpoints->demo
                                 ? QStringLiteral("演示模式不使用查询账户")
                                 : QStringLiteral("查询经由设置的网关,不使用查询账户"));
}

QString Form1::accountPath() const {
    return m_endpoints->configFolder + QStringLiteral("/account.conf");
}

// The account file; without one, the gateway.conf of an earlier version in
// the program folder is taken over once (its phones go with the parcels of
// their numbers) and then left alone.
TrackingAccount Form1::loadAccount() {
    const QString path = accountPath();
    std::optional<AccountFile> file = readAccountFile(path);
    if (!file && !QFileInfo::exists(path)) {
        const std::optional<AccountFile> old =
            readAccountFile(m_folder + QStringLiteral("/gateway.conf"));
        if (old && old->account.complete() &&
            !writePrivateFile(path, accountFileText(old->account))) {
            for (auto it = old->phones.cbegin(); it != old->phones.cend(); ++it) {
                const auto parcels = m_store->parcelsWithNumber(it.key());
                if (!parcels.failed())
                    for (const ParcelRow& p : *parcels)
                        m_store->setParcelPhone(p.id, it.value());
            }
            file = old;
        }
    }
    return overridden(file ? file->account : TrackingAccount{}, m_endpoints->account);
}

void Form1::openAccountPanel() {
    const std::optional<AccountFile> file = readAccountFile(accountPath());
    const TrackingAccount stored = file ? file->account : TrackingAccount{};
    Text9->setText(stored.customer);
    Text10->clear();
    Text10->setPlaceholderText(stored.key.isEmpty() ? QStringLiteral("key") : KeySaved);
    Text11->setText(stored.phone);
    centre(kdaccount);
    kdaccount->setVisible(true);
    kdaccount->raise();
    Text9->setFocus();
}

void Form1::saveAccount() {
    const std::optional<AccountFile> file = readAccountFile(accountPath());
    TrackingAccount account{Text9->text().trimmed(), Text10->text().trimmed(),
                            Text11->text().trimmed()};
    if (account.key.isEmpty() && file) account.key = file->account.key; // kept as it was
    const auto spaced = [](const QString& t) {
        for (QChar c : t)
            if (c.isSpace()) return true;
        return false;
    };
    if (!account.complete()) return setStatus(QStringLiteral("请填写快递100的授权码和key.."));
    if (spaced(account.customer) || spaced(account.key))
        return setStatus(QStringLiteral("授权码或key格式不正确,请您检查.."));
    if (!account.phone.isEmpty() && !isPhoneText(account.phone))
        return setStatus(QStringLiteral("手机号码应为11位手机号、带区号的座机号或其后四位.."));
    if (const std::optional<QString> failure =
            writePrivateFile(accountPath(), accountFileText(account)))
        return setStatus(QStringLiteral("查询账户保存失败!原因：") + *failure);
    if (m_enterprise) m_enterprise->setAccount(overridden(account, m_endpoints->account));
    Text10->clear();
    kdaccount->setVisible(false);
    setStatus(QStringLiteral("查询账户已保存.."));
}

// A query without an account ends before anything is sent: the window is
// idle again, and the user learns what is missing and where to set it.
void Form1::noAccount() {
    m_query->end(ForegroundQuery::Unlock::Window);
    setStatus(QStringLiteral("未设置查询账户!请按F9在查询账户中填写.."));
    if (m_toldNoAccount) return;
    m_toldNoAccount = true;
    if (m_platform.dialogs.MsgBox(
            QStringLiteral("尚未设置查询账户!\n \n件踪宝通过您自己的快递100企业版账户查询物流信息,"
                           "没有账户时不发出任何查询。\n请在\"相关设置\"(F9)中点击\"查询账户\","
                           "填写授权码(customer)和key。\n \n是否现在设置?"),
            Mb::YesNo + Mb::Information, BoxTitle) == Mb::Yes)
        openAccountPanel();
}

// The service refused the account's signature: the user can mend it, and is
// offered the account panel once a session; the status line says it always.
void Form1::accountRefused(const QString& failure) {
    setStatus(failure);
    if (std::exchange(m_toldAccountRefused, true)) return;
    m_query->holdWatchdog(); // the box waits for the user, not the watchdog
    if (m_platform.dialogs.MsgBox(
            QStringLiteral("快递100拒绝了查询账户：授权码(customer)或key不正确。\n \n"
                           "是否现在打开\"查询账户\"检查?"),
            Mb::YesNo + Mb::Information, BoxTitle) == Mb::Yes)
        openAccountPanel();
}

std::optional<QString> Form1::askPhone(const QString& number, bool sentOne) {
    const std::optional<QString> typed = m_platform.dialogs.InputBox(
        (sentOne ? QStringLiteral("快递100提示收件人手机号码不匹配。\n")
                 : QStringLiteral("该快递公司需要收件人手机号码才能查询。\n")) +
            QStringLiteral("请输入单号 %1 收件人的手机号码或其后四位(也可以是带区号的座机号)：")
                .arg(number),
        BoxTitle);
    if (!typed || !isPhoneText(typed->trimmed())) return std::nullopt;
    return typed->trimmed();
}

void Form1::keepTypedPhone(const QString& number) {
    if (m_typedPhone.number != number || m_typedPhone.phone.isEmpty()) return;
    const auto parcels = m_store->parcelsWithNumber(number);
    if (!parcels.failed() && !parcels->isEmpty())
        m_store->setParcelPhone(parcels->constLast().id, m_typedPhone.phone);
    m_typedPhone = {};
}

void Form1::showAnswerTime(const TrackReply& reply) {
    if (reply.heldUntil.isValid())
        return Label27->setText(QStringLiteral("查询失败,该单号 %1 前不再查询")
                                    .arg(reply.heldUntil.toString(QStringLiteral("HH:mm:ss"))));
    const QString at = reply.answered.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    Label27->setText(reply.kept ? QStringLiteral("查询时间：%1（同一单号半小时内只查询一次,"
                                                 "显示保存的结果）")
                                      .arg(at)
                                : QStringLiteral("查询时间：%1").arg(at));
}

#include "tracking/Accounts.h"

#include "platform/SecretFile.h"
#include "store/Store.h"

#include <QFileInfo>

namespace {
std::optional<AccountFile> readAccountFile(const QString& path) {
    const std::optional<QByteArray> bytes = readConfigFile(path);
    if (!bytes) return std::nullopt;
    return parseAccountFile(QString::fromUtf8(*bytes));
}

bool spaced(const QString& t) {
    for (QChar c : t)
        if (c.isSpace()) return true;
    return false;
}
} // namespace

Accounts::Accounts(QString configFolder, QString programFolder, TrackingAccount environment,
                   std::optional<TrackingService> service)
    : m_configFolder(std::move(configFolder)), m_programFolder(std::move(programFolder)),
      m_environment(std::move(environment)), m_service(service) {}

// What the environment names wins over what the file holds.
TrackingAccount Accounts::overridden(TrackingAccount account) const {
    for (QString TrackingAccount::*field :
         {&TrackingAccount::customer, &TrackingAccount::key, &TrackingAccount::phone,
          &TrackingAccount::kdniaoId, &TrackingAccount::kdniaoKey})
        if (!(m_environment.*field).isEmpty()) account.*field = m_environment.*field;
    if (m_service) account.service = *m_service;
    return account;
}

TrackingAccount Accounts::stored() const {
    const std::optional<AccountFile> file = readAccountFile(path());
    TrackingAccount account = file ? file->account : TrackingAccount{};
    if (m_service) account.service = *m_service;
    return account;
}

TrackingAccount Accounts::load(Store& store) const {
    std::optional<AccountFile> file = readAccountFile(path());
    if (!file && !QFileInfo::exists(path())) {
        const std::optional<AccountFile> old =
            readAccountFile(m_programFolder + QStringLiteral("/gateway.conf"));
        if (old && old->account.complete() &&
            !writePrivateFile(path(), accountFileText(old->account))) {
            for (auto it = old->phones.cbegin(); it != old->phones.cend(); ++it) {
                const auto parcels = store.parcelsWithNumber(it.key());
                if (!parcels.failed())
                    for (const ParcelRow& p : *parcels)
                        store.setParcelPhone(p.id, it.value());
            }
            file = old;
        }
    }
    return overridden(file ? file->account : TrackingAccount{});
}

Accounts::Saved Accounts::save(TrackingAccount typed) const {
    const TrackingAccount before = stored();
    const bool kdniao = typed.service == TrackingService::Kdniao;
    // The other service's account stays as it was.
    TrackingAccount account = before;
    account.service = typed.service;
    account.phone = typed.phone.trimmed();
    QString &id = kdniao ? account.kdniaoId : account.customer,
            &key = kdniao ? account.kdniaoKey : account.key;
    id = (kdniao ? typed.kdniaoId : typed.customer).trimmed();
    // An empty key keeps the saved one.
    if (const QString k = (kdniao ? typed.kdniaoKey : typed.key).trimmed(); !k.isEmpty()) key = k;
    typed = account;
    if (!typed.complete())
        return {std::nullopt, kdniao ? QStringLiteral("请填写快递鸟的用户ID和API key..")
                                     : QStringLiteral("请填写快递100的授权码和key..")};
    if (spaced(id) || spaced(key))
        return {std::nullopt, kdniao ? QStringLiteral("用户ID或API key格式不正确,请您检查..")
                                     : QStringLiteral("授权码或key格式不正确,请您检查..")};
    if (!typed.phone.isEmpty() && !isPhoneText(typed.phone))
        return {std::nullopt, QStringLiteral("手机号码应为11位手机号、带区号的座机号或其后四位..")};
    if (const std::optional<QString> failure = writePrivateFile(path(), accountFileText(typed)))
        return {std::nullopt, QStringLiteral("查询账户保存失败!原因：") + *failure};
    return {overridden(typed), QStringLiteral("查询账户已保存..")};
}

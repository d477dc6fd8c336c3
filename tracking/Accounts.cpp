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

Accounts::Accounts(QString configFolder, QString programFolder, TrackingAccount environment)
    : m_configFolder(std::move(configFolder)), m_programFolder(std::move(programFolder)),
      m_environment(std::move(environment)) {}

// What the environment names wins over what the file holds.
TrackingAccount Accounts::overridden(TrackingAccount account) const {
    if (!m_environment.customer.isEmpty()) account.customer = m_environment.customer;
    if (!m_environment.key.isEmpty()) account.key = m_environment.key;
    if (!m_environment.phone.isEmpty()) account.phone = m_environment.phone;
    return account;
}

TrackingAccount Accounts::stored() const {
    const std::optional<AccountFile> file = readAccountFile(path());
    return file ? file->account : TrackingAccount{};
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
    typed = {typed.customer.trimmed(), typed.key.trimmed(), typed.phone.trimmed()};
    if (typed.key.isEmpty()) typed.key = stored().key; // kept as it was
    if (!typed.complete()) return {std::nullopt, QStringLiteral("请填写快递100的授权码和key..")};
    if (spaced(typed.customer) || spaced(typed.key))
        return {std::nullopt, QStringLiteral("授权码或key格式不正确,请您检查..")};
    if (!typed.phone.isEmpty() && !isPhoneText(typed.phone))
        return {std::nullopt, QStringLiteral("手机号码应为11位手机号、带区号的座机号或其后四位..")};
    if (const std::optional<QString> failure = writePrivateFile(path(), accountFileText(typed)))
        return {std::nullopt, QStringLiteral("查询账户保存失败!原因：") + *failure};
    return {overridden(typed), QStringLiteral("查询账户已保存..")};
}

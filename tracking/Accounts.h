// The user's own account of the tracking service: its file in the config
// folder (readable by the user alone), what the environment names over it, an
// earlier version's gateway.conf taken over once, and the checks of what the
// account panel saves.
#pragma once

#include "tracking/Enterprise.h"

#include <QString>
#include <optional>

class Store;

class Accounts {
public:
    // configFolder holds account.conf; programFolder may hold an earlier
    // version's gateway.conf; environment (JZB_CUSTOMER …) wins over both.
    Accounts(QString configFolder, QString programFolder, TrackingAccount environment,
             std::optional<TrackingService> service = std::nullopt);
    QString path() const { return m_configFolder + QStringLiteral("/account.conf"); }

    // The account as its file holds it (the service as JZB_PROVIDER names
    // it, when it does); empty when there is none.
    TrackingAccount stored() const;
    // The account in use. Without a file of its own, a gateway.conf of an
    // earlier version is taken over once (its phones go with the parcels of
    // their numbers) and then left alone.
    TrackingAccount load(Store& store) const;
    // Checks and writes what was typed for the service it names (an empty
    // key keeps the saved one; the other service's account stays as it was);
    // the account in use from now on, or why it was not saved.
    struct Saved {
        std::optional<TrackingAccount> inUse;
        QString said; // for the status line
    };
    Saved save(TrackingAccount typed) const;

private:
    TrackingAccount overridden(TrackingAccount account) const;
    QString m_configFolder, m_programFolder;
    TrackingAccount m_environment;
    std::optional<TrackingService> m_service; // JZB_PROVIDER
};

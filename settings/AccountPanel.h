// The account panel (kdaccount, from 查询账户 in the settings panel): the
// tracking service's customer, key and the receiver's phone. The key is shown
// masked, and never again once saved.
#pragma once

#include "platform/Controls.h"
#include "tracking/Accounts.h"

class AccountPanel : public Panel {
    Q_OBJECT
public:
    AccountPanel(const Accounts& accounts, QWidget* parent = nullptr);
    QPushButton* defaultButton() const override { return Command7; }
    // Filled from the file: the customer and the phone; the key only said saved.
    void openAccountPanel();
    void saveAccount(); // Command7

signals:
    void saved(const TrackingAccount& inUse);

private:
    const Accounts& m_accounts;
    QLineEdit *Text9 = nullptr, *Text10 = nullptr, *Text11 = nullptr;
    QPushButton* Command7 = nullptr;
};

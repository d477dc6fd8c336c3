// The account panel (kdaccount, from 查询账户 in the settings panel): which
// tracking service is asked (快递100企业版 or 快递鸟), that service's ID and
// key, and the receiver's phone. A key is shown masked, and never again once
// saved.
#pragma once

#include "platform/Controls.h"
#include "tracking/Accounts.h"

class QRadioButton;

class AccountPanel : public Panel {
    Q_OBJECT
public:
    AccountPanel(const Accounts& accounts, QWidget* parent = nullptr);
    QPushButton* defaultButton() const override { return Command7; }
    // Filled from the file: the service in use, its ID and the phone; a key
    // only said saved.
    void openAccountPanel();
    void saveAccount(); // Command7

signals:
    void saved(const TrackingAccount& inUse);

private:
    TrackingService chosen() const;
    // The captions, the hint and the saved ID of the chosen service.
    void showService();

    const Accounts& m_accounts;
    TrackingAccount m_stored; // as the file held it when the panel opened
    QRadioButton* Option3[2] = {};
    QLabel *Label_Text9 = nullptr, *Label_Text10 = nullptr, *hint = nullptr;
    QLineEdit *Text9 = nullptr, *Text10 = nullptr, *Text11 = nullptr;
    QPushButton* Command7 = nullptr;
};

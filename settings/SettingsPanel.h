// The settings panel (kdmenu(1)): the option boxes (each stored the moment
// it changes, through Options), the timed and loop query frames, the update
// mail's address (checked and stored when the panel closes), the whole-book
// watch and its interval, starting at login, 时间校对 and 查询账户.
#pragma once

#include "platform/Controls.h"
#include "store/Store.h"
#include "watch/Polling.h"

#include <QString>
#include <array>
#include <memory>

class Dialogs;
class Options;
class QCheckBox;
class QComboBox;
class QGroupBox;
class Shell;
class TimeCalibration;

class SettingsPanel : public Panel {
    Q_OBJECT
public:
    struct Places {
        QString autostartFolder; // where the login start entry goes
        QString program;         // the program the entry starts
        QString promotion;       // the promotion link's address
    };
    SettingsPanel(Options& options, Polling& polling, Dialogs& dialogs, Shell& shell,
                  std::unique_ptr<TimeCalibration> calibration, Places places,
                  QWidget* parent = nullptr);
    ~SettingsPanel() override;

    // The boxes follow the options.
    void showOptions();
    // The time lists: hours, minutes and the loop's interval, none chosen.
    void fillTimeLists();
    // 查询账户 is of use with the tracking service alone; why not, as its tooltip.
    void accountUsable(bool usable, const QString& why);
    // Closing the panel (x(1)): with 邮件通知 on, the address is checked and
    // stored; false keeps the panel open.
    bool saveAddress();

    void Check_Click(Switch which);
    void Check9_Click();
    void Check10_Click();
    void Combo5_Click();
    void archiveClicked(); // Check11 or Combo6: 已签收 N 天后自动归档
    void Command3_Click();
    void showTimedFrame(); // Command1[15]
    void showLoopFrame();  // Command1[17]

signals:
    void accountWanted(); // 查询账户

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCheckBox* boxFor(Switch s) const;
    void showMode(Polling::Mode mode);

    Options& m_options;
    Polling& m_polling;
    Dialogs& m_dialogs;
    Shell& m_shell;
    std::unique_ptr<TimeCalibration> m_calibration; // 时间校对
    Places m_places;
    std::array<QLabel*, 3> Label13{};
    QCheckBox *Check2 = nullptr, *Check3 = nullptr, *Check4 = nullptr, *Check5 = nullptr,
              *Check6 = nullptr, *Check7 = nullptr, *Check8 = nullptr;
    QCheckBox* Check9 = nullptr;  // 后台刷新全部快递
    QCheckBox* Check10 = nullptr; // 开机自动启动
    QCheckBox* Check11 = nullptr; // 已签收 N (Combo6) 天后自动归档
    QGroupBox *Frame4 = nullptr, *Frame6 = nullptr, *Frame5 = nullptr;
    QComboBox *Combo2 = nullptr, *Combo3 = nullptr, *Combo4 = nullptr, *Combo5 = nullptr,
              *Combo6 = nullptr;
    QLineEdit* Sendmail = nullptr;
    QPushButton* Command3 = nullptr; // "时间校对"
    QPushButton* Command6 = nullptr; // "查询账户"
    QLabel* Label22 = nullptr;       // the promotion link
    std::array<QPushButton*, 19> Command1{};
};

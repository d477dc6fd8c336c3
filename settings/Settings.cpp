// The options row and the check boxes that mirror it: loaded once at
// start-up, written back the moment a box changes.
#include "app/Form1.h"
#include "platform/Endpoints.h"
#include "settings/Autostart.h"
#include "settings/Options.h"
#include "store/Store.h"

#include <QFileInfo>

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalBlocker>

QCheckBox* Form1::boxFor(Switch s) const {
    QCheckBox* const boxes[SwitchCount] = {Check2, Check3, Check4, Check5, Check6, Check7, Check8};
    return boxes[static_cast<int>(s)];
}

void Form1::setting() {
    const auto read = m_store->settings();
    const std::optional<SettingsRow>& row = *read; // a failed read leaves every option off
    if (row) Sendmail->setText(row->address);
    // The loader's order. A box whose state changes stores its value again,
    // once the store's check has passed (it follows the window).
    for (Switch s : {Switch::Sound, Switch::Mail, Switch::CloseOnClick, Switch::Drag,
                     Switch::Balloon, Switch::QueryFirst, Switch::AutoDetect}) {
        QCheckBox* box = boxFor(s);
        const bool on = row && storedIsOn((*row)[s]);
        if (box->isChecked() != on) m_loadedChanges << s;
        const QSignalBlocker quiet(box);
        box->setChecked(on);
        options->set(s, on); // what the store kept
    }
    Sendmail->setReadOnly(!options->on(Switch::Mail)); // as its toggle leaves it
    // Starting at login is the entry's being there, not a stored option.
    const QSignalBlocker quiet(Check10);
    Check10->setChecked(QFileInfo::exists(autostartPath(m_endpoints->autostartFolder)));
}

void Form1::Check10_Click() {
    const bool on = Check10->isChecked();
    const std::optional<QString> failure =
        setAutostart(m_endpoints->autostartFolder, m_folder + QStringLiteral("/jianzongbao"), on);
    if (!failure) return;
    const QSignalBlocker quiet(Check10);
    Check10->setChecked(!on);
    setStatus(QStringLiteral("开机自动启动设置失败!原因：") + *failure);
}

void Form1::Check_Click(Switch which) {
    QCheckBox* box = boxFor(which);
    bool on = box->isChecked();
    if (!m_store->setSwitch(which, switchText(on))) {
        // The store kept the old value: so does the box.
        on = !on;
        const QSignalBlocker quiet(box);
        box->setChecked(on);
        setStatus(QStringLiteral("选项保存失败!快递数据库暂时无法写入,请稍后再试.."));
    }
    options->set(which, on);
    if (which == Switch::Mail) Sendmail->setReadOnly(!on);
}

void Form1::showOptions() {
    for (int i = 0; i < SwitchCount; ++i) {
        const Switch s = static_cast<Switch>(i);
        QCheckBox* box = boxFor(s);
        const QSignalBlocker quiet(box);
        box->setChecked(options->on(s));
    }
    const QSignalBlocker quiet(Check9);
    Check9->setChecked(options->watching());
    if (Sendmail->text() != options->address()) Sendmail->setText(options->address());
}

// The options row and the check boxes that mirror it: loaded once at
// start-up, written back the moment a box changes.
#include "app/Form1.h"
#include "settings/Options.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {
QCheckBox* boxFor(Form1& f, Switch s) {
    QCheckBox* const boxes[SwitchCount] = {f.Check2, f.Check3, f.Check4, f.Check5,
                                           f.Check6, f.Check7, f.Check8};
    return boxes[static_cast<int>(s)];
}
} // namespace

void Form1::setting() {
    const std::optional<SettingsRow> row = m_store.settings();
    if (row) Sendmail->setText(row->address);
    // The loader's order; a box whose state changes stores its value again.
    for (Switch s : {Switch::Sound, Switch::Mail, Switch::CloseOnClick, Switch::Drag,
                     Switch::Balloon, Switch::QueryFirst, Switch::AutoDetect})
        boxFor(*this, s)->setChecked(row && storedIsOn((*row)[s]));
}

void Form1::Check_Click(Switch which) {
    const bool on = boxFor(*this, which)->isChecked();
    if (which == Switch::Mail) Sendmail->setReadOnly(!on);
    m_store.setSwitch(which, switchText(on));
}

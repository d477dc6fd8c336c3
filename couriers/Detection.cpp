// Courier auto-detection in the add panel: the number box asks the
// auto-number service as it is typed (with 自动识别 on), the refresh button on
// demand, and the company found in the directory goes on the company button.
#include "app/Form1.h"
#include "couriers/AutoNumber.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/Source.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

void Form1::Text3_Change() {
    const QString text = Text3->currentText();
    if (!isNumberText(text)) {
        Text3->setCurrentText(QString()); // runs this handler again, for the empty text
        return;
    }
    if (!options->on(Switch::AutoDetect) || text.size() < DetectFrom) return;
    detectCourier();
}

void Form1::Command2_Click() {
    if (Text3->currentText().size() >= DetectFrom) detectCourier();
}

void Form1::detectCourier() {
    const quint64 detection = ++m_detection;
    if (!m_source->ready()) {
        // Nothing is asked without an account; the company is picked by hand.
        setStatus(QStringLiteral("未设置查询账户,请手动选择快递公司.."));
        return;
    }
    const QString number = Text3->currentText();
    Command1[12]->setText(QStringLiteral("正在检测快递"));
    const Detected found =
        readAutoNumberAnswer(waitFor<QString>([this, &number](std::function<void(QString)> done) {
            return m_source->autoNumber(number, std::move(done));
        }));
    // Typing went on while the service answered: only the detection of the
    // number the box holds now may speak.
    if (detection != m_detection || Text3->currentText() != number) return;
    switch (found.kind) {
    case Detected::Nothing:
        return; // the caption keeps "正在检测快递"
    case Detected::Busy:
        Command1[12]->setText(QStringLiteral("检测出错,请手动选择或多次刷新"));
        return;
    case Detected::Refused:
        // A good number: the account may not use the detection.
        Command1[12]->setText(QStringLiteral("请选择快递公司"));
        setStatus(QStringLiteral("快递100的单号自动识别只对付费账户开放,请点击\"请选择快递公司\""
                                 "或按F12手动选择快递公司.."));
        return;
    case Detected::NoCode:
        Command1[12]->setText(QStringLiteral("检测出错,请查询您的单号是否正确"));
        return;
    case Detected::Code:
        break;
    }
    const auto courier = m_store->courierByShibie(found.code);
    if (courier.failed())
        Command1[12]->setText(QStringLiteral("检测出错,请查询您的单号是否正确"));
    else if (!*courier)
        Command1[12]->setText(QStringLiteral("未找到对应快递,请手动选择"));
    else
        Command1[12]->setText((*courier)->name);
}

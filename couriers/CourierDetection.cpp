#include "couriers/CourierDetection.h"

#include "couriers/AutoNumber.h"
#include "store/Store.h"
#include "tracking/Source.h"

const QString CourierDetection::Detecting = QStringLiteral("正在检测快递");

bool CourierDetection::ready() const {
    return m_source && m_source->ready();
}

std::optional<CourierDetection::Said>
CourierDetection::detect(const QString& number, const std::function<bool()>& stillAsked,
                         bool again) {
    const quint64 detection = ++m_detection;
    if (!ready())
        // Nothing is asked without an account; the company is picked by hand.
        return Said{std::nullopt, QStringLiteral("未设置查询账户,请手动选择快递公司..")};
    if (const auto known = m_answered.constFind(number); !again && known != m_answered.cend())
        return *known;
    const Detected found =
        readAutoNumberAnswer(waitFor<QString>([this, &number](std::function<void(QString)> done) {
            return m_source->autoNumber(number, std::move(done));
        }));
    // Typing went on while the service answered: only the detection of the
    // number the box holds now may speak.
    if (detection != m_detection || !stillAsked()) return std::nullopt;
    switch (found.kind) {
    case Detected::Nothing:
        return Said{}; // the caption keeps "正在检测快递"
    case Detected::Busy:
        return Said{QStringLiteral("检测出错,请手动选择或多次刷新"), {}};
    case Detected::Refused:
        // A good number: the account may not use the detection.
        return Said{QStringLiteral("请选择快递公司"), m_source->detectionRefused()};
    case Detected::Limit:
        return Said{
            QStringLiteral("请选择快递公司"),
            QStringLiteral("今日的查询次数已用完,明日0点后恢复自动识别,请手动选择快递公司..")};
    case Detected::NoCode:
        return m_answered[number] = Said{QStringLiteral("检测出错,请查询您的单号是否正确"), {}};
    case Detected::Code:
        break;
    }
    const auto courier = m_store.courierByShibie(found.code);
    if (courier.failed()) return Said{QStringLiteral("检测出错,请查询您的单号是否正确"), {}};
    return m_answered[number] =
               Said{*courier ? (*courier)->name : QStringLiteral("未找到对应快递,请手动选择"), {}};
}

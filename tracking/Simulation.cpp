#include "tracking/Simulation.h"

#include <QCryptographicHash>

namespace {

struct Courier {
    const char* code;
    const char* name;
};
const Courier Couriers[] = {{"shunfeng", "顺丰速运"},
                            {"zhongtong", "中通快递"},
                            {"yuantong", "圆通速递"},
                            {"yunda", "韵达快递"},
                            {"shentong", "申通快递"},
                            {"jd", "京东快递"},
                            {"ems", "EMS"},
                            {"jtexpress", "极兔速递"},
                            {"huitongkuaidi", "汇通快运"},
                            {"debangwuliu", "德邦物流"}};
const char* const Cities[] = {"深圳市", "广州市", "杭州市", "上海市", "北京市", "成都市",
                              "武汉市", "南京市", "西安市", "厦门市", "长沙市", "郑州市"};
const char* const Districts[] = {"城东", "城西", "城南", "城北", "高新区", "开发区"};
const char* const Couriermen[] = {"王师傅", "李师傅", "张师傅", "刘师傅", "陈师傅", "杨师傅"};

// Hours after pickup of each step of the timetable.
const int StepHours[] = {0, 2, 4, 20, 24, 28, 30, 36};

quint32 hashOf(const QString& number) {
    const QByteArray h = QCryptographicHash::hash(number.toUtf8(), QCryptographicHash::Sha1);
    return (quint32(quint8(h[0])) << 24) | (quint32(quint8(h[1])) << 16) |
           (quint32(quint8(h[2])) << 8) | quint32(quint8(h[3]));
}

// Capital letters and digits, with at least 8 digits.
bool isKnown(const QString& number) {
    if (number.size() < 8 || number.size() > 30 || number.endsWith(QLatin1String("000")))
        return false;
    int digits = 0;
    for (QChar c : number) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c < 'A' || c > 'Z')
            return false;
    }
    return digits >= 8;
}

// The courier some numbers name themselves: SF… is SF Express, JD… JD
// Logistics, and a number ending in CN is an EMS item.
const char* courierOfShape(const QString& number) {
    if (number.startsWith(QLatin1String("SF"))) return "shunfeng";
    if (number.startsWith(QLatin1String("JD"))) return "jd";
    if (number.endsWith(QLatin1String("CN"))) return "ems";
    return nullptr;
}

// The last two digits of the number.
int lastTwoDigits(const QString& number) {
    QString digits;
    for (qsizetype i = number.size() - 1; i >= 0 && digits.size() < 2; --i)
        if (number[i].isDigit()) digits.prepend(number[i]);
    return digits.toInt();
}

QString timeText(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

QByteArray jsonString(const QString& text) {
    QByteArray out = "\"";
    for (char c : text.toUtf8()) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '/':
            out += "\\/";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out + '"';
}

std::optional<SimParcel> simulateParcel(const QString& number, const QDateTime& anchor,
                                        const QString& code) {
    if (!isKnown(number)) return std::nullopt;
    const quint32 h = hashOf(number);
    const Courier* courier = &Couriers[h % std::size(Couriers)];
    const char* shaped = courierOfShape(number);
    for (const Courier& c : Couriers)
        if ((shaped && qstrcmp(shaped, c.code) == 0) || code == QLatin1String(c.code)) courier = &c;
    const QString from = QString::fromUtf8(Cities[(h >> 4) % std::size(Cities)]);
    QString to = QString::fromUtf8(Cities[(h >> 8) % std::size(Cities)]);
    if (to == from) to = QString::fromUtf8(Cities[((h >> 8) + 1) % std::size(Cities)]);
    const QString district = QString::fromUtf8(Districts[(h >> 12) % std::size(Districts)]);
    const QString man = QString::fromUtf8(Couriermen[(h >> 16) % std::size(Couriermen)]);
    const QString name = QString::fromUtf8(courier->name);

    const int ageHours = lastTwoDigits(number) % 40;
    const QDateTime pickup = anchor.addSecs(-qint64(ageHours) * 3600 - (h >> 20) % 1800);
    const QString contexts[] = {
        QStringLiteral("【%1】%2 已揽收").arg(from, name),
        QStringLiteral("快件已到达【%1/转运中心】").arg(from),
        QStringLiteral("快件已从【%1转运中心】发出,下一站【%2转运中心】").arg(from, to),
        QStringLiteral("快件已到达【%1转运中心】").arg(to),
        QStringLiteral("快件已从【%1转运中心】发出,下一站【%1%2营业点】").arg(to, district),
        QStringLiteral("快件已到达【%1%2营业点】").arg(to, district),
        QStringLiteral("【%1%2】快递员 %3 正在派件").arg(to, district, man),
        QStringLiteral("已签收,签收人是:本人,感谢使用%1,期待再次为您服务").arg(name),
    };
    SimParcel p{QString::fromLatin1(courier->code), name, {}};
    for (int i = 0; i < int(std::size(StepHours)); ++i)
        p.events << SimEvent{pickup.addSecs(qint64(StepHours[i]) * 3600 + (h >> (i + 3)) % 600),
                             contexts[i]};
    return p;
}

QByteArray trackingAnswer(const QString& number, const QString& code, const QDateTime& anchor,
                          const QDateTime& now) {
    const std::optional<SimParcel> p = simulateParcel(number, anchor, code);
    if (!p)
        return "{\"message\":\"" + QStringLiteral("快递单号不存在").toUtf8() +
               "\",\"nu\":" + jsonString(number) +
               ",\"errCode\":\"1\",\"status\":\"201\",\"state\":\"0\",\"data\":[]}";
    QByteArray data;
    int seen = 0;
    for (auto it = p->events.crbegin(); it != p->events.crend(); ++it) {
        if (it->time > now) continue;
        const QByteArray t = jsonString(timeText(it->time));
        if (seen++) data += ',';
        data += "{\"time\":" + t + ",\"ftime\":" + t + ",\"context\":" + jsonString(it->context) +
                ",\"location\":null}";
    }
    const bool signedFor = seen == int(p->events.size());
    // The service's state of the newest step: 揽收, 在途 on the way, 派件 on
    // the last day, 签收 at the end.
    const char* state = signedFor                           ? "3"
                        : seen == int(p->events.size()) - 1 ? "5"
                        : seen == 1                         ? "1"
                                                            : "0";
    return "{\"message\":\"ok\",\"nu\":" + jsonString(number) + ",\"ischeck\":\"" +
           (signedFor ? "1" : "0") + "\",\"com\":\"" + p->courierCode.toLatin1() +
           "\",\"status\":\"200\",\"errCode\":\"0\",\"state\":\"" + state + "\",\"data\":[" + data +
           "]}";
}

QByteArray autoNumberAnswer(const QString& number, const QDateTime& anchor) {
    const std::optional<SimParcel> p = simulateParcel(number, anchor);
    if (!p) return "[]";
    return "[{\"lengthPre\":" + QByteArray::number(number.size()) + ",\"comCode\":\"" +
           p->courierCode.toLatin1() + "\",\"name\":" + jsonString(p->courierName) + "}]";
}

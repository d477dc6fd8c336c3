// The couriers' codes of 快递鸟 beside the directory's, and the calls each
// service took on a day.
#include "store/Select.h"
#include "store/Store.h"

using store::first;
using store::select;

namespace {
// 快递鸟's ShipperCode of the shipped couriers, by their 快递100 code. A
// company missing here is one 快递鸟 has no code for.
const std::pair<const char*, const char*> ShippedKdniaoCodes[] = {{"shunfeng", "SF"},
                                                                  {"shentong", "STO"},
                                                                  {"zhongtong", "ZTO"},
                                                                  {"yuantong", "YTO"},
                                                                  {"yunda", "YD"},
                                                                  {"quanfengkuaidi", "QFKD"},
                                                                  {"tiantian", "HHTT"},
                                                                  {"zhaijisong", "ZJS"},
                                                                  {"huitongkuaidi", "HTKY"},
                                                                  {"jd", "JD"},
                                                                  {"ems", "EMS"},
                                                                  {"youzhengguonei", "YZPY"},
                                                                  {"debangwuliu", "DBL"},
                                                                  {"jtexpress", "JTSD"},
                                                                  {"youshuwuliu", "UC"},
                                                                  {"guotongkuaidi", "GTO"},
                                                                  {"kuaijiesudi", "FAST"},
                                                                  {"longbanwuliu", "LB"},
                                                                  {"suer", "SURE"},
                                                                  {"tiandihuayu", "HOAU"},
                                                                  {"jiajiwuliu", "CNEX"},
                                                                  {"xinbangwuliu", "XBWL"},
                                                                  {"ztky", "ZTKY"},
                                                                  {"rufengda", "RFD"},
                                                                  {"annengwuliu", "ANE"},
                                                                  {"kuayue", "KYSY"},
                                                                  {"suning", "SNWL"},
                                                                  {"baishiwuliu", "BTWL"},
                                                                  {"yundakuaiyun", "YDKY"},
                                                                  {"zhongtongkuaiyun", "ZTOKY"},
                                                                  {"danniao", "DNWL"},
                                                                  {"zhongyouex", "ZYE"},
                                                                  {"yimidida", "YMDD"},
                                                                  {"lianhaowuliu", "LHT"},
                                                                  {"ganzhongnengda", "NEDA"},
                                                                  {"emsguoji", "EMSGJ"},
                                                                  {"dhl", "DHL"},
                                                                  {"fedex", "FEDEX"},
                                                                  {"ups", "UPS"},
                                                                  {"tnt", "TNT"},
                                                                  {"shunfengkuaiyun", "SFKY"}};

std::optional<QString> text(const QSqlQuery& q) {
    return q.value(0).toString();
}
} // namespace

bool Store::makeCodes() {
    const auto filled = first(select<int>(
        m_connection, QStringLiteral("SELECT 1 FROM kdniaocode LIMIT 1"), QVariant(),
        [](const QSqlQuery&) { return 1; }, m_error));
    if (filled.failed()) return false;
    if (*filled) return true; // filled before: what the user's store holds stays
    QList<std::pair<QString, QVariantList>> rows;
    for (const auto& [code, kdniao] : ShippedKdniaoCodes)
        rows.append({QStringLiteral("INSERT OR IGNORE INTO kdniaocode VALUES (?, ?)"),
                     {QString::fromLatin1(code), QString::fromLatin1(kdniao)}});
    return execAll(rows, false);
}

Read<std::optional<QString>> Store::kdniaoCode(const QString& code) {
    const auto codes = select<std::optional<QString>>(
        m_connection, QStringLiteral("SELECT kdniao FROM kdniaocode WHERE code = ?"), code, text,
        m_error);
    if (codes.failed()) return Read<std::optional<QString>>::failure(codes.error());
    return codes->isEmpty() ? std::optional<QString>() : codes->first();
}

Read<std::optional<CourierRow>> Store::courierByCode(const QString& code) {
    return first(courierQuery(QStringLiteral("WHERE code = ?"), code));
}

Read<std::optional<CourierRow>> Store::courierByKdniao(const QString& kdniao) {
    return first(courierQuery(
        QStringLiteral("WHERE code IN (SELECT code FROM kdniaocode WHERE kdniao = ?)"), kdniao));
}

Read<int> Store::callsOn(const QString& service, const QString& day) {
    const auto calls = first(select<int>(
        m_connection,
        QStringLiteral("SELECT calls FROM servicecalls WHERE service = ? AND day = ?"),
        QVariantList{service, day}, [](const QSqlQuery& q) { return q.value(0).toInt(); },
        m_error));
    if (calls.failed()) return Read<int>::failure(calls.error());
    return calls->value_or(0);
}

bool Store::countCall(const QString& service, const QString& day) {
    return execAll({{QStringLiteral("DELETE FROM servicecalls WHERE service = ? AND day <> ?"),
                     {service, day}},
                    {QStringLiteral("INSERT INTO servicecalls VALUES (?, ?, 1) ON CONFLICT "
                                    "(service, day) DO UPDATE SET calls = calls + 1"),
                     {service, day}}},
                   false);
}

bool Store::setCalls(const QString& service, const QString& day, int calls) {
    return exec(QStringLiteral("INSERT INTO servicecalls VALUES (?, ?, ?) ON CONFLICT (service, "
                               "day) DO UPDATE SET calls = MAX(calls, excluded.calls)"),
                {service, day, calls}, false);
}

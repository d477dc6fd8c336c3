// 快递鸟's API, free of the network: the signed form of its real-time query
// (即时查询, RequestType 1002) and of its number recognition (单号识别, 2002),
// and its answers turned into the answers the program reads, newest first.
#pragma once

#include "tracking/Enterprise.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// RequestData of the real-time query: ShipperCode, LogisticCode and, when
// given, CustomerName.
QByteArray kdniaoTrackData(const QString& shipper, const QString& number,
                           const QString& customerName);
// RequestData of the number recognition: LogisticCode.
QByteArray kdniaoDetectData(const QString& number);
// DataSign: the lower-case hex MD5 of requestData followed by the API key,
// that text Base64-encoded.
QByteArray kdniaoSign(const QByteArray& requestData, const QString& apiKey);
// The form body: RequestData, EBusinessID, RequestType, DataSign and DataType
// 2 (JSON), each percent-encoded.
QByteArray kdniaoForm(const QString& id, const char* requestType, const QByteArray& requestData,
                      const QString& apiKey);
// CustomerName: the last four digits of the phone a query sends (顺丰 and
// 中通 only answer with it); empty when there is none.
QString kdniaoCustomerName(const QString& com, const QString& parcelPhone,
                           const QString& accountPhone);

// The real-time query's answer, read as the 快递100 answer is: "errCode" "0",
// 快递鸟's state as "kdniaoState" (StateEx where the state table knows it,
// else State) and the Traces newest first; code 1 when the service has no
// trace of the number; the phone wanted when the service asks for
// CustomerName; 20 for a refused ID or key (accountRefused) or a service not
// opened; 22 with the day's limit reached (dayLimit); a paced failure for
// anything else.
ServiceAnswer readKdniaoAnswer(std::optional<int> httpStatus, const QByteArray& body,
                               const QString& shipper, const QString& number);

// The number recognition's answer as the auto-number list the add panel
// reads ([{"comCode":…}], best first), each ShipperCode turned into the
// directory's code by directoryCode; AutoNumberRefused when the service
// refuses the account; "503" for anything else.
QByteArray programKdniaoDetection(std::optional<int> httpStatus, const QByteArray& body,
                                  const std::function<QString(const QString&)>& directoryCode);

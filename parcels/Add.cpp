// Adding a parcel through the add panel: the four checks, one query for the
// number, then storing it (or offering to store a number the service does
// not know), never twice.
#include "app/Form1.h"
#include "platform/Platform.h"
#include "store/Store.h"
#include "tracking/Answer.h"
#include "tracking/ForegroundQuery.h"
#include "tracking/Reading.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {
const QString AlreadyStored = QStringLiteral("快递数据已存在!");

QString addFailed(const QString& reason) {
    return QStringLiteral("快递添加失败!快递数据库暂时无法写入,请稍后再试..\n \n原因：") + reason;
}
} // namespace

// The selector lists the parcels whose number contains this one.
void Form1::listSimilarNumbers(const QString& number) {
    const auto rows = m_store->parcelsNumberLike(number.trimmed());
    if (rows.failed()) {
        storeReadFailed(rows.error());
        return;
    }
    listParcels(*rows);
}

void Form1::addParcel() {
    const QString number = Text3->currentText();
    if (number.isEmpty()) {
        Text3->setFocus();
        setStatus(QStringLiteral("请输入快递单号!"));
        return;
    }
    if (number.contains(u'|')) {
        setStatus(QStringLiteral("单号不正确,请您检查!"));
        return;
    }
    const QString company = Command1[12]->text();
    if (company == QStringLiteral("请选择快递公司")) {
        Command1[12]->setFocus();
        setStatus(QStringLiteral("请选择快递公司!"));
        return;
    }
    const QString goods = Text2->text();
    if (goods.isEmpty()) {
        setStatus(QStringLiteral("请输入快递物品信息,例如：爸爸衣服"));
        return;
    }
    const auto courier = m_store->courierByName(company);
    if (courier.failed()) return storeReadFailed(courier.error());
    cur.number = number;
    cur.company = company;
    cur.goods = goods;
    if (*courier) cur.code = (*courier)->code;

    ListView1->clear();
    kdmenu[0]->setVisible(false);
    setToolbarEnabled(false);
    if (!kdgs(number)) return; // a newer query owns the window
    const quint64 query = m_query->current();
    const Reading read = *reading;
    if (read.outcome == Reading::Outcome::Nothing) return; // the watchdog reports it

    if (read.outcome == Reading::Outcome::Progress) {
        entryTally = 0;
        const auto stored = m_store->parcelsWithNumber(number);
        if (stored.failed()) {
            storeReadFailed(stored.error());
        } else if (stored->isEmpty()) {
            if (m_store->addParcel(company, number, goods)) {
                keepTypedPhone(number);
                // The new parcel is the last entry; choosing it queries it.
                if (sX()) return selectListIndex(Text1->count() - 1);
            } else {
                m_platform.dialogs.MsgBox(addFailed(m_store->lastError()),
                                          Mb::OkOnly + Mb::Exclamation, BoxTitle);
            }
        } else {
            m_platform.dialogs.MsgBox(AlreadyStored, Mb::OkOnly + Mb::Information, BoxTitle);
            listSimilarNumbers(number);
            if (Text1->count() > 0) {
                selectListIndex(0);
                Text1->addItems(
                    {QStringLiteral("******************"), QStringLiteral("刷新快递列表")});
                return;
            }
        }
        // Nothing was chosen: this query ends here.
        return m_query->end(ForegroundQuery::Unlock::Window);
    }

    if (read.outcome == Reading::Outcome::Failed) {
        setStatus(read.failure);
        if (read.accountRefused) accountRefused(read.failure);
    } else {
        m_query->holdWatchdog();
        if (m_platform.dialogs.MsgBox(
                QStringLiteral("您好,您当前输入的单号不存在有效信息,是否先进行保存?"),
                Mb::YesNo + Mb::Information, BoxTitle) == Mb::Yes &&
            m_query->isCurrent(query)) {
            const auto stored = m_store->parcelsWithNumber(number);
            if (stored.failed()) {
                storeReadFailed(stored.error());
            } else if (stored->isEmpty()) {
                kdmenu[0]->setVisible(false);
                if (m_store->addParcel(company, number, goods)) {
                    keepTypedPhone(number);
                    m_platform.dialogs.MsgBox(QStringLiteral("快递添加成功！"),
                                              Mb::OkOnly + Mb::Information, BoxTitle);
                    setStatus(QStringLiteral("快递添加成功.."));
                    sX();
                } else {
                    m_platform.dialogs.MsgBox(addFailed(m_store->lastError()),
                                              Mb::OkOnly + Mb::Exclamation, BoxTitle);
                }
            } else {
                kdmenu[0]->setVisible(false);
                m_platform.dialogs.MsgBox(AlreadyStored, Mb::OkOnly + Mb::Information, BoxTitle);
                listSimilarNumbers(number);
                if (Text1->count() > 0) selectListIndex(0);
                // The chosen parcel's query now owns the window.
                if (!m_query->isCurrent(query)) return;
            }
        } else if (m_query->isCurrent(query)) {
            setStatus(QStringLiteral("该单号暂无物流信息,未添加.."));
        }
    }
    m_query->end(ForegroundQuery::Unlock::Window);
}

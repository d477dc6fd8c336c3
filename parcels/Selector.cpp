// The parcel selector Text1 and the current parcel: filling the selector from
// the book, and choosing an entry, which loads that parcel and queries it.
#include "app/Form1.h"
#include "platform/Platform.h"
#include "store/Store.h"
#include "watch/Marks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace {
const QString Separator = QStringLiteral("******************");
const QString RefreshEntry = QStringLiteral("刷新快递列表");
} // namespace

void Form1::read() {
    sX();
}

// Lists the goods of every parcel, in the order the parcels were stored. A
// book that cannot be read leaves the selector as it was and says so.
bool Form1::sX() {
    const auto goods = m_store->parcelGoods();
    if (goods.failed()) {
        setStatus(QStringLiteral("快递列表读取失败!快递数据库暂时无法读取,请稍后再试.."));
        return false;
    }
    setSelectorEntries(*goods);
    refreshMarks();
    return true;
}

// Replaces the selector's entries at once, leaving none chosen.
void Form1::setSelectorEntries(const QStringList& entries) {
    const QSignalBlocker quiet(Text1);
    auto* book = static_cast<MarkedBook*>(Text1->model());
    book->setStringList(entries);
    book->setMarks({});
    Text1->setCurrentIndex(-1);
}

// What a search or a duplicate add found: the selector lists those parcels.
void Form1::listParcels(const QList<ParcelRow>& rows) {
    QStringList goods;
    goods.reserve(rows.size());
    for (const ParcelRow& r : rows)
        goods << r.goods;
    setSelectorEntries(goods);
}

// A choice the store could not answer: nothing is queried, the window is idle
// again and the user is told why.
void Form1::storeReadFailed(const QString& error) {
    // A read may be the first to meet a damaged page: the check says so.
    if (!checkStore()) return;
    unlockWindow();
    setStatus(QStringLiteral("读取快递数据失败!请稍后再试.."));
    m_platform.dialogs.MsgBox(QStringLiteral("读取快递数据失败!快递数据库可能正被其他程序使用,"
                                             "请稍后再试..\n \n原因：") +
                                  error,
                              Mb::OkOnly + Mb::Exclamation, BoxTitle);
}

void Form1::selectListIndex(int index) {
    {
        const QSignalBlocker quiet(Text1);
        Text1->setCurrentIndex(index);
    }
    Text1_Click();
}

void Form1::Text1_Click() {
    hideAllPanels();
    Text1->setEnabled(false);
    ListView1->setEnabled(false);
    setToolbarEnabled(false);

    const QString chosen = Text1->currentText();
    if (chosen != Separator && chosen != RefreshEntry) {
        const auto parcel = m_store->parcelByGoods(chosen);
        if (parcel.failed()) return storeReadFailed(parcel.error());
        if (!*parcel) {
            // The parcel left the book behind the selector's back (another
            // copy of the book, a restored backup): show the book as it is
            // rather than query whatever parcel was chosen before.
            sX();
            ListView1->clear();
            unlockWindow();
            setStatus(QStringLiteral("该快递已不在快递列表中,快递列表已刷新.."));
            return;
        }
        const auto courier = m_store->courierByName((*parcel)->company);
        if (courier.failed()) return storeReadFailed(courier.error());
        cur.company = (*parcel)->company;
        cur.number = (*parcel)->number;
        cur.goods = (*parcel)->goods;
        cur.num = (*parcel)->num;
        cur.id = (*parcel)->id;
        if (*courier) cur.code = (*courier)->code;
        for (int i : {7, 2, 3, 5})
            Label12[i]->setText(QStringLiteral("未查询"));
        *shown = Reading();
        Label12[3]->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
        cur.index = QString::number(Text1->currentIndex());
        cx();
        return;
    }

    if (!refreshBook()) unlockWindow();
}

// The parcel selector Text1 and the current parcel: filling the selector from
// the book, and choosing an entry, which loads that parcel and queries it.
#include "app/Form1.h"

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

// Lists the goods of every parcel, in the order the parcels were stored.
void Form1::sX() {
    const QList<ParcelRow> rows = m_store.parcels();
    const QSignalBlocker quiet(Text1);
    Text1->clear();
    for (const ParcelRow& r : rows)
        Text1->addItem(r.goods);
    Text1->setCurrentIndex(-1);
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
        if (const auto parcel = m_store.parcelByGoods(chosen)) {
            cur.company = parcel->company;
            cur.number = parcel->number;
            cur.goods = parcel->goods;
            cur.num = parcel->num;
            cur.id = QString::number(parcel->id);
        }
        if (const auto courier = m_store.courierByName(cur.company)) cur.code = courier->code;
        for (int i : {7, 2, 3, 5})
            Label12[i]->setText(QStringLiteral("未查询"));
        Label12[3]->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
        cur.index = QString::number(Text1->currentIndex());
        cx();
        return;
    }

    sX();
    ListView1->clear();
    bool queried = false;
    if (Check7->isChecked() && Text1->count() > 0) {
        selectListIndex(0);
        queried = true;
    }
    setStatus(QStringLiteral("快递列表已刷新.."));
    if (!queried) {
        Text1->setEnabled(true);
        ListView1->setEnabled(true);
        setToolbarEnabled(true);
    }
}

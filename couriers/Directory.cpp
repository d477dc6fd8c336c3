// The courier directory panel: the full list, the live name search, the
// quick links, picking a courier into the add or edit panel, and copying a
// company's telephone.
#include "app/Form1.h"
#include "platform/Platform.h"
#include "store/Store.h"

#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {
const QString PickHeader = QStringLiteral("快递公司（双击选择）");
const QString BrowseHeader = QStringLiteral("快递公司");
const QString NoCourier = QStringLiteral("请选择快递公司");
} // namespace

// Appends rows (id, name, telephone) in the store's order; a failed read
// says so in the program's box and adds nothing.
void Form1::fillCourierList(const Read<QList<CourierRow>>& rows) {
    if (rows.failed()) {
        m_platform.dialogs.MsgBox(rows.error(), Mb::OkOnly + Mb::Information, BoxTitle);
        return;
    }
    QList<QTreeWidgetItem*> items;
    items.reserve(rows->size());
    for (const CourierRow& c : *rows)
        items << new QTreeWidgetItem({QString::number(c.id), c.name, c.call});
    ListView2->addTopLevelItems(items);
}

void Form1::kdlb() {
    fillCourierList(m_store->couriers());
}

void Form1::openCourierList(int opener) {
    ListView2->headerItem()->setText(1, opener ? PickHeader : BrowseHeader);
    ListView2->clear();
    kdlb();
    if (opener == 8) // picking for the edit panel: it alone stays beside the list
        for (int i : {0, 1, 3})
            kdmenu[i]->setVisible(false);
    showPanel(4);
    kdmenu[4]->raise();
}

void Form1::Text8_Change() {
    const QString text = Text8->text();
    ListView2->clear();
    if (text.isEmpty()) {
        kdlb();
        return;
    }
    fillCourierList(m_store->couriersNameLike(text.trimmed()));
}

void Form1::Label20_Click(int index) {
    const auto rows = m_store->couriersNameLike(Label20[index]->text().trimmed());
    ListView2->clear();
    fillCourierList(rows);
}

// The destination is whichever parcel panel is visible, the add panel first;
// the courier code is taken in every case.
void Form1::ListView2_DblClick() {
    QTreeWidgetItem* row = ListView2->currentItem();
    if (kdmenu[0]->isVisible()) {
        if (row) Command1[12]->setText(row->text(1));
        kdmenu[4]->setVisible(false);
    } else if (kdmenu[2]->isVisible()) {
        if (row) Command1[8]->setText(row->text(1));
        kdmenu[4]->setVisible(false);
    }
    if (!row) return;
    const auto courier = m_store->courierById(row->text(0).toLongLong());
    if (!courier.failed() && *courier) cur.code = (*courier)->code;
}

void Form1::ListView2_RightPress() {
    QTreeWidgetItem* row = ListView2->currentItem();
    if (!row) return;
    QApplication::clipboard()->setText(row->text(2));
    setStatus(row->text(1) + QStringLiteral("公司电话已复制.."));
}

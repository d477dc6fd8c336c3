// Searching the parcel book by number or goods, exactly or by containment;
// the hits replace the selector's entries.
#include "app/Form1.h"
#include "couriers/AutoNumber.h"
#include "parcels/BookText.h"
#include "platform/Platform.h"
#include "store/Store.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

void Form1::openSearchPanel() {
    Option1[1]->setChecked(true);
    Option2[1]->setChecked(true);
    showPanel(3);
    m_defaultButton[3] = Command1[14];
    Text7->clear();
    Text7->setFocus();
}

void Form1::Text7_Change() {
    if (Option1[0]->isChecked() && !isNumberText(Text7->text())) Text7->clear();
}

void Form1::searchBook() {
    if (!Option2[0]->isChecked() && !Option2[1]->isChecked()) return;
    if (!Option1[0]->isChecked() && !Option1[1]->isChecked()) return;
    const SearchMatch match =
        Option2[1]->isChecked() ? SearchMatch::Containing : SearchMatch::Exact;
    const SearchField field = Option1[0]->isChecked() ? SearchField::Number : SearchField::Goods;
    const auto box = [this](const QString& text) {
        m_platform.dialogs.MsgBox(text, Mb::OkOnly + Mb::Information, BoxTitle);
    };
    const QString typed = Text7->text();
    if (typed.isEmpty()) return box(emptySearchMessage(field));

    // Containment ignores blanks at either end; an exact search takes the text as typed.
    const QString text = match == SearchMatch::Containing ? typed.trimmed() : typed;
    const auto rows = field == SearchField::Number
                          ? (match == SearchMatch::Containing ? m_store->parcelsNumberLike(text)
                                                              : m_store->parcelsWithNumber(text))
                          : (match == SearchMatch::Containing ? m_store->parcelsGoodsLike(text)
                                                              : m_store->parcelsWithGoods(text));
    if (rows.failed()) return box(rows.error()); // the selector keeps its entries
    listParcels(*rows);
    if (rows->isEmpty()) {
        box(QStringLiteral("没有找到相关快递"));
        setStatus(QStringLiteral("没有找到相关快递.."));
        return;
    }
    kdmenu[3]->setVisible(false);
    box(foundMessage(match, rows->size()));
    selectListIndex(0);
    Text1->addItems({QStringLiteral("******************"), QStringLiteral("刷新快递列表")});
}

#include "parcels/SearchPanel.h"

#include "couriers/AutoNumber.h"
#include "parcels/BookText.h"
#include "parcels/ParcelSelector.h"
#include "platform/Platform.h"
#include "store/Store.h"

#include <QGroupBox>
#include <QRadioButton>

SearchPanel::SearchPanel(Store& store, Dialogs& dialogs, ParcelSelector& selector, QWidget* parent)
    : Panel(QStringLiteral("kdmenu_3"), QStringLiteral("x_3"), tw(0, 0, 4455, 4335), 3960, 120,
            parent),
      m_store(store), m_dialogs(dialogs), m_selector(selector) {
    Label13[2] = title(QStringLiteral("Label13_2"), QStringLiteral("搜索快递"));
    // Each pair is its own choice: what to search, and how.
    auto* what = place(new QGroupBox(QStringLiteral("查询内容"), this), "Frame_search_what",
                       QRect(20, 40, 257, 56));
    Option1[0] = place(new QRadioButton(QStringLiteral("使用单号查询"), what), "Option1_0",
                       QRect(10, 24, 110, 24));
    Option1[1] = place(new QRadioButton(QStringLiteral("使用物品名称查询"), what), "Option1_1",
                       QRect(122, 24, 130, 24));
    auto* how = place(new QGroupBox(QStringLiteral("查询方式"), this), "Frame_search_how",
                      QRect(20, 104, 257, 56));
    Option2[0] = place(new QRadioButton(QStringLiteral("精准查询"), how), "Option2_0",
                       QRect(10, 24, 110, 24));
    Option2[1] = place(new QRadioButton(QStringLiteral("模糊查询"), how), "Option2_1",
                       QRect(122, 24, 110, 24));
    Option1[1]->setChecked(true);
    Option2[1]->setChecked(true);
    Text7 = lineEdit(this, "Text7", QRect(20, 176, 257, 28));
    Command1[14] = button(this, "Command1_14", QStringLiteral("开始搜索"), QRect(88, 226, 120, 34));
    connect(Text7, &QLineEdit::textChanged, this, &SearchPanel::Text7_Change);
    connect(Command1[14], &QPushButton::clicked, this, &SearchPanel::searchBook);
}

void SearchPanel::openSearchPanel() {
    Option1[1]->setChecked(true);
    Option2[1]->setChecked(true);
    Text7->clear();
    Text7->setFocus();
}

void SearchPanel::Text7_Change() {
    if (Option1[0]->isChecked() && !isNumberText(Text7->text())) Text7->clear();
}

void SearchPanel::searchBook() {
    if (!Option2[0]->isChecked() && !Option2[1]->isChecked()) return;
    if (!Option1[0]->isChecked() && !Option1[1]->isChecked()) return;
    const SearchMatch match =
        Option2[1]->isChecked() ? SearchMatch::Containing : SearchMatch::Exact;
    const SearchField field = Option1[0]->isChecked() ? SearchField::Number : SearchField::Goods;
    const auto box = [this](const QString& text) {
        m_dialogs.MsgBox(text, Mb::OkOnly + Mb::Information, BoxTitle);
    };
    const QString typed = Text7->text();
    if (typed.isEmpty()) return box(emptySearchMessage(field));

    // Containment ignores blanks at either end; an exact search takes the text as typed.
    const QString text = match == SearchMatch::Containing ? typed.trimmed() : typed;
    const auto rows = field == SearchField::Number
                          ? (match == SearchMatch::Containing ? m_store.parcelsNumberLike(text)
                                                              : m_store.parcelsWithNumber(text))
                          : (match == SearchMatch::Containing ? m_store.parcelsGoodsLike(text)
                                                              : m_store.parcelsWithGoods(text));
    if (rows.failed()) return box(rows.error()); // the selector keeps its entries
    m_selector.list(*rows);
    if (rows->isEmpty()) {
        box(QStringLiteral("没有找到相关快递"));
        emit status(QStringLiteral("没有找到相关快递.."));
        return;
    }
    setVisible(false);
    box(foundMessage(match, rows->size()));
    m_selector.choose(0);
    m_selector.addSeparators();
}

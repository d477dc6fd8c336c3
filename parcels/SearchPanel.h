// The search panel (kdmenu(3)): the book searched by number or goods, exactly
// or by containment; the hits replace the selector's entries.
#pragma once

#include "platform/Controls.h"

#include <array>

class Dialogs;
class ParcelSelector;
class Store;
class QRadioButton;

class SearchPanel : public Panel {
    Q_OBJECT
public:
    SearchPanel(Store& store, Dialogs& dialogs, ParcelSelector& selector,
                QWidget* parent = nullptr);
    QPushButton* defaultButton() const override { return Command1[14]; }
    // Opened by F7 or the toolbar: goods, containment, an empty text box.
    void openSearchPanel();
    void searchBook();

private:
    void Text7_Change();

    Store& m_store;
    Dialogs& m_dialogs;
    ParcelSelector& m_selector;
    std::array<QLabel*, 3> Label13{};
    std::array<QRadioButton*, 2> Option1{}, Option2{};
    QLineEdit* Text7 = nullptr;
    std::array<QPushButton*, 19> Command1{};
};

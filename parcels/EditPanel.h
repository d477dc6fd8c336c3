// The edit panel (kdmenu(2)): changing the current parcel's number, courier
// and goods, deleting it, copying its three-line description, and re-fetching
// its data (快递数据清空), and putting it away (归档).
#pragma once

#include "platform/Controls.h"

#include <array>

class Dialogs;
class Options;
class ParcelSelector;
class QuerySession;
class Store;

class EditPanel : public Panel {
    Q_OBJECT
public:
    EditPanel(Store& store, Dialogs& dialogs, const Options& options, QuerySession& session,
              ParcelSelector& selector, QWidget* parent = nullptr);
    QPushButton* defaultButton() const override { return Command1[9]; }
    // Filled with the current parcel; false (said on the status line) when
    // no parcel is chosen, and the panel stays closed.
    bool openEditPanel();
    void setCompany(const QString& name); // a courier picked in the directory

    void changeParcel();   // Command1[9]
    void copyParcel();     // Command1[10]
    void deleteParcel();   // Command1[11]
    void Command5_Click(); // re-fetch
    void archiveParcel();  // Command8: 归档

signals:
    void courierListWanted(int opener);

private:
    void Text4_Change();

    Store& m_store;
    Dialogs& m_dialogs;
    const Options& m_options;
    QuerySession& m_session;
    ParcelSelector& m_selector;
    QLabel* Label1 = nullptr;
    QLineEdit *Text4 = nullptr, *Text6 = nullptr;
    std::array<QPushButton*, 19> Command1{};
    QPushButton *Command5 = nullptr, *Command8 = nullptr;
};

// The add panel (kdmenu(0)): a number, its courier (picked, or detected as
// the number is typed) and the goods; the query button checks them, asks the
// service once for the number, and stores the parcel (or offers to store a
// number the service does not know), never twice.
#pragma once

#include "couriers/CourierDetection.h"
#include "platform/Controls.h"

#include <array>

class Dialogs;
class Options;
class ParcelSelector;
class QComboBox;
class QTimer;
class QuerySession;
class Store;

class AddPanel : public Panel {
    Q_OBJECT
public:
    AddPanel(Store& store, Dialogs& dialogs, const Options& options, QuerySession& session,
             ParcelSelector& selector, QWidget* parent = nullptr);
    QPushButton* defaultButton() const override { return Command1[13]; }
    CourierDetection& detection() { return m_detection; }
    int detectPauseMs = 600; // typing stopped this long: the courier is detected

    // A fresh form: empty boxes, no courier; then the number when one is given
    // (pasted with F4), which starts the detection as typing would.
    void openAddPanel();
    void paste(const QString& number);
    void setCompany(const QString& name); // a courier picked in the directory
    void addParcel();                     // Command1[13]

    void Text3_Change();
    void Command2_Click();

signals:
    void courierListWanted(int opener);
    void batchWanted(); // 批量添加
    // The add's query starts: the list is emptied and the toolbar locked.
    void querying();

private:
    // again: the service is asked even when it answered for this number before.
    void detectCourier(bool again);
    void listSimilarNumbers(const QString& number);

    Store& m_store;
    Dialogs& m_dialogs;
    const Options& m_options;
    QuerySession& m_session;
    ParcelSelector& m_selector;
    CourierDetection m_detection;
    QTimer* m_pause = nullptr; // from the last keystroke to the detection
    std::array<QLabel*, 3> Label13{};
    QComboBox* Text3 = nullptr;
    QLineEdit* Text2 = nullptr;
    std::array<QPushButton*, 19> Command1{};
    QPushButton* Command2 = nullptr;
    QLabel* Label24 = nullptr;
};

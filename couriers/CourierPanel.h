// The courier directory panel (kdmenu(4)): the full list, the live name
// search, the eleven quick links, picking a courier for the add or edit panel
// (double-click) and copying a company's telephone (right button).
#pragma once

#include "platform/Controls.h"

#include <array>
#include <optional>

class Dialogs;
class Store;
struct CourierRow;
template <class T> class Read;

class CourierPanel : public Panel {
    Q_OBJECT
public:
    CourierPanel(Store& store, Dialogs& dialogs, QWidget* parent = nullptr);

    void kdlb();                      // the whole directory
    void openCourierList(int opener); // 8 or 12: picking for that button; 0: browsing
    void resetQuickLinks();

signals:
    // A courier was double-clicked: its name, and its code when the
    // directory gave it.
    void picked(const QString& name, const std::optional<QString>& code);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillCourierList(const Read<QList<CourierRow>>& rows);
    void Text8_Change();
    void Label20_Click(int index);
    void ListView2_DblClick();
    void ListView2_RightPress();

    Store& m_store;
    Dialogs& m_dialogs;
    QLabel *Label17 = nullptr, *Label18 = nullptr, *Label19 = nullptr;
    QPushButton* Command4 = nullptr;
    QLineEdit* Text8 = nullptr;
    QTreeWidget* ListView2 = nullptr;
    QFrame* Picture3 = nullptr;
    std::array<QLabel*, 11> Label20{};
};

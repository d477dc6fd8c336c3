// Form1: the one window of 件踪宝. It shows and composes; the objects decide (the
// query session, the panels, the options, change detection, polling, the watch).
// Its files in app/: Form1 (wiring), Layout (controls), Startup (Form_Load, main,
// Timer5), Window (mouse, frame, panels), Dispatch (keys, toolbar, refresh,
// clearing, export), Selector (Text1, ListView1), Background (the watch), UpdateCheck.
#pragma once

#include "parcels/ParcelSelector.h"

#include <QStringList>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <set>

class AccountPanel;
class BatchPanel;
class AddPanel;
class Accounts;
class Alerts;
class Backdrop;
class BookWatch;
class Class1;
class CourierPanel;
class DesktopNotifications;
class EditPanel;
class ServiceSource;
struct TrackingAccount;
class Options;
class Panel;
class Polling;
class QuerySession;
class SearchPanel;
class SettingsPanel;
class Store;
struct Announcement;
struct Endpoints;
struct Platform;
struct Reading;
enum class OpenResult;
class QComboBox;
class QLabel;
class QLockFile;
class QMovie;
class QSystemTrayIcon;
class QTimer;
class QTreeWidget;
// The property by which the panels' shelf names its window.
inline constexpr char ShelfOf[] = "jzbShelfOf";

class Form1 : public QWidget, private ParcelSelector {
    Q_OBJECT
public:
    Form1(Platform& platform, Endpoints endpoints, QString programFolder,
          QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up steps; false when the program ended during them.
    bool Form_Load();
    // Shows the window when the start is done; started at login with the
    // watch on, the program stays in the tray (minimised where there is none).
    void showAtStart(bool atLogin);
    // The session ends while a box waits or before the window runs: ended at once.
    void endNow() { quitProgram(0); }
    void setStoreBusyTimeout(int ms) { storeBusyTimeoutMs = ms; }

    QuerySession& session() const { return *m_session; }
    const Announcement& announcement() const { return *notice; }
    void Timer3_Timer(); // the start tasks, a second after the start
    void Timer5_Timer(); // the clock
    void showPanel(int index);
    void hideAllPanels();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // ---- Startup.cpp ----
    bool main();
    bool checkStore(); // the check, the backup, old answers dropped; false: ended
    void checkSecretFiles();
    bool placeStore();
    bool storeUnwritable(const QString& folder, const QString& reason);
    bool alreadyRunning();
    bool storeFailed(OpenResult opened);
    void startSource();
    void quitProgram(int status);
    bool startTasks();
    // ---- Window.cpp / Layout.cpp ----
    void buildWindow();
    void DrawWindowFrame();
    void centre(QWidget* panel);
    void bringIn(QWidget* panel);
    bool panelMouse(int index, QEvent* event);
    void x_Click(int index);
    void setStatus(const QString& text);
    void setToolbarEnabled(bool enabled);
    void unlockWindow();
    void unlockAfterQuery();
    void openAddPanel();
    void openEditPanel();
    void openSearchPanel();
    void openCourierList(int opener);
    void openAccountPanel();
    void openBatchPanel();                           // 批量添加 (Ctrl+B, or from the add panel)
    void useService(const TrackingAccount& account); // the source of the account's service
    void courierPicked(const QString& name, const std::optional<QString>& code);
    // ---- Dispatch.cpp ----
    void installKeyPreview();
    bool keyPreview(QWidget* where, int key); // true: the key was used up (Enter)
    void Form_KeyDown(int key);
    void Image2_Click(int index);
    bool refreshBook(); // F8; true when it started the query of the first parcel
    void clearBook();
    void exportList();
    // ---- Selector.cpp: the selector and the list ----
    bool refill() override;
    void list(const QList<ParcelRow>& rows) override;
    void addSeparators() override;
    int count() const override;
    QString chosenText() const override;
    int chosenIndex() const override;
    void setEntryText(int index, const QString& text) override;
    void choose(int index) override;
    void rechoose() override { Text1_Click(); }
    void readFailed(const QString& error) override;
    void Text1_Click();
    void showParsed(const Reading& read);
    void ListView1_Click();
    void ListView1_DblClick();
    void ListView1_RightPress();
    // ---- Background.cpp ----
    void setWatching(bool on);
    void watchMoved(qint64 parcel, const Reading& read);
    void backgroundMailFailed(const QString& reason);
    void refreshMarks();
    void rememberAnswer(const Reading& read);
    bool showRemembered();
    void showParcel(qint64 parcel);

    // ---- the window's own controls (Layout.cpp) ----
    QLabel* Label26 = nullptr;        // title
    QLabel* aicAlphaImage1 = nullptr; // logo
    std::array<QLabel*, 8> Image2{};  // toolbar, indexes 1..7
    std::array<QLabel*, 2> Label16{}; // 0 "官方网站", 1 "设置"
    std::array<QLabel*, 3> Label2{};  // 1 "-", 2 "x"
    QComboBox* Text1 = nullptr;       // parcel selector
    std::array<QLabel*, 8> Label12{}; // info cells; values at 2, 3, 5, 7
    QLabel* Picture7 = nullptr;       // white box behind the list
    QTreeWidget* ListView1 = nullptr; // progress list
    std::array<QLabel*, 6> Label11{}; // 0 prefix, 2 status line, 3 version, 4 maker, 5 clock
    QLabel *AniGIF1 = nullptr, *Picture5 = nullptr, *Label23 = nullptr; // busy, overlay
    QLabel *Label27 = nullptr, *Label28 = nullptr; // the answer's time; "演示" in the demo
    QTimer *Timer3 = nullptr, *Timer5 = nullptr;
    // ---- the panels, in the order built, and where they wait until placed ----
    AddPanel* m_add = nullptr;
    SettingsPanel* m_settings = nullptr;
    EditPanel* m_edit = nullptr;
    SearchPanel* m_search = nullptr;
    CourierPanel* m_couriers = nullptr;
    AccountPanel* m_account = nullptr;
    BatchPanel* m_batch = nullptr;
    std::array<Panel*, 5> kdmenu{}; // add, settings, edit, search, courier list
    std::array<Panel*, 7> m_panels{};
    std::unique_ptr<QWidget> m_shelf;
    // ---- the objects that decide ----
    Platform& m_platform;
    std::unique_ptr<Endpoints> m_endpoints;
    QString m_folder;
    QString m_dataFolder; // holds db/: the user's data folder, or the program folder
    std::unique_ptr<Store> m_store;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<Announcement> notice; // fetched once at start-up
    std::unique_ptr<Accounts> m_accounts;
    Options* m_options = nullptr;
    QuerySession* m_session = nullptr;
    Alerts* m_alerts = nullptr;
    Polling* m_polling = nullptr;
    BookWatch* bookWatch = nullptr;
    std::array<ServiceSource*, 2>
        m_services{}; // 快递100, 快递鸟: unless a gateway or the demo answers
    DesktopNotifications* m_notifications = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    Class1* tip = nullptr; // the progress list's balloon, made on first use

    // ---- the window's state ----
    int storeBusyTimeoutMs = 5000;
    QStringList m_startWarnings;          // said on the status line once the start is done
    std::optional<bool> m_storeChecked;   // the store's check, once made: passed
    std::set<QString> m_mailFailuresTold; // kinds of background mail failure told already
    QMovie* m_busy = nullptr;
    QPoint m_panelGrab; // where a panel drag started, in window coordinates, and which one
    int m_dragPanel = -1;
    bool m_frameDrawn = false;
    std::unique_ptr<Backdrop> m_backdrop; // the background, made on the first paint
};

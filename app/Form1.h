// Form1: the one window of 件踪宝 and all of its state.
//
// Its members are declared here, grouped by subsystem, and defined in the
// subsystem's folder:
//
//   app/Form1.cpp              construction, control helpers
//   app/Layout.cpp             every control at its place (window and the five panels)
//   app/Startup.cpp            Form_Load, main (store, integrity check, backup and single
//                              copy), clock Timer5
//   app/Window.cpp             window and panel mouse behaviour, DrawWindowFrame,
//                              link and window labels, x_Click, panel centring
//   app/Dispatch.cpp           Command1_Click, hotkeys (Form_KeyDown), toolbar (Image2_Click),
//                              Enter for the panels' default buttons, refreshBook
//   parcels/Selector.cpp       read, sX, Text1_Click (the parcel selector)
//   parcels/Add.cpp            addParcel (Command1[13]), listSimilarNumbers
//   parcels/Edit.cpp           openEditPanel, Text4_Change, changeParcel, copyParcel,
//                              deleteParcel
//   parcels/Search.cpp         openSearchPanel, Text7_Change, searchBook
//   parcels/Clear.cpp          clearBook
//   parcels/Export.cpp         exportList, ExportListViewContent
//   parcels/ProgressList.cpp   ListView1_Click, ListView1_DblClick, ListView1_RightPress
//   parcels/Refetch.cpp        Command5_Click (re-fetch)
//   couriers/Directory.cpp     kdlb, openCourierList, Text8_Change, Label20_Click,
//                              ListView2_DblClick, ListView2_RightPress
//   couriers/Detection.cpp     Text3_Change, Command2_Click, detectCourier
//   tracking/Query.cpp         GetBody, kdgs, cx, offerToDelete, hx2, Timer1 (parser), ql,
//                              Timer7 (watchdog), csh
//   tracking/Account.cpp       the tracking source (the service with the user's account, the
//                              demo, a gateway), the account panel, the no-account message,
//                              the receiver's phone
//   watch/ChangeDetection.cpp  gxtj
//   watch/Polling.cpp          loop and timed querying: Command1[15..18], Timer6, Timer4
//   watch/Mail.cpp             emailgx, sendUpdateMail, the address check when the settings
//                              panel closes
//   watch/Background.cpp       the whole-book watch: its options, announcements (desktop
//                              notification, tray, sound, mail), selector marks, and the
//                              remembered progress shown offline
//   settings/Settings.cpp      setting (loader), Check2..Check8 toggles, Check10 (autostart)
//   services/UpdateCheck.cpp   Timer3 (update check and announcement)
//   services/TimeCalibration.cpp  Command3_Click, ctime (network time calibration)
//   app/Balloon.cpp            Class1 (the balloon tip), HookListHeader
//
// The controls and the state are private: the window shows the state, and
// every control carries its legacy name as objectName ("Command1_13",
// "Text1"), so tests find it with findChild. The handlers are the window's
// entry points (clicks, keys, timer ticks) and stay public.
#pragma once

#include <QDateTime>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <set>

// The project's types the window names; each file including this one
// includes the headers of what it uses.
struct Announcement;
class Backdrop;
class BookWatch;
class Class1;
struct CourierRow;
class DesktopNotifications;
struct Endpoints;
class EnterpriseSource;
struct Entry;
class ForegroundQuery;
struct MailFacts;
class Options;
enum class OpenResult;
enum class ParcelState;
struct ParcelRow;
struct Platform;
struct Reading;
template <class T> class [[nodiscard]] Read;
class Store;
enum class Switch;
struct TrackingAccount;
class TrackingSource;
struct TrackReply;

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QLockFile;
class QMovie;
class QPushButton;
class QRadioButton;
class QSystemTrayIcon;
class QTimer;
class QTreeWidget;

// The property by which the panels' shelf names its window.
inline constexpr char ShelfOf[] = "jzbShelfOf";

class Form1 : public QWidget {
    Q_OBJECT
public:
    Form1(Platform& platform, Endpoints endpoints, QString programFolder,
          QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up steps; false when the program ended during them.
    bool Form_Load();
    // The session ends while a box waits or before the window runs: the
    // program ends at once.
    void endNow() { quitProgram(0); }

    struct CurrentParcel {
        qint64 id = 0; // its row in the book; 0 before the first choice
        QString number, company, code, goods, num, index;
    };
    // What the window holds, to read: the parcel chosen last, the
    // announcement fetched at start, the minutes the loop has counted, the
    // rows of the last parse, and whether an answer waits for its parse.
    const CurrentParcel& current() const { return cur; }
    const Announcement& announcement() const { return *notice; }
    int loopMinutes() const { return loopTicks; }
    int parsedRows() const { return newCount; }
    bool answerWaiting() const { return !answer.isEmpty(); }
    // How long a store locked by another program is waited for.
    void setStoreBusyTimeout(int ms) { storeBusyTimeoutMs = ms; }

    // ---- app/Startup.cpp ----
    bool main();
    bool checkStore(); // the integrity check and the day's backup, once; false: ended
    void checkSecretFiles();
    void Timer5_Timer();

    // ---- app/Window.cpp ----
    void DrawWindowFrame();
    void centrePanel(int index);
    void centre(QWidget* panel); // the centring rule for any panel
    void showPanel(int index);
    void hideAllPanels();
    void x_Click(int index);
    void setStatus(const QString& text);
    void setToolbarEnabled(bool enabled);
    void unlockWindow(); // the selector, the progress list and the toolbar usable again
    void openAddPanel();

    // ---- app/Dispatch.cpp ----
    bool keyPreview(QObject* receiver, QEvent* event); // true: the key was used up (Enter)
    void keyReleased(QObject* receiver, QEvent* event);
    void Command1_Click(int index);
    void Form_KeyDown(int key);   // F4..F12 and Esc, whatever control has the focus
    void Image2_Click(int index); // the toolbar
    bool refreshBook();           // F8; true when it started the query of the first parcel

    // ---- parcels/Add.cpp ----
    void addParcel();
    void listSimilarNumbers(const QString& number);

    // ---- parcels/Edit.cpp ----
    void openEditPanel();
    void Text4_Change();
    void changeParcel();
    void copyParcel();
    void deleteParcel();

    // ---- parcels/Search.cpp ----
    void openSearchPanel();
    void Text7_Change();
    void searchBook();

    // ---- parcels/ProgressList.cpp ----
    void ListView1_Click();
    void ListView1_DblClick();
    void ListView1_RightPress();

    // ---- parcels/Refetch.cpp ----
    void Command5_Click();

    // ---- parcels/Clear.cpp ----
    void clearBook();

    // ---- parcels/Export.cpp ----
    void exportList();
    // Writes the list's rows to the file; the reason when it could not.
    std::optional<QString> ExportListViewContent(QTreeWidget* objListView,
                                                 const QString& strFilePath);

    // ---- couriers/Directory.cpp ----
    void kdlb();
    void openCourierList(int opener); // 8 or 12: picking for that button; 0: browsing
    void Text8_Change();
    void Label20_Click(int index);
    void ListView2_DblClick();
    void ListView2_RightPress();

    // ---- couriers/Detection.cpp ----
    void Text3_Change();
    void Command2_Click();
    void detectCourier();

    // ---- parcels/Selector.cpp ----
    void read();
    bool sX(); // false when the book could not be read (the selector is left as it was)
    void setSelectorEntries(const QStringList& entries);
    void Text1_Click();
    void selectListIndex(int index); // sets the list index, which runs Text1_Click
    void storeReadFailed(const QString& error);

    // ---- tracking/Query.cpp ----
    QString GetBody(const QString& url);
    void setBusy(bool busy);
    // False when a newer query started while this one waited (its answer is
    // dropped), or when the query ended here (no account, no phone): the
    // caller must leave the window alone. parcel: the row queried, 0 when
    // the number is being added.
    bool kdgs(const QString& number, qint64 parcel = 0);
    void cx();
    void offerToDelete(quint64 query);
    void hx2();
    void unlockAfterQuery();
    void Timer1_Timer();
    void ql();
    void Timer7_Timer();
    void csh();

    // ---- tracking/Account.cpp ----
    void startSource(); // Form_Load, after the store: where answers come from
    TrackingAccount loadAccount();
    QString accountPath() const;
    void openAccountPanel();
    void saveAccount();                          // Command7
    void noAccount();                            // a query or a detection without an account
    void accountRefused(const QString& failure); // the service refused the account's key
    // The service wants the receiver's phone: asked once; what was typed.
    std::optional<QString> askPhone(const QString& number, bool sentOne);
    void keepTypedPhone(const QString& number); // after an add: the phone goes with the parcel
    void showAnswerTime(const TrackReply& reply);

    // ---- watch/ChangeDetection.cpp ----
    void gxtj();

    // ---- watch/Polling.cpp ----
    // Which of the two kinds of polling runs; the buttons' captions show it.
    enum class PollMode { Off, Loop, Timed };
    void setPollMode(PollMode mode);
    void loopButton();     // Command1[16]
    void timedButton();    // Command1[18]
    void showTimedFrame(); // Command1[15]
    void showLoopFrame();  // Command1[17]
    void Timer6_Timer();
    void Timer4_Timer();

    // ---- watch/Mail.cpp ----
    // New progress, in the window or the background: the alert sound and, by
    // calling mail, the update mail, as the options say.
    void announce(const std::function<void()>& mail);
    void emailgx();
    MailFacts mailFacts(const QString& label, const QString& number, const QString& company,
                        const Reading& read) const;
    void sendUpdateMail(MailFacts facts, std::function<void(std::optional<QString>)> done);
    bool saveAddress(); // closing the settings panel; false keeps it open

    // ---- watch/Background.cpp ----
    void startWatch(); // Form_Load: the watch's options, the watch and the tray
    void Check9_Click();
    void setWatching(bool on);
    void Combo5_Click();
    void watchMoved(qint64 parcel, const Reading& read);
    void backgroundMailFailed(const QString& reason);
    void refreshMarks();
    void rememberAnswer(const Reading& read); // the current parcel's parsed answer
    bool showRemembered();          // a query without answer: the remembered entries, greyed
    void showParcel(qint64 parcel); // a notification activated: the window, that parcel
    // Shows the window when the start is done; started at login with the
    // watch on, the program stays in the tray (minimised where there is none).
    void showAtStart(bool atLogin);

    // ---- settings/Settings.cpp ----
    void setting();
    void showOptions(); // the boxes follow the value
    void Check_Click(Switch which);
    void Check10_Click();

    // ---- services/UpdateCheck.cpp ----
    void Timer3_Timer();
    bool startTasks(); // the version check, the summary, the announcement; false: ended

    // ---- services/TimeCalibration.cpp ----
    void Command3_Click();
    void ctime();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // ---- the controls (app/Layout.cpp builds them) ----
    // window
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
    QLabel* AniGIF1 = nullptr;        // busy animation
    QLabel* Picture5 = nullptr;       // enlarged-entry overlay
    QLabel* Label27 = nullptr;        // when the service gave the answer shown
    QLabel* Label28 = nullptr;        // "演示" in the title row of the demo
    QLabel* Label23 = nullptr;
    std::array<QFrame*, 5> kdmenu{}; // add, settings, edit, search, courier list
    std::array<QLabel*, 5> x{};      // their close images
    std::array<QPushButton*, 19> Command1{};

    // add panel
    std::array<QLabel*, 3> Label13{}; // panel titles 0 add, 1 settings, 2 search
    QComboBox* Text3 = nullptr;       // tracking number
    QLineEdit* Text2 = nullptr;       // goods
    QPushButton* Command2 = nullptr;  // "刷新" (courier detection)
    QLabel* Label24 = nullptr;        // detection tip

    // settings panel
    QCheckBox *Check2 = nullptr, *Check3 = nullptr, *Check4 = nullptr, *Check5 = nullptr,
              *Check6 = nullptr, *Check7 = nullptr, *Check8 = nullptr;
    QGroupBox *Frame4 = nullptr, *Frame6 = nullptr, *Frame5 = nullptr;
    QComboBox *Combo2 = nullptr, *Combo3 = nullptr, *Combo4 = nullptr;
    QCheckBox* Check9 = nullptr;  // 后台刷新全部快递
    QCheckBox* Check10 = nullptr; // 开机自动启动
    QComboBox* Combo5 = nullptr;  // its interval in minutes
    QLineEdit* Sendmail = nullptr;
    QPushButton* Command3 = nullptr; // "时间校对"
    QPushButton* Command6 = nullptr; // "查询账户"
    QLabel* Label22 = nullptr;       // promotion link

    // account panel (the tracking service's account)
    QFrame* kdaccount = nullptr;
    QLabel* xAccount = nullptr;                                       // its close image
    QLineEdit *Text9 = nullptr, *Text10 = nullptr, *Text11 = nullptr; // customer, key, phone
    QPushButton* Command7 = nullptr;                                  // "保存"

    // edit panel
    QLabel* Label1 = nullptr;
    QLineEdit *Text4 = nullptr, *Text6 = nullptr;
    QPushButton* Command5 = nullptr; // "快递数据清空"

    // search panel
    std::array<QRadioButton*, 2> Option1{}, Option2{};
    QLineEdit* Text7 = nullptr;

    // courier-list panel
    QLabel* Label17 = nullptr;
    QPushButton* Command4 = nullptr;
    QLabel* Label18 = nullptr;
    QLineEdit* Text8 = nullptr;
    QTreeWidget* ListView2 = nullptr;
    QFrame* Picture3 = nullptr;
    QLabel* Label19 = nullptr;
    std::array<QLabel*, 11> Label20{};

    QTimer *Timer1 = nullptr, *Timer3 = nullptr, *Timer4 = nullptr, *Timer5 = nullptr,
           *Timer6 = nullptr, *Timer7 = nullptr;

    // ---- the state ----
    CurrentParcel cur;                // the parcel chosen last
    QString answer;                   // answer buffer: body of the last tracking answer
    std::unique_ptr<Reading> reading; // the one reading of that answer
    // What the list and the info cells show of the parcel: the reading last
    // parsed; without entries until a query of this choice gave some.
    std::unique_ptr<Reading> shown;
    int entryTally = 0; // entries the parser reads
    int newCount = 0;   // rows after the last parse
    int loopTicks = 0;  // minutes since the loop started or last queried
    PollMode pollMode = PollMode::Off;
    std::unique_ptr<Announcement> notice; // fetched once at start-up
    int storeBusyTimeoutMs = 5000;
    QStringList m_startWarnings;        // said on the status line once the start is done
    std::optional<bool> m_storeChecked; // the store's check, once made: passed
    QList<Switch> m_loadedChanges;      // boxes the loader changed, stored after the check
    Class1* tip = nullptr;              // the progress list's balloon, made on first use
    BookWatch* bookWatch = nullptr;
    Options* options = nullptr; // what every reader asks; the boxes show it

    void buildWindow();
    void buildAddPanel();
    void buildSettingsPanel();
    void buildEditPanel();
    void buildSearchPanel();
    void buildCourierPanel();
    void buildAccountPanel();
    void fillTimeLists();
    bool panelMouse(int index, QEvent* event);
    void installKeyPreview();
    void fillCourierList(const Read<QList<CourierRow>>& rows);
    void listParcels(const QList<ParcelRow>& rows); // the selector lists these parcels' goods
    void resetQuickLinks();
    void quitProgram(int status); // every way the program ends
    bool placeStore();            // main: where the book lives, moved or made there, locked
    bool storeUnwritable(const QString& folder, const QString& reason); // ends the program
    bool alreadyRunning();                                              // ends the program
    bool storeFailed(OpenResult opened);                                // ends the program
    // Loop and timed querying: the checks before either starts, and the
    // window locked for it but the function's own lists.
    bool readyToPoll(const QString& notQueried, bool timeSet, const QString& noTime);
    void lockFor(std::initializer_list<QComboBox*> lists, bool locked);
    QCheckBox* boxFor(Switch s) const; // the settings panel's box of that option

    Platform& m_platform;
    std::unique_ptr<Endpoints> m_endpoints;
    QString m_folder;
    QString m_dataFolder; // holds db/: the user's data folder, or the program folder
    std::unique_ptr<Store> m_store;
    std::unique_ptr<QLockFile> m_lock;
    QMovie* m_busy = nullptr;
    QPoint m_panelGrab;   // where a panel drag started, in window coordinates
    int m_dragPanel = -1; // panel being dragged
    bool m_frameDrawn = false;
    // The panels, in the order they were built, and where they wait until
    // first placed (its property ShelfOf names this window).
    std::array<QWidget*, 6> m_panels{};
    std::unique_ptr<QWidget> m_shelf;
    void bringIn(QWidget* panel);
    std::unique_ptr<Backdrop> m_backdrop; // the background, made on the first paint
    // The window's own query: its identity (the answer buffer, the parser
    // tick, the watchdog and the delete offer belong to the newest), its
    // watchdog and its ending.
    ForegroundQuery* m_query = nullptr;
    quint64 m_detection = 0; // the newest courier detection; only it writes the caption
    std::array<QPushButton*, 5> m_defaultButton{}; // Enter in a panel presses its default
    // The key press acted on last, where it started, and its key: its way on
    // through that control's parents is not a new key.
    const QEvent* m_keyEvent = nullptr;
    QPointer<QWidget> m_keyStart;
    int m_keyCode = 0;
    QDateTime m_timedLast;                    // the timed query's last look at the clock
    TrackingSource* m_source = nullptr;       // where answers come from
    EnterpriseSource* m_enterprise = nullptr; // that source, when it is the service's
    bool m_toldNoAccount = false;             // the no-account box shows once a session
    bool m_toldAccountRefused = false;        // so does the refused-account box
    struct {
        QString number, phone;
    } m_typedPhone;                       // the phone typed for a number being added
    std::set<QString> m_mailFailuresTold; // kinds of background mail failure told already
    DesktopNotifications* m_notifications = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
};

#pragma once

#include "core/usersecurity.h"

#include <QEvent>
#include <QList>
#include <QMainWindow>
#include <functional>

class LoginSession;
class QAbstractButton;
class QAction;
class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QMenu;
class QMenuBar;
class QStackedWidget;
class QStatusBar;
class QTimer;
class QWidget;

// A request posted to the main window by other screens: open a case (or run
// the case finder), run the case search, lock the workstation. The numbers are
// the ones every screen of the system posts, so they are fixed here.
class CaseRequestEvent : public QEvent
{
public:
    static constexpr QEvent::Type OpenCase = QEvent::Type(2048);   // parameter: a case number, -1 runs the finder
    static constexpr QEvent::Type SearchCase = QEvent::Type(2050);
    static constexpr QEvent::Type Lock = QEvent::Type(2051);

    explicit CaseRequestEvent(QEvent::Type type, int parameter = -1) : QEvent(type), m_parameter(parameter) {}
    int parameter() const { return m_parameter; }

private:
    int m_parameter;
};

// The program's main window: every function is reached from its menu bar or
// its five navigation panels; it shows who is logged in, checks rights before
// opening other screens, runs the idle lock and asks before the program ends.
//
// The session is not owned; it must outlive the window. There is one main
// window at a time; instance() finds it for the posted requests.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TMainForm(LoginSession *session, QWidget *parent = nullptr);
    ~TMainForm() override;

    static TMainForm *instance();

    // Posts the first login once the event loop runs (call after show()).
    void start();

    // Requests to the main window; they do nothing when there is none.
    static void postOpenCase(int caseNumber);
    static void postSearchCase();
    static void postLock();

    LoginSession *session() const { return m_session; }
    // The directory current at creation; restored after a case window.
    QString startupDir() const { return m_startupDir; }
    QString backMusicFileName() const { return m_backMusicFileName; }
    // Pages of the case window as the options ask for them: 2 progress notes,
    // 4 prescriptions, 8 monitoring, 16 examinations.
    static int pageFlags();
    // The last case opened and the page flags it was opened with (-1, 0 before any).
    int lastOpenedCase() const { return m_lastOpenedCase; }
    int lastPageFlags() const { return m_lastPageFlags; }
    // The banner of the cover, shown whenever no menu hint is.
    static QString bannerText();

    // The case finder the open-case and fee-entry commands run; SelectCase unless replaced (tests).
    using CaseFinder = std::function<int(const CUserSecurityData &user, const QString &prompt, quint8 discharged,
                                         int section, int &caseNumber)>;
    void setCaseFinder(CaseFinder finder);

    QMenuBar *m_MainMenu;
    QList<QAction *> m_ActionList_MainMenu;

    QAction *m_Action_DZBL;
    QAction *m_Action_BAJS;
    QAction *m_Action_UserLockCase;
    QAction *m_Action_UserUnLockCase;
    QAction *m_Action_PatientGetBedAndDoctor;
    QAction *m_Action_RecipeTotal;
    QAction *m_Action_MZFeeTotal;
    QAction *m_Action_CaseAnalysis;
    QAction *m_Action_PatientBook;
    QAction *m_Action_CRYDJ;
    QAction *m_Action_PatientPayFee;
    QAction *m_Action_ZYSF;
    QAction *m_Action_PatientFeeQuery;
    QAction *m_Action_PlayBackMidiMusic;
    QAction *m_Action_UserWorkNote;
    QAction *m_Action_MedicalNote;
    QAction *m_Action_StudyCampus;
    QAction *m_Action_LoginAgain;
    QAction *m_Action_ChangeLoginPwd;
    QAction *m_Action_LockSystem;
    QAction *m_Action_PrinterSetup;
    QAction *m_Action_DataManage;
    QAction *m_Action_SectionAndUserSetup;
    QAction *m_Action_ZYFeeSetup;
    QAction *m_Action_UserLoginoutData;
    QAction *m_Action_Exit;
    QAction *m_Action_Help;
    QAction *m_Action_About;

    QWidget *m_Panel_Left;
    QAbstractButton *m_SpeedButton_Main;
    QAbstractButton *m_SpeedButton_ZYCL;
    QAbstractButton *m_SpeedButton_CXTJ;
    QAbstractButton *m_SpeedButton_FZGN;
    QAbstractButton *m_SpeedButton_XTCZ;
    QStackedWidget *m_Panel_Client;
    QWidget *m_Panel_Main;
    QWidget *m_Panel_ZYCL;
    QWidget *m_Panel_CXTJ;
    QWidget *m_Panel_FZGN;
    QWidget *m_Panel_XTCZ;

    QLabel *m_MainTitle;
    QLabel *m_Image_Flag;
    QLabel *m_Image_UserPicture;
    QLabel *m_Label_Rights;
    QLabel *m_Label_CurDateTime;

    QStatusBar *m_StatusBar_Main;
    QLabel *m_StatusPanel_0;
    QLabel *m_StatusPanel_1;
    QLabel *m_StatusPanel_2;
    QLabel *m_StatusPanel_3;
    QLabel *m_StatusPanel_4;

    QMediaPlayer *m_MediaPlayer_BackMusic;
    QAudioOutput *m_AudioOutput_BackMusic;
    QTimer *m_Timer_Idle;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QAction *makeAction(const char *name, const QString &caption, const QString &hint);
    void createActions();
    void createMenus();
    QWidget *createLeftPanel();
    QWidget *createCover();
    QWidget *createNavigationPanel(const char *name, const QString &title, const QString &subtitle);
    void addNavigationButton(QWidget *panel, const char *name, const QString &caption, QAction *action,
                             const QString &description, const QString &glyph);
    void createStatusBar();
    void showPanel(QWidget *panel);
    void trackMenuHints(QMenu *menu);

    bool hasRight(quint32 bit, const QString &refusal);
    bool passAdminGate();

    void refreshOperator();
    void refreshIdle();
    void openCaseByFinder();
    void sealCase();
    void unsealCase();
    void openCase(int caseNumber);
    void feeEntry();
    void loginAgain();
    void toggleBackMusic();
    void backMusicFailed();
    void updateBackMusicCaption();
    void showHelp();
    void showAbout();
    void printerSetup();
    void endWithoutQuestion();

    LoginSession *m_session;
    QString m_startupDir;
    QString m_backMusicFileName;
    CaseFinder m_caseFinder;
    int m_lastOpenedCase = -1;
    int m_lastPageFlags = 0;
    bool m_lockPosted = false;
    bool m_musicFailureShown = false;
    bool m_endingWithoutQuestion = false;
};

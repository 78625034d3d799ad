#pragma once

#include "core/usersecurity.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QStatusBar;
class QToolBar;
class TCaseObject;
class TCasePage;

// The window in which one inpatient case is worked on: it seals the case while
// it is open, hosts the five case pages, switches between them, saves, prints
// the visible page and closes with the case unsealed. Shown modally.
class TCaseDataForm : public QDialog
{
    Q_OBJECT

public:
    enum Page { BLSY = 0, BCJL, CFJL, JCJL, FZJC, PageCount };
    // Bits of the page flags: the front page is always there.
    enum PageFlag { FrontPageFlag = 1, ProgressNotesFlag = 2, PrescriptionsFlag = 4, MonitoringFlag = 8,
                    ExaminationsFlag = 16 };

    // Makes page `index` of the window; the real pages unless a test brings its own.
    using PageFactory = std::function<TCasePage *(int index, QWidget *parent)>;

    TCaseDataForm(QWidget *owner, const QString &caseNumber, const CUserSecurityData &user, int pageFlags,
                  const PageFactory &pageFactory = PageFactory());
    ~TCaseDataForm() override;

    QString caseNumber() const { return m_caseNumber; }
    int pageFlags() const { return m_pageFlags; }
    int currentPage() const { return m_currentPage; }
    bool loadFailed() const { return m_loadFailed; }
    // The open case; nullptr before the window was shown or when loading failed.
    TCaseObject *caseObject() const { return m_case.get(); }
    TCasePage *page(int index) const { return m_pages.at(index); }

    void ShowPage(int index);
    // Saves the case while keeping its seal; false (after the message) when it failed.
    bool SaveCase();

    QToolBar *m_ToolBar_CaseRecord;
    QAction *m_Action_CaseToolbar_SwitchToBLSY;
    QAction *m_Action_CaseToolbar_SwitchToBCJL;
    QAction *m_Action_CaseToolbar_SwitchToCFJL;
    QAction *m_Action_CaseToolbar_SwitchToMZGC;
    QAction *m_Action_CaseToolbar_SwitchToJCJL;
    QAction *m_Action_CaseToolbar_SwitchToFZJC;
    QAction *m_Action_CaseToolbar_SearchCase;
    QAction *m_Action_CaseToolbar_OpenCase;
    QAction *m_Action_CaseToolbar_Study;
    QAction *m_Action_CaseToolbar_YXWS;
    QAction *m_Action_CaseToolbar_Print;
    QAction *m_Action_CaseToolbar_Save;
    QAction *m_Action_CaseToolbar_Close;

    TCasePage *m_BLSY;
    TCasePage *m_BCJL;
    TCasePage *m_CFJL;
    TCasePage *m_JCJL;
    TCasePage *m_FZJC;

    QStatusBar *m_StatusBar_CaseRecord;
    std::array<QLabel *, 6> m_StatusPanels;

public slots:
    // Every way of closing comes here: the close action, the close box, Esc.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QAction *makeAction(const char *name, const QString &caption, const QString &shortcut, const QString &hint);
    void createActions();
    void createToolBar();
    void createStatusBar();
    void applyPageFlags();
    void applyButtonSettings();

    void openOnShow();
    void failLoad();
    void refreshStatusBar();
    void printPage();
    // Saves and hands over to the main window's open or search command.
    void leaveFor(const QString &question, bool search);
    void showCertificate();
    void showAdvisor();
    void finishClose();

    QString m_caseNumber;
    CUserSecurityData m_user;
    int m_pageFlags;
    int m_currentPage = 0;
    std::unique_ptr<TCaseObject> m_case;
    std::array<TCasePage *, PageCount> m_pages{};
    std::array<QAction *, PageCount> m_pageActions{};
    bool m_shown = false;
    bool m_closeWithoutAsking = false;
    bool m_loadFailed = false;
    bool m_closed = false;
};

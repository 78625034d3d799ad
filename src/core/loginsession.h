#pragma once

#include "core/usersecurity.h"

#include <QObject>
#include <functional>

// The logged-in operator and the login state the main window keeps: logging
// in again, changing the password, locking the workstation by command or
// after a period without input, and the login log rows.
class LoginSession : public QObject
{
    Q_OBJECT

public:
    explicit LoginSession(QObject *parent = nullptr);

    const CUserSecurityData &user() const { return m_user; }

    // Logs the operator out (asking first, except the very first time) and
    // shows the login dialog. Returns false only when the login dialog was
    // cancelled: the program must then end at once, without further rows.
    // Declining the question keeps the current operator and returns true.
    bool LoginAgain();

    // Old password, new one twice, through the prompter; refreshes the kept
    // record so that the old password no longer unlocks the workstation.
    void ChangeLoginPwd();

    // Shows the lock prompt until the operator's password is typed. The
    // suspend flag is set meanwhile, so no idle time is counted.
    void LockSystem();

    // Writes the logout row; for the exit of the program.
    void Logout();

    // Idle lock: input noted by the main window's event filter.
    void NoteInput();
    bool isSuspended() const { return m_suspended; }
    // Minutes without input before the workstation locks: 1..1440, else 10.
    int lockMinutes() const { return m_lockMinutes; }
    void setLockMinutes(int minutes);
    // Milliseconds left before the lock, 0 when due.
    qint64 remainingMs() const;
    bool lockDue() const { return !m_suspended && remainingMs() == 0; }
    // "锁定倒计时:M分S秒"
    QString countdownText() const;

    // The clock behind the idle count (milliseconds, monotonic); tests put in their own.
    void setClock(std::function<qint64()> clock);

    // Makes `user` the logged-in operator without the login dialog (tests,
    // and the first start right after the administrator was created).
    void adoptUser(const CUserSecurityData &user);

    // The hash to store for a password.
    static QString HashPassword(const QString &password);
    // Whether `name` and `password` are those of an operator with the
    // administrator right (the gate of the administrators' screens).
    static bool VerifyAdministrator(const QString &name, const QString &password);

signals:
    // The operator changed (logged in, logged out): refresh the status bar and photograph.
    void operatorChanged();
    // "系统已被锁定" while locked.
    void suspendedChanged(bool suspended);

private:
    void clearUser();

    CUserSecurityData m_user;
    bool m_suspended = false;
    bool m_skipLogoutQuestion = true;
    int m_lockMinutes = 10;
    qint64 m_lastInput = 0;
    std::function<qint64()> m_clock;
};
